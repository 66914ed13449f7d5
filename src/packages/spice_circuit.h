// The circuit file that runspice writes from the worksheet itself.
#pragma once

#include <string>
#include <string_view>

namespace orv::spice {

// The circuit in worksheet text [text] (the engine's Mac OS Roman bytes):
// everything before the first '@', as UTF-8 with LF line ends and a final
// line end.
std::string circuitText(std::string_view text);

// The circuit file of the worksheet at [worksheet]: the same name with the
// extension ".cir" in place of its own.
std::string circuitPathOf(const std::string& worksheet);

// Writes [bytes] to [path] through a temporary file created exclusively
// beside it and moved into place, so the file is never seen half written.
// False (and [path] untouched) on failure.
bool writeFileAtomically(const std::string& path, std::string_view bytes);

}  // namespace orv::spice
