#include "cli/options.h"

#include <algorithm>
#include <cctype>
#include <iterator>
#include <stdexcept>
#include <string_view>

namespace orv::cli {

namespace {

// The extension of [path] in lower case, without the dot; "" for none.
std::string extensionOf(const std::string& path) {
  std::size_t dot = path.rfind('.');
  if (dot == std::string::npos || dot == 0 || path[dot - 1] == '/') return "";
  if (path.find('/', dot) != std::string::npos) return "";
  std::string ext = path.substr(dot + 1);
  for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return ext;
}

CommandLine usageError(std::string message) {
  CommandLine line;
  line.command = Command::kUsageError;
  line.error = std::move(message);
  return line;
}

bool parseFormat(std::string_view text, int* format) {
  static constexpr std::string_view kNames[] = {"sci", "eng", "fix"};  // by format code
  for (int i = 0; i < 3; ++i) {
    if (text == kNames[i]) {
      *format = i;
      return true;
    }
  }
  return false;
}

// WIDTHxHEIGHT in points, each from 100 to 4000.
bool parseSize(std::string_view text, int* width, int* height) {
  std::size_t x = text.find('x');
  if (x == std::string_view::npos) return false;
  int v[2] = {0, 0};
  std::string_view parts[2] = {text.substr(0, x), text.substr(x + 1)};
  for (int i = 0; i < 2; ++i) {
    if (parts[i].empty() || parts[i].size() > 5) return false;
    for (char c : parts[i]) {
      if (c < '0' || c > '9') return false;
      v[i] = v[i] * 10 + (c - '0');
    }
    if (v[i] < 100 || v[i] > 4000) return false;
  }
  *width = v[0];
  *height = v[1];
  return true;
}

bool parsePlaces(std::string_view text, int* places) {
  if (text.empty() || text.size() > 3) return false;
  int value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + (c - '0');
  }
  if (value > 255) return false;
  *places = value;
  return true;
}

// A relative tolerance: a non-negative finite number below 1.
bool parseTolerance(const std::string& text, double* tolerance) {
  if (text.empty()) return false;
  std::size_t used = 0;
  double value = 0;
  try {
    value = std::stod(text, &used);
  } catch (const std::exception&) {
    return false;
  }
  if (used != text.size() || !(value >= 0 && value < 1)) return false;
  *tolerance = value;
  return true;
}

// The options each command takes besides -h and --help.
bool takes(Command command, std::string_view option) {
  static constexpr std::string_view kSettings[] = {"--format",  "--places", "--degrees",
                                                   "--radians", "--enable", "--overwrite"};
  if (std::find(std::begin(kSettings), std::end(kSettings), option) != std::end(kSettings))
    return true;
  switch (command) {
    case Command::kRun:
      return option == "-i" || option == "-o" || option == "--output" || option == "--plot" ||
             option == "--size" || option == "--watch";
    case Command::kCheck:
      return option == "--tolerance";
    case Command::kExport:
      return option == "-o" || option == "--output" || option == "--size";
    default:
      return false;
  }
}

// Walks the arguments of `orvanel run`, `check` and `export`.
class RunParser {
 public:
  RunParser(const std::vector<std::string>& args, Command command)
      : args_(args), command_(command) {}

