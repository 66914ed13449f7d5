// Whole-file reading and writing for the command line, with errors reported
// as errno values (or the few of our own below) so messages can name the
// reason.
#pragma once

#include <string>
#include <string_view>

namespace orv::cli {

// Reasons beyond errno's, for fileErrorText.
inline constexpr int kNotRegularFile = 100001;  // a device, pipe or socket
inline constexpr int kFileTooLarge = 100002;    // more than kMaxWorksheetBytes
inline constexpr int kChangedOnDisk = 100003;   // another program wrote it meanwhile
inline constexpr int kReadOnly = 100004;        // no write permission in its mode

// The largest worksheet read: far beyond any real one, small enough that a
// mistaken name (a disk image, /dev/zero) ends quickly.
inline constexpr std::size_t kMaxWorksheetBytes = std::size_t(256) << 20;

// The text for an errno value or one of the reasons above.
std::string fileErrorText(int error);

// Reads all of [path], or of standard input when [path] is "-", into [bytes]:
// only a regular file, and at most kMaxWorksheetBytes. Never waits for a
// writer of a named pipe. Returns 0 or an error.
int readWholeFile(const std::string& path, std::string* bytes);

// Writes [bytes] to standard output when [path] is "-", else to [path] in
// one piece (see orv::writeFileAtomically). Returns 0 or an error.
int writeWholeFile(const std::string& path, std::string_view bytes);

// Replaces the content of the existing file [path], read before as
// [before], with [bytes] so that a reader sees either the old or the new
// content, never a part; on failure the old file is untouched. Refused
// (kReadOnly) for a file whose mode allows no writing, even to a privileged
// user, and (kChangedOnDisk) when the file no longer holds [before].
// Returns 0 or an error.
int replaceFileAtomically(const std::string& path, std::string_view before, std::string_view bytes);

// kReadOnly when the existing file [path] may not be written back, else 0.
int checkWritable(const std::string& path);

}  // namespace orv::cli
