// The "TEXT" reader written as plainly as it can be: every value read a
// byte at a time. The tests and the data fuzz target hold the real reader,
// with its quick ways through a text, against it.
#pragma once

#include <cstdint>
#include <limits>
#include <string_view>

#include "data/textread.h"

namespace orv::test {

inline TextValues referenceTextRead(std::string_view text, int64_t limit) {
  TextValues t;
  const char* p = text.data();
  const char* end = p + text.size();
  int64_t firstLineEnd = 0;
  auto isLineEnd = [](char c) { return c == '\n' || c == '\r'; };
  while (p < end) {
    const char c = *p;
    if (!((c >= '0' && c <= '9') || c == '.' || c == '-' || c == '?')) {
      ++p;
      continue;
    }
    if (limit > 0 && static_cast<int64_t>(t.values.size()) >= limit) break;
    float v = std::numeric_limits<float>::quiet_NaN();
    if (c == '?') {
      while (p < end && *p == '?') ++p;
    } else {
      p = textread_detail::readNumberDigitByDigit(p, end, &v);
    }
    t.values.push_back(v);
    bool endsLine = false;
    if (p < end) endsLine = isLineEnd(*p++);
    while (p < end && (*p == ' ' || *p == '\t')) ++p;
    if (p < end && isLineEnd(*p)) endsLine = true, ++p;
    if (endsLine && firstLineEnd == 0) firstLineEnd = static_cast<int64_t>(t.values.size());
  }
  const auto count = static_cast<int64_t>(t.values.size());
  t.cols = firstLineEnd == 1 || firstLineEnd == count ? 0 : firstLineEnd;
  return t;
}

}  // namespace orv::test