  CommandLine parse() {
    CommandLine line;
    line.command = command_;
    RunOptions& o = line.run;
    std::vector<std::string> files;
    bool optionsEnded = false;
    for (next_ = 1; next_ < args_.size();) {
      const std::string& arg = args_[next_++];
      if (optionsEnded || arg == "-" || arg.empty() || arg[0] != '-') {
        files.push_back(arg);
        continue;
      }
      if (arg == "--") {
        optionsEnded = true;
        continue;
      }
      if (arg == "-h" || arg == "--help") {
        line.command = Command::kHelp;
        return line;
      }
      std::string name = arg;
      if (arg == "-i" || arg == "--in-place") {
        name = "-i";
      } else if (arg.size() > 2 && arg.compare(0, 2, "-o") == 0 && arg[1] != '-') {
        name = "-o";
      } else if (std::size_t eq = arg.find('=');
                 arg.compare(0, 2, "--") == 0 && eq != std::string::npos) {
        name = arg.substr(0, eq);
      }
      if (!takes(command_, name) && isOption(name))
        return usageError(commandName() + ": option '" + name + "' does not apply");
      if (name == "-i") {
        o.inPlace = true;
      } else if (arg == "--watch") {
        o.watch = true;
      } else if (arg == "--overwrite") {
        o.overwrite = true;
      } else if (arg == "--confine") {
        o.confine = true;
      } else if (arg == "--degrees") {
        o.settings.degrees = true;
      } else if (arg == "--radians") {
        o.settings.degrees = false;
      } else if (name == "-o" && arg != "-o") {
        o.output = arg.substr(2);
      } else if (std::string error = valueOption(arg, line); !error.empty()) {
        return usageError(std::move(error));
      }
    }
    switch (command_) {
      case Command::kCheck:
        return checkLine(line, files);
      case Command::kExport:
        return exportLine(line, files);
      default:
        return runLine(line, files);
    }
  }

 private:
  static bool isOption(const std::string& name) {
    for (Command c : {Command::kRun, Command::kCheck, Command::kExport})
      if (takes(c, name)) return true;
    return false;
  }

  std::string commandName() const {
    return command_ == Command::kCheck ? "check" : command_ == Command::kExport ? "export" : "run";
  }

  static CommandLine runLine(CommandLine& line, const std::vector<std::string>& files) {
    RunOptions& o = line.run;
    if (files.empty()) return usageError("run: no FILE given (use '-' for standard input)");
    if (files.size() > 1) return usageError("run: more than one FILE given ('" + files[1] + "')");
    o.file = files[0];
    if (o.inPlace && o.file == "-") return usageError("--in-place cannot be used with '-'");
    if (o.inPlace && !o.output.empty()) return usageError("--in-place and -o exclude each other");
    if (o.watch && o.file == "-") return usageError("--watch cannot be used with '-'");
    return line;
  }

  static CommandLine checkLine(CommandLine& line, const std::vector<std::string>& files) {
    if (files.empty()) return usageError("check: no FILE given");
    CheckOptions& c = line.check;
    c.files = files;
    c.enable = line.run.enable;
    c.settings = line.run.settings;
    c.overwrite = line.run.overwrite;
    return line;
  }

  static CommandLine exportLine(CommandLine& line, const std::vector<std::string>& files) {
    RunOptions& o = line.run;
    if (files.empty()) return usageError("export: no FILE given");
    if (files.size() > 1)
      return usageError("export: more than one FILE given ('" + files[1] + "')");
    o.file = files[0];
    if (o.output.empty())
      return usageError("export: give the page to write with -o OUT.html|OUT.md");
    if (o.output == "-") return usageError("export: -o needs a file name");
    if (!isHtmlOutputName(o.output) && !isMarkdownOutputName(o.output))
      return usageError("export: '" + o.output + "' must end in .html or .md");
    return line;
  }

