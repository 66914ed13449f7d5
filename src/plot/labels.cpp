// Page labels: the texts that `label` and `slabel` lay over the plot page.
// A label keeps its number and place from run to run while the worksheet
// keeps making it.
#include "plot/plot.h"

namespace orv {

void makeLabel(PlotState& ps, const std::string& text, int k) {
  if (k < 1) return;
  auto index = static_cast<std::size_t>(k - 1);
  while (ps.labels.size() <= index) {
    PageLabel l;
    l.x = 50;
    l.y = 30 + 18.0 * static_cast<double>(ps.labels.size() + 1);
    ps.labels.push_back(l);
  }
  PageLabel& l = ps.labels[index];
  l.text = text;
  l.shown = true;
}

void ClearLabs(PlotState& ps) {
  const double w = ps.page.width, h = ps.page.height;
  for (PageLabel& l : ps.labels) {
    l.text.clear();
    l.shown = false;
    if (l.x < 0) l.x = 2;
    if (l.x > w - 15) l.x = w - 20;
    if (l.y < 14) l.y = 15;
    if (l.y > h - 5) l.y = h - 20;
  }
}

}  // namespace orv
