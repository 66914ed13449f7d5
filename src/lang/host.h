// What the engine and its front ends exchange: the settings a run reads, the
// host through which the engine reaches the outside, and a run's outcome.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace orv {

class Picture;

// How results are written; the values are those of the options line and the
// user defaults.
enum class NumberFormat : int { kSci = 0, kEng = 1, kFix = 2 };

// Per-document settings that a run reads.
struct DocSettings {
  NumberFormat format = NumberFormat::kFix;
  int places = 2;  // 0 to 255
  bool degrees = false;
  int writeFormat = 0;    // data file format index: 0 TEXT ... 5 DBL8
  bool hideGrid = false;  // plots start without grid lines
  bool boxAxis = false;   // plots close their axes into a box
};

// What the engine asks of its front end. Every call arrives on the thread
// that runs the engine (a worksheet session's worker thread), while the run
// waits for the answer; a front end with its own GUI thread marshals the
// calls that need it there.
class Host {
 public:
  virtual ~Host() = default;
  // An internal inconsistency: show [text] (Mac OS Roman) to the user. The
  // run goes on.
  virtual void bugAlert(std::string_view text) = 0;

  // "Write File Already Exists": true to overwrite the file named
  // [fileName] (its last path component), false to cancel.
  virtual bool confirmOverwrite(const std::string& /*fileName*/) { return false; }

  // The text of the worksheet at [path] for an include statement when the
  // front end has that document open (its text wins over the file on disk);
  // false to have the engine read the file.
  virtual bool openDocumentText(const std::string& /*path*/, std::u16string* /*text*/) {
    return false;
  }

  // An included worksheet failed at text position [pos] with [message]
  // (Mac OS Roman); the including run then reports an error of its own.
  virtual void includeFailed(const std::string& /*path*/, const std::u16string& /*text*/,
                             std::size_t /*pos*/, std::string_view /*message*/) {}

  // The picture in the file at [path] for `imagefile`, or null when the file
  // is missing or holds no picture.
  virtual std::shared_ptr<const Picture> loadPicture(const std::string& /*path*/) {
    return nullptr;
  }

  // A text document for the user to read, such as the header of a SPICE
  // raw file that could not be used: [title] for its window, [text] in
  // Mac OS Roman. The default shows nothing.
  virtual void showText(const std::string& /*title*/, std::string_view /*text*/) {}
};

struct RunOutcome {
  bool ok = true;            // the run succeeded (the passes reached the end)
  std::size_t faultPos = 0;  // text position of the fault of a failed run
  std::string status;        // status line text, Mac OS Roman bytes
  int tabWidth = 0;          // tab width the worksheet asked for, 0 = none
  bool plot = false;         // the run made a plot page
  bool showPlot = false;  // a plot page is to be shown: made now or kept from before
};

}  // namespace orv
