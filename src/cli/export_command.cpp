#include "cli/export_command.h"

#include <unistd.h>

#include <cstring>
#include <filesystem>

#include "base/macroman.h"
#include "base/temp_files.h"
#include "cli/cli_host.h"
#include "cli/console.h"
#include "cli/file_io.h"
#include "cli/gui_module.h"
#include "cli/html_export.h"
#include "cli/run_setup.h"
#include "cli/signals.h"
#include "doc/stxcolor.h"
#include "session/worksheet_session.h"

namespace orv::cli {

namespace {

bool writeOut(const std::string& path, const std::string& bytes, Console& console) {
  if (int error = writeFileAtomically(path, bytes)) {
    console.line("orvanel: " + path + ": " + fileErrorText(error));
    return false;
  }
  return true;
}

}  // namespace

std::string plotFileBeside(const std::string& output) {
  return std::filesystem::path(output).replace_extension(".svg").string();
}

int exportCommand(const RunOptions& options) {
  Console console(isatty(STDERR_FILENO) == 1);
  const std::string name = displayName(options.file);
  CliHost host(console, options.overwrite);
  WorksheetSession session(host);
  std::string bytes;
  if (int status =
          loadWorksheet(session, options.file, options.settings, options.enable, console, &bytes))
    return status;
  Drawing drawing;
  const GuiModule* gui = drawing.module();
  if (!gui) {
    console.line("orvanel: " + drawing.error());
    return kExitRunFailed;
  }
  const ExportOptions plot =
      plotPageOptions(session.document(), options.plotWidth, options.plotHeight);
  session.setPageSpec(gui->exportPageSpec(plot));
  installInterruptHandler(&session.stopFlag(), console.terminal());
  RunResult result = runWithProgress(session, console);
  if (!result.completed) {
    console.line("orvanel: internal: " + result.error);
    return kExitRunFailed;
  }

  SheetPage page;
  page.title = std::filesystem::path(name).filename().string();
  page.text = session.document().text;
  page.runs = ColorSyntax(utf16ToBytes(page.text), SyntaxWords(session.enabledAddOnNames())).runs;
  page.failed = !result.outcome.ok;
  page.status = page.failed ? faultLine(name, result) : result.status;
  std::shared_ptr<const PlotPage> plotPage = session.plotPage();
  if (result.outcome.plot && plotPage) page.svg = gui->pageSvg(*plotPage, plot);

  if (isMarkdownOutputName(options.output)) {
    const std::string svgFile = plotFileBeside(options.output);
    if (!page.svg.empty() && !writeOut(svgFile, page.svg, console)) return kExitUsage;
    const std::string link = std::filesystem::path(svgFile).filename().string();
    if (!writeOut(options.output, markdownPage(page, link), console)) return kExitUsage;
  } else if (!writeOut(options.output, htmlPage(page), console)) {
    return kExitUsage;
  }
  console.line(page.status);
  return page.failed ? kExitRunFailed : kExitOk;
}

}  // namespace orv::cli