  // Handles an option that takes a value: -o OUT, --output[=]OUT, --format[=]NAME,
  // --places[=]N, --plot, --size, --enable, --tolerance. Returns what is wrong, or ""
  // when all is well.
  std::string valueOption(const std::string& arg, CommandLine& line) {
    RunOptions& o = line.run;
    std::string name = arg;
    std::optional<std::string> value;
    if (std::size_t eq = arg.find('='); arg.compare(0, 2, "--") == 0 && eq != std::string::npos) {
      name = arg.substr(0, eq);
      value = arg.substr(eq + 1);
    }
    if (name != "-o" && name != "--output" && name != "--format" && name != "--places" &&
        name != "--plot" && name != "--size" && name != "--enable" && name != "--tolerance")
      return "unknown option '" + arg + "'";
    if (!value) {
      if (next_ >= args_.size()) return "option '" + name + "' needs a value";
      value = args_[next_++];
    }
    if (name == "--format") {
      int format = 0;
      if (!parseFormat(*value, &format)) return "--format: '" + *value + "' is not fix, sci or eng";
      o.settings.format = NumberFormat{format};
    } else if (name == "--places") {
      int places = 0;
      if (!parsePlaces(*value, &places))
        return "--places: '" + *value + "' is not a number from 0 to 255";
      o.settings.places = places;
    } else if (name == "--enable") {
      if (value->empty()) return "--enable: give all, none or function names separated by commas";
      o.enable = *value;
    } else if (name == "--plot") {
      if (!isPlotOutputName(*value))
        return "--plot: '" + *value + "' must end in .png, .svg or .pdf";
      o.plot = *value;
    } else if (name == "--size") {
      if (!parseSize(*value, &o.plotWidth, &o.plotHeight))
        return "--size: '" + *value + "' is not WIDTHxHEIGHT in points (each 100 to 4000)";
    } else if (name == "--tolerance") {
      double tolerance = 0;
      if (!parseTolerance(*value, &tolerance))
        return "--tolerance: '" + *value + "' is not a relative difference from 0 to below 1";
      line.check.tolerance = tolerance;
    } else {
      if (value->empty()) return "option '" + name + "' needs a file name";
      o.output = *value;
    }
    return "";
  }

  const std::vector<std::string>& args_;
  const Command command_;
  std::size_t next_ = 1;
};

}  // namespace

bool isPlotOutputName(const std::string& path) {
  std::string ext = extensionOf(path);
  return ext == "png" || ext == "svg" || ext == "pdf";
}

bool isHtmlOutputName(const std::string& path) {
  std::string ext = extensionOf(path);
  return ext == "html" || ext == "htm";
}

bool isMarkdownOutputName(const std::string& path) { return extensionOf(path) == "md"; }

bool isRtfOutputName(const std::string& path) {
  auto endsWith = [&](std::string_view suffix) {
    if (path.size() < suffix.size()) return false;
    return std::equal(suffix.begin(), suffix.end(), path.end() - suffix.size(), [](char a, char b) {
      return a == std::tolower(static_cast<unsigned char>(b));
    });
  };
  return endsWith(".ov") || endsWith(".rtf");
}

namespace {

// convert [--] IN OUT
CommandLine parseConvert(const std::vector<std::string>& args) {
  CommandLine line;
  line.command = Command::kConvert;
  std::vector<std::string> files;
  bool optionsEnded = false;
  for (std::size_t i = 1; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (optionsEnded || arg == "-" || arg.empty() || arg[0] != '-') {
      files.push_back(arg);
    } else if (arg == "--") {
      optionsEnded = true;
    } else if (arg == "-h" || arg == "--help") {
      line.command = Command::kHelp;
      return line;
    } else {
      return usageError("convert: unknown option '" + arg + "'");
    }
  }
  if (files.size() != 2) return usageError("convert: give IN and OUT");
  if (files[0].empty() || files[1].empty()) return usageError("convert: empty file name");
  line.convert.input = files[0];
  line.convert.output = files[1];
  return line;
}

}  // namespace

CommandLine parseCommandLine(const std::vector<std::string>& args) {
  CommandLine line;
  if (args.empty()) {
    line.command = Command::kDesktop;
    return line;
  }
  const std::string& first = args[0];
  if (first == "-h" || first == "--help") {
    line.command = Command::kHelp;
  } else if (first == "--version") {
    line.command = Command::kVersion;
  } else if (first == "--new-instance") {
    line.command = Command::kDesktop;
  } else if (first == "run") {
    return RunParser(args, Command::kRun).parse();
  } else if (first == "check") {
    return RunParser(args, Command::kCheck).parse();
  } else if (first == "export") {
    return RunParser(args, Command::kExport).parse();
  } else if (first == "convert") {
    return parseConvert(args);
  } else if (first.size() > 1 && first[0] == '-') {
    return usageError("unknown option '" + first + "'");
  } else {
    line.command = Command::kDesktop;
  }
  return line;
}

