// A worksheet session: one document's engine and its runs, the public face of
// the engine for every front end.
//
// The session owns the document (text, settings, page labels), the settings
// and enabled add-on functions of its runs, and the last plot page it
// published. A run goes on one worker thread with a deep stack; the engine's
// Host calls arrive on that thread while the run waits for their answers (see
// lang/host.h), and nothing else of a run waits on the front end. While a run
// goes on, the front end must leave the document alone and may only read the
// published plot page, ask for a stop and wait.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "base/large_stack.h"
#include "doc/document.h"
#include "lang/addons.h"
#include "lang/host.h"
#include "lang/memory_text.h"
#include "plot/plot_page.h"

namespace orv {

class Engine;

// What a run left behind.
struct RunResult {
  // False when the run could not be made or ended abnormally; [error] says
  // why. The document is then as it was.
  bool completed = false;
  std::string error;
  RunOutcome outcome;                // its status text is Mac OS Roman
  std::string status;                // the status line as UTF-8, without its leading blank
  std::size_t line = 0, column = 0;  // 1-based place of the fault of a failed run
  std::vector<TextEdit> edits;       // the run's edits in order, for one undo step
  bool stopped = false;              // the stop request ended the run
};

class WorksheetSession {
 public:
  explicit WorksheetSession(Host& host);
  // Asks a run in progress to stop and waits for it.
  ~WorksheetSession();
  WorksheetSession(const WorksheetSession&) = delete;
  WorksheetSession& operator=(const WorksheetSession&) = delete;

  // ---- The document (not to be changed during a run)
  Document& document() { return document_; }
  const Document& document() const { return document_; }
  // The worksheet's file, absolute, for the names of data and include files
  // relative to it; empty for an untitled document.
  void setDocumentPath(std::string path);
  const std::string& documentPath() const { return documentPath_; }
  // The file bytes of the document in [form]; RTF carries the syntax colours
  // with the enabled add-on names among the known words.
  std::string fileBytes(DocForm form) const;

  // ---- What the next run uses
  void setSettings(const DocSettings& settings);
  const DocSettings& settings() const;
  // The page and font metrics a run checks its strips against.
  void setPageSpec(const PageSpec& page) { pageSpec_ = page; }
  // The add-on function table; one flag per function enables it.
  const Registry& registry() const;
  void setAddOnsEnabled(const std::vector<bool>& enabled);
  // Worksheets from strangers: read, write, include, imagefile and the
  // circuit link keep to [folder] and below (an empty folder allows no
  // file); nullopt lifts the limit.
  void setConfinement(std::optional<std::string> folder);
  // The circuit simulator that runspice starts (a program on the PATH or a
  // path).
  void setSimulatorCommand(std::string command);
  std::vector<std::string> enabledAddOnNames() const;

  // ---- Runs
  // Starts a run of the document on the worker thread; [finished] is called
  // on that thread when the run is over and the session is idle again (it
  // must not start, wait for or destroy the session itself). False when a run
  // is going on or no thread could be made.
  bool start(std::function<void(const RunResult&)> finished = nullptr);
  // Runs the document and waits for the result.
  RunResult run();
  bool running() const { return running_.load(); }
  // Waits until the run in progress and its [finished] call are over.
  // waitFor gives up after [timeout] and says whether the run is over (its
  // [finished] call may still be going on). One thread controls a session.
  void wait();
  bool waitFor(std::chrono::milliseconds timeout);
  // The stop button: the run ends with " stopped" at its next poll. Each run
  // starts with the flag cleared. The flag may be set from a signal handler.
  void requestStop() { stop_.store(true); }
  std::atomic<bool>& stopFlag() { return stop_; }

  // The page of the last run that made or showed a plot; null before any. It never
  // changes, so it may be drawn while the next run goes on.
  std::shared_ptr<const PlotPage> plotPage() const;

 private:
  RunResult runOnWorker(MemoryText& text);
  void keepResults(const MemoryText& text, const RunResult& result);

  [[maybe_unused]] Host& host_;  // the engine holds the same host
  std::unique_ptr<Engine> engine_;
  Document document_;
  std::string documentPath_;
  PageSpec pageSpec_;
  std::atomic<bool> stop_{false};
  std::atomic<bool> running_{false};
  LargeStackThread worker_;
  mutable std::mutex mutex_;
  std::condition_variable idle_;
  std::shared_ptr<const PlotPage> page_;
};

// The run settings of a document's settings record.
DocSettings documentSettings(const DocPrefs& prefs);

}  // namespace orv
