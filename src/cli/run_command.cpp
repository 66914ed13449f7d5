#include "cli/run_command.h"

#include <unistd.h>

#include <QGuiApplication>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "base/macroman.h"
#include "cli/cli_host.h"
#include "cli/console.h"
#include "cli/file_io.h"
#include "cli/signals.h"
#include "cli/worksheet_file.h"
#include "frontend/user_defaults.h"
#include "render/page_export.h"
#include "session/worksheet_session.h"

namespace orv::cli {

namespace {

// The worksheet's path as the engine needs it: absolute, so that names of
// data and include files resolve beside it.
std::string absolutePath(const std::string& file) {
  std::error_code error;
  std::filesystem::path p = std::filesystem::absolute(file, error);
  return error ? file : p.lexically_normal().string();
}

std::string errnoText(int error) { return fileErrorText(error); }

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
bool writePlot(const RunOptions& options, const WorksheetSession& session, bool made,
               const ExportOptions& page, Console& console) {
  std::shared_ptr<const PlotPage> plot = session.plotPage();
  if (!made || !plot) {
    console.line("orvanel: the worksheet made no plot; " + options.plot + " not written");
    return true;
  }
  std::string error;
  if (exportPage(*plot, options.plot, page, &error)) return true;
  console.line("orvanel: " + options.plot + ": " + error);
  return false;
}

// Runs the session's document, showing the elapsed time on a terminal once
// the run has taken half a second.
RunResult runWithProgress(WorksheetSession& session, Console& console) {
  RunResult result;
  if (!session.start([&result](const RunResult& r) { result = r; })) {
    result.error = "cannot start the run: no thread with a large enough stack";
    return result;
  }
  using Clock = std::chrono::steady_clock;
  const Clock::time_point start = Clock::now();
  if (console.terminal() && !session.waitFor(std::chrono::milliseconds(500))) {
    do {
      console.showElapsed(std::chrono::duration<double>(Clock::now() - start).count());
    } while (!session.waitFor(std::chrono::milliseconds(200)));
  }
  session.wait();
  console.clearElapsed();
  return result;
}

// Writes the worksheet after the run where [options] say: back to the file
// in its own form (only after a successful run, and only when it changed), to
// -o's file (RTF for .ov and .rtf, else UTF-8 text), or to standard output as
// UTF-8 text. [fileBytes] is the file as it was read. Reports a failure on
// [console] and returns false.
bool writeResult(const RunOptions& options, const std::string& name,
                 const WorksheetSession& session, const std::string& fileBytes, bool runOk,
                 Console& console) {
  const Document& doc = session.document();
  if (options.inPlace) {
    if (!runOk) return true;
    const std::string out = session.fileBytes(doc.form);
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
    out = session.fileBytes(DocForm::kRtf);
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

  CliHost host(console, options.overwrite);
  WorksheetSession session(host);
  Document& doc = session.document();
  std::string bytes;
  if (int error = readWorksheetFile(options.file, readDocumentDefaults(), &doc, &bytes)) {
    console.line("orvanel: " + name + ": " + errnoText(error));
    return kExitUsage;
  }
  if (options.inPlace && doc.forceSaveAs && doc.converted) {
    console.line("orvanel: " + name +
                 ": a legacy worksheet is saved under a new name; use 'orvanel convert " + name +
                 " " + convertedName(name) + "'");
    return kExitUsage;
  }
  if (options.inPlace) {
    if (std::string refusal = inPlaceRefusal(options.file, doc); !refusal.empty()) {
      console.line("orvanel: " + name + ": " + refusal);
      return kExitUsage;
    }
  }
  // Without settings of its own the document took the user defaults.
  session.setSettings(
      resolveSettings(options.settings, documentSettings(doc.prefs), readUserDefaults()));
  std::string unknownFunction;
  std::vector<bool> enabled =
      enabledFunctions(session.registry(), options.enable, &unknownFunction);
  if (!unknownFunction.empty()) {
    console.line("orvanel: --enable: no add-on function named '" + unknownFunction + "'");
    return kExitUsage;
  }
  session.setAddOnsEnabled(enabled);
  session.setSimulatorCommand(readSimulatorCommand());
  if (!fromStdin) session.setDocumentPath(absolutePath(options.file));
  if (options.confine)
    session.setConfinement(
        fromStdin ? "" : std::filesystem::path(absolutePath(options.file)).parent_path().string());
  std::unique_ptr<QGuiApplication> gui;
  ExportOptions page;
  if (!options.plot.empty()) {
    gui = makeGuiApplication();
    page.width = options.plotWidth;
    page.height = options.plotHeight;
    page.fontFamily = bytesToUtf8(doc.prefs.pfontName);
    page.fontSize = doc.prefs.pfontSize > 0 ? doc.prefs.pfontSize : page.fontSize;
    session.setPageSpec(exportPageSpec(page));
  }
  installInterruptHandler(&session.stopFlag(), console.terminal());

  RunResult result = runWithProgress(session, console);
  if (!result.completed) {
    console.line("orvanel: internal: " + result.error);
    return kExitRunFailed;
  }
  const bool ok = result.outcome.ok;
  // A stopped run is never written back, whatever it reached.
  if (!writeResult(options, name, session, bytes, ok && !result.stopped, console))
    return kExitUsage;
  if (!options.plot.empty() && !writePlot(options, session, result.outcome.plot, page, console))
    return kExitUsage;

  if (ok) {
    if (!result.status.empty()) console.line(result.status);
    return kExitOk;
  }
  console.line(name + ":" + std::to_string(result.line) + ":" + std::to_string(result.column) +
               ": " + result.status);
  return kExitRunFailed;
}

}  // namespace orv::cli
