// RTF reading and writing: files written by other programs, the control
// words that carry text, skipped destinations, damaged input, and round trips
// of everything our writer writes.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "base/macroman.h"
#include "doc/rtf_reader.h"
#include "doc/rtf_writer.h"
#include "doc/stxcolor.h"
#include "files.h"

namespace orv::test {
namespace {

std::string readData(const std::string& name) {
  return readFile(std::string(ORVANEL_DOC_DATA_DIR) + "/" + name);
}

std::string textOf(std::string_view rtf) { return utf16ToUtf8(readRtf(rtf).text); }

std::string runCommand(const std::string& command) {
  std::string out;
  if (FILE* pipe = popen(command.c_str(), "r")) {
    char buf[4096];
    while (std::size_t n = fread(buf, 1, sizeof buf, pipe)) out.append(buf, n);
    pclose(pipe);
  }
  return out;
}

constexpr char kCheckedComment[] =
    "Orvanel Options: fix 2  twindow 0 0 0 0 pwindow 0 0 0 0 plotfont \"Helvetica\" 12";

// ---------------------------------------------------------------------------
// Reading
// ---------------------------------------------------------------------------

TEST(RtfReader, WorksheetsSavedByOtherProgramsGiveTheirText) {
  // Made once from circle.txt with `pandoc -s -f markdown -t rtf` (the
  // worksheet as a code block) and with LibreOffice Writer in headless mode
  // (`soffice --headless --convert-to rtf`).
  const std::string expected = readData("circle.txt");
  ASSERT_FALSE(expected.empty());
  EXPECT_EQ(textOf(readData("circle_pandoc.rtf")), expected);
  RtfDocument lo = readRtf(readData("circle_libreoffice.rtf"));
  EXPECT_EQ(utf16ToUtf8(lo.text), expected);
  EXPECT_EQ(lo.fontName, u"Liberation Mono");
  EXPECT_EQ(lo.fontHalfPoints, 20);
  EXPECT_EQ(lo.defaultTab, 709);
  EXPECT_FALSE(lo.hasComment);  // \info holds only dates there
}

TEST(RtfReader, TheOtherPlatformsTextSystemFormat) {
  RtfDocument d = readRtf(readData("other_platform.rtf"));
  EXPECT_EQ(utf16ToUtf8(d.text),
            "~ Circle worksheet from the other platform ~\n"
            "r = 2.5 -- radius in \xC2\xB5m\n"
            "area = \xCF\x80 * r^2\n"
            "area:0.00\n"
            "angle = 30\n"
            "sin(angle)=\n");
  ASSERT_TRUE(d.hasComment);
  EXPECT_EQ(utf16ToUtf8(d.comment).substr(0, 29), "Orvanel Options: fix 3 deg; t");
  EXPECT_EQ(d.fontName, u"Menlo-Regular");
  EXPECT_EQ(d.fontHalfPoints, 22);
  EXPECT_EQ(d.defaultTab, 720);
}

TEST(RtfReader, CodePagesAndUnicodeEscapes) {
  // \'hh in Windows-1252 by default, in Mac OS Roman after \mac, and in the
  // font's own charset (77 is Mac OS Roman).
  EXPECT_EQ(textOf("{\\rtf1\\ansi \\'80\\'b5\\'e9}"), "\xE2\x82\xAC\xC2\xB5\xC3\xA9");
  EXPECT_EQ(textOf("{\\rtf1\\ansi\\ansicpg1252 \\'b9}"), "\xC2\xB9");
  EXPECT_EQ(textOf("{\\rtf1\\mac \\'b9\\'b5}"), "\xCF\x80\xC2\xB5");
  EXPECT_EQ(textOf("{\\rtf1\\ansi\\ansicpg10000 \\'b9}"), "\xCF\x80");
  EXPECT_EQ(textOf("{\\rtf1\\ansi{\\fonttbl{\\f0\\fcharset77 Monaco;}{\\f1\\fcharset0 Arial;}}"
                   "\\f0\\'b9\\f1\\'b9}"),
            "\xCF\x80\xC2\xB9");
  // Raw 8-bit bytes, which some writers leave unescaped.
  EXPECT_EQ(textOf("{\\rtf1\\mac \xB9}"), "\xCF\x80");

  // \uN and its fallback: one byte by default, \ucN bytes, \'hh and control
  // words count as one, a group end ends the fallback.
  EXPECT_EQ(textOf("{\\rtf1 \\u960?x}"), "\xCF\x80x");
  EXPECT_EQ(textOf("{\\rtf1 \\uc2\\u960\\'83\\'ce x}"), "\xCF\x80 x");
  EXPECT_EQ(textOf("{\\rtf1 \\uc0\\u960 x}"), "\xCF\x80x");
  EXPECT_EQ(textOf("{\\rtf1 \\uc3{\\u960 a}b}"),
            "\xCF\x80"
            "b");
  EXPECT_EQ(textOf("{\\rtf1 \\u8747\\'3f\\u-4064?}"), "\xE2\x88\xAB\xEF\x80\xA0");
  EXPECT_EQ(textOf("{\\rtf1 \\u-10179?\\u-8704?}"), "\xF0\x9F\x98\x80");  // a surrogate pair
  EXPECT_EQ(textOf("{\\rtf1 {\\uc1\\u960\\par}x}"), "\xCF\x80x");         // \par was the fallback
}

TEST(RtfReader, LineEndsTabsAndEscapedCharacters) {
  EXPECT_EQ(textOf("{\\rtf1 a\\par b\\line c\\\nd\\\r\ne\\par\n}"), "a\nb\nc\nd\ne\n");
  EXPECT_EQ(textOf("{\\rtf1 a\nb\r\nc}"), "abc");  // the file's own line ends are not text
  EXPECT_EQ(textOf("{\\rtf1 a\\tab b\tc}"), "a\tb\tc");
  EXPECT_EQ(textOf("{\\rtf1 \\{x\\} \\\\ y}"), "{x} \\ y");
  EXPECT_EQ(textOf("{\\rtf1 \\ldblquote q\\rdblquote  \\endash \\~\\-}"),
            "\xE2\x80\x9Cq\xE2\x80\x9D \xE2\x80\x93\xC2\xA0");
  // A control word ends at its first non-letter; one blank after it belongs to it.
  EXPECT_EQ(textOf("{\\rtf1 \\b  bold\\b0 x\\fs-4y}"), " boldxy");
}

TEST(RtfReader, DestinationsThatAreNotTextAreSkipped) {
  EXPECT_EQ(textOf("{\\rtf1{\\fonttbl{\\f0\\fnil{\\*\\panose 0}Times;}}"
                   "{\\colortbl;\\red1\\green2\\blue3;}{\\stylesheet{\\s0 Normal;}}"
                   "{\\*\\generator Writer;}{\\*\\unknown stuff}"
                   "{\\header page head}{\\pict\\bin6 {}}\\}\\'ff}"
                   "{\\field{\\*\\fldinst HYPERLINK x}{\\fldrslt link}}"
                   "{\\info{\\title T}{\\author A}{\\doccomm Comment \\'e9}}"
                   " text}"),
            "link text");
  RtfDocument d = readRtf("{\\rtf1{\\info{\\title T}{\\doccomm Orvanel\\par Options}}x}");
  EXPECT_TRUE(d.hasComment);
  EXPECT_EQ(d.comment, u"Orvanel\nOptions");
  EXPECT_EQ(d.text, u"x");
  EXPECT_FALSE(readRtf("{\\rtf1 x}").hasComment);
  // Without a \fs the size is RTF's default of 12 points; no font table, no name.
  EXPECT_EQ(readRtf("{\\rtf1 x}").fontHalfPoints, 24);
  EXPECT_EQ(readRtf("{\\rtf1 x}").fontName, u"");
}

TEST(RtfReader, DamagedInputGivesWhatCanBeRead) {
  EXPECT_EQ(textOf(""), "");
  EXPECT_EQ(textOf("{\\rtf1 unclosed {group"), "unclosed group");
  EXPECT_EQ(textOf("{\\rtf1 a}} trailing"), "a");
  EXPECT_EQ(textOf("{\\rtf1 x\\'"), "x");
  EXPECT_EQ(textOf("{\\rtf1 x\\'4"), "x4");
  EXPECT_EQ(textOf("{\\rtf1 x\\"), "x");
  EXPECT_EQ(textOf("{\\rtf1 x\\bin999999999"), "x");
  EXPECT_EQ(textOf("{\\rtf1 \\u99999999999?x\\uc-5\\u65?y}"), "\xEF\xBF\xBDxA?y");
  EXPECT_EQ(textOf("{\\rtf1 \\" + std::string(100, 'a') + " z}"), "z");

  // Nesting far beyond any real file: the deep part is skipped, the rest read.
  std::string deep = "{\\rtf1 a";
  for (int i = 0; i < 200000; ++i) deep += "{b";
  for (int i = 0; i < 200000; ++i) deep += "}";
  deep += "c}";
  std::string text = textOf(deep);
  EXPECT_EQ(text.front(), 'a');
  EXPECT_EQ(text.back(), 'c');
  EXPECT_LT(text.size(), 1000u);
}

// ---------------------------------------------------------------------------
// Writing
// ---------------------------------------------------------------------------

TEST(RtfWriter, EveryMacRomanCharacterAndMoreComesBackUnchanged) {
  std::u16string text;
  for (int b = 0; b < 256; ++b)
    if (b != '\r') text += macRomanToUnicode(static_cast<unsigned char>(b));
  text += u"\x65E5\xFFFD\xFEFF";
  text += utf8ToUtf16("\xF0\x9F\x98\x80 {\\} end\n");
  RtfLayout layout;
  std::string rtf = writeRtf(text, {}, layout, std::nullopt);
  // Other readers get plain 7-bit ASCII.
  for (char c : rtf) ASSERT_LT(static_cast<unsigned char>(c), 0x80);
  EXPECT_EQ(readRtf(rtf).text, text);
}

TEST(RtfWriter, LineEndsFontTabColoursAndComment) {
  RtfLayout layout;
  layout.fontName = u"Menlo {x};";  // odd characters in a font name stay in the name
  layout.fontHalfPoints = 26;
  layout.tabTwips = 480;
  std::u16string text = u"a\r\nb\rc\nx:1.00 -- \u00b5\n";
  std::vector<ColorRun> colours = {{9, 4, kStyleRed}, {14, 4, kStyleBlue}};
  std::u16string comment = u"Orvanel Options: fix 2  twindow \"q\" \u00e9";
  std::string rtf = writeRtf(text, colours, layout, comment);

  RtfDocument back = readRtf(rtf);
  EXPECT_EQ(back.text, u"a\nb\nc\nx:1.00 -- \u00b5\n");
  EXPECT_EQ(back.comment, comment);
  EXPECT_EQ(back.fontName, u"Menlo {x}");  // the name ends at its ';'
  EXPECT_EQ(back.fontHalfPoints, 26);
  EXPECT_EQ(back.defaultTab, 480);
  EXPECT_NE(rtf.find("x:\\cf2 1.00\\cf1  \\cf4 -- \\u181\\'b5\\cf1 \\par"), std::string::npos)
      << rtf;
  EXPECT_NE(rtf.find("{\\info{\\doccomm Orvanel Options:"), std::string::npos);

  // Without a comment there is no information group.
  EXPECT_EQ(writeRtf(u"x", {}, layout, std::nullopt).find("\\info"), std::string::npos);
}

// written_by_orvanel.rtf was checked once with other readers: LibreOffice
// (`soffice --headless --convert-to txt`) showed exactly
// written_by_orvanel.txt, and `unrtf --html` the same text. The writer must
// keep writing that file.
TEST(RtfWriter, OutputOtherReadersWereCheckedWithStaysTheSame) {
  std::u16string text = utf8ToUtf16(readData("written_by_orvanel.txt"));
  ASSERT_FALSE(text.empty());
  std::string rtf = writeRtf(text, ColorSyntax(utf16ToBytes(text), SyntaxWords()).runs, RtfLayout(),
                             utf8ToUtf16(kCheckedComment));
  EXPECT_EQ(rtf, readData("written_by_orvanel.rtf"));
}

TEST(RtfWriter, AnotherReaderShowsTheSameText) {
  if (std::system("command -v unrtf >/dev/null 2>&1") != 0)
    GTEST_SKIP() << "unrtf is not installed (apt-get install unrtf); the check of "
                    "written_by_orvanel.rtf covers the writer without it";
  TempDir dir;
  std::string path = dir.path("sheet.rtf");
  // unrtf's text mode writes Latin-1 and shows a tab as blanks and a line end.
  std::string latin1 = "x = 2 * 3 -- {b} \\ \xB5 \xE9\ny = x\n";
  std::u16string text;
  for (unsigned char c : latin1) text += c;
  writeFile(path, writeRtf(text, {{0, 1, kStyleBrown}}, {}, u"c"));
  std::string out = runCommand("unrtf --text " + path + " 2>/dev/null");
  std::string html = runCommand("unrtf --html " + path + " 2>/dev/null");
  // unrtf puts a banner of '#' lines before the text.
  std::size_t body = out.find("-----------------\n");
  ASSERT_NE(body, std::string::npos) << out;
  EXPECT_EQ(out.substr(body + 18), latin1) << out;
  EXPECT_NE(html.find(" = 2 * 3 -- {b} \\ &micro; &eacute;"), std::string::npos) << html;
}

}  // namespace
}  // namespace orv::test
