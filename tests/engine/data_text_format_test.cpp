// The "TEXT" data-file parser on its own: numbers among other characters,
// columns from the first line end, limits and skipped lines.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>

#include "data/textread.h"

namespace orv::test {
namespace {

TextValues parse(std::string_view text, int64_t limit = 0) {
  return readTextValues(text.data(), text.data() + text.size(), limit);
}

std::string show(const TextValues& t) {
  std::string s = "cols " + std::to_string(t.cols) + ":";
  for (float v : t.values) {
    char buf[32];
    std::snprintf(buf, sizeof buf, " %g", static_cast<double>(v));
    s += std::isnan(v) ? " ?" : buf;
  }
  return s;
}

TEST(TextFormat, NumbersAmongOtherCharacters) {
  // An 'e' without digits ends the number; a lone '-' or '.' is zero; a run
  // of '?' is one missing value; the character that ends a number is passed
  // over, so 1.2.3 is 1.2 and 3.
  EXPECT_EQ(show(parse("3.5e 3.5e+ 2e3 -1.5E-1 1e-3")), "cols 0: 3.5 3.5 2000 -0.15 0.001");
  EXPECT_EQ(show(parse("- . -. 7")), "cols 0: 0 0 0 7");
  // A '-' as the very last byte is read without looking past the text.
  const std::string minusLast = "2 -";
  EXPECT_EQ(show(parse(std::string_view(minusLast.data(), minusLast.size()))), "cols 0: 2 0");
  EXPECT_EQ(show(parse("?? ? 1 ???x?")), "cols 0: ? ? 1 ? ?");
  EXPECT_EQ(show(parse("1.2.3")), "cols 0: 1.2 3");
  EXPECT_EQ(show(parse("1--2")), "cols 0: 1 -2") << "the '-' ending 1 is passed over";
  EXPECT_EQ(show(parse("x=+4,y=5;Inf NaN inf")), "cols 0: 4 5");
  EXPECT_EQ(show(parse("\xA5\xFF"
                       "12\x80")),
            "cols 0: 12")
      << "bytes outside ASCII separate";
  // Rounded to single precision before the exponent is applied.
  EXPECT_EQ(parse("0.1").values[0], 0.1f);
  EXPECT_EQ(parse("16777217").values[0], 16777216.0f);
  EXPECT_EQ(show(parse("1e400 -1e400 1e-400")), "cols 0: inf -inf 0");
  EXPECT_TRUE(parse("").values.empty());
  EXPECT_TRUE(parse("no numbers here, just words\n").values.empty());
  // A very long run of digits is still one number.
  EXPECT_EQ(parse(std::string(400, '9')).values.size(), 1u);
  EXPECT_EQ(parse("0." + std::string(300, '0') + "5").values[0], 0.0f);
}

TEST(TextFormat, ColumnsFromTheFirstLineEndInEveryLineEndConvention) {
  for (const char* eol : {"\n", "\r", "\r\n"}) {
    SCOPED_TRACE(testing::PrintToString(eol));
    auto lines = [&](std::initializer_list<const char*> ls) {
      std::string s;
      for (const char* l : ls) s += std::string(l) + eol;
      return s;
    };
    EXPECT_EQ(show(parse(lines({"1 2 3", "4 5 6"}))), "cols 3: 1 2 3 4 5 6");
    // Blanks and tabs before the line end, a comma ending the last number.
    EXPECT_EQ(show(parse(lines({"1\t2 \t", "3\t4"}))), "cols 2: 1 2 3 4");
    EXPECT_EQ(show(parse(lines({"1,2,3,", "4,5,6,"}))), "cols 3: 1 2 3 4 5 6");
    // A header line without digits, '.' or '-' is passed over.
    EXPECT_EQ(show(parse(lines({"time volts", "0 1", "1 2"}))), "cols 2: 0 1 1 2");
    // One value per line, a single line, and all values on the first line:
    // one-dimensional.
    EXPECT_EQ(show(parse(lines({"1", "2", "3"}))), "cols 0: 1 2 3");
    EXPECT_EQ(show(parse(lines({"1 2 3 4"}))), "cols 0: 1 2 3 4");
    EXPECT_EQ(show(parse(lines({"1 2 3", "", "4"}))), "cols 3: 1 2 3 4");
  }
  // No line end at all.
  EXPECT_EQ(show(parse("1 2 3 4")), "cols 0: 1 2 3 4");
  // A header with a '-' gives values of its own, and the line ends there.
  EXPECT_EQ(show(parse("ch-A ch-B\n1 2\n")), "cols 2: 0 0 1 2");
  // A blank and then a comma before the line end: that line does not end
  // at a value, the next one does.
  EXPECT_EQ(show(parse("1 2 ,\n3 4\n5 6\n")), "cols 4: 1 2 3 4 5 6");
  // '?' values end lines too.
  EXPECT_EQ(show(parse("? 1\n2 ??\n")), "cols 2: ? 1 2 ?");
}

TEST(TextFormat, LimitStopsAfterThatManyValues) {
  std::string text;
  for (int i = 0; i < 100; ++i) text += std::to_string(i) + "\n";
  TextValues t = parse(text, 10);
  ASSERT_EQ(t.values.size(), 10u);
  EXPECT_EQ(t.values[9], 9.0f);
  EXPECT_EQ(parse(text, 0).values.size(), 100u);
  EXPECT_EQ(parse(text, 1000).values.size(), 100u);
  // Columns only from what was read.
  EXPECT_EQ(parse("1 2 3\n4 5 6\n", 2).cols, 0);
  EXPECT_EQ(parse("1 2\n3 4\n5 6\n", 3).cols, 2);
}

TEST(TextFormat, ManyMoreNumbersThanBytesOverThree) {
  // One digit and a separator per number: half the size, far above
  // size / 3 + 400. All of them are read.
  std::string text;
  for (int i = 0; i < 30000; ++i) text += "7,";
  TextValues t = parse(text);
  EXPECT_EQ(t.values.size(), 30000u);
  // '?' runs separated by one character: the densest missing values.
  EXPECT_EQ(parse(std::string(9001, '?').replace(1, 1, " ")).values.size(), 2u);
}

std::size_t skip(std::string_view text, int64_t lines) {
  return skipTextLines(text.data(), text.size(), 0, lines);
}

TEST(TextFormat, SkippingLines) {
  EXPECT_EQ(skip("ab\ncd\nef\n", 2), 6u);
  EXPECT_EQ(skip("ab\rcd\ref\r", 2), 6u);
  EXPECT_EQ(skip("ab\r\ncd\r\nef\r\n", 2), 8u);
  EXPECT_EQ(skip("ab\r\ncd\r\nef\r\n", 1), 4u);
  // Blank lines count; a LF after a CR belongs to the CR.
  EXPECT_EQ(skip("\n\nx", 2), 2u);
  EXPECT_EQ(skip("a\r\n\nb", 2), 4u);
  EXPECT_EQ(skip("a\r\r\nb", 2), 4u);
  // After the lines one more CR or LF is passed over.
  EXPECT_EQ(skip("a\n\nb", 1), 3u);
  // A line longer than 300 bytes ends after 300.
  std::string longLine(1000, 'x');
  EXPECT_EQ(skip(longLine, 1), 300u);
  EXPECT_EQ(skip(longLine, 3), 900u);
  // More lines than the text has, or no byte after the last line: from the
  // start.
  EXPECT_EQ(skip("a\nb\nc", 5), 0u);
  EXPECT_EQ(skip("a\nb\n", 2), 0u);
  EXPECT_EQ(skip("", 1), 0u);
  EXPECT_EQ(skipTextLines("zz\nab\ncd\n", 9, 3, 1), 6u) << "counts from the given start";
}

}  // namespace
}  // namespace orv::test
