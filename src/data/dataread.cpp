// read(): data files in six formats become arrays. Each read node reads its
// file once per run; later evaluations use the values kept in the run's
// data-file table, or (for "DBL8") the stored array the node has become.
#include <algorithm>
#include <bit>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <vector>

#include "data/file_meta.h"
#include "data/files.h"
#include "data/textread.h"
#include "lang/engine.h"
#include "lang/whole_number.h"

namespace orv {

namespace {

constexpr std::size_t kMaxDataFiles = 50;
const uint32_t kText = MakeOSType("TEXT"), kFlt4 = MakeOSType("FLT4"), kInt2 = MakeOSType("INT2"),
               kByt1 = MakeOSType("BYT1"), kInt4 = MakeOSType("INT4"), kDbl8 = MakeOSType("DBL8");

inline uint32_t be32(const unsigned char* p) {
  return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
}

}  // namespace

// A file or format name from an argument: a string, a variable holding one
// (or, when it holds none, the variable's own name), or any expression that
// gives a string.
bool Engine::getname(ExprNode* e, std::string* name) {
  if (!e) return false;
  if (e->op == STR) {
    *name = e->text;
    return true;
  }
  ExprNode* saved = gindex;
  gindex = nullptr;
  getstr = nullptr;
  gmissidx = 0;
  bool found = false;
  double v;
  if (e->op == VAR) {
    Symbol* s = e->sym;
    if (s->depth == 0) {
      ++s->depth;
      bool known = EvalExpr(s->def, &v);
      --s->depth;
      *name = !known && getstr && gmissidx ? std::string(getstr) : std::string(s->name);
      found = true;
    }
  } else if (!EvalExpr(e, &v) && getstr && gmissidx) {
    *name = getstr;
    found = true;
  }
  gmissidx = 0;
  getstr = nullptr;
  gindex = saved;
  return found;
}

bool Engine::GetOptParm(ExprNode* e, int64_t* target, bool nonNegative) {
  if (!e) return false;
  ExprNode* saved = gindex;
  gindex = nullptr;
  double v;
  bool known = EvalExpr(e, &v);
  gindex = saved;
  gmissidx = 0;
  if (known && !(nonNegative && v < 0) && std::isfinite(v)) {
    *target = clampedWhole(v, -9000000000000000000, 9000000000000000000, 0);
    return true;
  }
  errmsg(" read(,?) parameter error");
  return false;
}

bool Engine::intvlerr(int64_t interval) {
  if (interval <= 1) return false;
  errmsg(" read(,?) this format doesn't support interval parm");
  return true;
}

namespace {

// Bytes of a binary file read per piece.
constexpr std::size_t kPiece = std::size_t(64) << 10;

void readError(Engine& e) {
  char text[40];
  std::snprintf(text, sizeof text, "read err=%ld", static_cast<long>(errno));
  e.errmsg(text);
}

// Converts [m] values [stride] bytes apart from [in] to [out].
template <int kSize, typename Convert>
void convertValues(const unsigned char* in, std::size_t stride, std::size_t m, float* out,
                   Convert convert) {
  if (stride == kSize) {
    for (std::size_t j = 0; j < m; ++j) out[j] = convert(in + j * kSize);
  } else {
    for (std::size_t j = 0; j < m; ++j) out[j] = convert(in + j * stride);
  }
}

// Reads a binary format from [start]: [kSize]-byte values at every
// [interval]th position, converted by [convert]. The file is read in pieces
// of whole steps; a step longer than a piece reads its one value alone.
// False when the run stops or the file can't be read.
template <int kSize, typename Convert>
bool readBinary(Engine& e, const InputFile& file, std::size_t start, int64_t length,
                int64_t interval, Convert convert, FloatBlock* out) {
  const std::size_t size = file.size();
  std::size_t n = start < size ? (size - start) / kSize : 0;
  const std::size_t k = interval > 0 ? static_cast<std::size_t>(interval) : 1;
  n /= k;
  if (length >= 1 && static_cast<uint64_t>(length) < n) n = static_cast<std::size_t>(length);
  out->clear();
  if (n == 0) return true;
  const std::size_t stride = k * kSize;  // no more than the file's size, as n > 0
  const std::size_t perPiece = stride <= kPiece ? kPiece / stride : 1;
  std::unique_ptr<unsigned char[]> piece(new unsigned char[kPiece]);
  out->resize(n);
  std::size_t i = 0;
  while (i < n) {
    const std::size_t m = std::min(perPiece, n - i);
    const std::size_t want = (m - 1) * stride + kSize;
    ssize_t got = file.read(start + i * stride, piece.get(), want);
    if (got < 0) {
      readError(e);
      return false;
    }
    // A file that shrank while read ends early.
    const std::size_t whole = static_cast<std::size_t>(got) < kSize
                                  ? 0
                                  : (static_cast<std::size_t>(got) - kSize) / stride + 1;
    convertValues<kSize>(piece.get(), stride, std::min(m, whole), out->data() + i, convert);
    i += std::min(m, whole);
    e.SpinWatch();
    if (e.Stopped()) return false;
    if (whole < m) break;
  }
  out->resize(i);
  return true;
}

// The TEXT values of [file] from [start], read through a buffer of 128 KiB
// that stays in the cache: each piece handed to the reader ends after its
// last line end, and the rest goes to the front of the next.
bool readTextFile(Engine& e, const InputFile& file, std::size_t start, int64_t limit,
                  TextValues* values) {
  constexpr std::size_t kPiece = std::size_t(1) << 17;
  const std::size_t size = file.size();
  TextValueReader reader(limit, start < size ? size - start : 0);
  std::vector<char> buffer(kPiece);
  std::size_t offset = start, kept = 0;
  for (;;) {
    if (kept == buffer.size()) buffer.resize(buffer.size() * 2);  // a line longer than a piece
    const ssize_t got =
        offset < size ? file.read(offset, buffer.data() + kept, buffer.size() - kept) : 0;
    if (got < 0) {
      char message[40];
      std::snprintf(message, sizeof message, " data file err=%ld", static_cast<long>(errno));
      e.errmsg(message);
      return false;
    }
    offset += static_cast<std::size_t>(got);
    const std::size_t filled = kept + static_cast<std::size_t>(got);
    const bool last = got == 0 || offset >= size;
    std::size_t cut = filled;
    if (!last) {
      while (cut > 0 && buffer[cut - 1] != '\n' && buffer[cut - 1] != '\r') --cut;
      if (cut == 0) {
        kept = filled;
        continue;
      }
    }
    if (!reader.add(buffer.data(), buffer.data() + cut) || last) break;
    kept = filled - cut;
    std::memmove(buffer.data(), buffer.data() + cut, kept);
  }
  *values = reader.finish();
  return true;
}

}  // namespace

// Reads the file's values into a new table entry; its number, or -1.
int Engine::GetData(const InputFile& file, std::size_t start, uint32_t type, int64_t length,
                    int64_t interval) {
  DataFile f;
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const bool own = isOrvl != 0;
  bool ok;
  if (type == kByt1) {
    ok = readBinary<1>(
        *this, file, start, length, interval, [](const unsigned char* p) { return float(p[0]); },
        &f.values);
  } else if (type == kFlt4) {
    if (intvlerr(interval)) return -1;
    ok = readBinary<4>(
        *this, file, start, length, 0,
        [](const unsigned char* p) { return std::bit_cast<float>(be32(p)); }, &f.values);
  } else if (type == kInt2) {
    ok = readBinary<2>(
        *this, file, start, length, interval,
        [own, nan](const unsigned char* p) {
          int16_t v = static_cast<int16_t>((p[0] << 8) | p[1]);
          return own && v == -32768 ? nan : float(v);
        },
        &f.values);
  } else if (type == kInt4) {
    ok = readBinary<4>(
        *this, file, start, length, interval,
        [own, nan](const unsigned char* p) {
          int32_t v = static_cast<int32_t>(be32(p));
          return own && v == std::numeric_limits<int32_t>::min() ? nan : float(v);
        },
        &f.values);
  } else if (type == kText) {
    if (intvlerr(interval)) return -1;
    TextValues t;
    if (!readTextFile(*this, file, start, length, &t)) return -1;
    f.values = std::move(t.values);
    f.cols = t.cols;
    SpinWatch();
    ok = !Stopped();
  } else {
    errmsg(" unknown data file type");
    stop = 1;
    return -1;
  }
  if (!ok) return -1;
  if (f.values.empty()) errmsg(" ?read() no values in file");
  dfs_.push_back(std::move(f));
  return static_cast<int>(dfs_.size()) - 1;
}

// The bytes of [file] from [start] to its end, or [most] of them.
bool Engine::readText(const InputFile& file, std::size_t start, std::size_t most, ByteBlock* text) {
  const std::size_t n = std::min(start < file.size() ? file.size() - start : 0, most);
  text->resize(n);
  ssize_t got = n ? file.read(start, text->data(), n) : 0;
  if (got < 0) {
    char message[40];
    std::snprintf(message, sizeof message, " data file err=%ld", static_cast<long>(errno));
    errmsg(message);
    return false;
  }
  text->resize(static_cast<std::size_t>(got));
  return true;
}

// "DBL8" data becomes part of the tree: the read node turns into a stored
// array of doubles, folded into rows when the file has columns.
bool Engine::readdbl8(ExprNode* n, const InputFile& file, std::size_t start, int64_t length,
                      int64_t cols) {
  const std::size_t size = file.size();
  int64_t count = start < size ? static_cast<int64_t>((size - start) / 8) : 0;
  if (length >= 1 && length < count) count = length;
  if (count > kMaxArrayElements) {
    errmsg(" array is too large");
    return false;
  }
  const std::size_t bytes = static_cast<std::size_t>(count > 0 ? count : 1) * sizeof(double);
  auto* block = static_cast<double*>(allocateLarge(bytes));
  if (!block) {
    errmsg(" read() malloc error");
    return false;
  }
  if (count > 0) {
    ssize_t got = file.read(start, block, static_cast<std::size_t>(count) * 8);
    if (got < 0) {
      std::free(block);
      readError(*this);
      return false;
    }
    count = got / 8;  // a file that shrank while read ends early
  }
  if (count == 0) errmsg(" ?read() no values in file");
  freexpr(n->left);
  freexpr(n->right);
  if (cols >= 1) {
    n->op = FOLD;
    n->left = makevec(block, count);
    n->count = cols;
  } else {
    n->op = VEC;
    n->block = block;
    n->count = count;
  }
  return true;
}

// An element of a table entry, picked by the indices on gindex; without
// indices the whole array (or row) is reported as missing indices.
bool Engine::dataelement(const DataFile& f, double* result) {
  const int64_t count = static_cast<int64_t>(f.values.size());
  const int64_t cols = f.cols;
  if (!gindex) {
    ++gmissidx;
    if (cols >= 1) {
      ++gmissidx;
      gdim = count < cols ? 1 : count / cols;
    } else {
      gdim = count;
    }
    return false;
  }
  double v = gindex->left->value;
  if (!(v > 0.5)) return false;
  std::optional<int64_t> row = wholePart(v - 0.5);
  if (!row) return false;
  int64_t position = *row;
  if (cols >= 1) {
    if (!gindex->right) {
      ++gmissidx;
      gdim = cols;
      return false;
    }
    if (position >= count / cols) return false;
    double w = gindex->right->left->value;
    if (!(w > 0.5)) return false;
    // A column beyond the last runs into the next row.
    std::optional<int64_t> col = wholePart(w - 0.5);
    if (!col || *col >= count) return false;
    position = position * cols + *col;
  }
  if (position >= count) return false;
  *result = f.values[static_cast<std::size_t>(position)];
  return true;
}

// read(filename [, format, columns, length, skip, interval])
bool Engine::evalread(ExprNode* n, double* result) {
  if (n->right && n->right->op == PARM) {
    std::size_t entry = static_cast<std::size_t>(n->right->parm);
    return entry < dfs_.size() && dataelement(dfs_[entry], result);
  }
  int64_t cols = 0, length = 0, skip = 0, interval = 0;
  bool colsGiven = false;
  std::string name, format;
  bool haveName;
  ExprNode* args = n->left;
  if (args && args->op == LIST) {
    ExprNode* a[6] = {};
    ExprNode* l = args;
    for (int i = 0; i < 4 && l && l->op == LIST; ++i) {
      a[i] = l->left;
      l = l->right;
    }
    if (l && l->op == LIST) {
      a[4] = l->left;
      a[5] = l->right;
    }
    haveName = getname(a[0], &name);
    getname(a[1], &format);
    colsGiven = GetOptParm(a[2], &cols, true);
    GetOptParm(a[3], &length, true);
    GetOptParm(a[4], &skip, false);
    GetOptParm(a[5], &interval, true);
  } else {
    haveName = getname(args, &name);
  }
  if (tokn == ABORT) return false;
  if (!haveName) {
    errmsg(" read( file name? )");
    return false;
  }
  std::string path;
  InputFile file;
  int64_t type = OpenDataFile(name, format, &path);
  if (type < 0 || !file.open(path)) {
    stop = 1;
    errmsg2(" read(%s) can't open", name.c_str());
    return false;
  }
  std::size_t start = 0;
  if (skip > 0) {
    start = static_cast<std::size_t>(skip);
  } else if (skip < 0) {
    // A line takes at most 301 bytes (300 and the LF of a CR LF), and one
    // byte follows the last.
    const uint64_t lines = static_cast<uint64_t>(-skip);
    std::size_t need = file.size();
    if (lines < need / 301) need = static_cast<std::size_t>(lines * 301 + 1);
    ByteBlock head;
    if (!readText(file, 0, need, &head)) return false;
    start = skipTextLines(head.data(), head.size(), 0, -skip);
  }
  const uint32_t code = static_cast<uint32_t>(type);
  if (code == kDbl8) {
    if (intvlerr(interval)) return false;
    if (!colsGiven) cols = getcols(path);
    if (!readdbl8(n, file, start, length, cols)) return false;
    return EvalExpr(n, result);
  }
  if (dfs_.size() >= kMaxDataFiles) {
    errmsg(" Too many data files.");
    return false;
  }
  int entry = GetData(file, start, code, length, interval);
  if (entry < 0) return false;
  DataFile& f = dfs_[static_cast<std::size_t>(entry)];
  if (code != kText) f.cols = getcols(path);
  if (colsGiven) f.cols = cols;
  freexpr(n->right);
  n->right = makeparm(entry);
  return dataelement(f, result);
}

}  // namespace orv
