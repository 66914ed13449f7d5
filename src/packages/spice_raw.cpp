// Reading SPICE raw files: the header, then one signal and the independent
// variable from text or binary data.
#include "packages/spice_raw.h"

#include <bit>
#include <charconv>
#include <cmath>
#include <cstring>

namespace orv::spice {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }
bool isLineEnd(char c) { return c == '\n' || c == '\r'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isAlpha(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// A cursor over the header text.
class HeaderText {
 public:
  explicit HeaderText(std::string_view text) : t_(text) {}
  std::size_t pos() const { return p_; }
  bool atEnd() const { return p_ >= t_.size(); }

  // Moves past the end of the current line: LF, CR, or CR LF.
  bool skipLine() {
    while (p_ < t_.size() && !isLineEnd(t_[p_])) ++p_;
    if (p_ >= t_.size()) return false;
    if (t_[p_] == '\r' && p_ + 1 < t_.size() && t_[p_ + 1] == '\n') ++p_;
    ++p_;
    return true;
  }
  void skipBlanks() {
    while (p_ < t_.size() && isBlank(t_[p_])) ++p_;
  }
  // Moves past the next ':'; false when there is none.
  bool pastColon() {
    std::size_t c = t_.find(':', p_);
    if (c == std::string_view::npos) return false;
    p_ = c + 1;
    return true;
  }
  // After blanks, [word] followed by a blank, a line end or the end of the
  // text; the cursor moves past it only when it matches.
  bool matchWord(std::string_view word) {
    std::size_t q = p_;
    while (q < t_.size() && isBlank(t_[q])) ++q;
    if (t_.substr(q, word.size()) != word) return false;
    std::size_t after = q + word.size();
    if (after < t_.size() && !isBlank(t_[after]) && !isLineEnd(t_[after])) return false;
    p_ = after;
    return true;
  }
  // A decimal integer after any characters that are not digits (spanning
  // lines when [sameLine] is false); -1 when there is none. Very long numbers
  // saturate.
  int64_t readInt(bool sameLine) {
    while (p_ < t_.size() && !isDigit(t_[p_])) {
      if (sameLine && isLineEnd(t_[p_])) return -1;
      ++p_;
    }
    if (p_ >= t_.size()) return -1;
    int64_t n = 0;
    for (; p_ < t_.size() && isDigit(t_[p_]); ++p_)
      n = n > (INT64_MAX - 9) / 10 ? INT64_MAX : n * 10 + (t_[p_] - '0');
    return n;
  }
  // A variable's index: a decimal integer after blanks; -1 when there is none.
  int64_t readIndex() {
    skipBlanks();
    return p_ < t_.size() && isDigit(t_[p_]) ? readInt(true) : -1;
  }
  // The next word on this line, up to a blank, a tab or the line end.
  std::string_view readName() {
    skipBlanks();
    std::size_t start = p_;
    while (p_ < t_.size() && !isBlank(t_[p_]) && !isLineEnd(t_[p_])) ++p_;
    return t_.substr(start, p_ - start);
  }
  // Whether the line starting here begins (after blanks) with [word].
  bool lineStartsWith(std::string_view word) const {
    HeaderText probe = *this;
    return probe.matchWord(word);
  }
  void moveTo(std::size_t p) { p_ = p; }

 private:
  std::string_view t_;
  std::size_t p_ = 0;
};

// The line that carries the flags: the one that starts with "Flags:" among
// the first lines (newer ngspice puts a "Command:" line before it), else the
// fourth line.
std::size_t flagsLine(std::string_view text) {
  HeaderText h(text);
  std::size_t fourth = std::string_view::npos;
  for (int line = 0; line < 16 && !h.atEnd(); ++line) {
    if (line == 3) fourth = h.pos();
    if (h.lineStartsWith("Flags:")) return h.pos();
    if (h.lineStartsWith("Variables:") || !h.skipLine()) break;
  }
  return fourth;
}

// The flag words after the colon of the flags line: "complex" first, and a
// byte-order word anywhere on the line.
void readFlags(HeaderText& h, std::string_view text, RawHeader* out) {
  out->complex = h.matchWord("complex");
  if (!out->complex) h.matchWord("real");
  while (!h.atEnd() && !isLineEnd(text[h.pos()])) {
    if (h.matchWord("little_endian")) {
      out->order = ByteOrder::kLittle;
    } else if (h.matchWord("big_endian")) {
      out->order = ByteOrder::kBig;
    } else if (h.readName().empty()) {
      break;
    }
  }
}

// The variable list: variable 0's name, then the signal's index among the
// lines after it. Leaves [h] after the last variable line.
HeaderStatus readVariables(HeaderText& h, std::string_view signal, RawHeader* out) {
  if (!h.skipLine() || h.readIndex() < 0) return HeaderStatus::kFormatError;
  std::string_view name = h.readName();
  if (name.empty()) return HeaderStatus::kFormatError;
  out->independent = std::string(name.substr(0, kMaxNameLength));
  int64_t line = 1;
  for (; line < out->variables; ++line) {
    if (!h.skipLine()) return HeaderStatus::kFormatError;
    int64_t index = h.readIndex();
    if (index < 0) return HeaderStatus::kFormatError;
    if (h.matchWord(signal)) {
      if (index < 1 || index >= out->variables) return HeaderStatus::kFormatError;
      out->signal = index;
      break;
    }
  }
  if (line >= out->variables) return HeaderStatus::kNoSignal;
  for (++line; line < out->variables; ++line)
    if (!h.skipLine()) return HeaderStatus::kFormatError;
  return HeaderStatus::kOk;
}

}  // namespace

HeaderResult readHeader(std::string_view file, std::string_view signal) {
  const std::string_view text = file.substr(0, kMaxHeaderBytes);
  HeaderResult r;
  RawHeader& out = r.header;
  HeaderText h(text);
  auto fail = [&](HeaderStatus status) {
    // The variable list is reported whole, to the end of its last line.
    if (status == HeaderStatus::kNoSignal) h.skipLine();
    r.status = status;
    r.readTo = h.pos();
    return r;
  };
  std::size_t flags = flagsLine(text);
  if (flags == std::string_view::npos) return fail(HeaderStatus::kFormatError);
  h.moveTo(flags);
  if (!h.pastColon()) return fail(HeaderStatus::kFormatError);
  readFlags(h, text, &out);
  if (!h.skipLine() || !h.pastColon()) return fail(HeaderStatus::kFormatError);
  out.variables = h.readInt(false);
  if (out.variables < 2 || !h.pastColon()) return fail(HeaderStatus::kFormatError);
  out.points = h.readInt(false);
  if (out.points < 0) return fail(HeaderStatus::kFormatError);
  do {
    if (!h.skipLine()) return fail(HeaderStatus::kFormatError);
  } while (!h.lineStartsWith("Variables:"));
  HeaderStatus variables = readVariables(h, signal, &out);
  if (variables != HeaderStatus::kOk) return fail(variables);
  if (!h.skipLine()) return fail(HeaderStatus::kFormatError);
  if (h.matchWord("Binary:")) {
    out.binary = true;
  } else if (!h.matchWord("Values:")) {
    return fail(HeaderStatus::kFormatError);
  }
  // The data start after this line; binary data may hold any byte, so only
  // the line end itself is passed over.
  std::size_t p = h.pos();
  while (p < text.size() && !isLineEnd(text[p])) ++p;
  if (p >= text.size()) return fail(HeaderStatus::kFormatError);
  if (text[p] == '\r' && p + 1 < text.size() && text[p + 1] == '\n') ++p;
  out.dataStart = p + 1;
  r.status = HeaderStatus::kOk;
  r.readTo = out.dataStart;
  return r;
}

// ---------------------------------------------------------------------------
// Binary data
// ---------------------------------------------------------------------------

namespace {

double decode(const char* bytes, ByteOrder order) {
  uint64_t bits;
  std::memcpy(&bits, bytes, 8);
  const bool native = (order == ByteOrder::kLittle) == (std::endian::native == std::endian::little);
  if (!native) {
    uint64_t swapped = 0;
    for (int i = 0; i < 8; ++i) swapped = (swapped << 8) | ((bits >> (8 * i)) & 0xFF);
    bits = swapped;
  }
  return std::bit_cast<double>(bits);
}

// The size of one point's values in bytes, or 0 when it does not fit in
// memory at all.
uint64_t recordBytes(const RawHeader& h) {
  const uint64_t value = h.complex ? 16 : 8;
  const uint64_t vars = static_cast<uint64_t>(h.variables);
  return vars > UINT64_MAX / 2 / value ? 0 : vars * value;
}

// A value that an independent variable or a signal plausibly holds.
bool sane(double v) { return v == 0 || (std::fabs(v) > 1e-300 && std::fabs(v) < 1e300); }

// How sanely the first points read in [order]: the number of plausible
// values, or -1 when the independent variable goes down.
int64_t sanity(std::string_view data, const RawHeader& h, ByteOrder order) {
  const uint64_t rec = recordBytes(h);
  if (rec == 0) return 0;
  int64_t score = 0;
  double last = -HUGE_VAL;
  for (uint64_t base = 0, k = 0; k < 16 && base + rec <= data.size(); ++k, base += rec) {
    const double x = decode(data.data() + base, order);
    if (!(x >= last)) return -1;
    last = x;
    for (uint64_t at = 0; at < rec && at < 8 * 256; at += 8)
      score += sane(decode(data.data() + base + at, order));
  }
  return score;
}

RawData readBinary(std::string_view data, const RawHeader& h, const StopPoll& stopped) {
  RawData out;
  const uint64_t value = h.complex ? 16 : 8;
  const uint64_t rec = recordBytes(h);
  const uint64_t at = static_cast<uint64_t>(h.signal) * value;
  if (rec == 0 || at + value > data.size()) return out;
  const ByteOrder order = h.order == ByteOrder::kUnknown ? sniffByteOrder(data, h) : h.order;
  const uint64_t most =
      std::min<uint64_t>(static_cast<uint64_t>(h.points), (data.size() - at - value) / rec + 1);
  out.x.reserve(most);
  out.y.reserve(most * (h.complex ? 2 : 1));
  for (uint64_t k = 0; k < most; ++k) {
    if ((k & 0xFFF) == 0xFFF && stopped && stopped()) break;
    const char* point = data.data() + k * rec;
    out.x.push_back(decode(point, order));
    out.y.push_back(decode(point + at, order));
    if (h.complex) out.y.push_back(decode(point + at + 8, order));
  }
  return out;
}

// ---------------------------------------------------------------------------
// Text data
// ---------------------------------------------------------------------------

RawData readText(std::string_view data, const RawHeader& h, double nanValue,
                 const StopPoll& stopped) {
  RawData out;
  const int64_t c = h.complex ? 2 : 1;
  std::size_t p = 0;
  double v = 0;
  auto next = [&](double* value) {
    if (!scanNumber(data, &p, value)) return false;
    if (std::isnan(*value)) *value = nanValue;
    return true;
  };
  auto skip = [&](int64_t count) {
    for (int64_t i = 0; i < count; ++i)
      if (!next(&v)) return false;
    return true;
  };
  for (int64_t k = 0; k < h.points; ++k) {
    if ((k & 0xFFF) == 0xFFF && stopped && stopped()) break;
    double x, re, im = 0;
    // Point number, independent value (its imaginary part skipped), the
    // variables before the signal, the signal.
    if (!skip(1) || !next(&x) || !skip(c - 1) || !skip((h.signal - 1) * c) || !next(&re) ||
        (h.complex && !next(&im)))
      break;
    out.x.push_back(x);
    out.y.push_back(re);
    if (h.complex) out.y.push_back(im);
    if (!skip((h.variables - 1 - h.signal) * c)) break;
  }
  return out;
}

// A number at [p] as std::from_chars reads it, with values beyond the range
// of a double as infinity or zero.
bool convert(std::string_view text, std::size_t p, std::size_t* end, double* value) {
  const char* first = text.data() + p;
  const char* last = text.data() + text.size();
  auto [ptr, ec] = std::from_chars(first, last, *value);
  if (ptr == first) return false;
  if (ec == std::errc::result_out_of_range) {
    std::string_view token(first, static_cast<std::size_t>(ptr - first));
    std::size_t e = token.find_first_of("eE");
    const bool tiny = e != std::string_view::npos && e + 1 < token.size() && token[e + 1] == '-';
    const double magnitude = tiny ? 0.0 : HUGE_VAL;
    *value = token[0] == '-' ? -magnitude : magnitude;
  }
  *end = static_cast<std::size_t>(ptr - text.data());
  return true;
}

}  // namespace

ByteOrder sniffByteOrder(std::string_view data, const RawHeader& h) {
  return sanity(data, h, ByteOrder::kLittle) > sanity(data, h, ByteOrder::kBig) ? ByteOrder::kLittle
                                                                                : ByteOrder::kBig;
}

bool scanNumber(std::string_view text, std::size_t* p, double* value) {
  for (std::size_t q = *p; q < text.size(); ++q) {
    const char ch = text[q];
    std::size_t end;
    if (isDigit(ch) || ch == '.' || ch == '-') {
      // "-" may also begin "-nan" or "-inf", which must be whole words.
      const bool word = ch == '-' && q + 1 < text.size() && isAlpha(text[q + 1]);
      if (word && q > 0 && isAlpha(text[q - 1])) continue;
      if (!convert(text, q, &end, value)) continue;
      if (word && end < text.size() && (isAlpha(text[end]) || isDigit(text[end]))) continue;
    } else if (ch == 'n' || ch == 'N' || ch == 'i' || ch == 'I') {
      if (q > 0 && (isAlpha(text[q - 1]) || isDigit(text[q - 1]))) continue;
      if (!convert(text, q, &end, value)) continue;
      if (end < text.size() && (isAlpha(text[end]) || isDigit(text[end]))) continue;
    } else {
      continue;
    }
    *p = end;
    return true;
  }
  *p = text.size();
  return false;
}

RawData readData(std::string_view file, const RawHeader& header, double nanValue,
                 const StopPoll& stopped) {
  std::string_view data = header.dataStart <= file.size() ? file.substr(header.dataStart) : "";
  return header.binary ? readBinary(data, header, stopped)
                       : readText(data, header, nanValue, stopped);
}

}  // namespace orv::spice
