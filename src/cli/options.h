// Command-line parsing for the orvanel executable.
//
// parseCommandLine turns the arguments after the program name into a Command
// and, for `orvanel run`, the RunOptions. It never prints and never exits, so
// the whole grammar can be tested in-process; the caller reports [error].
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "frontend/settings_source.h"

namespace orv::cli {

enum class Command {
  kHelp,     // --help, or `run --help`
  kVersion,  // --version
  kRun,      // run [OPTIONS] FILE
  kCheck,    // check [OPTIONS] FILE...
  kExport,   // export [OPTIONS] FILE -o OUT.html|OUT.md
  kConvert,  // convert IN OUT
  kDesktop,  // no command: the desktop application (not in this build)
  kUsageError
};

struct RunOptions {
  std::string file;    // the worksheet, or "-" for standard input
  std::string output;  // -o OUT; empty: standard output ("-" also means standard output)
  bool inPlace = false;
  bool overwrite = false;             // answers "Write File Already Exists" with Overwrite
  bool confine = false;               // files only within the worksheet's folder
  std::optional<std::string> enable;  // --enable: all, none or NAME[,NAME...]
  // Settings given on the command line; unset ones come from the document or
  // the user defaults.
  SettingChoices settings;  // --format, --places, --degrees/--radians
  // --plot OUT: the plot page goes to OUT (.png, .svg or .pdf) after the run,
  // on a page of --size WxH points.
  std::string plot;
  int plotWidth = 640, plotHeight = 480;
  // --watch: run again each time FILE is saved, until interrupted.
  bool watch = false;
};

// `orvanel check [OPTIONS] FILE...`: the worksheets run in memory and their
// recorded results compared with the new ones.
struct CheckOptions {
  std::vector<std::string> files;
  // --tolerance REL: numbers within this relative difference are equal;
  // without it results are compared as text.
  std::optional<double> tolerance;
  std::optional<std::string> enable;
  SettingChoices settings;
  bool overwrite = false;
};

// `orvanel convert IN OUT`: the worksheet IN written to OUT, as RTF when OUT
// ends in .ov or .rtf, else as plain text. "-" is standard input or output.
struct ConvertOptions {
  std::string input;
  std::string output;
};

struct CommandLine {
  Command command = Command::kUsageError;
  RunOptions run;  // also `export`: file, output (.html or .md), settings, size
  CheckOptions check;
  ConvertOptions convert;
  std::string error;  // for kUsageError: what was wrong, without the program name
};

CommandLine parseCommandLine(const std::vector<std::string>& args);

// True when [path] ends in .png, .svg or .pdf (any case).
bool isPlotOutputName(const std::string& path);

// True when [path] ends in .html or .htm (any case), the HTML page of export.
bool isHtmlOutputName(const std::string& path);

// True when [path] ends in .md (any case), the Markdown page of export.
bool isMarkdownOutputName(const std::string& path);

// True when [path] names a file that -o would have to write as RTF.
bool isRtfOutputName(const std::string& path);

// The text of --help.
std::string usageText();

}  // namespace orv::cli
