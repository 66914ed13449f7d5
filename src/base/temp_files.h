// Temporary files that replace a target once they are complete (data files,
// their metadata, worksheets, plots). Each is created exclusively under a
// random name beside its target, so a symbolic link planted at a name that
// could be guessed is never followed, and is registered while it exists, so
// that a process ended by a signal can remove the ones it leaves behind.
//
// The registry is the one piece of process-wide state here: the files belong
// to the process, whichever document made them.
#pragma once

#include <sys/types.h>

#include <string>
#include <string_view>

namespace orv {

// Creates a new, empty file beside [target], open for writing, with [mode]
// as its permissions before the umask. Returns the descriptor and sets
// [temp] to the file's path, or returns -1 with errno set.
int createTempBeside(const std::string& target, std::string* temp, mode_t mode = 0666);

// Moves [temp] into the place of [target]; false with errno set on failure,
// when [temp] is left as it was.
bool renameTemp(const std::string& temp, const std::string& target);

// Removes [temp] (a file createTempBeside made and that is still there).
void removeTemp(const std::string& temp);

// Writes [bytes] to a new file beside [path] that then takes the place of
// [path]: a reader sees the old content or the new, never a part, and on a
// failure [path] is left as it was. A replaced file keeps its permissions
// (and, for a privileged user, its owner); a symbolic link is followed, not
// replaced. A character device (/dev/null) is written directly. Returns 0
// or an errno value.
int writeFileAtomically(const std::string& path, std::string_view bytes);

// Removes every temporary file that is still registered. Async-signal-safe,
// for the handler of a signal that ends the process.
void removeTempFilesNow();

}  // namespace orv
