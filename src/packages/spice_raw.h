// The SPICE raw file: the simulator's output, a text header followed by the
// values of every variable at every point, as text or as 8-byte doubles.
//
// Header, as ngspice and the Berkeley simulators write it:
//   Title: ...            (three lines of any text: title, date, plot name)
//   Flags: real|complex [little_endian]
//   No. Variables: N      (including the independent variable)
//   No. Points: M
//   ...                   (any lines)
//   Variables:
//     0 time time         (index, name, type: one line per variable)
//     1 v(out) voltage
//   Values: | Binary:     (then the data)
//
// Everything here works on bytes already in memory, so the reader can be
// tested and fuzzed without files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace orv::spice {

// The longest independent-variable name kept.
inline constexpr std::size_t kMaxNameLength = 39;

// How far into a file the header is looked for. Circuits that save many
// vectors have long variable lists, so this is far beyond one block.
inline constexpr std::size_t kMaxHeaderBytes = std::size_t(16) << 20;

enum class ByteOrder { kLittle, kBig, kUnknown };

struct RawHeader {
  int64_t points = 0;     // as the header states it
  int64_t variables = 0;  // at least 2
  bool complex = false;   // each value is a (real, imaginary) pair
  bool binary = false;
  ByteOrder order = ByteOrder::kUnknown;  // binary data: the order the flags name
  int64_t signal = 0;                     // index of the requested variable
  std::string independent;                // name of variable 0
  std::size_t dataStart = 0;              // first byte of the data
};

enum class HeaderStatus { kOk, kFormatError, kNoSignal };

struct HeaderResult {
  HeaderStatus status = HeaderStatus::kFormatError;
  RawHeader header;
  std::size_t readTo = 0;  // how far the header was read (for the error report)
};

// Reads the header of [file] and finds [signal] among the variables after
// the independent one. The names must match whole and exactly.
HeaderResult readHeader(std::string_view file, std::string_view signal);

// The values of one signal: x holds the independent variable (real parts),
// y the signal, one value per point or (complex data) real and imaginary
// part per point.
struct RawData {
  std::vector<double> x;
  std::vector<double> y;
  std::size_t points() const { return x.size(); }
};

// Polled now and then during a long read; true ends it early.
using StopPoll = std::function<bool()>;

// Reads at most header.points points of the data of [file]. Binary data in
// an unknown byte order is taken in the order that reads sanely (see
// sniffByteOrder). NaN in text data is stored as [nanValue].
RawData readData(std::string_view file, const RawHeader& header, double nanValue,
                 const StopPoll& stopped);

// The byte order of binary data whose flags name none: big-endian, unless
// the values of the first points read as little-endian are plainly saner
// (finite, of plausible size, and the independent variable not decreasing).
ByteOrder sniffByteOrder(std::string_view data, const RawHeader& header);

// Scans one number of text data at [p] in [text]: characters that cannot
// start one are passed over; numbers have the form [-]digits[.digits][e[+-]digits]
// and also read "nan", "inf" and "infinity" as whole words. Returns false when
// no number remains; else stores it in [value] and moves [p] past it.
bool scanNumber(std::string_view text, std::size_t* p, double* value);

}  // namespace orv::spice
