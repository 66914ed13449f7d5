#include "session/source_location.h"

#include <gtest/gtest.h>

namespace orv::cli {
namespace {

std::pair<std::size_t, std::size_t> at(std::u16string_view text, std::size_t pos) {
  SourceLocation where = locate(text, pos);
  return {where.line, where.column};
}

using LC = std::pair<std::size_t, std::size_t>;

TEST(SourceLocationTest, EveryKindOfLineEndCountsOnce) {
  EXPECT_EQ(at(u"ab\ncd", 0), LC(1, 1));
  EXPECT_EQ(at(u"ab\ncd", 2), LC(1, 3));
  EXPECT_EQ(at(u"ab\ncd", 3), LC(2, 1));
  EXPECT_EQ(at(u"ab\rcd\r\nef\n\ngh", 4), LC(2, 2));
  EXPECT_EQ(at(u"ab\rcd\r\nef\n\ngh", 7), LC(3, 1));
  EXPECT_EQ(at(u"ab\rcd\r\nef\n\ngh", 12), LC(5, 2));
  EXPECT_EQ(at(u"\n\r\r\n\r", 5), LC(5, 1));
}

TEST(SourceLocationTest, PositionInsideCrLfStaysOnItsLine) {
  EXPECT_EQ(at(u"abc\r\nd", 4), LC(1, 4));
  EXPECT_EQ(at(u"abc\r\nd", 5), LC(2, 1));
}

TEST(SourceLocationTest, ColumnsCountCharactersNotCodeUnits) {
  EXPECT_EQ(at(u"\u03C0\U0001F600x = $", 3), LC(1, 3));
  EXPECT_EQ(at(u"a\n\U0001F600\U0001F600$", 6), LC(2, 3));
}

TEST(SourceLocationTest, PositionPastTheEndIsTheEnd) {
  EXPECT_EQ(at(u"", 0), LC(1, 1));
  EXPECT_EQ(at(u"", 9), LC(1, 1));
  EXPECT_EQ(at(u"x\n", 99), LC(2, 1));
}

}  // namespace
}  // namespace orv::cli
