#include "doc/rtf_reader.h"

#include <algorithm>
#include <cstdint>
#include <map>
#include <vector>

#include "base/code_pages.h"

namespace orv {

namespace {

// Groups nested deeper than this are read as skipped destinations, so the
// group stack stays small whatever the input.
constexpr std::size_t kMaxDepth = 512;
constexpr std::size_t kMaxFontName = 256;
constexpr std::size_t kMaxFonts = 1024;

enum class Dest : uint8_t {
  kText,       // the worksheet text
  kSkip,       // read and thrown away
  kFontTable,  // \fonttbl: font numbers, charsets and names
  kInfo,       // \info: only \doccomm is kept
  kComment,    // \doccomm
};

struct Group {
  Dest dest = Dest::kText;
  int32_t uc = 1;  // bytes of fallback after \uN
  int32_t font = -1;
  int32_t halfPoints = 24;
};

struct Font {
  std::u16string name;
  bool nameDone = false;
  bool hasPage = false;
  CodePage page = CodePage::kWindows1252;
};

// Destinations whose text is not part of the worksheet.
constexpr std::string_view kSkipped[] = {"aftncn",
                                         "aftnsep",
                                         "aftnsepc",
                                         "annotation",
                                         "atnauthor",
                                         "atndate",
                                         "atnicn",
                                         "atnid",
                                         "atnparent",
                                         "atnref",
                                         "atntime",
                                         "atrfend",
                                         "atrfstart",
                                         "background",
                                         "bkmkend",
                                         "bkmkstart",
                                         "colorschememapping",
                                         "colortbl",
                                         "datafield",
                                         "datastore",
                                         "do",
                                         "docvar",
                                         "expandedcolortbl",
                                         "falt",
                                         "fchars",
                                         "filetbl",
                                         "fldinst",
                                         "footer",
                                         "footerf",
                                         "footerl",
                                         "footerr",
                                         "footnote",
                                         "ftncn",
                                         "ftnsep",
                                         "ftnsepc",
                                         "generator",
                                         "header",
                                         "headerf",
                                         "headerl",
                                         "headerr",
                                         "latentstyles",
                                         "lchars",
                                         "listoverridetable",
                                         "listpicture",
                                         "listtable",
                                         "mmathPr",
                                         "nonshppict",
                                         "object",
                                         "objdata",
                                         "panose",
                                         "pgdsctbl",
                                         "pict",
                                         "pnseclvl",
                                         "pntxta",
                                         "pntxtb",
                                         "private",
                                         "revtbl",
                                         "rsidtbl",
                                         "rxe",
                                         "shp",
                                         "shpinst",
                                         "shppict",
                                         "stylesheet",
                                         "tc",
                                         "template",
                                         "themedata",
                                         "txe",
                                         "userprops",
                                         "wgrffmtfilter",
                                         "xe",
                                         "xmlnstbl"};

// Skipped destinations whose content a reader of the document sees: a
// worksheet saved again without them loses it.
constexpr std::string_view kVisibleContent[] = {
    "annotation", "do",       "fldinst", "footer",  "footerf", "footerl",
    "footerr",    "footnote", "header",  "headerf", "headerl", "headerr",
    "nonshppict", "object",   "pict",    "shp",     "shppict"};

// Destinations inside \info that are not the comment.
constexpr std::string_view kInfoEntries[] = {
    "author",   "buptim",  "category", "comment", "company", "creatim", "hlinkbase",
    "keywords", "manager", "operator", "printim", "revtim",  "subject", "title"};

template <std::size_t N>
bool among(const std::string_view (&list)[N], std::string_view word) {
  return std::find(std::begin(list), std::end(list), word) != std::end(list);
}

// Characters named by a control word, or 0.
char16_t namedCharacter(std::string_view w) {
  struct Named {
    std::string_view word;
    char16_t c;
  };
  static constexpr Named kNamed[] = {
      {"par", u'\n'},      {"line", u'\n'},       {"tab", u'\t'},       {"cell", u'\t'},
      {"row", u'\n'},      {"emdash", 0x2014},    {"endash", 0x2013},   {"emspace", 0x2003},
      {"enspace", 0x2002}, {"qmspace", 0x2005},   {"bullet", 0x2022},   {"lquote", 0x2018},
      {"rquote", 0x2019},  {"ldblquote", 0x201C}, {"rdblquote", 0x201D}};
  for (const Named& n : kNamed)
    if (n.word == w) return n.c;
  return 0;
}

class RtfReader {
 public:
  explicit RtfReader(std::string_view in) : in_(in) { stack_.push_back(Group{}); }

