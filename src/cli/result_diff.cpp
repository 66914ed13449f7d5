#include "cli/result_diff.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>

namespace orv::cli {

namespace {

bool isLineEnd(char16_t c) { return c == u'\n' || c == u'\r'; }
bool isBlank(char16_t c) { return c == u' ' || c == u'\t' || c == u'\u00A0'; }
bool isDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

std::u16string_view trimmed(std::u16string_view s) {
  while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
  return s;
}

// A stretch of the text that the run replaced: [oldFrom, oldTo) of the text
// before, [newFrom, newTo) of the text after.
struct Hunk {
  std::size_t oldFrom, oldTo, newFrom, newTo;
};

// Applies [edits] to [before], keeping for each code unit of the result the
// position it had before (or -1 for inserted ones), and returns the stretches
// that differ together with the text after.
std::vector<Hunk> hunksOf(std::u16string_view before, const std::vector<TextEdit>& edits,
                          std::u16string* after) {
  constexpr std::int64_t kInserted = -1;
  std::vector<std::int64_t> origin(before.size());
  for (std::size_t i = 0; i < origin.size(); ++i) origin[i] = static_cast<std::int64_t>(i);
  std::u16string text(before);
  for (const TextEdit& edit : edits) {
    std::size_t pos = std::min(edit.pos, text.size());
    std::size_t count = std::min(edit.deleted, text.size() - pos);
    text.replace(pos, count, edit.inserted);
    origin.erase(origin.begin() + static_cast<std::ptrdiff_t>(pos),
                 origin.begin() + static_cast<std::ptrdiff_t>(pos + count));
    origin.insert(origin.begin() + static_cast<std::ptrdiff_t>(pos), edit.inserted.size(),
                  kInserted);
  }
  std::vector<Hunk> hunks;
  std::size_t nextOld = 0, nextNew = 0;
  for (std::size_t i = 0; i <= origin.size(); ++i) {
    if (i < origin.size() && origin[i] == kInserted) continue;
    std::size_t old = i < origin.size() ? static_cast<std::size_t>(origin[i]) : before.size();
    if (old != nextOld || i != nextNew) hunks.push_back({nextOld, old, nextNew, i});
    nextOld = old + 1;
    nextNew = i + 1;
  }
  *after = std::move(text);
  return hunks;
}

// The length of the line end at [pos] of [text], 0 when there is none.
std::size_t lineEndAt(std::u16string_view text, std::size_t pos) {
  if (pos >= text.size() || !isLineEnd(text[pos])) return 0;
  return text[pos] == u'\r' && pos + 1 < text.size() && text[pos + 1] == u'\n' ? 2 : 1;
}

bool multiLine(std::u16string_view text) {
  return std::any_of(text.begin(), text.end(), isLineEnd);
}

// A table's new rows go in before the line end of its statement, its old
// rows come out after it: the two stretches with only that line end between
// them are one.
std::vector<Hunk> joinTableRows(std::vector<Hunk> hunks, std::u16string_view before,
                                std::u16string_view after) {
  std::vector<Hunk> joined;
  for (const Hunk& h : hunks) {
    if (!joined.empty()) {
      Hunk& last = joined.back();
      std::size_t end = lineEndAt(before, last.oldTo);
      if (end != 0 && h.oldFrom == last.oldTo + end && h.newFrom == last.newTo + end &&
          (multiLine(after.substr(last.newFrom, last.newTo - last.newFrom)) ||
           multiLine(before.substr(h.oldFrom, h.oldTo - h.oldFrom)))) {
        last.oldTo = h.oldTo;
        last.newTo = h.newTo;
        continue;
      }
    }
    joined.push_back(h);
  }
  return joined;
}

// The end of the result field that goes on at [pos]: the line end or the
// start of a comment, strings passed over.
std::size_t fieldEnd(std::u16string_view text, std::size_t pos) {
  bool quoted = false;
  for (; pos < text.size(); ++pos) {
    char16_t c = text[pos];
    if (isLineEnd(c)) break;
    if (c == u'"') quoted = !quoted;
    if (quoted) continue;
    if (c == u'~' || (c == u'-' && pos + 1 < text.size() && text[pos + 1] == u'-')) break;
  }
  return pos;
}

// The lines of [text], each without its line end.
std::vector<std::u16string_view> linesOf(std::u16string_view text) {
  std::vector<std::u16string_view> lines;
  std::size_t start = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (!isLineEnd(text[i])) continue;
    lines.push_back(text.substr(start, i - start));
    if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
    start = i + 1;
  }
  if (start < text.size()) lines.push_back(text.substr(start));
  return lines;
}

// Line starts of [text], for line and column numbers.
class LineIndex {
 public:
  explicit LineIndex(std::u16string_view text) {
    starts_.push_back(0);
    for (std::size_t i = 0; i < text.size(); ++i) {
      if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
      if (isLineEnd(text[i])) starts_.push_back(i + 1);
    }
  }
  // 0-based line of [pos].
  std::size_t lineOf(std::size_t pos) const {
    return static_cast<std::size_t>(std::upper_bound(starts_.begin(), starts_.end(), pos) -
                                    starts_.begin()) -
           1;
  }
  std::size_t columnOf(std::size_t pos) const { return pos - starts_[lineOf(pos)]; }

