// Arbitrary bytes as a worksheet document: as RTF, as an options line, as a
// resource file and AppleDouble file, and as a whole document with that
// resource fork. Besides not crashing, what the writers write must read back
// as what was written.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "base/apple_double.h"
#include "base/macroman.h"
#include "base/resource_file.h"
#include "doc/document.h"
#include "doc/legacy_prefs.h"
#include "doc/options_line.h"
#include "doc/rtf_reader.h"
#include "doc/rtf_writer.h"
#include "doc/stxcolor.h"

namespace {

using namespace orv;

void check(bool ok) {
  if (!ok) std::abort();
}

// Line ends as the RTF writer writes them: each CR LF, CR or LF is one \par.
std::u16string oneLineEnd(std::u16string_view text) {
  std::u16string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == u'\r') {
      if (i + 1 < text.size() && text[i + 1] == u'\n') ++i;
      out += u'\n';
    } else {
      out += text[i];
    }
  }
  return out;
}

void rtfRoundTrip(std::string_view bytes) {
  RtfDocument doc = readRtf(bytes);
  std::vector<ColorRun> colours = ColorSyntax(utf16ToBytes(doc.text), SyntaxWords()).runs;
  std::string written = writeRtf(doc.text, colours, RtfLayout(), std::u16string_view(u"c"));
  RtfDocument back = readRtf(written);
  check(back.text == oneLineEnd(doc.text));
  check(back.hasComment && back.comment == u"c");
}

void optionsLine(std::string_view bytes) {
  DocPrefs prefs;
  std::string_view rest;
  if (!GetHdrPrefs(bytes, &prefs, &rest)) return;
  std::vector<LabelOrigin> labels;
  LabelOrigin l;
  while (NextHdrLabel(&rest, &l.x, &l.y)) labels.push_back(l);
  std::string line = makeOptionsLine(prefs, labels);
  check(line.size() < kOptionsLineSize);
  DocPrefs again;
  check(GetHdrPrefs(line, &again, &rest));
  check(again.numfmt == prefs.numfmt && again.places == prefs.places &&
        again.writefmt == prefs.writefmt && again.deg == prefs.deg && again.twtop == prefs.twtop &&
        again.pwheight == prefs.pwheight);
}

void resources(std::string_view bytes) {
  std::string s;
  for (int i = 0; i <= 130; i += 13) GetIndexedSTR(bytes, i, &s);
  std::optional<ResourceFile> res = ResourceFile::open(std::string(bytes));
  if (res) {
    DocPrefs prefs;
    GetResPrefs(*res, &prefs);
    std::vector<LegacyLabel> labels;
    GetResLabels(*res, &labels);
    if (auto list = res->get(fourCharCode("STR#"), 2000)) GetIndexedSTR(*list, 16, &s);
  }
  if (std::optional<AppleDouble> side = readAppleDouble(bytes)) {
    std::optional<AppleDouble> again = readAppleDouble(writeAppleDouble(*side));
    check(again && again->resourceFork == side->resourceFork);
  }
}

void wholeDocument(std::string_view bytes) {
  Document doc = openDocument(bytes, "sheet", std::string(bytes), defaultPrefs());
  std::string rtf = saveDocument(doc, DocForm::kRtf, {});
  Document again = openDocument(rtf, "sheet.ov", std::nullopt, defaultPrefs());
  std::u16string expected = oneLineEnd(doc.text);
  for (char16_t& c : expected)
    if (c == 0x01) c = u' ';  // a document with settings has no 0x01 characters
  check(again.haveprefs && again.text == expected);
  saveDocument(doc, DocForm::kPlain, {});
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  rtfRoundTrip(bytes);
  optionsLine(bytes);
  resources(bytes);
  wholeDocument(bytes);
  return 0;
}
