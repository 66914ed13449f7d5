// A worksheet far longer than fixed pools could hold: 100,000 lines, 25,000
// definitions (each name in the string pool), 50,000 requests.
#include "long_worksheet.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>

#include "worksheet.h"

namespace orv::test {
namespace {

std::string fixed2(double v) {
  char text[64];
  std::snprintf(text, sizeof text, "%.2f", v);
  return text;
}

TEST(LongWorksheet, AHundredThousandLinesRunToTheEnd) {
  SheetResult r = runSheet(longWorksheet(25000));
  ASSERT_TRUE(r.ok) << r.status;
  EXPECT_TRUE(r.alerts.empty());
  for (int i : {0, 1, 12345, 24999}) {
    const double v = i * 1.5 + i * double(i) / 3;
    const std::string n = std::to_string(i);
    EXPECT_EQ(r["v" + n + " - 1 "], fixed2(v - 1)) << i;
    EXPECT_EQ(r["v" + n + " * 2 + sqrt(" + n + ")"].substr(0, fixed2(2 * v + std::sqrt(i)).size()),
              fixed2(2 * v + std::sqrt(i)))
        << i;
  }
}

}  // namespace
}  // namespace orv::test