std::string usageText() {
  return "Usage: orvanel [--new-instance] [FILE...]\n"
         "       orvanel run [OPTIONS] FILE\n"
         "       orvanel check [OPTIONS] FILE...\n"
         "       orvanel export [OPTIONS] FILE -o OUT.html|OUT.md\n"
         "       orvanel convert IN OUT\n"
         "       orvanel --help | --version\n"
         "\n"
         "Without a command, opens the worksheets FILE... in the desktop application;\n"
         "when it already runs on this display they open there instead (--new-instance\n"
         "starts another).\n"
         "\n"
         "run runs the worksheet FILE (RTF, or plain text in UTF-8 or Mac OS Roman; '-' reads\n"
         "standard input) and writes the worksheet with its results to standard output as\n"
         "UTF-8 text. The status line goes to standard error; a failed run reports\n"
         "FILE:LINE:COLUMN. The settings in an RTF worksheet's options line apply.\n"
         "\n"
         "check runs each worksheet in memory, writes nothing back, and reports every\n"
         "result that differs from the one recorded in the file as\n"
         "FILE:LINE:COLUMN: was OLD, now NEW, with a summary line per file.\n"
         "\n"
         "export writes the worksheet after its run as a self-contained HTML page (syntax\n"
         "colours, results marked, the status line, the plot page as inline SVG) or as\n"
         "Markdown with the plot page in OUT's name with .svg beside it.\n"
         "\n"
         "convert writes the worksheet IN to OUT: RTF with its settings when OUT ends in\n"
         ".ov or .rtf, else plain UTF-8 text. Legacy worksheets with their settings in a\n"
         "resource fork (._IN or an extended attribute) are converted.\n"
         "\n"
         "Options of run:\n"
         "  -o OUT             write the resulting worksheet to OUT instead (RTF for .ov\n"
         "                     and .rtf, else plain text)\n"
         "  -i, --in-place     write the result back to FILE in its own form when the run\n"
         "                     succeeds and FILE was not saved by another editor meanwhile\n"
         "  --watch            run again each time FILE is saved, until Ctrl-C\n"
         "  --plot OUT         draw the plot page into OUT (.png at 2x, .svg or .pdf)\n"
         "  --size WxH         size of the plot page in points (default 640x480; also export)\n"
         "\n"
         "Options of check:\n"
         "  --tolerance REL    numbers within this relative difference are the same result\n"
         "                     (default: results are compared as text)\n"
         "\n"
         "Options of run, check and export:\n"
         "  --format fix|sci|eng\n"
         "                     number format of results\n"
         "  --places N         places of results, 0 to 255\n"
         "  --degrees          trigonometric functions take degrees\n"
         "  --radians          trigonometric functions take radians\n"
         "  --enable LIST      add-on functions to define: all, none or NAME[,NAME...]\n"
         "                     (default: the states kept by the function browser)\n"
         "  --overwrite        let write() replace existing files (else it is cancelled)\n"
         "  --confine          read, write, include and imagefile only within the\n"
         "                     worksheet's folder (for worksheets from strangers)\n"
         "  -h, --help         show this help\n"
         "\n"
         "Settings not given here come from the user defaults (~/.config/Orvanel/Orvanel.conf).\n"
         "\n"
         "Exit status: 0 the run succeeded (check: every result as recorded), 1 the run\n"
         "failed (check: a result changed), 2 usage error or unreadable file.\n"
         "Interrupt (Ctrl-C) stops the run; a second interrupt exits at once. With --watch\n"
         "an interrupt while waiting ends the watch.\n";
}

}  // namespace orv::cli
