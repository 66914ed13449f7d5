// Reading a worksheet file for a window: the file with its resource fork,
// opened as a document with the user defaults for one without settings.
#pragma once

#include <QString>

#include "doc/document.h"

namespace orv::app {

// Reads the worksheet at [path] into [*doc]; false with [*error] set when it
// cannot be read (missing, not a regular file, unreadable).
bool readDocumentFile(const QString& path, Document* doc, QString* error);

// A new document: the text "\n" with the user defaults, first saved as RTF
// through Save As.
Document newDocumentFromDefaults();

}  // namespace orv::app
