// Worksheet documents for the command line: reading a file with its
// resource fork, and the form a file name asks for.
#pragma once

#include <string>

#include "doc/document.h"

namespace orv::cli {

// Reads the worksheet [path] ("-": standard input, which has no resource
// fork) into [*doc], starting from [defaults] when it carries no settings;
// [*bytes] gets the file as read. Returns 0 or an errno value.
int readWorksheetFile(const std::string& path, const DocPrefs& defaults, Document* doc,
                      std::string* bytes);

// Why the worksheet [path], read into [doc], may not be written back in
// place: it is read-only, or it holds RTF content a save would lose. Empty
// when it may.
std::string inPlaceRefusal(const std::string& path, const Document& doc);

// The form a file named [path] is written in: RTF for ".ov" and ".rtf".
DocForm formOfName(const std::string& path);

}  // namespace orv::cli
