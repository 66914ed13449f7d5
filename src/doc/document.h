// A worksheet document without its windows: the text, the settings, the
// page-label positions, and how the file is read and written.
//
// Opening takes RTF or plain text. Settings come from the options line in
// the RTF document comment; failing that, from the legacy resources of the
// file's resource fork, whose log-axis flags and text labels then become a
// conversion block at the top of the text; failing that, from the user
// defaults. A document with settings is saved as RTF with an updated options
// line; one without is saved in the form it had, once a name has been chosen.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "doc/color_run.h"
#include "doc/doc_prefs.h"
#include "doc/plain_text.h"

namespace orv {

enum class DocForm { kRtf, kPlain };

// The user defaults that a document without settings of its own starts from,
// as a settings record (window frames zero, colouring on).
DocPrefs defaultPrefs();

struct Document {
  std::u16string text;
  DocForm form = DocForm::kRtf;      // the form a Save writes
  PlainText plain;                   // how a plain-text file was encoded
  bool haveprefs = false;            // settings were found in the file
  bool converted = false;            // they came from legacy resources
  bool forceSaveAs = false;          // the first save must ask for a name
  DocPrefs prefs;                    // the settings in force
  std::u16string textFont;           // font of the text; empty when none is known
  int textFontHalfPoints = 0;        // its size; 0 when not known
  int tabWidth = 0;                  // points; 0 or less: not set
  std::vector<LabelOrigin> slabels;  // page labels, in order
  // RTF content that was read past and that a save does not write back
  // (control words of pictures, footnotes, fields...; see RtfDocument).
  std::vector<std::string> dropped;
};

// Opens the file [bytes] named [path] (empty for an untitled document), with
// [resourceFork] when the file has one, starting from [defaults] when it
// carries no settings. A converted legacy document whose name does not end in
// ".ov" must be saved under a new name (forceSaveAs; see convertedName).
Document openDocument(std::string_view bytes, std::string_view path,
                      const std::optional<std::string>& resourceFork, const DocPrefs& defaults);

// The text of a worksheet file, RTF or plain text, without its settings (as
// an included worksheet is read).
std::u16string readWorksheetText(std::string_view bytes);

// The name a converted legacy document is saved under: [path] with ".ov"
// appended, unless it already ends in ".ov".
std::string convertedName(const std::string& path);

// The options line of [doc].
std::string documentOptionsLine(const Document& doc);

// The file bytes of [doc] in [form]. RTF carries the options line, the font,
// the tab width and, unless colouring is off, [colours].
std::string saveDocument(const Document& doc, DocForm form, const std::vector<ColorRun>& colours);

}  // namespace orv
