// The worksheet text buffer: the flat byte copy that the scanner reads, the
// edits that go to the real text behind it, and the message routine.
#include <cstdio>
#include <cstring>

#include "lang/engine.h"

namespace orv {

void Engine::WESetTextStorage(TextStorage* storage, int64_t offset, std::string buffer) {
  hWE = storage;
  seloff = offset;
  cstring = std::move(buffer);
  bufend = cstring.size() + 1;
}

std::size_t Engine::WEInsert(std::string_view text) {
  if (!hWE || text.empty()) return 0;
  hWE->insert(static_cast<std::size_t>(static_cast<int64_t>(selo) + seloff), text);
  seloff += static_cast<int64_t>(text.size());
  return text.size();
}

void Engine::WEDelete() {
  if (selhi > selo) {
    std::size_t len = selhi - selo;
    if (hWE) hWE->remove(static_cast<std::size_t>(static_cast<int64_t>(selo) + seloff), len);
    seloff -= static_cast<int64_t>(len);
  }
  selo = selhi;
}

void Engine::WESetStyle(int style) {
  if (!hWE || style < 1 || style > 4 || selhi <= selo) return;
  hWE->setStyle(static_cast<std::size_t>(static_cast<int64_t>(selo) + seloff), selhi - selo, style);
}

void Engine::insert(std::string_view text) {
  if (insertLog_) insertLog_->emplace_back(lastsel, std::string(text));
  setinsert(lastsel);
  WEInsert(text);
}

void Engine::replace(std::string_view text) {
  selo = lastsel - 1;
  selhi = lastsel;
  WEDelete();  // selo is now lastsel, which maps to where the character stood
  WEInsert(text);
}

// Deletes the old result after a ':' up to a comment, a ';' or the line end.
// A quoted text right after the colon is deleted whole.
void Engine::del2eol() {
  std::size_t s = selo;
  lastsel = s;
  if (s + 1 >= bufend) return;
  const char* b = cstring.c_str();
  std::size_t e = s;
  if (b[e] == '"') {
    ++e;
    while (b[e] != '"' && b[e] != '\n' && b[e] != '\r' && b[e] != '\0') ++e;
  }
  while (b[e] != '\0' && b[e] != ';' && b[e] != '\n' && b[e] != '\r' && b[e] != '~' &&
         !(b[e] == '-' && b[e + 1] == '-'))
    ++e;
  selo = s;
  selhi = e;
  WEDelete();
  lastsel = e;
}

// ---------------------------------------------------------------------------
// Messages
// ---------------------------------------------------------------------------

void Engine::errmsg(std::string_view msg) {
  if (!havemsg || msg.empty()) statusText.assign(msg);
  havemsg = msg.empty() ? 0 : 1;
  if (!msg.empty()) {
    tokn = ABORT;
    stop = 1;
  }
}

void Engine::errmsg2(const char* format, const char* arg) {
  char text[200];
  std::snprintf(text, sizeof text, format, arg);
  errmsg(text);
}

void Engine::errmsg2(const char* format, double arg) {
  char text[200];
  std::snprintf(text, sizeof text, format, arg);
  errmsg(text);
}

void Engine::BugAlert(const char* format, long arg) {
  char text[200];
  std::snprintf(text, sizeof text, format, arg);
  host_.bugAlert(text);
}

void Engine::BugAlert(const char* text) { host_.bugAlert(text); }

}  // namespace orv
