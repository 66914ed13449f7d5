#include "session/worksheet_session.h"

#include <exception>
#include <new>
#include <utility>

#include "base/c_locale.h"
#include "base/macroman.h"
#include "doc/stxcolor.h"
#include "lang/engine.h"
#include "plot/plot_state.h"
#include "session/engine_assembly.h"
#include "session/source_location.h"

namespace orv {

namespace {

// A status or message text without its leading blank, as UTF-8.
std::string statusUtf8(std::string_view macRoman) {
  if (!macRoman.empty() && macRoman[0] == ' ') macRoman.remove_prefix(1);
  return bytesToUtf8(macRoman);
}

// Puts the document's page-label positions (fractions of the page) on the
// run's page, and takes them back after the run.
void giveLabels(const Document& doc, PlotState& ps) {
  ps.labels.clear();
  for (const LabelOrigin& origin : doc.slabels) {
    PageLabel label;
    label.x = origin.x * ps.page.width;
    label.y = origin.y * ps.page.height;
    ps.labels.push_back(label);
  }
}

void takeLabels(const PlotState& ps, Document* doc) {
  doc->slabels.clear();
  if (ps.page.width <= 0 || ps.page.height <= 0) return;
  for (const PageLabel& label : ps.labels)
    doc->slabels.push_back({label.x / ps.page.width, label.y / ps.page.height});
}

// The page as published: a copy of the run's page whose colour table is
// always filled in.
std::shared_ptr<const PlotPage> publishedPage(const PlotState& ps) {
  auto page = std::make_shared<PlotPage>(static_cast<const PlotPage&>(ps));
  if (!page->ctab.valid) {
    BuiltInCtable(1, page->ctab.rgb);
    page->ctab.valid = true;
  }
  return page;
}

}  // namespace

DocSettings documentSettings(const DocPrefs& prefs) {
  DocSettings s;
  s.format = NumberFormat{prefs.numfmt <= 2 ? prefs.numfmt : 2};
  s.places = prefs.places;
  s.degrees = prefs.deg != 0;
  s.writeFormat = prefs.writefmt <= 5 ? prefs.writefmt : 0;
  s.hideGrid = prefs.hidegrid != 0;
  s.boxAxis = prefs.boxaxis != 0;
  return s;
}

WorksheetSession::WorksheetSession(Host& host) : host_(host), engine_(makeEngine(host)) {
  engine_->setStopRequest(&stop_);
}

WorksheetSession::~WorksheetSession() {
  requestStop();
  worker_.join();
}

void WorksheetSession::setDocumentPath(std::string path) {
  documentPath_ = std::move(path);
  engine_->setDocumentPath(documentPath_);
}

void WorksheetSession::setSettings(const DocSettings& settings) { engine_->setSettings(settings); }

const DocSettings& WorksheetSession::settings() const { return engine_->settings(); }

const Registry& WorksheetSession::registry() const { return engine_->registry(); }

void WorksheetSession::setAddOnsEnabled(const std::vector<bool>& enabled) {
  const int n = static_cast<int>(registry().functions().size());
  for (int i = 0; i < n; ++i)
    engine_->setAddOnEnabled(i, static_cast<std::size_t>(i) < enabled.size() && enabled[i]);
}

void WorksheetSession::setConfinement(std::optional<std::string> folder) {
  if (folder)
    engine_->setConfinement(std::move(*folder));
  else
    engine_->clearConfinement();
}

void WorksheetSession::setSimulatorCommand(std::string command) {
  engine_->setSimulatorCommand(std::move(command));
}

std::vector<std::string> WorksheetSession::enabledAddOnNames() const {
  return orv::enabledAddOnNames(*engine_);
}

std::string WorksheetSession::fileBytes(DocForm form) const {
  CNumericScope numbers;
  std::vector<ColorRun> colours;
  if (form == DocForm::kRtf && !document_.prefs.stxdisable)
    colours = ColorSyntax(utf16ToBytes(document_.text), SyntaxWords(enabledAddOnNames())).runs;
  return saveDocument(document_, form, colours);
}

std::shared_ptr<const PlotPage> WorksheetSession::plotPage() const {
  std::lock_guard lock(mutex_);
  return page_;
}

bool WorksheetSession::start(std::function<void(const RunResult&)> finished) {
  if (running_.exchange(true)) return false;
  worker_.join();  // the thread of the previous run has ended its work
  stop_.store(false);
  engine_->plot().page = pageSpec_;
  giveLabels(document_, engine_->plot());
  auto text = std::make_shared<MemoryText>(document_.text);
  bool started = worker_.start([this, text, finished = std::move(finished)] {
    RunResult result = runOnWorker(*text);
    if (result.completed) keepResults(*text, result);
    if (result.completed && (result.outcome.plot || result.outcome.showPlot)) {
      std::shared_ptr<const PlotPage> page = publishedPage(engine_->plot());
      std::lock_guard lock(mutex_);
      page_ = std::move(page);
    }
    {
      std::lock_guard lock(mutex_);
      running_.store(false);
    }
    idle_.notify_all();
    if (finished) finished(result);
  });
  if (!started) running_.store(false);
  return started;
}

RunResult WorksheetSession::runOnWorker(MemoryText& text) {
  CNumericScope numbers;
  RunResult result;
  try {
    result.outcome = engine_->run(text);
    result.completed = true;
  } catch (const std::exception& e) {
    result.error = std::string("the run ended abnormally: ") + e.what();
  } catch (...) {
    result.error = "the run ended abnormally";
  }
  if (!result.completed) return result;
  result.status = statusUtf8(result.outcome.status);
  result.stopped = result.outcome.status == " stopped";
  result.edits = text.history();
  if (!result.outcome.ok) {
    SourceLocation where = locate(text.text(), result.outcome.faultPos);
    result.line = where.line;
    result.column = where.column;
    if (result.status.empty()) result.status = "the run failed";
  }
  return result;
}

// What a run leaves in the document: its text, the page labels, the tab
// width the worksheet asked for, and the settings it ran with (so a saved
// worksheet's options line matches its results).
void WorksheetSession::keepResults(const MemoryText& text, const RunResult& result) {
  document_.text = text.text();
  takeLabels(engine_->plot(), &document_);
  if (result.outcome.tabWidth > 0) document_.tabWidth = result.outcome.tabWidth;
  const DocSettings& s = engine_->settings();
  document_.prefs.numfmt = static_cast<uint8_t>(s.format);
  document_.prefs.places = static_cast<uint8_t>(s.places);
  document_.prefs.deg = s.degrees ? 1 : 0;
}

RunResult WorksheetSession::run() {
  RunResult result;
  if (!start([&result](const RunResult& r) { result = r; })) {
    result.error = running() ? "a run is already going on"
                             : "cannot start the run: no thread with a large enough stack";
    return result;
  }
  wait();
  return result;
}

void WorksheetSession::wait() {
  {
    std::unique_lock lock(mutex_);
    idle_.wait(lock, [this] { return !running_.load(); });
  }
  worker_.join();
}

bool WorksheetSession::waitFor(std::chrono::milliseconds timeout) {
  std::unique_lock lock(mutex_);
  return idle_.wait_for(lock, timeout, [this] { return !running_.load(); });
}

}  // namespace orv
