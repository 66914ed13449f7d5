#include "cli/run_command.h"

#include <unistd.h>

#include <QGuiApplication>

#include <atomic>
#include <cstdio>
#include <chrono>
#include <condition_variable>
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
#include "doc/macroman.h"
#include "lang/engine.h"
#include "lang/large_stack.h"
#include "lang/memory_text.h"
#include "plot/plot_state.h"
#include "render/page_export.h"
#include "render/qt_surface.h"

namespace orv::cli {

namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

// A plain-text worksheet as read, with what it takes to write it back in the
// same form.
struct PlainText {
  std::u16string text;
  bool macRoman = false;  // the file was not valid UTF-8
  bool bom = false;       // the file began with a UTF-8 byte order mark
};

PlainText decodePlainText(std::string_view bytes) {
  PlainText sheet;
  if (bytes.substr(0, kUtf8Bom.size()) == kUtf8Bom) {
    sheet.bom = true;
    bytes.remove_prefix(kUtf8Bom.size());
  }
  sheet.macRoman = !isValidUtf8(bytes);
  sheet.text = decodeText(bytes);
  return sheet;
}

// The bytes of [text] in the form [original] was read in. Every character of a
// Mac OS Roman worksheet after a run is still a Mac OS Roman character: the
// run inserts only Mac OS Roman text.
std::string encodeLike(const PlainText& original, std::u16string_view text) {
  std::string bytes = original.bom ? std::string(kUtf8Bom) : std::string();
  bytes += original.macRoman ? utf16ToBytes(text) : utf16ToUtf8(text);
  return bytes;
}

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

std::string errnoText(int error) { return std::strerror(error); }

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
  return std::make_unique<QGuiApplication>(argc, argv);
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

// Writes the text after the run where [options] say: back to the file in its
// own form (only after a successful run, and only when it changed), to -o's
// file, or to standard output. [fileBytes] is the file as it was read.
// Reports a failure on [console] and returns false.
bool writeResult(const RunOptions& options, const std::string& name, const PlainText& sheet,
                 const std::string& fileBytes, std::u16string_view result, bool runOk,
                 Console& console) {
  if (options.inPlace) {
    if (!runOk) return true;
    const std::string out = encodeLike(sheet, result);
    if (out == fileBytes) return true;
    if (int error = replaceFileAtomically(options.file, out)) {
      console.line("orvanel: " + name + ": " + errnoText(error));
      return false;
    }
    return true;
  }
  const std::string path = options.output.empty() ? "-" : options.output;
  if (int error = writeWholeFile(path, utf16ToUtf8(result))) {
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

  std::string bytes;
  if (int error = readWholeFile(options.file, &bytes)) {
    console.line("orvanel: " + name + ": " + errnoText(error));
    return kExitUsage;
  }
  if (bytes.compare(0, 5, "{\\rtf") == 0) {
    console.line("orvanel: " + name + ": RTF worksheets are not supported yet");
    return kExitUsage;
  }
  const PlainText sheet = decodePlainText(bytes);

  // A plain-text worksheet carries no settings of its own.
  const DocSettings settings = resolveSettings(options, std::nullopt, readUserDefaults());

  CliHost host(console, options.overwrite);
  auto engine = std::make_unique<Engine>(host);
  engine->setSettings(settings);
  std::string unknownFunction;
  std::vector<bool> enabled = enabledFunctions(engine->registry(), options.enable, &unknownFunction);
  if (!unknownFunction.empty()) {
    console.line("orvanel: --enable: no add-on function named '" + unknownFunction + "'");
    return kExitUsage;
  }
  for (std::size_t i = 0; i < enabled.size(); ++i)
    engine->setAddOnEnabled(static_cast<int>(i), enabled[i]);
  if (!fromStdin) engine->setDocumentPath(absolutePath(options.file));
  std::unique_ptr<QGuiApplication> gui;
  ExportOptions page;
  if (!options.plot.empty()) {
    gui = makeGuiApplication();
    page.width = options.plotWidth;
    page.height = options.plotHeight;
    setExportPage(engine->plot(), page);
  }
  std::atomic<bool> stop{false};
  engine->setStopRequest(&stop);
  installInterruptHandler(&stop, console.terminal());

  MemoryText text(sheet.text);
  RunOutcome outcome;
  if (std::optional<std::string> error = runWithProgress(*engine, text, console, &outcome)) {
    console.line("orvanel: internal: " + *error);
    return kExitRunFailed;
  }
  const std::u16string& result = text.text();
  if (!writeResult(options, name, sheet, bytes, result, outcome.ok, console)) return kExitUsage;
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
