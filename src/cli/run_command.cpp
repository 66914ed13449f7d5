#include "cli/run_command.h"

#include <unistd.h>

#include <QGuiApplication>
#include <atomic>
#include <clocale>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <exception>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "cli/console.h"
#include "cli/file_io.h"
#include "cli/signals.h"
#include "cli/source_location.h"
#include "cli/user_defaults.h"
#include "cli/worksheet_file.h"
#include "doc/document.h"
#include "doc/macroman.h"
#include "doc/stxcolor.h"
#include "lang/engine.h"
#include "lang/large_stack.h"
#include "lang/memory_text.h"
#include "plot/plot_state.h"
#include "render/page_export.h"
#include "render/qt_surface.h"

namespace orv::cli {

namespace {

// A status or message text without its leading blank, as UTF-8.
std::string statusUtf8(std::string_view macRoman) {
  if (!macRoman.empty() && macRoman[0] == ' ') macRoman.remove_prefix(1);
  return bytesToUtf8(macRoman);
}

// The worksheet's path as the engine needs it: absolute, so that names of
// data and include files resolve beside it.
std::string absolutePath(const std::string& file) {
  std::error_code error;
  std::filesystem::path p = std::filesystem::absolute(file, error);
  return error ? file : p.lexically_normal().string();
}

class CliHost : public Host {
 public:
  CliHost(Console& console, bool overwrite) : console_(console), overwrite_(overwrite) {}
  void bugAlert(std::string_view text) override {
    console_.line("orvanel: internal: " + bytesToUtf8(text));
  }
  bool confirmOverwrite(const std::string&) override { return overwrite_; }
  std::shared_ptr<const Picture> loadPicture(const std::string& path) override {
    return loadPictureFile(path);
  }
  // A fault in an included worksheet is reported at its own place first.
  void includeFailed(const std::string& path, const std::u16string& text, std::size_t pos,
                     std::string_view message) override {
    SourceLocation where = locate(text, pos);
    console_.line(path + ":" + std::to_string(where.line) + ":" + std::to_string(where.column) +
                  ": " + statusUtf8(message));
  }

 private:
  Console& console_;
  bool overwrite_;
};

// Runs [engine] over [text] on a thread with a deep stack. Meanwhile the
// calling thread shows the elapsed time once the run has taken half a second.
// Returns an error text when the run could not be made or ended abnormally.
std::optional<std::string> runWithProgress(Engine& engine, MemoryText& text, Console& console,
                                           RunOutcome* outcome) {
  std::mutex mutex;
  std::condition_variable finished;
  bool done = false;
  std::optional<std::string> error;
  std::thread worker([&] {
    std::optional<std::string> failure;
    bool started = runOnLargeStack([&] {
      try {
        *outcome = engine.run(text);
      } catch (const std::exception& e) {
        failure = std::string("the run ended abnormally: ") + e.what();
      } catch (...) {
        failure = "the run ended abnormally";
      }
    });
    if (!started) failure = "cannot start the run: no thread with a large enough stack";
    std::lock_guard lock(mutex);
    error = std::move(failure);
    done = true;
    finished.notify_one();
  });

  using Clock = std::chrono::steady_clock;
  const Clock::time_point start = Clock::now();
  {
    std::unique_lock lock(mutex);
    if (console.terminal()) {
      auto isDone = [&] { return done; };
      if (!finished.wait_for(lock, std::chrono::milliseconds(500), isDone)) {
        do {
          console.showElapsed(std::chrono::duration<double>(Clock::now() - start).count());
        } while (!finished.wait_for(lock, std::chrono::milliseconds(200), isDone));
      }
    } else {
      finished.wait(lock, [&] { return done; });
    }
  }
  worker.join();
  console.clearElapsed();
  return error;
}

std::string errnoText(int error) { return fileErrorText(error); }

// What a run leaves in the document: its text, the page labels, the tab
// width the worksheet asked for, and the settings it ran with (so a saved
// worksheet's options line matches its results).
void keepRunResults(const std::u16string& text, const RunOutcome& outcome,
                    const DocSettings& settings, const PlotState& ps, Document* doc) {
  doc->text = text;
  takeLabels(ps, doc);
  if (outcome.tabWidth > 0) doc->tabWidth = outcome.tabWidth;
  doc->prefs.numfmt = static_cast<uint8_t>(settings.format);
  doc->prefs.places = static_cast<uint8_t>(settings.places);
  doc->prefs.deg = settings.degrees ? 1 : 0;
}

// Fonts and painting need a GUI application object; without a display it
// runs on the offscreen platform.
std::unique_ptr<QGuiApplication> makeGuiApplication() {
  if (QCoreApplication::instance()) return nullptr;
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  // Standard error belongs to the run's status; Qt's notes about the session
  // (no runtime folder, no display) are not for it.
  qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
    if (type == QtCriticalMsg || type == QtFatalMsg)
      std::fprintf(stderr, "orvanel: %s\n", text.toLocal8Bit().constData());
  });
  static int argc = 1;
  static char name[] = "orvanel";
  static char* argv[] = {name, nullptr};
  auto app = std::make_unique<QGuiApplication>(argc, argv);
  // Qt adopts the user's locale; numbers in worksheets and data files are
  // always written and read with a decimal point.
  std::setlocale(LC_NUMERIC, "C");
  return app;
}

