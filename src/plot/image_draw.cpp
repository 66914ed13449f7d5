// Drawing a strip's image and its colour bar.
#include <cmath>
#include <cstdio>
#include <cstring>

#include "plot/axis.h"
#include "plot/draw.h"

namespace orv {

namespace {

// The colours of [ctab], or the built-in table when the worksheet set none.
const uint8_t (*tableOf(const ColorTable& ctab))[3] {
  if (ctab.valid) return ctab.rgb;
  static const ColorTable builtIn = [] {
    ColorTable t;
    BuiltInCtable(1, t.rgb);
    t.valid = true;
    return t;
  }();
  return builtIn.rgb;
}

// The levels 1 to 255: the picture of the colour bar.
struct ZBar {
  uint8_t levels[255];
  ZBar() {
    for (int i = 0; i < 255; ++i) levels[i] = static_cast<uint8_t>(i + 1);
  }
};

}  // namespace

void DrawImage(Surface& s, const AxisFrame& f, const Strip& strip, const ColorTable& ctab) {
  const StripImage& img = strip.image;
  if (img.empty()) return;
  s.ShowBytes(img.levels.data(), img.rows, img.cols, f.GetAxisRect(), tableOf(ctab));
}

void Zaxis(Surface& s, const AxisFrame& f, const Strip& strip, const ColorTable& ctab) {
  const StripAxes& a = strip.axes;
  if (strip.image.empty() || !a.has(PF_ZBAR)) return;
  const bool zlog = a.has(PF_ZLOG);
  const int cw = f.charwidth;
  Rect bar;
  bar.left = f.xorg + 9 * cw;
  bar.right = f.xend - 9 * cw;
  if (zlog) bar.right -= 6 * cw;
  if (!a.zlab.empty()) bar.right -= (static_cast<int>(a.zlab.size()) + 1) * cw;
  bar.bottom = f.yend + f.charht / 2;
  bar.top = bar.bottom + (3 * f.charht) / 4;
  if (bar.right <= bar.left) return;  // no room on this page
  static const ZBar zbar;
  s.ShowBytes(zbar.levels, 255, 1, bar, tableOf(ctab));

  s.MoveTo(bar.left - cw / 2, bar.bottom - 2);
  drawlab(s, f, 0, "%0.3g", zlog ? std::pow(10.0, a.zmin) : a.zmin);

  s.MoveTo(bar.right + cw / 2, bar.bottom - 2);
  char text[64];
  if (zlog)
    std::snprintf(text, sizeof text, "%0.3g (log)", std::pow(10.0, a.zmax));
  else
    std::snprintf(text, sizeof text, "%0.3g", a.zmax);
  s.DrawText(text);
  if (!a.zlab.empty()) {
    int w, h;
    s.GetTextSize(text, &w, &h);
    s.Move(w + cw, 0);
    s.DrawText(a.zlab);
  }
  s.FrameRect(bar);
}

}  // namespace orv
