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
  FN_ABS = 200,  // built-in codes: 200 + position in kBuiltinNames
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

// ORDER TOKENS
inline constexpr const char* kBuiltinNames[] = {
    "abs", "acos", "asin", "atan", "atan2", "cos",    "count", "det",  "exp", "ln",
    "log", "rand", "read", "sin",  "sprintf", "sqrt", "sum",   "tan", "trunc", "write"};
inline constexpr int kBuiltinCount = 20;

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
