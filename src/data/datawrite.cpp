// write(): an array to a data file in one of the six formats. The file is
// written beside its target and moved into place when complete; its type and
// creator codes, and the column count of a matrix, go to its metadata.
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

#include "data/file_meta.h"
#include "data/files.h"
#include "lang/engine.h"

namespace orv {

namespace {

constexpr const char* kFormatNames[] = {"TEXT", "FLT4", "INT2", "BYT1", "INT4", "DBL8"};
enum Format { kText, kFlt4, kInt2, kByt1, kInt4, kDbl8 };

const char* fmtname(int index) { return index >= 1 && index <= 5 ? kFormatNames[index] : "TEXT"; }

void putBE(unsigned char* out, uint32_t v, int bytes) {
  for (int i = bytes - 1; i >= 0; --i, v >>= 8) out[i] = static_cast<unsigned char>(v & 0xFF);
}

// d truncated toward zero to a 32-bit integer; 0 beyond its range.
int32_t toInt32(double d) {
  double t = std::trunc(d);
  return t >= -2147483648.0 && t <= 2147483647.0 ? static_cast<int32_t>(t) : 0;
}

// d truncated toward zero to a 64-bit integer; 0 beyond its range.
int64_t toInt64(double d) {
  double t = std::trunc(d);
  return t >= -9223372036854775808.0 && t < 9223372036854775808.0 ? static_cast<int64_t>(t) : 0;
}

// The bytes of one value in a binary format; returns their count.
int encodeValue(int format, double d, unsigned char* out) {
  const bool nan = std::isnan(d);
  switch (format) {
    case kFlt4: {
      float f = static_cast<float>(d);
      uint32_t bits;
      std::memcpy(&bits, &f, sizeof bits);
      putBE(out, bits, 4);
      return 4;
    }
    case kInt2:
      putBE(out, nan ? 0x8000u : static_cast<uint32_t>(toInt32(d)) & 0xFFFF, 2);
      return 2;
    case kByt1:
      out[0] = nan ? 0 : static_cast<unsigned char>(toInt32(d) & 0xFF);
      return 1;
    case kInt4:
      putBE(out, nan ? 0x80000000u : static_cast<uint32_t>(toInt64(d) & 0xFFFFFFFF), 4);
      return 4;
    default:
      std::memcpy(out, &d, 8);
      return 8;
  }
}

void textValue(DataWriter& out, double d) {
  if (std::isnan(d)) {
    out.write("\t?", 2);
    return;
  }
  // The text of "\t%0.7g", which to_chars gives exactly, and faster.
  char text[40];
  text[0] = '\t';
  std::to_chars_result r =
      std::to_chars(text + 1, text + sizeof text, d, std::chars_format::general, 7);
  out.write(text, static_cast<std::size_t>(r.ptr - text));
}

}  // namespace

// Reports a write that failed with the system's reason.
void Engine::writeFailed(const std::string& name, const char* what, int error) {
  std::string message = " write file '" + name + "'" + what;
  if (error) message += std::string(": ") + std::strerror(error);
  errmsg(message);
}

int Engine::fmtindex(const std::string& name) {
  for (int i = 0; i < 6; ++i)
    if (name.compare(0, 4, kFormatNames[i]) == 0 && name.size() >= 4) return i;
  errmsg2("write() unknown fmt=%s", name.c_str());
  return -1;
}

void Engine::writenum(DataWriter& out, bool known, int format, double v) {
  if (!known) v = kNan04;
  if (format == kText) {
    if (!known && getstr) {
      out.write(getstr, std::strlen(getstr));
      return;
    }
    textValue(out, v);
    return;
  }
  if (format < 0 || format > 5) {
    errmsg("write() unknown fmt");
    return;
  }
  unsigned char bytes[8];
  out.write(bytes, static_cast<std::size_t>(encodeValue(format, v, bytes)));
}

// The fast path for stored arrays: the block is written without evaluating
// element by element. False when [e] is no stored array.
bool Engine::quickwrite(DataWriter& out, ExprNode* e, int64_t* cols, int format) {
  if (e && e->op == VAR) e = varval(e);
  if (!e) return false;
  *cols = 0;
  if (e->op == FOLD) {
    *cols = e->count;
    e = e->left;
  }
  if (!e || e->op != VEC) return false;
  const double* block = e->block;
  const int64_t n = e->count;
  if (format == kDbl8) {
    out.write(block, static_cast<std::size_t>(n) * sizeof(double));
    return true;
  }
  unsigned char chunk[8192];
  std::size_t used = 0;
  for (int64_t i = 0; i < n && !stop && !out.failed(); ++i) {
    if (format == kText) {
      textValue(out, block[i]);
      if (*cols > 0 && (i + 1) % *cols == 0) out.write("\n", 1);
      if ((i & 0xFFF) == 0xFFF) SpinWatch();
    } else {
      used += static_cast<std::size_t>(encodeValue(format, block[i], chunk + used));
      if (used > sizeof chunk - 8) {
        out.write(chunk, used);
        used = 0;
        SpinWatch();
      }
    }
  }
  out.write(chunk, used);
  return true;
}

// write(filename, array [, format])
bool Engine::evalwrite(ExprNode* n, double* /*result*/) {
  anyasgn = 1;
  ExprNode* nameExpr = n->left;
  ExprNode* formatExpr = nullptr;
  if (nameExpr && nameExpr->op == LIST) {
    formatExpr = nameExpr->right;
    nameExpr = nameExpr->left;
  }
  std::string name;
  if (!getname(nameExpr, &name)) {
    errmsg(" write( file name?, )");
    return false;
  }
  int format = settings_.writeFormat >= 0 && settings_.writeFormat <= 5 ? settings_.writeFormat : 0;
  std::string variable = GetVarStr("Writeformat");
  // An unknown name in Writeformat is reported, and the file is still made
  // (empty, as "TEXT").
  const bool unknownVariableFormat = !variable.empty() && (format = fmtindex(variable)) < 0;
  std::string formatName;
  if (formatExpr) {
    getname(formatExpr, &formatName);
    format = fmtindex(formatName);
    if (format < 0) {
      errmsg(" write(,,fmt? )");
      return false;
    }
  }
  if (format < 0) format = kText;
  if (formatName.empty()) formatName = fmtname(format);
  if (tokn == ABORT && !unknownVariableFormat) return false;

  // Create the file.
  if (documentPath_.empty()) {
    errmsg("can't write from untitled document");
    return false;
  }
  std::optional<std::string> path = macPath(name);
  if (!path) {
    errmsg2(" write file '%s' can't create", name.c_str());
    return false;
  }
  if (outsideConfinement(*path, name)) return false;
  const bool existed = fileExists(*path);
  if (existed && !host_.confirmOverwrite(lastPathComponent(*path))) {
    errmsg2(" write('%s',) canceled", name.c_str());
    return false;
  }
  DataWriter out;
  if (!out.open(*path)) {
    writeFailed(name, " can't create", out.error());
    return false;
  }

  ExprNode* saved = gindex;
  gindex = nullptr;
  gmissidx = 0;
  gdim = 0;
  getstr = nullptr;
  double v;
  int64_t cols = 0;
  bool written = false;
  if (EvalExpr(n->right, &v) || !gmissidx) {
    if (!stop) errmsg("write() can't determine array size. No data written.");
  } else if (quickwrite(out, n->right, &cols, format)) {
    written = true;
  } else {
    const int64_t rows = gdim;
    if (rows == 0) {
      errmsg("write() can't determine array size. No data written.");
    } else {
      ExprNode* i = makecon(1);
      ExprNode* row = makexpr(n->right, IDX, i);
      gmissidx = 0;
      gdim = 0;
      getstr = nullptr;
      bool known = EvalExpr(row, &v);
      if (!gmissidx) {
        writenum(out, known, format, v);
        for (int64_t k = 2; k <= rows && !stop && !out.failed(); ++k) {
          i->value = static_cast<double>(k);
          getstr = nullptr;
          known = EvalExpr(row, &v);
          writenum(out, known, format, v);
        }
        written = true;
      } else if ((cols = gdim) == 0) {
        errmsg("write() can't determine array size. No data written.");
      } else {
        ExprNode* j = makecon(1);
        ExprNode* cell = makexpr(row, IDX, j);
        for (int64_t r = 1; r <= rows && !stop && !out.failed(); ++r) {
          i->value = static_cast<double>(r);
          for (int64_t c = 1; c <= cols && !stop && !out.failed(); ++c) {
            j->value = static_cast<double>(c);
            getstr = nullptr;
            known = EvalExpr(cell, &v);
            writenum(out, known, format, v);
          }
          if (format == kText) out.write("\n", 1);
        }
        freenode(cell);
        freenode(j);
        written = true;
      }
      freenode(row);
      freenode(i);
    }
  }
  gmissidx = 0;
  gdim = 0;
  getstr = nullptr;
  gindex = saved;
  anyasgn = 1;

  // A stopped or failed write leaves an existing file as it was; a new file
  // is created all the same, with what was written.
  if (existed && (stop || !written)) {
    out.discard();
    return false;
  }
  // The data, its attributes and the AppleDouble file are all complete
  // before either file takes its place, so a full disk or a failure leaves
  // the old file and its metadata as they were.
  DataWriter side;
  if (out.failed() ||
      !attachDataFileInfo(out, side, MakeOSType(formatName), kCreatorOrvl,
                          format != kText ? cols : 0) ||
      !out.finish() || !side.finish() || !out.publish()) {
    writeFailed(name, " can't write", out.error() ? out.error() : side.error());
    return false;
  }
  if (!side.publish()) writeFailed(name, " can't write its metadata", side.error());
  return false;
}

}  // namespace orv
