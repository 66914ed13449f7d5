// The circuit simulation link: runspice hands a circuit to the simulator,
// checkforfile waits for its output, readspice reads one signal of a raw
// file into the worksheet variables `vec` and the independent variable, and
// deletefile cleans up.
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <new>

#include "data/file_meta.h"
#include "data/files.h"
#include "lang/engine.h"
#include "packages/funutil.h"
#include "packages/registry.h"
#include "packages/spice_circuit.h"
#include "packages/spice_process.h"
#include "packages/spice_raw.h"
#include "packages/spice_wait.h"

namespace orv {

void Engine::endSimulators() {
  if (simulators_) simulators_->terminate();
}

namespace {

using spice::WaitResult;

// Sleeps [ms] milliseconds in short slices that watch the stop button;
// false as soon as it is pressed.
bool sleepWatching(Engine& e, int ms) {
  constexpr int kSlice = 20;
  for (int slept = 0;; slept += kSlice) {
    e.SpinWatch();
    if (e.Stopped()) return false;
    if (slept >= ms) return true;
    ::usleep(static_cast<useconds_t>(std::min(kSlice, ms - slept)) * 1000);
  }
}

// waitopen: waits up to [seconds] for the file [name] to be ready.
WaitResult waitopen(Engine& e, const std::string& name, double seconds) {
  const std::optional<std::string> path = e.macPath(name);
  spice::WaitProbe probe;
  probe.observe = [&]() -> std::optional<spice::FileState> {
    return path ? spice::observeFile(*path) : std::nullopt;
  };
  probe.simulatorRunning = [&] { return e.simulators_ && e.simulators_->running(); };
  probe.sleep = [&](int ms) { return sleepWatching(e, ms); };
  return spice::waitForFile(probe, seconds);
}

// Header text as a document shows it: control characters other than tabs
// and line ends (binary data after the header) as dots.
std::string printable(std::string_view bytes) {
  std::string s(bytes);
  for (char& c : s) {
    unsigned char u = static_cast<unsigned char>(c);
    if ((u < 0x20 && c != '\t' && c != '\n' && c != '\r') || u == 0x7F) c = '.';
  }
  return s;
}

// showheader: the "SPICE ERROR" document. Without a name (a format error)
// it is "SPICE header" and the text is cut to 1000 characters.
void showheader(Engine& e, std::string_view text, std::string name) {
  if (name.empty()) {
    name = "SPICE header";
    text = text.substr(0, 1000);
  }
  e.host_.showText("SPICE ERROR",
                   "~\n'" + name + "' not found.\n-------------------------\n" + printable(text));
}

// After a raw file failed to appear: the log of the simulator started for
// this document, when there is one, since it says why.
void showSimulatorLog(Engine& e, const std::string& name) {
  if (!e.simulators_) return;
  std::string log;
  if (!readFileBytes(e.simulators_->lastLog(), &log) || log.empty()) return;
  constexpr std::size_t kMost = 4000;
  if (log.size() > kMost) log.erase(0, log.size() - kMost);
  e.host_.showText("SPICE ERROR",
                   "~\n'" + name + "' not found.\n-------------------------\n" + printable(log));
}

// checkforfile(fname, timeout): 1 when the file is ready within the
// time-out, else 0.
bool checkforfileEntry(Engine& e, double* result) {
  std::string name;
  if (!e.GetParmName(1, &name)) {
    e.ErrMsg(" checkforfile(?) file name?");
    return false;
  }
  double timeout;
  if (!e.GetParmVal(0, &timeout)) {
    e.ErrMsg(" checkforfile(,?) timeout?");
    return false;
  }
  WaitResult w = waitopen(e, name, timeout);
  if (w == WaitResult::kCanceled) {
    e.ErrMsg(" canceled");
    return false;
  }
  *result = w == WaitResult::kReady ? 1 : 0;
  return true;
}

// deletefile(fname): a missing file is no error.
bool deletefileEntry(Engine& e, double*) {
  std::string name;
  if (!e.GetParmName(0, &name)) {
    e.ErrMsg(" deletefile(?) file name?");
    return false;
  }
  if (std::optional<std::string> path = e.macPath(name)) {
    ::unlink(path->c_str());
    removeDataFileInfo(*path);
  }
  e.ReturnVoid();
  return false;
}

// runspice(fname): starts the simulator on the circuit file [fname], or, for
// any argument that is not a string, on the circuit at the top of the
// worksheet itself, written to NAME.cir beside it.
bool runspiceEntry(Engine& e, double*) {
  std::string name, circuit;
  if (e.GetParmName(0, &name)) {
    std::optional<std::string> path = e.macPath(name);
    if (!path || !fileExists(*path)) {
      e.ErrMsg(" runspice() can't open '%s'", name.c_str());
      return false;
    }
    circuit = *path;
  } else {
    if (e.documentPath().empty()) {
      e.ErrMsg(" can't write .cir file");
      return false;
    }
    circuit = spice::circuitPathOf(e.documentPath());
    if (!spice::writeFileAtomically(circuit, spice::circuitText(e.cstring))) {
      e.ErrMsg(" can't write .cir file");
      return false;
    }
  }
  if (!e.simulators_) e.simulators_ = std::make_shared<spice::Simulators>();
  if (e.simulators_->start(e.simulatorCommand_, circuit) != 0) {
    e.ErrMsg(" runspice() can't start '%s'", e.simulatorCommand_.c_str());
    return false;
  }
  e.ReturnVoid();
  return false;
}

// The values read handed to the worksheet: `vec` (a column of values, or
// rows of real and imaginary part) and the independent variable.
void setVariables(Engine& e, const spice::RawHeader& h, const spice::RawData& d) {
  const std::size_t m = d.points();
  const std::size_t c = h.complex ? 2 : 1;
  if (c * m > static_cast<std::size_t>(kMaxArrayElements)) {
    e.ErrMsg(" out of memory");
    return;
  }
  Block x = newBlock(m), y = newBlock(c * m);
  if (!x || !y) {
    e.ErrMsg(" out of memory");
    return;
  }
  std::copy(d.x.begin(), d.x.end(), x.get());
  std::copy(d.y.begin(), d.y.end(), y.get());
  const int64_t rows = static_cast<int64_t>(m);
  if (!e.SetVarMatrix("vec", y.release(), rows, h.complex ? 2 : 0)) return;
  e.SetVarMatrix(h.independent.c_str(), x.release(), rows, 0);
}

// readvec: the header, then the data, of the raw file [bytes].
void readvec(Engine& e, std::string_view bytes, const std::string& signal) {
  spice::HeaderResult h = spice::readHeader(bytes, signal);
  if (h.status == spice::HeaderStatus::kFormatError) {
    showheader(e, bytes, "");
    e.ErrMsg(" SPICE file format error");
    return;
  }
  if (h.status == spice::HeaderStatus::kNoSignal) {
    showheader(e, bytes.substr(0, h.readTo), signal);
    e.ErrMsg(" No data for '%s'", signal.c_str());
    return;
  }
  spice::RawData d = spice::readData(bytes, h.header, kNan04, [&] {
    e.SpinWatch();
    return e.Stopped();
  });
  if (e.Stopped()) return;
  // A file without points (a simulation that ended early) must not leave
  // the values of an earlier read in place.
  if (d.points() == 0) {
    showheader(e, bytes.substr(0, h.header.dataStart), signal);
    e.ErrMsg(" No data for '%s'", signal.c_str());
    return;
  }
  setVariables(e, h.header, d);
}

// readspice(fname, sig): waits for the raw file (SPICEwait seconds, 10 by
// default), then reads the signal [sig] from it.
bool readspiceEntry(Engine& e, double*) {
  std::string name, signal;
  if (!e.GetParmName(1, &name)) {
    e.ErrMsg(" readspice(?) file name?");
    return false;
  }
  if (!e.GetParmName(0, &signal)) {
    e.ErrMsg(" readspice(,?) signal name?");
    return false;
  }
  double wait = 10;
  if (double v; e.GetVarVal("SPICEwait", &v)) wait = v;
  WaitResult w = waitopen(e, name, wait);
  if (w == WaitResult::kCanceled) {
    e.ErrMsg(" canceled");
    return false;
  }
  std::string bytes;
  std::optional<std::string> path = e.macPath(name);
  if (w != WaitResult::kReady || !path || !readFileBytes(*path, &bytes)) {
    showSimulatorLog(e, name);
    e.ErrMsg(" readspice() can't open '%s'", name.c_str());
    return false;
  }
  try {
    readvec(e, bytes, signal);
  } catch (const std::bad_alloc&) {
    e.ErrMsg(" out of memory");
    return false;
  }
  e.ReturnVoid();
  return false;
}

}  // namespace

void setup_SPICE(Registry& r) {
  r.AddFunPkg("file_", "file utilities");
  r.AddCFun("checkforfile", "fname,timeout", "true if file exists", checkforfileEntry);
  r.AddCFun("deletefile", "fname", "delete file", deletefileEntry);
  r.AddFunPkg(nullptr, nullptr);
  r.AddFunPkg("SPICE_", "ngspice circuit simulation");
  r.AddCFun("runspice", "fname", "run circuit file", runspiceEntry);
  r.AddCFun("readspice", "fname,sig", "read signal vector", readspiceEntry);
  r.AddFunPkg(nullptr, nullptr);
}

}  // namespace orv
