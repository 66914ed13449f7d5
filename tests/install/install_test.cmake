# Installs the build into a fresh prefix and checks the desktop integration: the launcher,
# the worksheet MIME type and the icon sit in the XDG places and name each other
# consistently, and the validators that the system has accept them.
#   cmake -DBUILD_DIR=... -DPREFIX=... -P install_test.cmake

function(fail what)
  message(FATAL_ERROR "desktop_install: ${what}")
endfunction()

file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}"
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(NOT rc EQUAL 0)
  fail("cmake --install failed:\n${out}")
endif()

set(desktop "${PREFIX}/share/applications/orvanel.desktop")
set(mime "${PREFIX}/share/mime/packages/orvanel.xml")
set(icon "${PREFIX}/share/icons/hicolor/scalable/apps/orvanel.svg")
foreach(f IN ITEMS "${desktop}" "${mime}" "${icon}" "${PREFIX}/bin/orvanel")
  if(NOT EXISTS "${f}")
    fail("${f} was not installed")
  endif()
endforeach()

# The launcher starts the installed program, shows the installed icon and claims the type
# that the MIME package defines.
file(READ "${desktop}" entry)
function(key name out)
  string(REGEX MATCH "(^|\n)${name}=([^\n]*)" _ "${entry}")
  set(${out} "${CMAKE_MATCH_2}" PARENT_SCOPE)
endfunction()
key(Exec exec)
key(Icon icon_name)
key(MimeType types)
if(NOT exec STREQUAL "orvanel %F")
  fail("the launcher runs '${exec}', not the installed orvanel with its files")
endif()
if(NOT icon_name STREQUAL "orvanel")
  fail("the launcher names the icon '${icon_name}', but it is installed as orvanel.svg")
endif()
file(READ "${mime}" mime_text)
string(REGEX MATCH "mime-type type=\"([^\"]+)\"" _ "${mime_text}")
set(type "${CMAKE_MATCH_1}")
string(FIND "${types}" "${type};" at)
if(type STREQUAL "" OR at EQUAL -1)
  fail("the launcher claims '${types}' but the MIME package defines '${type}'")
endif()

find_program(DESKTOP_FILE_VALIDATE desktop-file-validate)
if(DESKTOP_FILE_VALIDATE)
  execute_process(COMMAND "${DESKTOP_FILE_VALIDATE}" "${desktop}"
                  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(NOT rc EQUAL 0 OR out MATCHES "error:")
    fail("desktop-file-validate rejects the launcher:\n${out}")
  endif()
endif()

# The MIME database built from the package maps *.ov to the worksheet type.
find_program(UPDATE_MIME_DATABASE update-mime-database)
if(UPDATE_MIME_DATABASE)
  execute_process(COMMAND "${UPDATE_MIME_DATABASE}" "${PREFIX}/share/mime"
                  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(NOT rc EQUAL 0)
    fail("update-mime-database rejects the package:\n${out}")
  endif()
  file(READ "${PREFIX}/share/mime/globs2" globs)
  if(NOT globs MATCHES ":${type}:\\*\\.ov")
    fail("the MIME database does not map *.ov to ${type}:\n${globs}")
  endif()
endif()

find_program(XMLLINT xmllint)
if(XMLLINT)
  execute_process(COMMAND "${XMLLINT}" --noout "${icon}"
                  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(NOT rc EQUAL 0)
    fail("the icon is not well-formed SVG:\n${out}")
  endif()
endif()
