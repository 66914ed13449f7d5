#include "cli/run_command.h"

#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <exception>
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

class CliHost : public Host {
 public:
  explicit CliHost(Console& console) : console_(console) {}
  void bugAlert(std::string_view text) override {
    console_.line("orvanel: internal: " + bytesToUtf8(text));
  }

 private:
  Console& console_;
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

  CliHost host(console);
  auto engine = std::make_unique<Engine>(host);
  engine->setSettings(settings);
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
