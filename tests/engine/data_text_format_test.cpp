// The "TEXT" data-file parser on its own: numbers among other characters,
// columns from the first line end, limits and skipped lines.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <limits>
#include <random>
#include <string>

#include "data/textread.h"
#include "text_reference.h"

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

// Texts mostly of plain numbers, as data files are, with everything that
// ends the quick way mixed in: exponents, '?', second points and signs,
// long runs, numbers that lie on a point halfway between two floats.
std::string randomText(std::mt19937& rng, std::size_t size) {
  auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
  auto digits = [&](int n) {
    std::string d;
    for (int i = 0; i < n; ++i) d += static_cast<char>('0' + pick(10));
    return d;
  };
  static const char* const kOdd[] = {
      "1e5",      "-2.5E-3", "3e",  "?",  "??",   "1.2.3",     "4-5",       "--6",
      "-",        ".",       "-.",  ".5", "-.25", "8388608.5", "8388609.5", "9999999.5",
      "16777217", "0.1",     "x=7", "e",  "-0",   "007.0700",  "12345678.9"};
  static const char* const kGaps[] = {" ",  " ",    " ",  "\t",  ",", ", ",
                                      "\n", "\r\n", "\r", " \n", ";"};
  std::string s;
  while (s.size() < size) {
    const int kind = pick(20);
    if (kind == 0) {
      s += kOdd[pick(static_cast<int>(std::size(kOdd)))];
    } else if (kind == 1) {
      s += digits(1 + pick(20)) + "." + digits(pick(20));  // longer than the quick way takes
    } else {
      if (pick(2)) s += '-';
      const int n = pick(9), k = pick(4) ? pick(9) : -1;
      s += digits(n);
      if (k >= 0) s += "." + digits(k);
    }
    s += kGaps[pick(static_cast<int>(std::size(kGaps)))];
  }
  return s;
}

testing::AssertionResult sameValues(const TextValues& a, const TextValues& b) {
  if (a.cols != b.cols) return testing::AssertionFailure() << "cols " << a.cols << " " << b.cols;
  for (std::size_t i = 0; i < std::min(a.values.size(), b.values.size()); ++i)
    if (std::memcmp(&a.values[i], &b.values[i], sizeof(float)) != 0)
      return testing::AssertionFailure()
             << "value " << i << ": " << a.values[i] << " " << b.values[i];
  if (a.values.size() != b.values.size())
    return testing::AssertionFailure() << "count " << a.values.size() << " " << b.values.size();
  return testing::AssertionSuccess();
}

TEST(TextFormat, QuickReadingGivesTheBitsOfReadingByteByByte) {
  std::mt19937 rng(20261207);
  for (int round = 0; round < 400; ++round) {
    const std::string text = randomText(rng, 1 + rng() % 3000);
    SCOPED_TRACE(text.substr(0, 200));
    const int64_t limit = round % 5 == 0 ? static_cast<int64_t>(rng() % 300) : 0;
    const TextValues expected = referenceTextRead(text, limit);
    for (TextQuickWay way : {TextQuickWay::Quickest, TextQuickWay::Portable}) {
      const char* name = way == TextQuickWay::Quickest ? " quickest" : " portable";
      ASSERT_TRUE(
          sameValues(readTextValues(text.data(), text.data() + text.size(), limit, way), expected))
          << "round " << round << name;
      // In pieces that end after line ends, as files are read.
      TextValueReader reader(limit, text.size(), way);
      std::size_t from = 0;
      while (from < text.size()) {
        std::size_t cut = std::min(text.size(), from + 1 + rng() % 700);
        while (cut < text.size() && text[cut - 1] != '\n' && text[cut - 1] != '\r') ++cut;
        if (!reader.add(text.data() + from, text.data() + cut)) break;
        from = cut;
      }
      ASSERT_TRUE(sameValues(reader.finish(), expected))
          << "round " << round << name << " in pieces";
    }
  }
}

TEST(TextFormat, NumbersHalfwayBetweenTwoFloatsRoundAsTheWholeSumDoes) {
  // 8388608.5 lies halfway between two floats: integer part plus fraction
  // rounds to the even one, as the byte-by-byte reader has it.
  const std::string line = "0 1\n";
  std::string text = line;
  for (const char* v :
       {"8388608.5", "8388609.5", "-9999999.5", "8388608.4", "8388608.6", "16777217"})
    text += std::string(v) + " " + std::string(40, ' ') + "\n";
  text += std::string(200, ' ') + "\n";
  for (TextQuickWay way : {TextQuickWay::Quickest, TextQuickWay::Portable}) {
    TextValues t = readTextValues(text.data(), text.data() + text.size(), 0, way);
    ASSERT_EQ(t.values.size(), 8u);
    EXPECT_EQ(t.values[2], 8388608.0f);
    EXPECT_EQ(t.values[3], 8388610.0f);
    EXPECT_EQ(t.values[4], -10000000.0f);
    EXPECT_EQ(t.values[5], 8388608.0f);
    EXPECT_EQ(t.values[6], 8388609.0f);
    EXPECT_EQ(t.values[7], 16777216.0f);
    EXPECT_TRUE(sameValues(t, referenceTextRead(text, 0)));
  }
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
