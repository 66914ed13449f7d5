#include "cli/worksheet_file.h"

#include "cli/file_io.h"
#include "cli/options.h"
#include "doc/fork_files.h"
#include "doc/macroman.h"
#include "doc/stxcolor.h"
#include "plot/plot_state.h"

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

std::string worksheetBytes(const Document& doc, DocForm form,
                           const std::vector<std::string>& addOnNames) {
  std::vector<ColorRun> colours;
  if (form == DocForm::kRtf && !doc.prefs.stxdisable)
    colours = ColorSyntax(utf16ToBytes(doc.text), SyntaxWords(addOnNames)).runs;
  return saveDocument(doc, form, colours);
}

void giveLabels(const Document& doc, PlotState& ps) {
  ps.labels.clear();
  for (const LabelOrigin& origin : doc.slabels) {
    PageLabel label;
    label.x = origin.x * ps.page.width;
    label.y = origin.y * ps.page.height;
    ps.labels.push_back(label);
  }
}

void takeLabels(const PlotState& ps, Document* doc) {
  doc->slabels.clear();
  if (ps.page.width <= 0 || ps.page.height <= 0) return;
  for (const PageLabel& label : ps.labels)
    doc->slabels.push_back({label.x / ps.page.width, label.y / ps.page.height});
}

}  // namespace orv::cli
