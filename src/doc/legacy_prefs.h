// Settings and page labels of worksheets from older versions, which kept
// them in resources: 'PRef' 128 (settings), 'STR#' 129 (fonts and tab width)
// and 'LBLS' 128 (labels).
#pragma once

#include <string>
#include <vector>

#include "base/resource_file.h"
#include "doc/doc_prefs.h"

namespace orv {

// Fills [*prefs] from the 'PRef' resource and then the fonts from 'STR#' 129.
// Returns false, leaving [*prefs] as it was, when there is no 'PRef'. Old
// window tops counted down from the top of a screen taken as 1000 points.
bool GetResPrefs(const ResourceFile& res, DocPrefs* prefs);

// The text font, plot font and tab width from 'STR#' 129: names empty, sizes
// 0 and the tab width not set when the resource is missing; a size or tab
// width that can't be read counts as 0; a tab width outside 0..900 becomes 36.
void GetResFonts(const ResourceFile& res, DocPrefs* prefs);

struct LegacyLabel {
  LabelOrigin origin;
  bool positionOnly = false;  // the worksheet supplies the text
  std::string text;           // Mac OS Roman
};

// The records of 'LBLS' 128, in order; false when there is no such resource.
// A record cut short by the end of the resource ends the list.
bool GetResLabels(const ResourceFile& res, std::vector<LegacyLabel>* labels);

}  // namespace orv
