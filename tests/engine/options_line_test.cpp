// The options line: its exact text, reading back what was written, lines
// that give no settings, the quoted font name, and the label items.
#include "doc/options_line.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

namespace orv::test {
namespace {

DocPrefs samplePrefs() {
  DocPrefs p;
  p.numfmt = 2;
  p.places = 4;
  p.twleft = 100, p.twtop = 700, p.twwidth = 500, p.twheight = 400;
  p.pwleft = 620, p.pwtop = 700, p.pwwidth = 400, p.pwheight = 300;
  p.pfontName = "Helvetica";
  p.pfontSize = 12;
  return p;
}

void expectSameSettings(const DocPrefs& a, const DocPrefs& b) {
  EXPECT_EQ(a.numfmt, b.numfmt);
  EXPECT_EQ(a.places, b.places);
  EXPECT_EQ(a.writefmt, b.writefmt);
  EXPECT_EQ(a.deg, b.deg);
  EXPECT_EQ(a.hidegrid, b.hidegrid);
  EXPECT_EQ(a.boxaxis, b.boxaxis);
  EXPECT_EQ(a.stxdisable, b.stxdisable);
  EXPECT_EQ(a.twleft, b.twleft);
  EXPECT_EQ(a.twtop, b.twtop);
  EXPECT_EQ(a.twwidth, b.twwidth);
  EXPECT_EQ(a.twheight, b.twheight);
  EXPECT_EQ(a.pwleft, b.pwleft);
  EXPECT_EQ(a.pwtop, b.pwtop);
  EXPECT_EQ(a.pwwidth, b.pwwidth);
  EXPECT_EQ(a.pwheight, b.pwheight);
  EXPECT_EQ(a.pfontName, b.pfontName);
  EXPECT_EQ(a.pfontSize, b.pfontSize);
}

DocPrefs readBack(const std::string& line, std::string_view* rest = nullptr) {
  DocPrefs p;
  p.numfmt = 7;  // marks a number format the line left alone
  std::string_view ignored;
  EXPECT_TRUE(GetHdrPrefs(line, &p, rest ? rest : &ignored)) << line;
  return p;
}

TEST(OptionsLine, FixedFourPlacesWithoutFlagsHasTwoBlanksBeforeTwindowAndReadsBack) {
  const std::string line = MakePrefsHdr(samplePrefs());
  EXPECT_EQ(line,
            "Orvanel Options: fix 4  twindow 100 700 500 400 pwindow 620 700 400 300 "
            "plotfont \"Helvetica\" 12");
  DocPrefs back = readBack(line);
  expectSameSettings(back, samplePrefs());
  EXPECT_EQ(back.tfontName, "");
  EXPECT_EQ(back.tfontSize, 0);
  EXPECT_EQ(back.logaxes, 0);
  EXPECT_EQ(back.tabWidth, -1);
}

TEST(OptionsLine, EveryFormatFlagAndWriteFormatSurvivesTheRoundTrip) {
  DocPrefs p = samplePrefs();
  p.numfmt = 1;
  p.writefmt = 2;
  p.deg = p.hidegrid = p.boxaxis = p.stxdisable = 1;
  p.printasis = 1;  // never written
  p.twleft = -40;   // a window left of the screen
  const std::string line = MakePrefsHdr(p);
  EXPECT_NE(line.find("eng 4 writefmt 2 deg;hidegrid;boxaxis;stxdisable; twindow -40 "),
            std::string::npos)
      << line;
  EXPECT_EQ(line.find("printasis"), std::string::npos);
  DocPrefs back = readBack(line);
  expectSameSettings(back, p);
  EXPECT_EQ(back.printasis, 0);

  p.numfmt = 0;
  p.writefmt = 0;
  p.deg = p.boxaxis = 0;
  expectSameSettings(readBack(MakePrefsHdr(p)), p);

  // Settings as the other platform's files write them, flags in the middle.
  DocPrefs q = readBack(
      "Orvanel Options: sci 3 hidegrid;stxdisable; twindow 1 2 3 4 pwindow 5 6 7 8 plotfont "
      "\"Menlo\" 9");
  EXPECT_EQ(q.numfmt, 0);
  EXPECT_EQ(q.places, 3);
  EXPECT_TRUE(q.hidegrid && q.stxdisable && !q.deg && !q.boxaxis);
  EXPECT_EQ(q.pwheight, 8);
  EXPECT_EQ(q.pfontName, "Menlo");
}

TEST(OptionsLine, MissingPartsGiveNoSettingsAndLeaveTheRecordAlone) {
  const std::string good = MakePrefsHdr(samplePrefs());
  auto without = [&](const std::string& word) {
    std::string line = good;
    line.replace(line.find(word), word.size(), "xx" + word.substr(2));
    return line;
  };
  for (const std::string& line :
       {std::string(), std::string("Orvanel Options:"), std::string("orvanel options: fix 4"),
        "Other Options: " + good.substr(17), without("twindow"), without("pwindow"),
        without("plotfont"), good.substr(0, good.find("pwindow"))}) {
    DocPrefs p;
    p.places = 9;
    std::string_view rest = "untouched";
    EXPECT_FALSE(GetHdrPrefs(line, &p, &rest)) << line;
    EXPECT_EQ(p.places, 9);
    EXPECT_EQ(rest, "untouched");
  }
  // A key is only a key when no letter or digit follows it.
  std::string glued = good;
  glued.replace(glued.find("twindow"), 7, "twindows");
  DocPrefs p;
  std::string_view rest;
  EXPECT_FALSE(GetHdrPrefs(glued, &p, &rest));
}

TEST(OptionsLine, PlotFontNamesUpToFortyCharactersAndWhatALongerOneCosts) {
  DocPrefs p = samplePrefs();
  p.pfontName = std::string(40, 'F');
  p.pfontSize = 14;
  std::string line = MakePrefsHdr(p);
  ASSERT_TRUE(AddLabelOrg(&line, 0.5, 0.25));
  std::string_view rest;
  DocPrefs back = readBack(line, &rest);
  EXPECT_EQ(back.pfontName, std::string(40, 'F'));
  EXPECT_EQ(back.pfontSize, 14);
  double x = 0, y = 0;
  EXPECT_TRUE(NextHdrLabel(&rest, &x, &y));

  // A longer name (as another program may write) is cut, and the size and the
  // labels after it are lost; the settings before it still count.
  std::string longer = line;
  longer.insert(longer.find('"') + 1, "G");
  back = readBack(longer, &rest);
  EXPECT_EQ(back.pfontName, "G" + std::string(39, 'F'));
  EXPECT_EQ(back.pfontSize, 0);
  EXPECT_EQ(back.places, 4);
  EXPECT_FALSE(NextHdrLabel(&rest, &x, &y));

  // The writer never writes more than 40 bytes, nor a quote inside the name.
  p.pfontName = std::string(45, 'a');
  EXPECT_EQ(readBack(MakePrefsHdr(p)).pfontName, std::string(40, 'a'));
  p.pfontName = "Odd \"Font\"";
  EXPECT_EQ(readBack(MakePrefsHdr(p)).pfontSize, 14);
}

TEST(OptionsLine, LabelsAreKeptIn1000thsOfTheViewSize) {
  // A label at (50, 25) on a 200 x 100 view is written as 250 250 and comes
  // back at the same place, or at (100, 50) on a 400 x 200 view.
  std::string line = MakePrefsHdr(samplePrefs());
  ASSERT_TRUE(AddLabelOrg(&line, 50.0 / 200, 25.0 / 100));
  EXPECT_EQ(line.substr(line.size() - 12), ";lab 250 250");
  std::string_view rest;
  readBack(line, &rest);
  double x = 0, y = 0;
  ASSERT_TRUE(NextHdrLabel(&rest, &x, &y));
  EXPECT_DOUBLE_EQ(x * 200, 50);
  EXPECT_DOUBLE_EQ(y * 100, 25);
  EXPECT_DOUBLE_EQ(x * 400, 100);
  EXPECT_DOUBLE_EQ(y * 200, 50);
  EXPECT_FALSE(NextHdrLabel(&rest, &x, &y));

  // Every whole 1000th survives any number of saves; other fractions are
  // truncated toward zero.
  for (int k = -1000; k <= 2000; ++k) {
    std::string item;
    AddLabelOrg(&item, k / 1000.0, (1000 - k) / 1000.0);
    std::string_view r = item;
    ASSERT_TRUE(NextHdrLabel(&r, &x, &y));
    std::string again;
    AddLabelOrg(&again, x, y);
    ASSERT_EQ(again, ";lab " + std::to_string(k) + " " + std::to_string(1000 - k));
  }
  std::string item;
  AddLabelOrg(&item, 0.2509, -0.2509);
  EXPECT_EQ(item, ";lab 250 -250");
}

TEST(OptionsLine, TheLineNeverOutgrowsItsBufferAndKeepsItsLabelsWhenRead) {
  DocPrefs p;
  p.numfmt = 0;
  p.places = 255;
  p.writefmt = 5;
  p.deg = p.hidegrid = p.boxaxis = p.stxdisable = 1;
  p.twleft = p.twtop = p.twwidth = p.twheight = INT32_MIN;
  p.pwleft = p.pwtop = p.pwwidth = p.pwheight = INT32_MIN;
  p.pfontName = std::string(60, 'W');
  p.pfontSize = INT32_MIN;
  std::vector<LabelOrigin> labels(100, LabelOrigin{-1e300, 1e300});
  std::string line = makeOptionsLine(p, labels);
  EXPECT_LT(line.size(), kOptionsLineSize);
  std::size_t items = 0;
  for (std::size_t at = line.find(";lab"); at != std::string::npos; at = line.find(";lab", at + 1))
    ++items;
  EXPECT_EQ(items, kMaxHdrLabels);

  // Forty ordinary labels make a line well past 500 bytes; all come back.
  std::vector<LabelOrigin> many;
  for (int i = 0; i < 40; ++i) many.push_back({i / 40.0, 1 - i / 40.0});
  line = makeOptionsLine(samplePrefs(), many);
  ASSERT_GT(line.size(), 500u);
  std::string_view rest;
  readBack(line, &rest);
  int count = 0;
  double x = 0, y = 0;
  while (NextHdrLabel(&rest, &x, &y)) {
    EXPECT_DOUBLE_EQ(x, many[count].x);
    ++count;
  }
  EXPECT_EQ(count, 40);
}

TEST(OptionsLine, NumbersOutOfRangeAreHeldToWhatTheSettingsAllow) {
  DocPrefs p = readBack(
      "Orvanel Options: fix 99999999999999 writefmt 9  twindow 99999999999 -99999999999 0 0 "
      "pwindow 1 2 3 4 plotfont \"H\" 12;lab 99999999999 -3");
  EXPECT_EQ(p.places, 255);
  EXPECT_EQ(p.writefmt, 0);
  EXPECT_EQ(p.twleft, INT32_MAX);
  EXPECT_EQ(p.twtop, INT32_MIN);
}

}  // namespace
}  // namespace orv::test
