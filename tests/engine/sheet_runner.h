// Runs worksheets through the engine for the tests: an in-memory text, a
// host that records alerts, and the run on a deep stack.
#pragma once

#include <string>
#include <vector>

#include "lang/engine.h"

namespace orv::test {

struct SheetResult {
  std::string text;    // the worksheet after the run, UTF-8
  std::string status;  // the status line, UTF-8, leading blank removed
  bool ok = true;
  int line = 0, column = 0;  // fault position of a failed run, 1-based
  std::vector<std::string> alerts;
  std::vector<std::string> shown;  // documents shown: title, a line end, text
};

class RecordingHost : public Host {
 public:
  void bugAlert(std::string_view text) override;
  void showText(const std::string& title, std::string_view text) override;
  std::vector<std::string> alerts;
  std::vector<std::string> shown;
};

// Runs [utf8] once with [settings]; [enableAll] defines every add-on function.
// [documentPath] is the worksheet's file (empty: untitled).
SheetResult runSheet(const std::string& utf8, const DocSettings& settings = {},
                     bool enableAll = false, const std::string& documentPath = "");

// The status and text in the form of the golden .expected files.
std::string describe(const SheetResult& r);

}  // namespace orv::test