  RtfDocument read() {
    while (pos_ < in_.size() && !done_) {
      unsigned char c = static_cast<unsigned char>(in_[pos_++]);
      if (c == '{')
        openGroup();
      else if (c == '}')
        closeGroup();
      else if (c == '\\')
        control();
      else if (c == '\r' || c == '\n' || c == '\0')
        continue;  // line breaks of the file itself are not text
      else
        byteCharacter(c);
    }
    finish();
    return std::move(doc_);
  }

 private:
  Group& group() { return stack_.back(); }
  Dest dest() const { return overflow_ > 0 ? Dest::kSkip : stack_.back().dest; }

  void openGroup() {
    skip_ = 0;
    if (stack_.size() >= kMaxDepth || overflow_ > 0) {
      ++overflow_;
      return;
    }
    stack_.push_back(stack_.back());
    started_ = true;
  }

  void closeGroup() {
    skip_ = 0;
    if (overflow_ > 0) {
      --overflow_;
      return;
    }
    if (stack_.size() > 1) stack_.pop_back();
    if (stack_.size() == 1 && started_) done_ = true;
  }

  // A backslash has been read: a control word, a control symbol or \'hh.
  void control() {
    if (pos_ >= in_.size()) return;
    char c = in_[pos_];
    if (!isLetter(c)) {
      ++pos_;
      controlSymbol(c);
      return;
    }
    std::size_t start = pos_;
    while (pos_ < in_.size() && isLetter(in_[pos_])) ++pos_;
    std::string_view word = in_.substr(start, std::min<std::size_t>(pos_ - start, 32));
    bool hasParam = false;
    bool negative = false;
    int64_t param = 0;
    if (pos_ < in_.size() && in_[pos_] == '-' && pos_ + 1 < in_.size() && isDigit(in_[pos_ + 1])) {
      negative = true;
      ++pos_;
    }
    while (pos_ < in_.size() && isDigit(in_[pos_])) {
      hasParam = true;
      param = std::min<int64_t>(param * 10 + (in_[pos_++] - '0'), int64_t(1) << 32);
    }
    if (pos_ < in_.size() && in_[pos_] == ' ') ++pos_;
    if (negative) param = -param;
    param = std::clamp<int64_t>(param, INT32_MIN, INT32_MAX);
    controlWord(word, hasParam, static_cast<int32_t>(param));
  }

  void controlSymbol(char c) {
    if (c == '\'') {
      int hi = pos_ < in_.size() ? hexValue(in_[pos_]) : -1;
      int lo = pos_ + 1 < in_.size() ? hexValue(in_[pos_ + 1]) : -1;
      if (hi < 0 || lo < 0) return;
      pos_ += 2;
      byteCharacter(static_cast<unsigned char>(hi * 16 + lo), true);
      return;
    }
    if (c == '*') {
      star_ = true;
      return;
    }
    if (fallbackSkipped()) return;
    switch (c) {
      case '\\':
      case '{':
      case '}':
        put(static_cast<char16_t>(c));
        break;
      case '\n':
      case '\r':
        put(u'\n');
        break;
      case '~':
        put(0x00A0);
        break;
      case '_':
        put(0x2011);
        break;
      default:
        break;  // \- optional hyphen, \: index entry, \| formula
    }
  }

  void controlWord(std::string_view w, bool hasParam, int32_t n) {
    bool star = star_;
    star_ = false;
    if (w == "bin") {  // binary data: never text, never a fallback
      if (hasParam && n > 0)
        pos_ += std::min<std::size_t>(static_cast<std::size_t>(n), in_.size() - pos_);
      return;
    }
    if (fallbackSkipped()) return;
    if (dest() == Dest::kSkip) return;
    if (destination(w, star)) return;
    if (w == "u" && hasParam) {
      int32_t unit = n < 0 ? n + 65536 : n;
      put(unit >= 0 && unit <= 0xFFFF ? static_cast<char16_t>(unit) : char16_t(0xFFFD));
      skip_ = group().uc;
    } else if (w == "uc" && hasParam) {
      group().uc = std::max(n, 0);
    } else if (dest() == Dest::kFontTable) {
      fontTableWord(w, hasParam, n);
    } else if (w == "f" && hasParam) {
      group().font = n;
    } else if (w == "fs" && hasParam) {
      group().halfPoints = n;
    } else if (w == "plain") {
      group().font = deff_;
      group().halfPoints = 24;
    } else if (w == "deff" && hasParam) {
      deff_ = n;
      if (group().font < 0) group().font = n;
    } else if (w == "deftab" && hasParam) {
      doc_.defaultTab = std::max(n, 0);
    } else if (w == "ansi" || w == "pc" || w == "pca") {
      page_ = CodePage::kWindows1252;
    } else if (w == "mac") {
      page_ = CodePage::kMacRoman;
    } else if (w == "ansicpg" && hasParam) {
      page_ = codePageOf(n);
    } else if (char16_t c = namedCharacter(w)) {
      put(c);
    }
  }

