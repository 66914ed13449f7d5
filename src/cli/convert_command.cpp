#include "cli/convert_command.h"

#include <unistd.h>

#include <cstdio>
#include <cstring>

#include "cli/cli_host.h"
#include "cli/file_io.h"
#include "cli/run_command.h"
#include "cli/worksheet_file.h"
#include "frontend/ini_settings.h"
#include "session/worksheet_session.h"

namespace orv::cli {

namespace {

int fail(const std::string& name, int error) {
  std::fprintf(stderr, "orvanel: %s: %s\n", name.c_str(), fileErrorText(error).c_str());
  return kExitUsage;
}

}  // namespace

int convertCommand(const ConvertOptions& options) {
  const std::string& in = options.input;
  Console console(isatty(STDERR_FILENO) == 1);
  CliHost host(console, false);
  WorksheetSession session(host);
  Document& doc = session.document();
  std::string bytes;
  const IniSettings store = IniSettings::user();
  if (int error = readWorksheetFile(in, readDocumentDefaults(store), &doc, &bytes))
    return fail(in == "-" ? "<stdin>" : in, error);
  // The add-on functions the function browser has enabled are recognised
  // words of the colouring.
  std::string unknown;
  session.setAddOnsEnabled(enabledFunctions(session.registry(), std::nullopt, store, &unknown));
  const DocForm form = options.output == "-" ? DocForm::kPlain : formOfName(options.output);
  if (form == DocForm::kPlain) doc.plain = PlainText();  // plain text is written as UTF-8
  if (int error = writeWholeFile(options.output, session.fileBytes(form)))
    return fail(options.output == "-" ? "<stdout>" : options.output, error);
  return kExitOk;
}

}  // namespace orv::cli