// Writes the plot page after the run, or says why there is none. False when
// the file cannot be written.
bool writePlot(const RunOptions& options, Engine& engine, bool made, const ExportOptions& page,
               Console& console) {
  if (!made) {
    console.line("orvanel: the worksheet made no plot; " + options.plot + " not written");
    return true;
  }
  std::string error;
  if (exportPage(engine.plot(), options.plot, page, &error)) return true;
  console.line("orvanel: " + options.plot + ": " + error);
  return false;
}

// Writes the worksheet after the run where [options] say: back to the file
// in its own form (only after a successful run, and only when it changed), to
// -o's file (RTF for .ov and .rtf, else UTF-8 text), or to standard output as
// UTF-8 text. [fileBytes] is the file as it was read. Reports a failure on
// [console] and returns false.
bool writeResult(const RunOptions& options, const std::string& name, const Document& doc,
                 const std::string& fileBytes, bool runOk,
                 const std::vector<std::string>& addOnNames, Console& console) {
  if (options.inPlace) {
    if (!runOk) return true;
    const std::string out = worksheetBytes(doc, doc.form, addOnNames);
    if (out == fileBytes) return true;
    if (int error = replaceFileAtomically(options.file, fileBytes, out)) {
      console.line("orvanel: " + name + ": " + errnoText(error));
      return false;
    }
    return true;
  }
  const std::string path = options.output.empty() ? "-" : options.output;
  std::string out;
  if (path != "-" && formOfName(path) == DocForm::kRtf)
    out = worksheetBytes(doc, DocForm::kRtf, addOnNames);
  else
    out = utf16ToUtf8(doc.text);
  if (int error = writeWholeFile(path, out)) {
    console.line("orvanel: " + (path == "-" ? std::string("<stdout>") : path) + ": " +
                 errnoText(error));
    return false;
  }
  return true;
}

}  // namespace

int runCommand(const RunOptions& options) {
  Console console(isatty(STDERR_FILENO) == 1);
  const bool fromStdin = options.file == "-";
  const std::string name = fromStdin ? "<stdin>" : options.file;

  Document doc;
  std::string bytes;
  if (int error = readWorksheetFile(options.file, readDocumentDefaults(), &doc, &bytes)) {
    console.line("orvanel: " + name + ": " + errnoText(error));
    return kExitUsage;
  }
  if (options.inPlace) {
    if (std::string refusal = inPlaceRefusal(options.file, doc); !refusal.empty()) {
      console.line("orvanel: " + name + ": " + refusal);
      return kExitUsage;
    }
  }
  if (options.inPlace && doc.forceSaveAs && doc.converted) {
    console.line("orvanel: " + name +
                 ": a legacy worksheet is saved under a new name; use 'orvanel convert " + name +
                 " " + convertedName(name) + "'");
    return kExitUsage;
  }
  // Without settings of its own the document took the user defaults.
  const DocSettings settings =
      resolveSettings(options, documentSettings(doc.prefs), readUserDefaults());

  CliHost host(console, options.overwrite);
  auto engine = std::make_unique<Engine>(host);
  engine->setSettings(settings);
  std::string unknownFunction;
  std::vector<bool> enabled =
      enabledFunctions(engine->registry(), options.enable, &unknownFunction);
  if (!unknownFunction.empty()) {
    console.line("orvanel: --enable: no add-on function named '" + unknownFunction + "'");
    return kExitUsage;
  }
  for (std::size_t i = 0; i < enabled.size(); ++i)
    engine->setAddOnEnabled(static_cast<int>(i), enabled[i]);
  if (!fromStdin) engine->setDocumentPath(absolutePath(options.file));
  if (options.confine)
    engine->setConfinement(
        fromStdin ? "" : std::filesystem::path(absolutePath(options.file)).parent_path().string());
  std::unique_ptr<QGuiApplication> gui;
  ExportOptions page;
  if (!options.plot.empty()) {
    gui = makeGuiApplication();
    page.width = options.plotWidth;
    page.height = options.plotHeight;
    page.fontFamily = bytesToUtf8(doc.prefs.pfontName);
    page.fontSize = doc.prefs.pfontSize > 0 ? doc.prefs.pfontSize : page.fontSize;
    setExportPage(engine->plot(), page);
  }
  giveLabels(doc, engine->plot());
  std::atomic<bool> stop{false};
  engine->setStopRequest(&stop);
  installInterruptHandler(&stop, console.terminal());

  MemoryText text(doc.text);
  RunOutcome outcome;
  if (std::optional<std::string> error = runWithProgress(*engine, text, console, &outcome)) {
    console.line("orvanel: internal: " + *error);
    return kExitRunFailed;
  }
  const std::u16string& result = text.text();
  keepRunResults(result, outcome, settings, engine->plot(), &doc);
  // A stopped run is never written back, whatever it reached.
  const bool complete = outcome.ok && !stop.load();
  if (!writeResult(options, name, doc, bytes, complete, enabledAddOnNames(*engine), console))
    return kExitUsage;
  if (!options.plot.empty() && !writePlot(options, *engine, outcome.plot, page, console))
    return kExitUsage;

  if (outcome.ok) {
    if (!outcome.status.empty()) console.line(statusUtf8(outcome.status));
    return kExitOk;
  }
  SourceLocation where = locate(result, outcome.faultPos);
  std::string message = statusUtf8(outcome.status);
  console.line(name + ":" + std::to_string(where.line) + ":" + std::to_string(where.column) + ": " +
               (message.empty() ? "the run failed" : message));
  return kExitRunFailed;
}

}  // namespace orv::cli
