// Worksheet documents: where the settings of an opened file come from, the
// legacy conversion, and what a save writes.
#include "doc/document.h"

#include <gtest/gtest.h>

#include <bit>

#include "base/macroman.h"
#include "doc/options_line.h"
#include "doc/rtf_reader.h"
#include "doc/rtf_writer.h"
#include "resource_builder.h"

namespace orv::test {
namespace {

constexpr char kLine[] =
    "Orvanel Options: eng 3 deg;stxdisable; twindow 10 900 500 400 pwindow 520 900 300 200 "
    "plotfont \"Palatino\" 10;lab 100 200;lab 300 400";

std::string rtfWithComment(const std::string& comment, const std::string& body) {
  return "{\\rtf1\\ansi\\deftab360{\\fonttbl\\f0 Courier;}{\\info{\\doccomm " + comment +
         "}}\\f0\\fs20 " + body + "}";
}

DocPrefs userDefaults() {
  DocPrefs d = defaultPrefs();
  d.places = 6;
  d.hidegrid = 1;
  return d;
}

std::string labelRecord(float x, float y, bool positionOnly, const std::string& text) {
  std::string r;
  ResourceBuilder::put32(&r, std::bit_cast<uint32_t>(x));
  ResourceBuilder::put32(&r, std::bit_cast<uint32_t>(y));
  r += '\0';
  r += static_cast<char>(positionOnly ? 0x80 : 0);
  ResourceBuilder::put16(&r, static_cast<uint16_t>(text.size()));
  return r + text;
}

std::string legacyFork(uint8_t flags, const std::string& labels) {
  std::string pref(32, '\0');
  pref[1] = static_cast<char>(flags);
  pref[2] = 1;  // colouring on
  pref[3] = 4;
  pref[5] = 0;  // scientific
  ResourceBuilder b;
  b.add("PRef", 128, pref).add("STR#", 129, stringList({"Monaco", "10", "Times", "14", "48"}));
  if (!labels.empty()) b.add("LBLS", 128, labels);
  return b.build();
}

TEST(Document, SettingsComeFromTheOptionsLine) {
  Document d = openDocument(rtfWithComment(kLine, "x = 1\\par x=\\par"), "a.ov", std::nullopt,
                            userDefaults());
  EXPECT_TRUE(d.haveprefs);
  EXPECT_FALSE(d.forceSaveAs);
  EXPECT_EQ(d.form, DocForm::kRtf);
  EXPECT_EQ(d.text, u"x = 1\nx=\n");
  EXPECT_EQ(d.prefs.numfmt, 1);
  EXPECT_EQ(d.prefs.places, 3);
  EXPECT_EQ(d.prefs.deg, 1);
  EXPECT_EQ(d.prefs.hidegrid, 0);  // the line's, not the user's
  EXPECT_EQ(d.prefs.pfontName, "Palatino");
  ASSERT_EQ(d.slabels.size(), 2u);
  EXPECT_DOUBLE_EQ(d.slabels[1].y, 0.4);
  // The line names no text font: the text keeps the RTF's font and tabs.
  EXPECT_EQ(d.textFont, u"Courier");
  EXPECT_EQ(d.textFontHalfPoints, 20);
  EXPECT_EQ(d.tabWidth, 18);

  // Saved, it reads back the same, with the line updated.
  d.prefs.places = 5;
  std::string saved = saveDocument(d, DocForm::kRtf, {{0, 1, kStyleBrown}});
  Document again = openDocument(saved, "a.ov", std::nullopt, userDefaults());
  EXPECT_EQ(again.text, d.text);
  EXPECT_EQ(again.prefs.places, 5);
  EXPECT_EQ(again.prefs.stxdisable, 1);
  EXPECT_EQ(again.slabels.size(), 2u);
  EXPECT_EQ(again.textFont, u"Courier");
  EXPECT_EQ(again.tabWidth, 18);
  EXPECT_EQ(documentOptionsLine(again), documentOptionsLine(d));
  // Colouring is off in this document, so the file has no colours.
  EXPECT_EQ(saved.find("\\cf5"), std::string::npos);
}

TEST(Document, WithoutSettingsTheUserDefaultsApplyAndTheFirstSaveAsksForAName) {
  for (const std::string& bytes :
       {std::string("x = 1\r\nx=\r\n"), rtfWithComment("not an options line", "x = 1\\par"),
        std::string("{\\rtf1 x = 1}")}) {
    Document d = openDocument(bytes, "a.ov", std::nullopt, userDefaults());
    EXPECT_FALSE(d.haveprefs);
    EXPECT_TRUE(d.forceSaveAs);
    EXPECT_EQ(d.prefs.places, 6);
    EXPECT_EQ(d.prefs.hidegrid, 1);
    EXPECT_EQ(d.textFont, u"Menlo");  // the user's font replaces the file's
    EXPECT_EQ(d.textFontHalfPoints, 22);
    EXPECT_EQ(d.tabWidth, 36);
    EXPECT_TRUE(d.slabels.empty());
  }
  Document plain = openDocument("x = 1\r\nx=\r\n", "a.txt", std::nullopt, userDefaults());
  EXPECT_EQ(plain.form, DocForm::kPlain);
  EXPECT_EQ(plain.text, u"x = 1\r\nx=\r\n");
  EXPECT_EQ(saveDocument(plain, DocForm::kPlain, {}), "x = 1\r\nx=\r\n");
  // Saved as RTF it gains an options line with the settings it used.
  std::string rtf = saveDocument(plain, DocForm::kRtf, {});
  RtfDocument back = readRtf(rtf);
  EXPECT_EQ(back.text, u"x = 1\nx=\n");
  EXPECT_EQ(utf16ToUtf8(back.comment).substr(0, 41), "Orvanel Options: fix 6 hidegrid; twindow ");
}

TEST(Document, PlainTextKeepsItsEncodingWhenSavedAsPlainText) {
  Document mac = openDocument("x = \xB9\n", "a", std::nullopt, userDefaults());
  EXPECT_EQ(mac.text, u"x = \u03C0\n");
  EXPECT_EQ(saveDocument(mac, DocForm::kPlain, {}), "x = \xB9\n");
  mac.text += u"\u65E5";  // a character Mac OS Roman lacks: the file becomes UTF-8
  EXPECT_EQ(saveDocument(mac, DocForm::kPlain, {}), "x = \xCF\x80\n\xE6\x97\xA5");
  Document bom = openDocument("\xEF\xBB\xBFx\n", "a", std::nullopt, userDefaults());
  EXPECT_EQ(bom.text, u"x\n");
  EXPECT_EQ(saveDocument(bom, DocForm::kPlain, {}), "\xEF\xBB\xBFx\n");
}

TEST(Document, LegacySettingsConvertIntoTheText) {
  std::string labels = labelRecord(0.1f, 0.2f, true, "") + labelRecord(0.5f, 0.25f, false, "Peak") +
                       labelRecord(0.3f, 0.6f, false, "say \"hi\"\rnow");
  std::string fork = legacyFork(0x92 | 0x40, labels);
  Document d = openDocument("x = 1\x01y\n", "old sheet", fork, userDefaults());
  EXPECT_TRUE(d.haveprefs);
  EXPECT_TRUE(d.converted);
  EXPECT_TRUE(d.forceSaveAs);
  EXPECT_EQ(d.form, DocForm::kRtf);
  EXPECT_EQ(convertedName("old sheet"), "old sheet.ov");
  EXPECT_EQ(utf16ToUtf8(d.text),
            "-- Converted Preferences --\n"
            "Xlogaxis:=on\n"
            "Zlogaxis:=on\n"
            "slabel \"Peak\"\n"
            "slabel \"say 'hi' now\"\n"
            "---------------------------\n"
            "x = 1 y\n");
  // Labels with text come first, then the position-only ones.
  ASSERT_EQ(d.slabels.size(), 3u);
  EXPECT_DOUBLE_EQ(d.slabels[0].x, 0.5);
  EXPECT_NEAR(d.slabels[1].y, 0.6, 1e-7);
  EXPECT_NEAR(d.slabels[2].x, 0.1, 1e-7);
  EXPECT_EQ(d.prefs.numfmt, 0);
  EXPECT_EQ(d.prefs.places, 4);
  EXPECT_EQ(d.textFont, u"Monaco");
  EXPECT_EQ(d.textFontHalfPoints, 20);
  EXPECT_EQ(d.tabWidth, 48);
  EXPECT_EQ(d.prefs.pfontName, "Times");

  // Saved as RTF, the options line takes over, and nothing is converted twice.
  std::string saved = saveDocument(d, DocForm::kRtf, {});
  Document again = openDocument(saved, "old sheet.ov", fork, userDefaults());
  EXPECT_FALSE(again.converted);
  EXPECT_EQ(again.text, d.text);
  EXPECT_EQ(again.slabels.size(), 3u);
  EXPECT_EQ(again.tabWidth, 48);
  EXPECT_EQ(again.textFont, u"Monaco");

  // No log axes and no text labels: no conversion block; a name ending in
  // ".ov" is kept.
  Document quiet = openDocument("x\n", "sheet.OV", legacyFork(0x02, ""), userDefaults());
  EXPECT_TRUE(quiet.converted);
  EXPECT_FALSE(quiet.forceSaveAs);
  EXPECT_EQ(quiet.text, u"x\n");
  EXPECT_EQ(convertedName("sheet.OV"), "sheet.OV");

  // A fork without settings, or not a resource file at all, gives no settings.
  for (const std::string& f :
       {ResourceBuilder().add("STR#", 129, stringList({"Monaco"})).build(), std::string("[3")}) {
    Document none = openDocument("x\n", "sheet", f, userDefaults());
    EXPECT_FALSE(none.haveprefs);
    EXPECT_EQ(none.text, u"x\n");
  }
}

}  // namespace
}  // namespace orv::test
