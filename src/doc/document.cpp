#include "doc/document.h"

#include "base/macroman.h"
#include "base/resource_file.h"
#include "doc/legacy_prefs.h"
#include "doc/options_line.h"
#include "doc/rtf_reader.h"
#include "doc/rtf_writer.h"

namespace orv {

namespace {

constexpr int kMaxTabWidth = 900;
constexpr int kMaxFontSize = 1600;

bool endsWithOv(std::string_view path) {
  if (path.size() < 3) return false;
  std::string_view end = path.substr(path.size() - 3);
  return end[0] == '.' && (end[1] == 'o' || end[1] == 'O') && (end[2] == 'v' || end[2] == 'V');
}

// Reads the options line of the RTF comment [comment]; the label positions go
// to [labels].
bool optionsFromComment(std::u16string_view comment, DocPrefs* prefs,
                        std::vector<LabelOrigin>* labels) {
  std::string line = utf16ToBytes(comment.substr(0, kOptionsLineSize - 1));
  std::string_view rest;
  if (!GetHdrPrefs(line, prefs, &rest)) return false;
  LabelOrigin l;
  while (NextHdrLabel(&rest, &l.x, &l.y)) labels->push_back(l);
  return true;
}

// Reads the legacy settings of [fork]; position-only labels go to [labels],
// labels with their own text to [textLabels].
bool optionsFromFork(const std::string& fork, DocPrefs* prefs, std::vector<LabelOrigin>* labels,
                     std::vector<LegacyLabel>* textLabels) {
  std::optional<ResourceFile> res = ResourceFile::open(fork);
  if (!res || !GetResPrefs(*res, prefs)) return false;
  std::vector<LegacyLabel> all;
  GetResLabels(*res, &all);
  for (LegacyLabel& l : all) {
    if (l.positionOnly)
      labels->push_back(l.origin);
    else
      textLabels->push_back(std::move(l));
  }
  return true;
}

// A label text as a string constant of an slabel statement: a double quote
// would end the string and a line end the statement, so they become an
// apostrophe and a blank.
std::u16string slabelString(const std::string& text) {
  std::u16string s = bytesToUtf16(text);
  for (char16_t& c : s) {
    if (c == u'"') c = u'\'';
    if (c == u'\r' || c == u'\n') c = u' ';
  }
  return s;
}

// The worksheet lines that stand for legacy log-axis flags and text labels,
// inserted at the start of the text. The text labels come first among the
// page labels.
void insertConversionBlock(Document* doc, const std::vector<LegacyLabel>& textLabels) {
  uint8_t log = doc->prefs.logaxes;
  bool any = log != 0 || !textLabels.empty();
  std::u16string block;
  if (any) block += u"-- Converted Preferences --\n";
  if (log & 16) block += u"Xlogaxis:=on\n";
  if (log & 32) block += u"Ylogaxis:=on\n";
  if (log & 64) block += u"Zlogaxis:=on\n";
  for (std::size_t i = 0; i < textLabels.size(); ++i) {
    doc->slabels.insert(doc->slabels.begin() + static_cast<std::ptrdiff_t>(i),
                        textLabels[i].origin);
    block += u"slabel \"" + slabelString(textLabels[i].text) + u"\"\n";
  }
  if (any) block += u"---------------------------\n";
  doc->text.insert(0, block);
}

int halfPoints(int32_t points) { return points > 0 && points <= kMaxFontSize ? 2 * points : 0; }

int usableTab(long points) { return points > 0 && points <= kMaxTabWidth ? int(points) : 0; }

}  // namespace

DocPrefs defaultPrefs() {
  DocPrefs p;
  p.tfontName = "Menlo";
  p.tfontSize = 11;
  p.pfontName = "Helvetica";
  p.pfontSize = 12;
  p.tabWidth = 36;
  return p;
}

Document openDocument(std::string_view bytes, std::string_view path,
                      const std::optional<std::string>& resourceFork, const DocPrefs& defaults) {
  Document doc;
  RtfDocument rtf;
  if (isRtf(bytes)) {
    rtf = readRtf(bytes);
    doc.text = std::move(rtf.text);
    doc.dropped = rtf.dropped;
    doc.form = DocForm::kRtf;
  } else {
    doc.plain = readPlainText(bytes);
    doc.text = doc.plain.text;
    doc.form = DocForm::kPlain;
  }

  DocPrefs p = defaults;
  std::vector<LegacyLabel> textLabels;
  if (rtf.hasComment) doc.haveprefs = optionsFromComment(rtf.comment, &p, &doc.slabels);
  if (!doc.haveprefs && resourceFork) {
    doc.haveprefs = doc.converted = optionsFromFork(*resourceFork, &p, &doc.slabels, &textLabels);
    doc.forceSaveAs = doc.converted && !endsWithOv(path);
  }

  if (doc.haveprefs) {
    doc.prefs = p;
    doc.form = DocForm::kRtf;
    for (char16_t& c : doc.text)
      if (c == 0x01) c = u' ';
    insertConversionBlock(&doc, textLabels);
    if (!p.tfontName.empty()) {
      doc.textFont = bytesToUtf16(p.tfontName);
      doc.textFontHalfPoints = halfPoints(p.tfontSize);
    } else {
      doc.textFont = rtf.fontName;
      doc.textFontHalfPoints = rtf.fontHalfPoints;
    }
    doc.tabWidth = p.tabWidth > 0 ? usableTab(p.tabWidth) : usableTab(rtf.defaultTab / 20);
  } else {
    doc.forceSaveAs = true;
    doc.prefs = defaults;
    doc.prefs.stxdisable = 0;
    doc.slabels.clear();
    doc.textFont = bytesToUtf16(defaults.tfontName);
    doc.textFontHalfPoints = halfPoints(defaults.tfontSize);
    doc.tabWidth = usableTab(defaults.tabWidth);
  }
  if (doc.prefs.pfontName.empty()) {
    doc.prefs.pfontName = "Helvetica";
    doc.prefs.pfontSize = 12;
  }
  return doc;
}

std::u16string readWorksheetText(std::string_view bytes) {
  return isRtf(bytes) ? readRtf(bytes).text : readPlainText(bytes).text;
}

std::string convertedName(const std::string& path) {
  return endsWithOv(path) ? path : path + ".ov";
}

std::string documentOptionsLine(const Document& doc) {
  return makeOptionsLine(doc.prefs, doc.slabels);
}

std::string saveDocument(const Document& doc, DocForm form, const std::vector<ColorRun>& colours) {
  if (form == DocForm::kPlain) return writePlainText(doc.text, doc.plain);
  RtfLayout layout;
  if (!doc.textFont.empty()) layout.fontName = doc.textFont;
  if (doc.textFontHalfPoints > 0 && doc.textFontHalfPoints <= 2 * kMaxFontSize)
    layout.fontHalfPoints = doc.textFontHalfPoints;
  layout.tabTwips = usableTab(doc.tabWidth) * 20;
  std::u16string comment = bytesToUtf16(documentOptionsLine(doc));
  static const std::vector<ColorRun> kNone;
  return writeRtf(doc.text, doc.prefs.stxdisable ? kNone : colours, layout, comment);
}

}  // namespace orv
