// Worksheet documents for the command line: reading a file with its
// resource fork, writing it in either form, and handing the page labels of
// the document to a run and back.
#pragma once

#include <string>
#include <vector>

#include "doc/document.h"

namespace orv {
struct PlotState;
}

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

// The file bytes of [doc] in [form]; RTF carries the syntax colours, with
// [addOnNames] among the recognised words.
std::string worksheetBytes(const Document& doc, DocForm form,
                           const std::vector<std::string>& addOnNames);

// Puts the document's page-label positions on the page of [ps] before a
// run, and takes them back after it.
void giveLabels(const Document& doc, PlotState& ps);
void takeLabels(const PlotState& ps, Document* doc);

}  // namespace orv::cli
