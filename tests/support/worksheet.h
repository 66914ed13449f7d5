// Runs worksheets through the engine for the tests: an in-memory text, the
// fake host, and the run on a large stack. A Worksheet keeps its engine, so
// that a test can run again, read variables or draw the plot page.
#pragma once

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "base/large_stack.h"
#include "fake_host.h"
#include "lang/engine.h"

namespace orv::test {

struct SheetResult {
  std::string text;       // the worksheet after the run, UTF-8
  std::string status;     // the status line, UTF-8, leading blank removed
  std::string rawStatus;  // the status line, UTF-8, as the engine set it
  bool ok = true;
  int line = 0, column = 0;         // fault position of a failed run, 1-based
  std::vector<std::string> alerts;  // all alerts of the engine so far
  std::vector<std::string> shown;   // documents shown: title, a line end, text
  RunOutcome outcome;

  // The result written after "[request]:" on a line of its own.
  std::string operator[](const std::string& request) const;
};

class Worksheet {
 public:
  Worksheet();
  Worksheet(const Worksheet&) = delete;
  Worksheet& operator=(const Worksheet&) = delete;

  Worksheet& settings(const DocSettings& s);
  Worksheet& enableAddOns();  // defines every add-on function
  Worksheet& documentPath(const std::string& path);

  // Runs [utf8] on a thread with a stack of [stackBytes].
  SheetResult run(const std::string& utf8, std::size_t stackBytes = kRunStackBytes);

  Engine& engine() { return *engine_; }
  PlotState& plot() { return engine_->plot(); }

  FakeHost host;
  std::atomic<bool> stop{false};  // the stop button

 private:
  std::unique_ptr<Engine> engine_;
};

// Runs [utf8] once in a fresh engine.
// [documentPath] is the worksheet's file (empty: untitled).
SheetResult runSheet(const std::string& utf8, const DocSettings& settings = {},
                     bool enableAll = false, const std::string& documentPath = "");

// The status, alerts and text in the form of the golden .expected files.
std::string describe(const SheetResult& r);

}  // namespace orv::test
