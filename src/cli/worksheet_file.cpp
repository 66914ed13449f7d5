#include "cli/worksheet_file.h"

#include "base/fork_files.h"
#include "cli/file_io.h"
#include "cli/options.h"

namespace orv::cli {

int readWorksheetFile(const std::string& path, const DocPrefs& defaults, Document* doc,
                      std::string* bytes) {
  if (int error = readWholeFile(path, bytes)) return error;
  std::optional<std::string> fork;
  if (path != "-") fork = readResourceFork(path);
  *doc = openDocument(*bytes, path == "-" ? std::string() : path, fork, defaults);
  return 0;
}

DocForm formOfName(const std::string& path) {
  return isRtfOutputName(path) ? DocForm::kRtf : DocForm::kPlain;
}

}  // namespace orv::cli
