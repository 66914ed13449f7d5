// include: the first pass over another worksheet, whose definitions then
// belong to the running calculation. The included text is parsed with its
// own buffer and never changed.
#include <cstdio>
#include <cstdlib>
#include <utility>

#include "base/macroman.h"
#include "data/files.h"
#include "doc/document.h"
#include "lang/engine.h"
#include "lang/memory_text.h"

namespace orv {

namespace {

constexpr int kMaxIncludeDepth = 32;

// The text of the worksheet to include: an open document's from the host,
// else the file's.
bool includeText(Host& host, const std::string& path, std::u16string* text) {
  if (host.openDocumentText(path, text)) return true;
  std::string bytes;
  if (!readFileBytes(path, &bytes)) return false;
  *text = readWorksheetText(bytes);
  return true;
}

}  // namespace

// The pass over an included text: the statement loop in definition mode.
// -1 on success, else the text position of the fault.
int64_t Engine::inclpass() {
  errmsg("");
  pass2 = 0;
  if (pass()) return -1;
  errmsg(" Unrecognizable text");
  return static_cast<int64_t>(textPos(lastsel));
}

void Engine::ParseIncludeDoc(const char* name) {
  std::optional<std::string> path = macPath(name);
  if (!path) {
    errmsg2(" bad file name '%s'", name);
    return;
  }
  std::u16string text;
  bool found = host_.openDocumentText(*path, &text);
  if (!found && !fileExists(*path)) {
    const char* home = std::getenv("HOME");
    std::string converted = bytesToUtf8(name);
    for (char& c : converted)
      if (c == ':') c = '/';
    path = std::string(home ? home : "") + "/Documents/Orvanel/" + converted;
  }
  if (outsideConfinement(*path, name)) return;
  if (!found && !includeText(host_, *path, &text)) {
    errmsg(" can't open include file");
    return;
  }
  if (includeDepth_ >= kMaxIncludeDepth) {
    errmsg(" include nesting too deep");
    return;
  }
  if (text.empty() || text.back() != u'\n') text += u'\n';

  // Everything the including pass stands on is put aside for the included
  // one and restored afterwards, so its parse resumes at the statement.
  TextStorage* savedStorage = hWE;
  std::string savedBuffer = std::move(cstring);
  std::size_t savedEnd = bufend, savedSelo = selo, savedSelhi = selhi, savedLast = lastsel;
  int64_t savedOff = seloff;
  int32_t savedTok = tokn;
  double savedCon = tokcon;
  std::string savedStr = tokstr;
  std::string savedStatus = statusText;
  int savedHavemsg = havemsg;
  int savedNest = nest_;
  // Names in the included worksheet's own include statements are relative
  // to its folder.
  std::string savedDocument = std::exchange(documentPath_, *path);

  MemoryText included(text);
  std::string bytes = included.bytes();
  for (char& c : bytes)
    if (c == '\0') c = static_cast<char>(kNoByte);
  WESetTextStorage(&included, 0, std::move(bytes));
  ++includeDepth_;
  int64_t fault = inclpass();
  --includeDepth_;
  std::string includedMessage = statusText;
  bool includedAborted = stop != 0;

  hWE = savedStorage;
  cstring = std::move(savedBuffer);
  bufend = savedEnd;
  selo = savedSelo;
  selhi = savedSelhi;
  lastsel = savedLast;
  seloff = savedOff;
  tokn = savedTok;
  tokcon = savedCon;
  std::snprintf(tokstr, sizeof tokstr, "%s", savedStr.c_str());
  statusText = savedStatus;
  havemsg = savedHavemsg;
  nest_ = savedNest;
  documentPath_ = std::move(savedDocument);
  stop = 0;

  if (fault >= 0 || includedAborted) {
    // A fault deeper down was reported where it happened; it travels up as
    // this document's include error.
    const bool fromDeeper = includedMessage == " error in include file" ||
                            includedMessage == " include nesting too deep";
    if (!fromDeeper)
      host_.includeFailed(*path, included.text(), fault >= 0 ? static_cast<std::size_t>(fault) : 0,
                          includedMessage);
    errmsg(includedMessage == " include nesting too deep" ? includedMessage
                                                          : " error in include file");
  }
}

}  // namespace orv
