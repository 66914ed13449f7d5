// The calculation run: two passes of the statement loop over the worksheet,
// the reset of the language state, and the stop poll.
#include <pthread.h>

#include <cmath>
#include <limits>
#include <new>

#include "base/macroman.h"
#include "lang/addons.h"
#include "lang/engine.h"

namespace orv {

Engine::Engine(Host& host, const Registry* registry)
    : host_(host), registry_(registry ? registry : &emptyRegistry()), random_(newRandomState()) {
  lastprint = std::numeric_limits<double>::quiet_NaN();
}

Engine::~Engine() {
  freesyms();
  nodes_.reset();
  deleteRandomState(random_);
}

void Engine::setSettings(const DocSettings& s) {
  settings_ = s;
  if (settings_.places < 0) settings_.places = 0;
  if (settings_.places > 255) settings_.places = 255;
}

namespace {

// The buffer copy of the text. A NUL inside the text would end the scan
// early and leave the rest of the worksheet unread; it is made unrecognisable
// instead.
std::string bufferOf(const TextStorage& text) {
  std::string b = text.bytes();
  for (char& c : b)
    if (c == '\0') c = static_cast<char>(kNoByte);
  return b;
}

// The lowest stack address that evaluation may reach, with room to spare for
// the calls made below the check.
const char* stackLimitOfThisThread() {
  pthread_attr_t attr;
  void* addr = nullptr;
  std::size_t size = 0;
  if (pthread_getattr_np(pthread_self(), &attr) != 0) return nullptr;
  pthread_attr_getstack(&attr, &addr, &size);
  pthread_attr_destroy(&attr);
  std::size_t margin = std::size_t(256) << 10;
  return size > 2 * margin ? static_cast<const char*>(addr) + margin : nullptr;
}

}  // namespace

RunOutcome Engine::run(TextStorage& text) {
  std::size_t len = text.length();
  if (len == 0 || text.bytes().back() != '\n') text.insert(len, "\n");
  angunits = settings_.degrees ? std::asin(1.0) / 90 : 1.0;
  stackLimit_ = stackLimitOfThisThread();
  newtabWidth = 0;
  RunOutcome out;
  int64_t fault = -1;
  try {
    WESetTextStorage(&text, 0, bufferOf(text));
    fault = dopass1();
    if (fault < 0) {
      WESetTextStorage(&text, 0, bufferOf(text));
      fault = dopass2();
    }
  } catch (const std::bad_alloc&) {
    errmsg(" out of memory");
    fault = static_cast<int64_t>(textPos(lastsel));
    gindex = gparms = nullptr;
    reparse();
  }
  cstring.clear();
  cstring.shrink_to_fit();
  hWE = nullptr;
  out.ok = fault < 0;
  out.faultPos = fault < 0 ? 0 : static_cast<std::size_t>(fault);
  out.status = statusText;
  out.tabWidth = newtabWidth;
  for (auto runEnd : modules_.runEnds) runEnd(*this, out);
  return out;
}

int64_t Engine::dopass1() {
  reparse();
  for (auto start : modules_.runStarts) start(*this);
  errmsg("");
  pass2 = 0;
  if (pass()) return -1;
  errmsg(" Unrecognizable text");
  return static_cast<int64_t>(textPos(lastsel));
}

int64_t Engine::dopass2() {
  pass2 = 1;
  errmsg("");
  bool ok = pass();
  tabset();
  if (stop) errmsg(" stopped");
  if (!ok) errmsg(" Unrecognizable text");
  const bool finish = tokn != ABORT;
  if (tokn != ABORT) {
    if (anyukn) {
      errmsg2(" ? %s?", anyukn->name);
    } else if (ok) {
      const char check[] = {static_cast<char>(kCheckByte), '\0'};
      errmsg(check);
    }
  }
  for (auto passEnd : modules_.passEnds) passEnd(*this, finish);
  if (ok) return -1;
  int64_t at = static_cast<int64_t>(textPos(lastsel));
  reparse();
  return at;
}

bool Engine::pass() {
  stop = 0;
  if (stopRequest_ && stopRequest_->load(std::memory_order_relaxed)) stop = 1;
  lastsel = 0;
  selo = selhi = 0;
  tokn = NOTOK;
  nest_ = 0;
  accept(NOTOK);
  while (stmt()) {
  }
  return tokn == EOFTOK;
}

void Engine::reparse() {
  clearCode();
  freedfs();
  freesyms();
  freechunks();
  labn = 0;
  lastprint = std::numeric_limits<double>::quiet_NaN();
  initplot = 1;
  anyukn = nullptr;
  Predef();
}

void Engine::tabset() {
  if (stop) return;  // a stopped run cannot evaluate it
  Symbol* s = symref("Tabwidth");
  if (!s->def) return;
  double v;
  if (GetVarVal("Tabwidth", &v) && v > 0 && v <= 900)
    newtabWidth = static_cast<int>(v);
  else
    errmsg(" ? Tabwidth out of range");
}

void Engine::pollStop() {
  if (stopRequest_ && stopRequest_->load(std::memory_order_relaxed)) stop = 1;
}

bool Engine::GetVarVal(const char* name, double* value) {
  Symbol* s = symref(name);
  if (s->nparams > 0) return false;
  gmissidx = 0;
  gdim = 0;
  bool known = evalvar(s, value);
  gmissidx = 0;
  return known;
}

}  // namespace orv
