// The scanner's token rules, read straight off the engine's buffer.
#include <gtest/gtest.h>

#include <cmath>
#include <utility>
#include <vector>

#include "worksheet.h"

namespace orv::test {
namespace {

struct Tok {
  int code;
  double value = 0;
  std::string text;
  bool operator==(const Tok& o) const {
    return code == o.code &&
           (code != CONSTANT || value == o.value || (std::isnan(value) && std::isnan(o.value))) &&
           ((code != VARIABLE && code != STRING) || text == o.text);
  }
};

std::ostream& operator<<(std::ostream& os, const Tok& t) {
  return os << "{" << t.code << " " << t.value << " '" << t.text << "'}";
}

// All tokens of [bytes] up to the end of text, or up to a token that no rule
// matches (reported as NOTOK) or an abort.
std::vector<Tok> tokens(const std::string& bytes, bool degrees = false) {
  FakeHost host;
  Engine e(host);
  e.angunits = degrees ? std::asin(1.0) / 90 : 1.0;
  e.WESetTextStorage(nullptr, 0, bytes);
  e.accept(NOTOK);
  std::vector<Tok> out;
  for (;;) {
    out.push_back({e.tokn, e.tokn == CONSTANT ? e.tokcon : 0, e.tokstr});
    if (e.tokn == EOFTOK || e.tokn == NOTOK || e.tokn == ABORT) break;
    e.accept(e.tokn);
  }
  return out;
}

Tok num(double v) { return {CONSTANT, v, ""}; }
Tok name(const char* n) { return {VARIABLE, 0, n}; }
Tok op(int c) { return {c, 0, ""}; }
const Tok kEnd{EOFTOK, 0, ""};

TEST(Scanner, NumbersAndSuffixes) {
  EXPECT_EQ(tokens("2.5m"), (std::vector<Tok>{num(0.0025), kEnd}));
  EXPECT_EQ(tokens("3K 2G 1M 4u 7n 8p 9f"),
            (std::vector<Tok>{num(3000), num(2e9), num(1e6), num(4e-6), num(7e-9), num(8e-12),
                              num(9e-15), kEnd}));
  EXPECT_EQ(tokens("1e-3 1E+2 1e5"), (std::vector<Tok>{num(0.001), num(100), num(1e5), kEnd}));
  EXPECT_EQ(tokens("\xB5").front().code, NOTOK) << "the micro sign is only a suffix";
  EXPECT_EQ(tokens("3\xB5"), (std::vector<Tok>{num(3e-6), kEnd}));
  EXPECT_EQ(tokens("0x1F"), (std::vector<Tok>{num(31), kEnd}));
  EXPECT_EQ(tokens("0xffffffffffffffff"), (std::vector<Tok>{num(-1), kEnd}));
  EXPECT_EQ(tokens("0x"), (std::vector<Tok>{num(0), kEnd}));
  EXPECT_EQ(tokens(".5 5."), (std::vector<Tok>{num(0.5), num(5), kEnd}));
  // Letters after the suffix are a name of their own; k and T are no suffix.
  EXPECT_EQ(tokens("5min"), (std::vector<Tok>{num(0.005), name("in"), kEnd}));
  EXPECT_EQ(tokens("2k"), (std::vector<Tok>{num(2), name("k"), kEnd}));
  // The decimal number written, correctly rounded.
  EXPECT_EQ(tokens("0.1 1.23 2.675")[1].value, 1.23);
  EXPECT_EQ(tokens("1e400")[0].value, HUGE_VAL);
  EXPECT_EQ(tokens("1e-400")[0].value, 0.0);
}

TEST(Scanner, ExponentWithoutDigitsIsNoToken) {
  EXPECT_EQ(tokens("1e").front().code, NOTOK);
  EXPECT_EQ(tokens("1e+").front().code, NOTOK);
  EXPECT_EQ(tokens("x 1e").back().code, NOTOK);
}

TEST(Scanner, NamedConstantsAndNames) {
  const double pi = 2 * std::asin(1.0);
  EXPECT_EQ(tokens("pi pine pi2 pi_x"),
            (std::vector<Tok>{num(pi), name("pine"), name("pi2"), num(pi), name("_x"), kEnd}));
  EXPECT_EQ(tokens("\xB9 \xB0"), (std::vector<Tok>{num(pi), num(HUGE_VAL), kEnd}));
  EXPECT_EQ(tokens("on off Radians"), (std::vector<Tok>{num(1), num(0), num(1), kEnd}));
  EXPECT_NEAR(tokens("Radians", true)[0].value, 180 / pi, 1e-12);
  EXPECT_EQ(tokens("plot_x"), (std::vector<Tok>{op(KW_PLOT), name("_x"), kEnd}));
  EXPECT_EQ(tokens("atan atan2 atanx"),
            (std::vector<Tok>{op(FN_ATAN), op(FN_ATAN2), name("atanx"), kEnd}));
  EXPECT_EQ(tokens("dimension dim"), (std::vector<Tok>{name("dimension"), op(KW_DIM), kEnd}));
}

TEST(Scanner, CommentsAndLineEnds) {
  EXPECT_EQ(tokens("a~note~b"), (std::vector<Tok>{name("a"), name("b"), kEnd}));
  EXPECT_EQ(tokens("a~spans\nlines~b"), (std::vector<Tok>{name("a"), name("b"), kEnd}));
  EXPECT_EQ(tokens("a ~unclosed\nb"), (std::vector<Tok>{name("a"), kEnd}));
  EXPECT_EQ(tokens("x -- note\ny"), (std::vector<Tok>{name("x"), op(EOL), name("y"), kEnd}));
  EXPECT_EQ(tokens("a--b"), (std::vector<Tok>{name("a"), kEnd}));
  EXPECT_EQ(tokens("a - -b"), (std::vector<Tok>{name("a"), op('-'), op('-'), name("b"), kEnd}));
  EXPECT_EQ(tokens("x;y\r\n"),
            (std::vector<Tok>{name("x"), op(EOL), name("y"), op(EOL), op(EOL), kEnd}));
}

TEST(Scanner, Operators) {
  EXPECT_EQ(tokens("a >= b"), tokens("a \xB3 b"));
  EXPECT_EQ(tokens("a <= b"), tokens("a \xB2 b"));
  EXPECT_EQ(tokens("a != b"), tokens("a \xAD b"));
  EXPECT_EQ(tokens(":= ,, == : , ="),
            (std::vector<Tok>{op(ASSIGN), op(SEQ), op(EQ), op(':'), op(','), op('='), kEnd}));
  EXPECT_EQ(tokens("!").front().code, NOTOK);
  EXPECT_EQ(tokens("$").front().code, NOTOK);
}

TEST(Scanner, StringsAndNameLength) {
  EXPECT_EQ(tokens("\"a;b\" x"), (std::vector<Tok>{{STRING, 0, "a;b"}, name("x"), kEnd}));
  EXPECT_EQ(tokens("\"open\nx\"").front().code, NOTOK);
  EXPECT_EQ(tokens(std::string(127, 'n')).front(), name(std::string(127, 'n').c_str()));
  EXPECT_EQ(tokens(std::string(128, 'n')).front().code, ABORT);
  EXPECT_EQ(tokens("\"" + std::string(128, 's') + "\"").front().code, ABORT);
}

}  // namespace
}  // namespace orv::test
