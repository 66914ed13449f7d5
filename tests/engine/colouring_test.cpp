// Syntax colouring: comments blue, recognised words brown, results red, and
// what stays black.
#include <gtest/gtest.h>

#include <string>

#include "doc/stxcolor.h"
#include "lang/engine.h"
#include "packages/registry.h"
#include "worksheet.h"

namespace orv::test {
namespace {

// The coloured pieces of [text] as "style:text" items, in order.
std::string pieces(const std::string& text, const Colouring& c) {
  std::string out;
  for (const ColorRun& r : c.runs) {
    if (!out.empty()) out += ' ';
    out += std::to_string(r.style) + ":" + text.substr(r.pos, r.len);
  }
  return out;
}

std::string colour(const std::string& text, const SyntaxWords& words = SyntaxWords()) {
  return pieces(text, ColorSyntax(text, words));
}

TEST(Colouring, CommentsWordsAndResults) {
  EXPECT_EQ(colour("x := 3 -- note"), "3:-- note");
  EXPECT_EQ(colour("sin(x):0.84"), "4:sin 1:0.84");
  EXPECT_EQ(colour("a[1:3]"), "");
  EXPECT_EQ(colour("x:=5"), "");
  EXPECT_EQ(colour("Xmin = 1; xmin = 2"), "4:Xmin");
  EXPECT_EQ(colour("y := pi when on; N"), "4:pi 4:when 4:on 4:N");
  // A result ends at ';', a line end, a comment; strings inside it are passed whole.
  EXPECT_EQ(colour("a:1.00; b:\"x;y\" -- c\nd:2 ~n~"), "1:1.00 1:\"x;y\"  3:-- c 1:2  3:~n~");
  // Range colons, subscripts and apostrophes are not results.
  EXPECT_EQ(colour("b[i:j]:{1,2}"), "1:{1,2}");
  EXPECT_EQ(colour("x:'a'"), "");
  // Words are letters, digits and '_', starting with a letter; inside
  // comments and strings nothing is a word.
  EXPECT_EQ(colour("sin2 sin_ 2sin \"sin\" ~sin~ -- sin"), "4:sin 3:~sin~ 3:-- sin");
  // An unclosed comment runs to the end.
  EXPECT_EQ(colour("x ~ open\ncos"), "3:~ open\ncos");
}

TEST(Colouring, ACommentOverSeveralLinesAndColouringOneLine) {
  const std::string text = "a = 1 ~ first\nsecond ~ sin(a):1.00\nb:2\r\nc:3";
  EXPECT_EQ(colour(text), "3:~ first\nsecond ~ 4:sin 1:1.00 1:2 1:3");

  // After an edit only the line of the insertion point is coloured, line
  // end included; it knows nothing of the comment that began above.
  Colouring line = ColorSyntaxLine(text, 16, SyntaxWords());
  EXPECT_EQ(line.from, 14u);
  EXPECT_EQ(line.to, 35u);
  EXPECT_EQ(pieces(text, line), "3:~ sin(a):1.00\n");
  line = ColorSyntaxLine(text, 37, SyntaxWords());  // on the LF of a CR LF
  EXPECT_EQ(line.from, 35u);
  EXPECT_EQ(line.to, 40u);
  EXPECT_EQ(pieces(text, line), "1:2");
  line = ColorSyntaxLine(text, text.size(), SyntaxWords());
  EXPECT_EQ(pieces(text, line), "1:3");
  EXPECT_EQ(ColorSyntaxLine("x\n", 2, SyntaxWords()).to, 2u);  // an empty last line
  EXPECT_TRUE(ColorSyntaxLine("x\n", 2, SyntaxWords()).runs.empty());
}

TEST(Colouring, EnabledAddOnFunctionsAndTheSettingNames) {
  const Registry& registry = standardRegistry();
  ASSERT_FALSE(registry.functions().empty());
  const std::string name = registry.functions()[0].name;
  Worksheet w;
  Engine& engine = w.engine();
  EXPECT_EQ(colour(name + "(a)", SyntaxWords(enabledAddOnNames(engine))), "");
  engine.setAddOnEnabled(0, true);
  EXPECT_EQ(colour(name + "(a) + myvar", SyntaxWords(enabledAddOnNames(engine))), "4:" + name);

  const char* settings[] = {"X",          "Xsteps",  "Xticklabels", "Ystrips",  "Zshowbar",
                            "Title",      "Nsteps",  "Radians",     "off",      "Tracecolor",
                            "Markersize", "Axisbox", "Nspaces",     "Tabwidth", "Writeformat"};
  for (const char* s : settings) EXPECT_EQ(colour(s), std::string("4:") + s) << s;
  for (const char* s : {"x", "title", "Pi", "XMIN", "Writeformats"}) EXPECT_EQ(colour(s), "") << s;
}

}  // namespace
}  // namespace orv::test