 private:
  std::vector<std::size_t> starts_;
};

// One item of a result for the comparison with a tolerance.
struct Item {
  enum Kind { kNumber, kBlank, kOther } kind;
  double value = 0;
  char16_t c = 0;
};

// A number at [pos] in any of the result formats (1.50, -1.50e-3, 12.3e3,
// inf, INF), or 0 code units when none starts there.
std::size_t numberAt(std::u16string_view s, std::size_t pos, double* value) {
  std::size_t p = pos;
  bool negative = p < s.size() && s[p] == u'-';
  if (negative) ++p;
  if (s.size() - p >= 3) {
    std::u16string word(s.substr(p, 3));
    for (char16_t& c : word) c = static_cast<char16_t>(c | 0x20);
    if (word == u"inf") {
      *value = negative ? -HUGE_VAL : HUGE_VAL;
      return p + 3 - pos;
    }
  }
  std::string digits = negative ? "-" : "";
  bool any = false;
  auto takeDigits = [&] {
    while (p < s.size() && isDigit(s[p])) digits += static_cast<char>(s[p++]), any = true;
  };
  takeDigits();
  if (p < s.size() && s[p] == u'.') {
    digits += '.';
    ++p;
    takeDigits();
  }
  if (!any) return 0;
  if (p < s.size() && (s[p] == u'e' || s[p] == u'E')) {
    std::size_t e = p + 1;
    std::string exponent = "e";
    if (e < s.size() && (s[e] == u'-' || s[e] == u'+')) exponent += static_cast<char>(s[e++]);
    if (e < s.size() && isDigit(s[e])) {
      digits += exponent;
      p = e;
      takeDigits();
    }
  }
  std::from_chars(digits.data(), digits.data() + digits.size(), *value);
  return p - pos;
}

std::vector<Item> itemsOf(std::u16string_view s) {
  std::vector<Item> items;
  for (std::size_t p = 0; p < s.size();) {
    Item item{Item::kOther};
    if (std::size_t n = numberAt(s, p, &item.value)) {
      item.kind = Item::kNumber;
      p += n;
    } else if (isBlank(s[p])) {
      item.kind = Item::kBlank;
      while (p < s.size() && isBlank(s[p])) ++p;
    } else {
      item.c = s[p++];
    }
    items.push_back(item);
  }
  return items;
}

bool closeEnough(double a, double b, double tolerance) {
  if (a == b || (std::isnan(a) && std::isnan(b))) return true;
  if (!std::isfinite(a) || !std::isfinite(b)) return false;
  return std::fabs(a - b) <= tolerance * std::max(std::fabs(a), std::fabs(b));
}

// A table row as shown: its cells separated by one blank.
std::u16string rowShown(std::u16string_view row) {
  std::u16string shown;
  for (std::size_t i = 0; i < row.size(); ++i) {
    if (isBlank(row[i]) && i > 0 && isBlank(row[i - 1])) continue;
    shown += isBlank(row[i]) ? u' ' : row[i];
  }
  return shown;
}

// Compares the rows a table statement wrote, [was] and [now] each with its
// line ends; the first row stands at [line].
void compareRows(std::u16string_view was, std::u16string_view now, std::size_t line,
                 std::optional<double> tolerance, std::vector<ResultChange>* changes,
                 std::size_t* compared) {
  std::vector<std::u16string_view> oldRows = linesOf(was), newRows = linesOf(now);
  std::size_t rows = std::max(oldRows.size(), newRows.size());
  for (std::size_t i = 0; i < rows; ++i) {
    std::u16string_view a = i < oldRows.size() ? trimmed(oldRows[i]) : std::u16string_view();
    std::u16string_view b = i < newRows.size() ? trimmed(newRows[i]) : std::u16string_view();
    ++*compared;
    if (i < oldRows.size() && i < newRows.size() && sameResult(a, b, tolerance)) continue;
    changes->push_back({line + std::min(i, oldRows.size()) + 1, 1, rowShown(a), rowShown(b)});
  }
}

}  // namespace

