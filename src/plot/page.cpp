// The whole page: its strips, title, page labels and information line.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "base/c_locale.h"
#include "plot/axis.h"
#include "plot/draw.h"

namespace orv {

bool pageHasRoom(const PlotPage& ps, Surface& s) {
  for (int i = 0; i <= ps.stripcount && i < kMaxStrips; ++i) {
    const AxisFrame f = setscale(ps, i, ps.strips[i].axes, s);
    if (f.yend <= f.yorg || f.xend <= f.xorg) return false;
  }
  return true;
}

std::string pageTooSmallText(const PlotPage& ps) {
  const int strips = std::min(ps.stripcount, kMaxStrips - 1) + 1;
  if (strips == 1) return "too small for its plot";
  return "too small for its " + std::to_string(strips) + " strips";
}

void drawplot(const PlotPage& ps, Surface& s) {
  CNumericScope numbers;  // tick numbers
  if (!pageHasRoom(ps, s)) {
    const std::string text = "The page is " + pageTooSmallText(ps);
    Rect w;
    s.GetWindowRect(&w);
    int tw, th;
    s.GetTextSize(text, &tw, &th);
    s.MoveTo((w.left + w.right) / 2 - tw / 2, (w.top + w.bottom) / 2 - th / 2);
    s.DrawText(text);
    return;
  }
  for (int i = 0; i <= ps.stripcount && i < kMaxStrips; ++i) {
    const Strip& strip = ps.strips[i];
    AxisFrame f = setscale(ps, i, strip.axes, s);
    DrawImage(s, f, strip, ps.ctab);
    DrawXpic(s, f, strip);
    axis(s, f, true);
    DrawTraces(s, f, strip);
    Zaxis(s, f, strip, ps.ctab);
  }
  if (!ps.title.empty()) {
    Rect w;
    s.GetWindowRect(&w);
    int tw, th, cw, ch;
    s.GetTextSize(ps.title, &tw, &th);
    s.GetTextSize("0", &cw, &ch);
    s.MoveTo((w.left + w.right) / 2 - tw / 2, w.top - ch - 2);
    s.DrawText(ps.title);
  }
}

void drawPage(const PlotPage& ps, Surface& s, const Click& click,
              const std::vector<PageLabel>* labels, bool info) {
  drawplot(ps, s);
  s.ForeColor(kBlack);
  for (const PageLabel& l : labels ? *labels : ps.labels) {
    if (!l.shown || l.text.empty()) continue;
    // The text sits in its label frame after a margin of 5 units.
    s.MoveTo(pageCoord(l.x) + 5, pageCoord(l.y));
    s.DrawText(l.text);
  }
  if (info) {
    Rect w;
    s.GetWindowRect(&w);
    int cw, ch;
    s.GetTextSize("0", &cw, &ch);
    s.MoveTo(w.left + cw, w.bottom + 2);
    s.DrawText(showplotinfo(ps, click));
  }
  s.FinishPath();
}

std::string showplotinfo(const PlotPage& ps, const Click& c) {
  CNumericScope numbers;
  const StripAxes& a = ps.strips[c.any() ? c.strip : ps.stripcount].axes;
  auto unlog = [](bool log, double v) { return log ? std::pow(10.0, v) : v; };
  const bool xl = a.has(PF_XLOG), yl = a.has(PF_YLOG), zl = a.has(PF_ZLOG);
  char text[160];
  if (c.any() && c.z == -HUGE_VAL) {
    std::snprintf(text, sizeof text, "trace %d  X:%0.4g  Y:%0.4g", c.trace, unlog(xl, c.x),
                  unlog(yl, c.y));
  } else if (c.any()) {
    int n = std::snprintf(text, sizeof text, "image[%d,%d]  X:%0.4g  Y:%0.4g", c.i, c.j,
                          unlog(xl, c.x), unlog(yl, c.y));
    if (std::isnan(c.z))
      std::snprintf(text + n, sizeof text - n, "  Z:?");
    else
      std::snprintf(text + n, sizeof text - n, "  Z:%0.2g", unlog(zl, c.z));
  } else {
    const StripAxes& cur = ps.strips[ps.stripcount].axes;
    const bool ly = cur.has(PF_YLOG), lz = cur.has(PF_ZLOG);
    const bool ydata = ps.ylo <= ps.yhi, zdata = ps.zlo <= ps.zhi;
    if (!ydata && !zdata) {
      if (ps.pltukn.empty())
        std::snprintf(text, sizeof text, "No defined points.");
      else
        std::snprintf(text, sizeof text, "? %s?", ps.pltukn.c_str());
    } else if (!ydata) {
      std::snprintf(text, sizeof text, "Zlo:%0.4g  Zhi:%0.4g", unlog(lz, ps.zlo),
                    unlog(lz, ps.zhi));
    } else if (!zdata) {
      std::snprintf(text, sizeof text, "Ylo:%0.4g  Yhi:%0.4g", unlog(ly, ps.ylo),
                    unlog(ly, ps.yhi));
    } else {
      std::snprintf(text, sizeof text, "Ylo:%0.4g  Yhi:%0.4g  Zlo:%0.4g  Zhi:%0.4g",
                    unlog(ly, ps.ylo), unlog(ly, ps.yhi), unlog(lz, ps.zlo), unlog(lz, ps.zhi));
    }
  }
  std::string s = text;
  if (s.size() > 69) s.resize(69);
  return s;
}

}  // namespace orv
