// Whole-file reading and writing for the command line, with errors reported
// as errno values so messages can name the system's reason.
#pragma once

#include <string>
#include <string_view>

namespace orv::cli {

// Reads all of [path], or of standard input when [path] is "-", into [bytes].
// Returns 0 or an errno value.
int readWholeFile(const std::string& path, std::string* bytes);

// Writes [bytes] to [path] (created or truncated), or to standard output when
// [path] is "-". Returns 0 or an errno value.
int writeWholeFile(const std::string& path, std::string_view bytes);

// Replaces the content of the existing file [path] with [bytes] so that a
// reader sees either the old or the new content, never a part: the bytes go
// to a new file in the same folder, which keeps the old file's permissions
// and then takes its place. A symbolic link is followed, not replaced.
// Returns 0 or an errno value; on failure the old file is untouched.
int replaceFileAtomically(const std::string& path, std::string_view bytes);

// Writes [bytes] to [path] the same way whether or not the file exists yet:
// an existing file is replaced as by replaceFileAtomically, a new one appears
// whole under its name. Returns 0 or an errno value.
int writeFileAtomically(const std::string& path, std::string_view bytes);

}  // namespace orv::cli