  // Handles a word that starts a destination; false for any other word.
  bool destination(std::string_view w, bool star) {
    Dest& d = group().dest;
    if (w == "doccomm") {
      d = Dest::kComment;
      doc_.hasComment = true;
    } else if (d == Dest::kInfo) {
      if (star || among(kInfoEntries, w)) d = Dest::kSkip;
      return true;  // nothing else inside \info matters
    } else if (w == "info") {
      d = Dest::kInfo;
    } else if (w == "fonttbl") {
      d = Dest::kFontTable;
    } else if (star || among(kSkipped, w)) {
      d = Dest::kSkip;
      if (among(kVisibleContent, w) &&
          std::find(doc_.dropped.begin(), doc_.dropped.end(), w) == doc_.dropped.end())
        doc_.dropped.emplace_back(w);
    } else {
      return false;
    }
    return true;
  }

  void fontTableWord(std::string_view w, bool hasParam, int32_t n) {
    if (w == "f" && hasParam) {
      tableFont_ = n >= 0 && (fonts_.size() < kMaxFonts || fonts_.count(n)) ? n : -1;
      if (tableFont_ >= 0) fonts_[n];
    } else if (w == "fcharset" && hasParam && tableFont_ >= 0) {
      Font& f = fonts_[tableFont_];
      f.hasPage = true;
      f.page = n == 77 ? CodePage::kMacRoman : page_;
    } else if (w == "cpg" && hasParam && tableFont_ >= 0) {
      Font& f = fonts_[tableFont_];
      f.hasPage = true;
      f.page = codePageOf(n);
    }
  }

  // One 8-bit character, from the file or from \'hh.
  void byteCharacter(unsigned char b, bool escaped = false) {
    if (fallbackSkipped()) return;
    if (b < 0x20 && !escaped) {
      if (b == '\t') put(u'\t');
      return;
    }
    CodePage page = page_;
    if (dest() == Dest::kText || dest() == Dest::kComment) {
      auto f = fonts_.find(group().font);
      if (f != fonts_.end() && f->second.hasPage) page = f->second.page;
    }
    put(decodeByte(page, b));
  }

  // True when the next character is part of a \uN fallback and is dropped.
  bool fallbackSkipped() {
    if (skip_ <= 0) return false;
    --skip_;
    return true;
  }

  void put(char16_t c) {
    switch (dest()) {
      case Dest::kText:
        if (!haveFirst_) {
          haveFirst_ = true;
          firstFont_ = group().font;
          doc_.fontHalfPoints = group().halfPoints;
        }
        doc_.text += c;
        break;
      case Dest::kComment:
        doc_.comment += c;
        break;
      case Dest::kFontTable:
        fontNameCharacter(c);
        break;
      default:
        break;
    }
  }

  void fontNameCharacter(char16_t c) {
    if (tableFont_ < 0) return;
    Font& f = fonts_[tableFont_];
    if (c == u';') {
      f.nameDone = true;
    } else if (!f.nameDone && f.name.size() < kMaxFontName) {
      f.name += c;
    }
  }

  void finish() {
    int32_t font = haveFirst_ ? firstFont_ : deff_;
    auto f = fonts_.find(font);
    if (f == fonts_.end()) return;
    std::u16string name = f->second.name;
    while (!name.empty() && name.back() == u' ') name.pop_back();
    while (!name.empty() && name.front() == u' ') name.erase(0, 1);
    doc_.fontName = name;
  }

  static bool isLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
  static bool isDigit(char c) { return c >= '0' && c <= '9'; }
  static int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
  }

  std::string_view in_;
  std::size_t pos_ = 0;
  std::vector<Group> stack_;
  std::size_t overflow_ = 0;  // groups opened beyond kMaxDepth
  bool started_ = false;
  bool done_ = false;
  bool star_ = false;
  int32_t skip_ = 0;  // fallback characters still to drop
  CodePage page_ = CodePage::kWindows1252;
  int32_t deff_ = -1;
  std::map<int32_t, Font> fonts_;
  int32_t tableFont_ = -1;
  bool haveFirst_ = false;
  int32_t firstFont_ = -1;
  RtfDocument doc_;
};

}  // namespace

bool isRtf(std::string_view bytes) { return bytes.substr(0, 5) == "{\\rtf"; }

RtfDocument readRtf(std::string_view bytes) { return RtfReader(bytes).read(); }

}  // namespace orv
