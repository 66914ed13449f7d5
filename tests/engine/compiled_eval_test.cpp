// The compiled evaluator against the tree: every golden worksheet, and
// worksheets built to reach what differs between the two (checks of the stop
// flag, links to code of definitions that change, frames of many arguments),
// must give the same text, status and alerts run either way, twice in a row.
#include <gtest/gtest.h>

#include <filesystem>

#include "eval/compiled.h"
#include "files.h"
#include "golden.h"
#include "worksheet.h"

namespace orv::test {
namespace {

// Runs [sheet] twice in one engine, compiled or by the tree alone.
std::string runBoth(const std::string& sheet, bool compiled, bool addOns = false,
                    const std::string& path = "") {
  Worksheet w;
  setCompiledEvaluation(w.engine(), compiled);
  if (addOns) w.enableAddOns();
  if (!path.empty()) w.documentPath(path);
  SheetResult first = w.run(sheet);
  SheetResult second = w.run(first.text);
  return describe(first) + "\n==== second run\n" + describe(second);
}

void expectSame(const std::string& sheet, bool addOns = false, const std::string& path = "") {
  EXPECT_EQ(runBoth(sheet, false, addOns, path), runBoth(sheet, true, addOns, path)) << sheet;
}

TEST(CompiledEvaluation, EveryGoldenWorksheetGivesWhatTheTreeGives) {
  const std::filesystem::path dir = ORVANEL_SHEETS_DIR;
  for (const std::string& name : goldenNames(ORVANEL_SHEETS_DIR, ".ov")) {
    SCOPED_TRACE(name);
    std::string sheet = readFile(dir / (name + ".ov"));
    // The options line of a golden worksheet: add-ons, and whether it runs
    // as its file.
    std::string options =
        sheet.rfind("-- options:", 0) == 0 ? sheet.substr(0, sheet.find('\n')) : "";
    bool saved = options.find("saved") != std::string::npos;
    expectSame(sheet, options.find("addons") != std::string::npos,
               saved ? (dir / (name + ".ov")).string() : "");
  }
}

TEST(CompiledEvaluation, KnownResultsAfterAnErrorStayThoseOfTheTree) {
  // After the error, a constant operand is still read and EvalExpr of any
  // other node gives nothing: both inside compiled definitions.
  expectSame("h(x) = (known sqrt(x)) + 1\nh(4) + h(4)=\nh(-1)=\n");
  expectSame("h(x) = (unknown ln(x)) * 2 + x\nh(1) + h(1)=\nh(-1)=\n");
  expectSame("g(x) = 1 when (known acos(x)) > 2, x + 1\ng(0) + g(0)=\ng(3)=\n");
  expectSame("k(x) = (not known sqrt(x)) + q\nq = 1\nk(1) + k(1)=\nk(-1)=\n");
  expectSame("s = sum((known sqrt(i)) + i, i, -2, 3)\ns + s=\n");
}

TEST(CompiledEvaluation, ChangedDefinitionsReachCodeCompiledBefore) {
  expectSame("a := 1\nf(x) = x * a\nsum(f(i), i, 1, 3)=\na := 2\nsum(f(i), i, 1, 3)=\n");
  expectSame(
      "v := {1, 2, 3}\nf(i) = v[i]\nsum(f(i), i, 1, 3)=\nv := {4, 5}\nsum(f(i), i, 1, 3)=\n");
  expectSame("b[i] = i^2 dim[3]\nm := b\nsum(m[i], i, 1, 3)=\nm[2] := 10\nsum(m[i], i, 1, 3)=\n");
}

TEST(CompiledEvaluation, CallsByNameArraysAndManyArguments) {
  expectSame(
      "g(a, b, c, d, e, h, k, m) = a - b + c - d + e - h + k - m\n"
      "sum(g(i, 2, 3, i, 5, q, i, 8), i, 1, 5)=\nq = 4\n");
  expectSame(
      "w[i] = i * 2 dim[4]\nf(a, n) = a[n] + n\nsum(f(w, i), i, 1, 5)=\nsum(f(w * 2, i), i, 1, "
      "4)=\n");
  expectSame("t(s) = s[1] + count(s)\nt(\"abc\") + t(\"xy\")=\n");
  expectSame(
      "h(n, a) = sum(k(i + u, n) + a, i, 1, 2)\nk(b, n) = h(n - 1, b) when n > 0, 0\nh(2, 1)=\n");
}

TEST(CompiledEvaluation, ArraysStoredFromFormulasMatchTheTree) {
  expectSame("a[i, j] = 1 / (i - j) dim[3, 3]\nm := a\nm=\nsum(sum(m[i, j], j, 1, 3), i, 1, 3)=\n");
  expectSame("a[i] = a[i - 1] + 1 when i > 1, 1 dim[4]\nm := a\nm=\n");
  expectSame("n = 3\na[i, j] = i + j dim[n, n + 1]\nm := a\nm[3, 4]=\nm[4, 1]=\nm[1, 5]=\n");
  expectSame(
      "a[i, j, k, l, p] = i + j + k + l + p dim[2, 2, 2, 2, 2]\nm := a\nm[2, 2, 2, 2, 2]=\n");
}

}  // namespace
}  // namespace orv::test
