#include "cli/cli_host.h"

#include "base/macroman.h"
#include "cli/gui_module.h"
#include "session/source_location.h"

namespace orv::cli {

void CliHost::bugAlert(std::string_view text) {
  console_.line("orvanel: internal: " + bytesToUtf8(text));
}

std::shared_ptr<const Picture> CliHost::loadPicture(const std::string& path) {
  std::string error;
  const GuiModule* module = guiModule(&error);
  if (!module) {
    console_.line("orvanel: " + error);
    return nullptr;
  }
  return module->loadPicture(path);
}

// A fault in an included worksheet is reported at its own place first.
void CliHost::includeFailed(const std::string& path, const std::u16string& text, std::size_t pos,
                            std::string_view message) {
  SourceLocation where = locate(text, pos);
  if (!message.empty() && message[0] == ' ') message.remove_prefix(1);
  console_.line(path + ":" + std::to_string(where.line) + ":" + std::to_string(where.column) +
                ": " + bytesToUtf8(message));
}

// Standard output carries the worksheet; documents for the user go to
// standard error.
void CliHost::showText(const std::string& title, std::string_view text) {
  std::string utf8 = bytesToUtf8(text);
  while (!utf8.empty() && (utf8.back() == '\n' || utf8.back() == '\r')) utf8.pop_back();
  console_.line("orvanel: " + title + ":\n" + utf8);
}

}  // namespace orv::cli
