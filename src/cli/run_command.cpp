#include "cli/run_command.h"

#include <unistd.h>

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
#include "cli/gui_module.h"
#include "cli/run_setup.h"
#include "cli/signals.h"
#include "cli/watch.h"
#include "cli/worksheet_file.h"
#include "session/worksheet_session.h"

namespace orv::cli {

namespace {

std::string errnoText(int error) { return fileErrorText(error); }

// Writes the plot page after the run, or says why there is none. False when
// the file cannot be written.
bool writePlot(const RunOptions& options, const WorksheetSession& session, bool made,
               const ExportOptions& page, const GuiModule& gui, Console& console) {
  std::shared_ptr<const PlotPage> plot = session.plotPage();
  if (!made || !plot) {
    console.line("orvanel: the worksheet made no plot; " + options.plot + " not written");
    return true;
  }
  std::string error;
  if (gui.exportPage(*plot, options.plot, page, &error)) return true;
  console.line("orvanel: " + options.plot + ": " + error);
  return false;
}

// Writes the worksheet after the run where [options] say: back to the file
// in its own form (only after a successful run, and only when it changed), to
// -o's file (RTF for .ov and .rtf, else UTF-8 text), or to standard output as
// UTF-8 text. [fileBytes] is the file as it was read. Reports a failure on
// [console] and returns false. [read] is the file's stamp when it was read;
// a file saved since is not written back. [*wroteBack] says whether the
// file was replaced.
bool writeResult(const RunOptions& options, const std::string& name,
                 const WorksheetSession& session, const std::string& fileBytes,
                 const FileStamp& read, bool runOk, Console& console, bool* wroteBack) {
  const Document& doc = session.document();
  if (options.inPlace) {
    if (!runOk) return true;
    const std::string out = session.fileBytes(doc.form);
    if (out == fileBytes) return true;
    if (options.watch && !(stampOf(options.file) == read)) {
      // Another editor saved the worksheet during the run: its text wins,
      // and that save starts the next run. (A single run refuses below.)
      console.line("orvanel: " + name + " changed during the run; results not written back");
      return true;
    }
    if (int error = replaceFileAtomically(options.file, fileBytes, out)) {
      console.line("orvanel: " + name + ": " + errnoText(error));
      return false;
    }
    *wroteBack = true;
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

// One run of the worksheet [options].file in [session]: read, run, written
// where the options say, its status reported. [*left] gets the stamp of the
// file afterwards. Returns the exit status.
int runOnce(const RunOptions& options, WorksheetSession& session, const GuiModule* gui,
            Console& console, FileStamp* left) {
  const std::string name = displayName(options.file);
  const FileStamp read = stampOf(options.file);
  *left = read;
  std::string bytes;
  if (int status =
          loadWorksheet(session, options.file, options.settings, options.enable, console, &bytes))
    return status;
  installInterruptHandler(&session.stopFlag(), console.terminal());
  const Document& doc = session.document();
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
  if (options.confine) {
    const std::string& sheet = session.documentPath();
    session.setConfinement(sheet.empty() ? ""
                                         : std::filesystem::path(sheet).parent_path().string());
  }
  ExportOptions page;
  if (gui) {
    page = plotPageOptions(doc, options.plotWidth, options.plotHeight);
    session.setPageSpec(gui->exportPageSpec(page));
  }

  RunResult result = runWithProgress(session, console);
  if (!result.completed) {
    console.line("orvanel: internal: " + result.error);
    return kExitRunFailed;
  }
  const bool ok = result.outcome.ok;
  bool wroteBack = false;
  // A stopped run is never written back, whatever it reached.
  const bool written =
      writeResult(options, name, session, bytes, read, ok && !result.stopped, console, &wroteBack);
  if (wroteBack) *left = stampOf(options.file);
  if (!written) return kExitUsage;
  if (gui && !writePlot(options, session, result.outcome.plot, page, *gui, console))
    return kExitUsage;

  if (ok) {
    if (!result.status.empty()) console.line(result.status);
    return kExitOk;
  }
  console.line(faultLine(name, result));
  return kExitRunFailed;
}

}  // namespace

int runCommand(const RunOptions& options) {
  Console console(isatty(STDERR_FILENO) == 1);
  CliHost host(console, options.overwrite);
  WorksheetSession session(host);
  // Only a run that writes its plot draws: the others never load Qt.
  std::optional<Drawing> drawing;
  const GuiModule* gui = nullptr;
  if (!options.plot.empty()) {
    drawing.emplace();
    gui = drawing->module();
    if (!gui) {
      console.line("orvanel: " + drawing->error());
      return kExitRunFailed;
    }
  }
  // A watch is stopped by Ctrl-C while it waits too; a single run starts
  // listening once its worksheet has been read.
  if (options.watch) installInterruptHandler(&session.stopFlag(), console.terminal());
  FileStamp left;
  if (!options.watch) return runOnce(options, session, gui, console, &left);
  if (!stampOf(options.file).exists) return runOnce(options, session, gui, console, &left);
  // Until Ctrl-C: an interrupt while waiting ends the watch, one during a
  // run stops the run and then the watch.
  watchFile(options.file, session.stopFlag(), [&] {
    runOnce(options, session, gui, console, &left);
    std::fflush(stdout);
    return left;
  });
  return kExitOk;
}

}  // namespace orv::cli
