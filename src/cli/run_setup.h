// What every command that runs a worksheet shares: loading the file into a
// session with the settings and add-on functions of the command line, the
// plot page, and a run with the elapsed
// time shown on a terminal.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "cli/console.h"
#include "frontend/settings_source.h"
#include "render/page_export.h"
#include "session/worksheet_session.h"

namespace orv::cli {

// The name of [file] in messages: "<stdin>" for "-".
std::string displayName(const std::string& file);

// Reads the worksheet [file] into [session]'s document and sets up its run:
// the settings (command line over the document's options line over the user
// defaults), the enabled add-on functions, the simulator and the document
// path. [*bytes] gets the file as read. Returns kExitOk, or kExitUsage after
// reporting on [console].
int loadWorksheet(WorksheetSession& session, const std::string& file,
                  const SettingChoices& settings, const std::optional<std::string>& enable,
                  Console& console, std::string* bytes);

// The plot page of [width] x [height] points in the plot font of [doc].
ExportOptions plotPageOptions(const Document& doc, int width, int height);

// Runs the session's document, showing the elapsed time on a terminal once
// the run has taken half a second.
RunResult runWithProgress(WorksheetSession& session, Console& console);

// "FILE:LINE:COLUMN: MESSAGE" for the fault of the failed run [result].
std::string faultLine(const std::string& name, const RunResult& result);

}  // namespace orv::cli
