// Result text of numbers in the three formats.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "worksheet.h"

namespace orv::test {
namespace {

std::string text(double x, int format, int places) {
  FakeHost host;
  Engine e(host);
  e.setSettings({NumberFormat{format}, places, false});
  char out[kNumberText];
  int len = e.sprintnum(out, sizeof out, x);
  EXPECT_EQ(static_cast<std::size_t>(len), std::strlen(out));
  return std::string(out, len);
}

constexpr int kSci = 0, kEng = 1, kFix = 2;

TEST(NumberFormat, ExamplesAtTwoPlaces) {
  struct Row {
    double x;
    const char *fix, *sci, *eng;
  };
  const Row rows[] = {
      {12345, "12345.00", "1.2e+04", "12.3e3"},
      {1, "1.00", "1", "1.000"},
      {999, "999.00", "1e+03", "999"},
      {0.5, "0.50", "0.5", "500e-3"},
      {0, "0.00", "0", "0.000"},
      {-0.0042, "-0.00", "-0.0042", "-4.20e-3"},
      {1e30, "1.00e+30", "1e+30", "1.000e30"},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(text(r.x, kFix, 2), r.fix) << r.x;
    EXPECT_EQ(text(r.x, kSci, 2), r.sci) << r.x;
    EXPECT_EQ(text(r.x, kEng, 2), r.eng) << r.x;
  }
}

TEST(NumberFormat, EngineeringAtFivePlaces) {
  EXPECT_EQ(text(12345, kEng, 5), "12.345e3");
  EXPECT_EQ(text(0.5, kEng, 5), "500.00e-3");
  EXPECT_EQ(text(123456789, kEng, 5), "123.46e6");
  EXPECT_EQ(text(-2.5e-7, kEng, 2), "-250e-9");
}

TEST(NumberFormat, NaNAndInfinities) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  for (int f : {kSci, kEng, kFix}) EXPECT_EQ(text(nan, f, 2), "NAN04");
  EXPECT_EQ(text(HUGE_VAL, kEng, 2), "INF");
  EXPECT_EQ(text(-HUGE_VAL, kEng, 2), "-INF");
  EXPECT_EQ(text(HUGE_VAL, kFix, 2), "inf");
  EXPECT_EQ(text(-HUGE_VAL, kSci, 2), "-inf");
}

TEST(NumberFormat, FixedSwitchesToExponentialAtThirtyDigits) {
  EXPECT_EQ(text(3, kFix, 0), "3");
  EXPECT_EQ(text(-3.7, kFix, 0), "-4");
  // places + log10|x| + 2 >= 30
  EXPECT_EQ(text(0x1p84, kFix, 2), "19342813113834066795298816.00");
  EXPECT_EQ(text(1e26, kFix, 2), "1.00e+26");
  EXPECT_EQ(text(1e20, kFix, 8), "1.00000000e+20");
  EXPECT_EQ(text(1e-30, kFix, 2), "0.00");
}

TEST(NumberFormat, LargePlacesStayInsideTheBuffer) {
  for (int places : {30, 100, 255}) {
    for (double x : {1.0, -1e300, 1e-300, 123.456, -0.0, 5e-324}) {
      for (int f : {kSci, kEng, kFix}) {
        std::string s = text(x, f, places);
        EXPECT_LT(s.size(), kNumberText);
        EXPECT_FALSE(s.empty());
      }
    }
  }
  EXPECT_EQ(text(1, kFix, 255).size(), 261u);       // 1.000...e+00
  EXPECT_EQ(text(1e-300, kFix, 255).size(), 257u);  // 0.000...
}

}  // namespace
}  // namespace orv::test
