#include "doc/stxcolor.h"

#include "lang/addons.h"
#include "lang/engine.h"
#include "lang/setting_names.h"
#include "lang/tokens.h"

namespace orv {

namespace {

bool isLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool isWordChar(char c) { return isLetter(c) || (c >= '0' && c <= '9') || c == '_'; }
bool isLineEnd(char c) { return c == '\n' || c == '\r'; }

// The recognisers. Each starts at [p] and returns the position after what it
// recognised, or [p] when it recognised nothing.
class Colourer {
 public:
  Colourer(std::string_view buf, std::size_t to, const SyntaxWords& words, std::size_t offset,
           std::vector<ColorRun>* runs)
      : b_(buf), to_(to), words_(words), offset_(offset), runs_(runs) {}

  void colour(std::size_t from) {
    for (std::size_t p = from; p < to_;) {
      std::size_t start = p;
      p = bcomment(p);
      p = lcomment(p);
      p = quote(p);
      p = keyword(p);
      p = quote(p);
      p = result(p);
      if (p == start) ++p;
    }
  }

 private:
  bool at(std::size_t p, char c) const { return p < to_ && b_[p] == c; }
  bool lineCommentAt(std::size_t p) const { return at(p, '-') && at(p + 1, '-'); }

  void mark(std::size_t from, std::size_t to, int style) {
    if (to > from) runs_->push_back({from + offset_, to - from, style});
  }

  // ~ ... ~ (or to the end of the range)
  std::size_t bcomment(std::size_t p) {
    if (!at(p, '~')) return p;
    std::size_t e = p + 1;
    while (e < to_ && b_[e] != '~') ++e;
    if (e < to_) ++e;
    mark(p, e, kStyleBlue);
    return e;
  }

  // -- up to the line end
  std::size_t lcomment(std::size_t p) {
    if (!lineCommentAt(p)) return p;
    std::size_t e = p + 2;
    while (e < to_ && !isLineEnd(b_[e])) ++e;
    mark(p, e, kStyleBlue);
    return e;
  }

  // "..." to just after the closing quote or the line end
  std::size_t quote(std::size_t p) const {
    if (!at(p, '"')) return p;
    std::size_t e = p + 1;
    while (e < to_ && b_[e] != '"' && !isLineEnd(b_[e])) ++e;
    return e < to_ ? e + 1 : e;
  }

  std::size_t keyword(std::size_t p) {
    if (p >= to_ || !isLetter(b_[p])) return p;
    std::size_t e = p;
    while (e < to_ && isWordChar(b_[e])) ++e;
    if (words_.matchkey(b_.substr(p, e - p))) mark(p, e, kStyleBrown);
    return e;
  }

  // A result after a colon that is not ':='. A ']' without its '[' or an
  // apostrophe shows a range inside a subscript instead (a[1:3]).
  std::size_t result(std::size_t p) {
    if (!at(p, ':') || at(p + 1, '=')) return p;
    std::size_t e = p + 1;
    int depth = 0;
    while (e < to_) {
      char c = b_[e];
      if (c == ';' || isLineEnd(c) || c == '~' || lineCommentAt(e)) break;
      if (c == '"') {
        e = quote(e);
        continue;
      }
      if (c == '\'') return p;
      if (c == '[') ++depth;
      if (c == ']' && --depth < 0) return p;
      ++e;
    }
    mark(p + 1, e, kStyleRed);
    return e;
  }

  std::string_view b_;
  std::size_t to_;
  const SyntaxWords& words_;
  std::size_t offset_;
  std::vector<ColorRun>* runs_;
};

}  // namespace

SyntaxWords::SyntaxWords(const std::vector<std::string>& addOnNames) : addOns_(addOnNames) {
  // ORDER TOKENS: the scanner's own word tables.
  for (const char* w : kKeywords) words_.insert(w);
  for (const BuiltinEntry& b : kBuiltins) words_.insert(b.name);
  // ORDER SETTINGS
  for (const SettingEntry& s : kSettings) words_.insert(s.name);
  for (const std::string& w : addOns_)
    if (!w.empty()) words_.insert(w);
}

std::vector<std::string> enabledAddOnNames(const Engine& engine) {
  std::vector<std::string> names;
  const auto& funs = engine.registry().functions();
  for (std::size_t i = 0; i < funs.size(); ++i)
    if (engine.addOnEnabled(static_cast<int>(i))) names.emplace_back(funs[i].name);
  return names;
}

void ColorSel(std::string_view buf, std::size_t from, std::size_t to, const SyntaxWords& words,
              std::size_t offset, std::vector<ColorRun>* runs) {
  if (to > buf.size()) to = buf.size();
  Colourer(buf, to, words, offset, runs).colour(from);
}

Colouring ColorSyntax(std::string_view text, const SyntaxWords& words) {
  Colouring c;
  c.to = text.size();
  ColorSel(text, 0, text.size(), words, 0, &c.runs);
  return c;
}

Colouring ColorSyntaxLine(std::string_view text, std::size_t pos, const SyntaxWords& words) {
  Colouring c;
  if (pos > text.size()) pos = text.size();
  std::size_t start = pos;
  while (start > 0 && !isLineEnd(text[start - 1])) --start;
  // A position on the LF of a CR LF belongs to the line the CR ends.
  if (start == pos && start > 0 && pos < text.size() && text[pos] == '\n' &&
      text[start - 1] == '\r') {
    --start;
    while (start > 0 && !isLineEnd(text[start - 1])) --start;
  }
  std::size_t end = start;
  while (end < text.size() && !isLineEnd(text[end])) ++end;
  if (end < text.size())
    end += text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n' ? 2 : 1;
  c.from = start;
  c.to = end;
  if (end > start) ColorSel(text.substr(start, end - start), 0, end - start, words, start, &c.runs);
  return c;
}

}  // namespace orv
