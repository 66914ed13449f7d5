#include "cli/run_setup.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <vector>

#include "base/macroman.h"
#include "cli/exit_status.h"
#include "cli/file_io.h"
#include "cli/worksheet_file.h"
#include "frontend/ini_settings.h"

namespace orv::cli {

namespace {

// The worksheet's path as the engine needs it: absolute, so that names of
// data and include files resolve beside it.
std::string absolutePath(const std::string& file) {
  std::error_code error;
  std::filesystem::path p = std::filesystem::absolute(file, error);
  return error ? file : p.lexically_normal().string();
}

}  // namespace

std::string displayName(const std::string& file) { return file == "-" ? "<stdin>" : file; }

int loadWorksheet(WorksheetSession& session, const std::string& file,
                  const SettingChoices& settings, const std::optional<std::string>& enable,
                  Console& console, std::string* bytes) {
  Document& doc = session.document();
  doc = Document();
  const IniSettings store = IniSettings::user();
  if (int error = readWorksheetFile(file, readDocumentDefaults(store), &doc, bytes)) {
    console.line("orvanel: " + displayName(file) + ": " + fileErrorText(error));
    return kExitUsage;
  }
  // Without settings of its own the document took the user defaults.
  session.setSettings(
      resolveSettings(settings, documentSettings(doc.prefs), readUserDefaults(store)));
  std::string unknownFunction;
  std::vector<bool> enabled = enabledFunctions(session.registry(), enable, store, &unknownFunction);
  if (!unknownFunction.empty()) {
    console.line("orvanel: --enable: no add-on function named '" + unknownFunction + "'");
    return kExitUsage;
  }
  session.setAddOnsEnabled(enabled);
  session.setSimulatorCommand(readSimulatorCommand(store));
  if (file != "-") session.setDocumentPath(absolutePath(file));
  return kExitOk;
}

ExportOptions plotPageOptions(const Document& doc, int width, int height) {
  ExportOptions page;
  page.width = width;
  page.height = height;
  page.fontFamily = bytesToUtf8(doc.prefs.pfontName);
  page.fontSize = doc.prefs.pfontSize > 0 ? doc.prefs.pfontSize : page.fontSize;
  return page;
}

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

std::string faultLine(const std::string& name, const RunResult& result) {
  return name + ":" + std::to_string(result.line) + ":" + std::to_string(result.column) + ": " +
         result.status;
}

}  // namespace orv::cli
