// Token codes and the scanner's word tables. The colouring and the function
// browser read the same tables.
#pragma once

#include <cstdint>

namespace orv {

// ORDER TOKENS
enum Token : int32_t {
  ABORT = -2,
  EOFTOK = -1,
  NOTOK = 0,
  VARIABLE = 1,
  CONSTANT = 3,
  EOL = 4,
  STRING = 13,
  ASSIGN = 128,   // :=
  SEQ = 129,      // ,,
  GE = 130,       // >=
  LE = 131,       // <=
  EQ = 132,       // ==
  NE = 133,       // !=
  KW_AND = 134,   // keyword codes: 134 + position in kKeywords
  KW_OR,
  KW_NOT,
  KW_WHEN,
  KW_WHILE,
  KW_PLOT,
  KW_TABLE,
  KW_OTHERWISE,
  KW_UNKNOWN,
  KW_KNOWN,
  KW_DIM,
  KW_LABEL,
  KW_PLOTLINE,
  KW_IMAGE,
  KW_INCLUDE,
  KW_SLABEL,
  KW_NEWAXIS,
  KW_IMAGEFILE,
  FN_ABS = 200,  // built-in codes: 200 + position in kBuiltins
  FN_ACOS,
  FN_ASIN,
  FN_ATAN,
  FN_ATAN2,
  FN_COS,
  FN_COUNT,
  FN_DET,
  FN_EXP,
  FN_LN,
  FN_LOG,
  FN_RAND,
  FN_READ,
  FN_SIN,
  FN_SPRINTF,
  FN_SQRT,
  FN_SUM,
  FN_TAN,
  FN_TRUNC,
  FN_WRITE,
  FN_END
};

// ORDER TOKENS
inline constexpr const char* kKeywords[] = {
    "and",   "or",       "not",   "when",    "while",  "plot",
    "table", "otherwise", "unknown", "known", "dim",    "label",
    "plotline", "image", "include", "slabel", "newaxis", "imagefile"};
inline constexpr int kKeywordCount = 18;

// The built-in functions, with the parameter list and the one-line
// description the function browser shows. Token code FN_ABS + position.
struct BuiltinEntry {
  const char* name;
  const char* parms;
  const char* description;
};

// ORDER TOKENS
inline constexpr BuiltinEntry kBuiltins[] = {
    {"abs", "n", "absolute value"},
    {"acos", "n", "arccosine"},
    {"asin", "n", "arcsine"},
    {"atan", "n", "arctangent"},
    {"atan2", "y,x", "arctangent 4 quadrant"},
    {"cos", "angle", "cosine"},
    {"count", "array", "number of array elements"},
    {"det", "matrix", "determinant of square matrix"},
    {"exp", "n", "e^n"},
    {"ln", "n", "log base e"},
    {"log", "n", "log base 10"},
    {"rand", "range", "random number"},
    {"read", "filename[,fmt,cols,len,skip,intvl]", "read data"},
    {"sin", "angle", "sine"},
    {"sprintf", "format,n", "formated output"},
    {"sqrt", "n", "square root"},
    {"sum", "expr,i,lo,hi", "summation"},
    {"tan", "angle", "tangent"},
    {"trunc", "n", "truncate"},
    {"write", "filename,array[,fmt]", "write data"},
};
inline constexpr int kBuiltinCount = 20;
static_assert(sizeof kBuiltins / sizeof kBuiltins[0] == kBuiltinCount);
static_assert(FN_END - FN_ABS == kBuiltinCount);

// ORDER TOKENS: the scanner's named constants; the position is the
// constant's number (pi, the radians factor, on, off).
inline constexpr const char* kNamedConstants[] = {"pi", "Radians", "on", "off"};
inline constexpr int kNamedConstantCount = 4;

inline bool isinfun(int code) { return code >= FN_ABS && code < FN_END; }

// Mac OS Roman bytes with a meaning of their own in the language.
inline constexpr unsigned char kPiByte = 0xB9;
inline constexpr unsigned char kInfinityByte = 0xB0;
inline constexpr unsigned char kMicroByte = 0xB5;
inline constexpr unsigned char kGeByte = 0xB3;
inline constexpr unsigned char kLeByte = 0xB2;
inline constexpr unsigned char kNeByte = 0xAD;
inline constexpr unsigned char kCheckByte = 0xC3;  // the square-root sign
inline constexpr unsigned char kEllipsisByte = 0xC9;

}  // namespace orv