bool sameResult(std::u16string_view a, std::u16string_view b, std::optional<double> tolerance) {
  a = trimmed(a);
  b = trimmed(b);
  if (a == b) return true;
  if (!tolerance) return false;
  std::vector<Item> x = itemsOf(a), y = itemsOf(b);
  if (x.size() != y.size()) return false;
  for (std::size_t i = 0; i < x.size(); ++i) {
    if (x[i].kind != y[i].kind) return false;
    if (x[i].kind == Item::kNumber && !closeEnough(x[i].value, y[i].value, *tolerance))
      return false;
    if (x[i].kind == Item::kOther && x[i].c != y[i].c) return false;
  }
  return true;
}

std::vector<ResultChange> changedResults(std::u16string_view before,
                                         const std::vector<TextEdit>& edits,
                                         std::optional<double> tolerance, std::size_t* compared) {
  std::u16string after;
  std::vector<Hunk> hunks = hunksOf(before, edits, &after);
  hunks = joinTableRows(std::move(hunks), before, after);
  const std::u16string_view next(after);
  LineIndex lines(before);
  std::vector<ResultChange> changes;
  *compared = 0;
  for (Hunk h : hunks) {
    std::u16string_view was = before.substr(h.oldFrom, h.oldTo - h.oldFrom);
    std::u16string_view now = next.substr(h.newFrom, h.newTo - h.newFrom);
    if (multiLine(was) || multiLine(now)) {
      // Table rows, which start on the line after the statement's line end.
      std::size_t line = lines.lineOf(h.oldFrom);
      std::size_t oldEnd = lineEndAt(was, 0), newEnd = lineEndAt(now, 0);
      if (oldEnd != 0 || newEnd != 0) ++line;
      compareRows(was.substr(oldEnd), now.substr(newEnd), line, tolerance, &changes, compared);
      continue;
    }
    // A request without a recorded result: its '=' became the colon, or
    // the colon after an assignment came in.
    std::size_t from = h.oldFrom, newFrom = h.newFrom;
    if (!now.empty() && now[0] == u':' && (was.empty() || was[0] != u':')) {
      if (!was.empty() && was[0] == u'=') ++from;
      ++newFrom;
    }
    was = before.substr(from, std::max(fieldEnd(before, h.oldTo), from) - from);
    now = next.substr(newFrom, std::max(fieldEnd(next, h.newTo), newFrom) - newFrom);
    ++*compared;
    if (sameResult(was, now, tolerance)) continue;
    changes.push_back({lines.lineOf(from) + 1, lines.columnOf(from) + 1,
                       std::u16string(trimmed(was)), std::u16string(trimmed(now))});
  }
  return changes;
}

}  // namespace orv::cli
