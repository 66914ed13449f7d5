// The SPICE raw-file reader over crafted files and over files that ngspice
// 39 wrote (tests/engine/data/spice, made from the .cir files there).
#include "packages/spice_raw.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <sstream>

namespace orv::spice {
namespace {

constexpr double kMark = -12345;  // stands for NaN in text data

std::string fixture(const std::string& name) {
  std::ifstream in(std::filesystem::path(ORVANEL_SPICE_DATA_DIR) / name, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

// A header in ngspice's layout with [flags] and the variables time, v(1),
// v(10), i(v1).
std::string header(const std::string& flags, int points, const std::string& data = "Values:") {
  return "Title: test\nDate: today\nPlotname: Transient Analysis\nFlags: " + flags +
         "\nNo. Variables: 4\nNo. Points: " + std::to_string(points) +
         "      \nVariables:\n\t0\ttime\ttime\n\t1\tv(1)\tvoltage\n\t2\tv(10)\tvoltage\n"
         "\t3\ti(v1)\tcurrent\n" +
         data + "\n";
}

std::string doubles(const std::vector<double>& values, bool bigEndian) {
  std::string out;
  for (double v : values) {
    char b[8];
    std::memcpy(b, &v, 8);
    if (bigEndian == (std::endian::native == std::endian::little)) std::reverse(b, b + 8);
    out.append(b, 8);
  }
  return out;
}

RawData read(const std::string& file, const std::string& signal, HeaderStatus expect) {
  HeaderResult h = readHeader(file, signal);
  EXPECT_EQ(h.status, expect) << signal;
  if (h.status != HeaderStatus::kOk) return {};
  return readData(file, h.header, kMark, nullptr);
}

TEST(SpiceRawTest, HeaderFieldsVariantsAndNames) {
  const std::string text = header("real", 1) + "0\t1.5\n\t2\n\t3\n\t4\n";
  HeaderResult h = readHeader(text, "v(10)");
  ASSERT_EQ(h.status, HeaderStatus::kOk);
  EXPECT_EQ(h.header.variables, 4);
  EXPECT_EQ(h.header.points, 1);
  EXPECT_EQ(h.header.signal, 2);
  EXPECT_EQ(h.header.independent, "time");
  EXPECT_FALSE(h.header.binary);
  EXPECT_FALSE(h.header.complex);
  // v(1) is not v(10); the independent variable is never a signal; case matters.
  EXPECT_EQ(readHeader(text, "v(1)").header.signal, 1);
  EXPECT_EQ(readHeader(text, "time").status, HeaderStatus::kNoSignal);
  EXPECT_EQ(readHeader(text, "V(1)").status, HeaderStatus::kNoSignal);
  EXPECT_EQ(readHeader(text, "v(").status, HeaderStatus::kNoSignal);

  // A "Command:" line before the flags (newer ngspice) and CR LF line ends.
  std::string moved =
      "Title: t\r\nDate: d\r\nCommand: ngspice-42\r\nPlotname: AC Analysis\r\n"
      "Flags: complex\r\nNo. Variables: 2\r\nNo. Points: 1\r\nVariables:\r\n"
      "\t0\tfrequency\tfrequency\tgrid=3\r\n\t1\tv(out)\tvoltage\r\nValues:\r\n"
      " 0\t1e1,0\r\n\t0.5,-0.25\r\n";
  RawData d = read(moved, "v(out)", HeaderStatus::kOk);
  EXPECT_EQ(d.x, std::vector<double>({10}));
  EXPECT_EQ(d.y, std::vector<double>({0.5, -0.25}));

  // An independent name is kept to 39 characters.
  std::string longName = header("real", 1);
  longName.replace(longName.find("time\ttime"), 4, std::string(50, 'x'));
  EXPECT_EQ(readHeader(longName, "v(1)").header.independent, std::string(39, 'x'));

  // A variable list far beyond 64000 bytes.
  std::string big = "T\nD\nP\nFlags: real\nNo. Variables: 5001\nNo. Points: 1\nVariables:\n";
  for (int i = 0; i <= 5000; ++i)
    big += "\t" + std::to_string(i) + "\tv(node_with_a_long_name_" + std::to_string(i) + ")\tv\n";
  big += "Values:\n0";
  for (int i = 0; i <= 5000; ++i) big += "\t" + std::to_string(i) + "\n";
  ASSERT_GT(big.size(), 64000u);
  d = read(big, "v(node_with_a_long_name_4999)", HeaderStatus::kOk);
  EXPECT_EQ(d.y, std::vector<double>({4999}));
}

TEST(SpiceRawTest, MalformedHeadersAreFormatErrors) {
  const std::string good = header("real", 1);
  auto status = [](const std::string& file) { return readHeader(file, "v(1)").status; };
  EXPECT_EQ(status(good), HeaderStatus::kOk);
  for (std::size_t cut : {0, 10, 60, 80, 130, 150}) {
    EXPECT_EQ(status(good.substr(0, cut)), HeaderStatus::kFormatError) << cut;
  }
  auto with = [&](const std::string& from, const std::string& to) {
    std::string s = good;
    s.replace(s.find(from), from.size(), to);
    return s;
  };
  EXPECT_EQ(status(with("No. Variables: 4", "No. Variables: 1")), HeaderStatus::kFormatError);
  EXPECT_EQ(status(with("Variables:\n", "Vars:\n")), HeaderStatus::kFormatError);
  EXPECT_EQ(status(with("Values:", "Data:")), HeaderStatus::kFormatError);
  EXPECT_EQ(status(with("\t1\tv(1)", "\t7\tv(1)")), HeaderStatus::kFormatError);
  EXPECT_EQ(status(with("\t1\tv(1)", "\tv(1)")), HeaderStatus::kFormatError);
  EXPECT_EQ(status(with("No. Variables: 4", "No. Variables: 99")), HeaderStatus::kFormatError);
  // A "Values:" line without its line end holds no data.
  EXPECT_EQ(status(good.substr(0, good.size() - 1)), HeaderStatus::kFormatError);
  // Nothing but binary noise.
  EXPECT_EQ(status(std::string(300, '\xff')), HeaderStatus::kFormatError);
}

TEST(SpiceRawTest, BinaryDataInBothByteOrders) {
  const std::vector<double> points = {0, 1, 2, 3, 1e-3, 2e-3, 2.5, 5, 7, 1.25, 0.5, 0.25};
  // The order word is obeyed; without one, big-endian data stays big-endian
  // and little-endian data (what ngspice writes) is recognised.
  for (bool big : {false, true}) {
    for (const std::string flags : {"real little_endian", "real"}) {
      if (big && flags != "real") continue;
      std::string file = header(flags, 3, "Binary:") + doubles(points, big);
      RawData d = read(file, "v(10)", HeaderStatus::kOk);
      EXPECT_EQ(d.x, std::vector<double>({0, 1e-3, 7})) << flags << big;
      EXPECT_EQ(d.y, std::vector<double>({2, 2.5, 0.5})) << flags << big;
    }
  }
  // Little-endian data under "little_endian" never swapped, even when the
  // other order would look saner.
  std::string odd = header("real little_endian", 1, "Binary:") + doubles({0, 1, 2, 3}, true);
  EXPECT_NE(read(odd, "v(1)", HeaderStatus::kOk).y[0], 1);

  // The point count bounds the read; a truncated file gives the points
  // whose signal value is complete.
  EXPECT_EQ(
      read(header("real", 1, "Binary:") + doubles(points, true), "i(v1)", HeaderStatus::kOk).y,
      std::vector<double>({3}));
  std::string cut = header("real", 3, "Binary:") + doubles(points, true);
  cut.resize(cut.size() - 8 * 3 - 1);
  EXPECT_EQ(read(cut, "v(1)", HeaderStatus::kOk).x.size(), 2u);
  EXPECT_EQ(read(cut, "i(v1)", HeaderStatus::kOk).x.size(), 2u);
  EXPECT_EQ(read(header("real", 3, "Binary:") + "abc", "v(1)", HeaderStatus::kOk).x.size(), 0u);

  // Complex: (real, imaginary) per variable; the independent gives its real part.
  std::string complex =
      header("complex", 1, "Binary:") + doubles({100, 7e-303, 1, 0, 0.25, -0.5, 9, 9}, false);
  RawData c = read(complex, "v(10)", HeaderStatus::kOk);
  EXPECT_EQ(c.x, std::vector<double>({100}));
  EXPECT_EQ(c.y, std::vector<double>({0.25, -0.5}));
}

TEST(SpiceRawTest, TextDataNumbersAndLayouts) {
  // ngspice's -r layout, with nan and inf where a simulation failed: the
  // values after them stay in place.
  std::string file = header("real", 3) +
                     "0\t\t0.000000000000000e+00\n\t1e0\n\t-nan\n\t4\n"
                     "1\t\t1.000000000000000e-03\n\tinf\n\t-inf\n\t5\n"
                     "2\t\t2e-3\n\tNaN\n\t0.1\n\t6\n";
  RawData d = read(file, "v(10)", HeaderStatus::kOk);
  EXPECT_EQ(d.x, std::vector<double>({0, 1e-3, 2e-3}));
  ASSERT_EQ(d.y.size(), 3u);
  EXPECT_EQ(d.y[0], kMark);
  EXPECT_EQ(d.y[1], -HUGE_VAL);
  EXPECT_EQ(d.y[2], 0.1);
  EXPECT_EQ(read(file, "i(v1)", HeaderStatus::kOk).y, std::vector<double>({4, 5, 6}));

  // Numbers convert with correct rounding, beyond the range of a double to
  // infinity or zero; letters inside words are no numbers; "1e" is 1.
  std::string values = "x 0.1 2.2250738585072014e-308 4.9e-324 1e-999 -1e999 .5 -.5 1e info 1.";
  std::vector<double> got;
  std::size_t p = 0;
  for (double v; scanNumber(values, &p, &v);) got.push_back(v);
  EXPECT_EQ(got, std::vector<double>(
                     {0.1, 2.2250738585072014e-308, 4.9e-324, 0, -HUGE_VAL, 0.5, -0.5, 1, 1}));
  EXPECT_EQ(p, values.size());

  // A truncated file gives the points whose signal was read; the point
  // count bounds the read.
  EXPECT_EQ(read(file.substr(0, file.size() - 12), "v(10)", HeaderStatus::kOk).x.size(), 2u);
  std::string one = header("real", 1) + "0 1 2 3 4\n1 5 6 7 8\n";
  EXPECT_EQ(read(one, "v(1)", HeaderStatus::kOk).y, std::vector<double>({2}));
}

// Text data hold 16 significant digits of the binary values.
void expectClose(const std::vector<double>& a, const std::vector<double>& b) {
  ASSERT_EQ(a.size(), b.size());
  for (std::size_t i = 0; i < a.size(); ++i) EXPECT_NEAR(a[i], b[i], 1e-15 * std::fabs(b[i]));
}

TEST(SpiceRawTest, Ngspice39Output) {
  // Transient step response of R = 1k, C = 1u, written as text and binary.
  RawData text = read(fixture("tran_ascii.raw"), "v(out)", HeaderStatus::kOk);
  RawData binary = read(fixture("tran_binary.raw"), "v(out)", HeaderStatus::kOk);
  ASSERT_EQ(text.points(), 42u);
  expectClose(text.x, binary.x);
  expectClose(text.y, binary.y);
  for (std::size_t i = 0; i < text.points(); ++i)
    EXPECT_NEAR(text.y[i], 1 - std::exp(-text.x[i] / 1e-3), 2e-3) << text.x[i];
  EXPECT_EQ(read(fixture("tran_ascii.raw"), "i(v1)", HeaderStatus::kOk).points(), 42u);

  // The frequency response, complex, in both forms and from `write`.
  RawData ac = read(fixture("ac_ascii.raw"), "v(out)", HeaderStatus::kOk);
  RawData acBinary = read(fixture("ac_binary.raw"), "v(out)", HeaderStatus::kOk);
  ASSERT_EQ(ac.points(), 7u);
  expectClose(ac.x, acBinary.x);
  expectClose(ac.y, acBinary.y);
  const double fc = 1 / (2 * M_PI * 1e-3);
  for (std::size_t i = 0; i < ac.points(); ++i) {
    const double r = ac.x[i] / fc;
    EXPECT_NEAR(ac.y[2 * i], 1 / (1 + r * r), 1e-9);
    EXPECT_NEAR(ac.y[2 * i + 1], -r / (1 + r * r), 1e-9);
  }
  RawData written = read(fixture("write_ac.raw"), "v(out)", HeaderStatus::kOk);
  EXPECT_EQ(written.x, std::vector<double>({10, 100, 1000}));
  EXPECT_EQ(read(fixture("write_ac.raw"), "v(in)", HeaderStatus::kOk).y,
            std::vector<double>({1, 0, 1, 0, 1, 0}));
}

}  // namespace
}  // namespace orv::spice
