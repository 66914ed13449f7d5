// The options line: one line of 8-bit text that carries a document's
// settings and page-label positions inside an RTF worksheet, as its document
// comment. For example:
//
//   Orvanel Options: fix 4 writefmt 2 deg;hidegrid; twindow 100 700 500 400
//   pwindow 620 700 400 300 plotfont "Helvetica" 12;lab 500 250
//
// (one line). The reader walks the text with the writer's spacing, so only
// lines of this exact shape give settings.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "doc/doc_prefs.h"

namespace orv {

// The line is built for a buffer of this many bytes, its NUL included.
inline constexpr std::size_t kOptionsLineSize = 1024;

// At most this many labels are written. With every other item at its longest
// and each label coordinate held within kLabelCoordLimit, the line still fits
// kOptionsLineSize.
inline constexpr std::size_t kMaxHdrLabels = 40;
inline constexpr int kLabelCoordLimit = 99999;  // in 1000ths of the view size

// The options line for [prefs] without labels (the printasis flag is never
// written).
std::string MakePrefsHdr(const DocPrefs& prefs);

// Appends the item ";lab X Y" for a label at fractions [x], [y] of the plot
// view's size. Returns false, appending nothing, when the line has no room.
bool AddLabelOrg(std::string* line, double x, double y);

// The whole line: MakePrefsHdr and one item per label, the first
// kMaxHdrLabels labels only.
std::string makeOptionsLine(const DocPrefs& prefs, const std::vector<LabelOrigin>& labels);

// Reads the options line [line] (at most kOptionsLineSize - 1 bytes of it).
// When the line is understood, [*prefs] gets its settings (fields the line
// does not carry take their "none" values: empty text font, sizes 0, no log
// axes, tab width -1; a number format the line does not name stays as it
// was), [*rest] the text after the plot font for NextHdrLabel, and the result
// is true. Otherwise nothing changes and the result is false.
bool GetHdrPrefs(std::string_view line, DocPrefs* prefs, std::string_view* rest);

// Reads the next ";lab X Y" item at the start of [*rest] and moves [*rest]
// past it. Returns false when no label item follows.
bool NextHdrLabel(std::string_view* rest, double* x, double* y);

}  // namespace orv
