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

std::string inPlaceRefusal(const std::string& path, const Document& doc) {
  if (path == "-") return "";
  if (checkWritable(path) == kReadOnly)
    return "the file is read-only; use -o OUT to write elsewhere";
  if (doc.dropped.empty()) return "";
  std::string words;
  for (const std::string& w : doc.dropped) words += (words.empty() ? "\\" : ", \\") + w;
  return "holds RTF content that saving would lose (" + words +
         "); use -o OUT to write the results elsewhere";
}

DocForm formOfName(const std::string& path) {
  return isRtfOutputName(path) ? DocForm::kRtf : DocForm::kPlain;
}

}  // namespace orv::cli
