#include "plot/axis.h"

#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace orv {

namespace {

// Decade subdivisions: from 1, a row's steps are added until 10 is reached.
constexpr signed char kDivs[5][9] = {{1, 1, 1, 1, 1, 1, 1, 1, 1},
                                     {1, 1, 2, 2, 3, 3, 3, 3, 3},
                                     {1, 3, 5, 5, 5, 5, 5, 5, 5},
                                     {3, 6, 6, 6, 6, 6, 6, 6, 6},
                                     {9, 9, 9, 9, 9, 9, 9, 9, 9}};

// No axis draws more ticks than this, whatever its settings.
constexpr int kMaxTicks = 2000;

int tlog10(double x) { return x > 0 ? itrunc(std::log10(x)) : 0; }

// Where the tick numbers drawn so far along one axis end: the right edge of
// the last number on an X axis, the top of its digits on a Y axis. Numbers
// come in increasing page order, and one that would overprint the number
// before it is left out (its tick stays).
struct TickRoom {
  int end = INT_MIN;
};

// The text of tick number [v] and its offset from the pen for [align] (see
// drawlab).
struct TickLabel {
  char text[64];
  int len = 0, width = 0, dh = 0;
};

bool tickLabel(Surface& s, const AxisFrame& f, int align, const char* format, double v,
               TickLabel* l) {
  l->len = std::snprintf(l->text, 51, format, v);
  if (l->len < 0) return false;
  if (l->len > 50) l->len = 50;
  int h;
  s.GetTextSize(std::string_view(l->text, static_cast<std::size_t>(l->len)), &l->width, &h);
  if (align == 0) l->dh = -l->width;
  if (align == 2) l->dh = -(l->width / 2);
  if (align == 1) l->dh = l->len <= 9 ? -(l->width / 2) : -5 * f.charwidth;
  return true;
}

void drawTickLabel(Surface& s, const TickLabel& l) {
  s.Move(l.dh, 0);
  s.DrawText(std::string_view(l.text, static_cast<std::size_t>(l.len)));
}

void xtic(Surface& s, const AxisFrame& f, int align, const char* format, double v, TickRoom* room) {
  int h, vv;
  s.GetPen(&h, &vv);
  s.Line(0, -f.ticsize);
  s.Move(0, -f.charht);
  TickLabel l;
  if (f.axes->has(PF_XTICKLABELS) && tickLabel(s, f, align, format, v, &l) &&
      h + l.dh >= room->end) {
    drawTickLabel(s, l);
    room->end = h + l.dh + l.width + f.charwidth / 2;
  }
  s.MoveTo(h, vv);
}

void ytic(Surface& s, const AxisFrame& f, const char* format, double v, TickRoom* room) {
  int h, vv;
  s.GetPen(&h, &vv);
  s.Line(-f.ticsize, 0);
  s.Move(-(f.charwidth / 4), -(f.charht / 2));
  const int bottom = vv - f.charht / 2;
  TickLabel l;
  if (f.axes->has(PF_YTICKLABELS) && tickLabel(s, f, 0, format, v, &l) && bottom >= room->end) {
    drawTickLabel(s, l);
    // Digits fill about the lower three quarters of the text box.
    room->end = bottom + (3 * f.charht) / 4;
  }
  s.MoveTo(h, vv);
}

void vgridline(Surface& s, const AxisFrame& f, bool dark, double x) {
  if (!f.axes->has(PF_XGRID)) return;
  s.ForeColor(dark ? kDarkGrey : kLightGrey);
  int h, v;
  f.MapData(x, f.axes->ymax, &h, &v);
  s.LineTo(h, v);
  s.MoveTo(h, f.yorg);
  s.ForeColor(kBlack);
}

void hgridline(Surface& s, const AxisFrame& f, bool dark, double y) {
  if (!f.axes->has(PF_YGRID)) return;
  s.ForeColor(dark ? kDarkGrey : kLightGrey);
  int h, v;
  f.MapData(f.axes->xmax, y, &h, &v);
  s.LineTo(h, v);
  s.MoveTo(f.xorg, v);
  s.ForeColor(kBlack);
}

// The tick spacing of a linear axis: [div] when it gives between 1 and 51
// intervals, else a round one.
double spacing(double lo, double hi, double div) {
  if (div != 0 && (hi - lo) / div > 1 && (hi - lo) / div < 51) return div;
  return nicediv(hi - lo);
}

// The first multiple of [d] at or above [lo], give or take a 200th of d.
double firstTick(double lo, double d) {
  double t = lo < 0 ? d * std::floor(lo / d) : d * std::ceil(lo / d);
  return t < lo - d / 200 ? t + d : t;
}

void linxtics(Surface& s, const AxisFrame& f, bool grid) {
  const StripAxes& a = *f.axes;
  TickRoom room;
  const double d = spacing(a.xmin, a.xmax, a.xdiv);
  const std::string fmt = nicefmt(a.xmin, a.xmax, d);
  const double eps = d / 200;
  double t = firstTick(a.xmin, d);
  for (int n = 0; t <= a.xmax + eps && n < kMaxTicks; ++n, t += d) {
    if (std::fabs(t) < d * 1e-9) t = 0;  // no "-0.00" from the sums
    int h, v;
    f.MapData(t, a.ymin, &h, &v);
    s.MoveTo(h, v);
    int align = 2;
    if (t < a.xmin + d / 8) align = 1;
    if (t > a.xmax - d / 2) align = 0;
    xtic(s, f, align, fmt.c_str(), t, &room);
    if (grid) vgridline(s, f, t == 0, t);
  }
}

void linytics(Surface& s, const AxisFrame& f, bool grid) {
  const StripAxes& a = *f.axes;
  TickRoom room;
  const double d = spacing(a.ymin, a.ymax, a.ydiv);
  const std::string fmt = nicefmt(a.ymin, a.ymax, d);
  const double eps = d / 200;
  double t = firstTick(a.ymin, d);
  for (int n = 0; t <= a.ymax + eps && n < kMaxTicks; ++n, t += d) {
    if (std::fabs(t) < d * 1e-9) t = 0;
    int h, v;
    f.MapData(a.xmin, t, &h, &v);
    s.MoveTo(h, v);
    ytic(s, f, fmt.c_str(), t, &room);
    if (grid) hgridline(s, f, t == 0, t);
  }
}

// Ticks of a log axis from [lo] to [hi] (decades) with [div] the requested
// spacing and [defaultRow] the row to use without one.
template <typename Tick>
void logtics(double lo, double hi, double div, int defaultRow, Tick tick) {
  const double r = hi - lo;
  const double eps = r / 200;
  int row, step;
  if (div >= 1 && r / div <= 5) {
    row = itrunc(div - 1);
    step = tlog10(div);
  } else {
    row = defaultRow;
    step = defaultRow / 4;
  }
  if (row > 4) row = 4;
  if (row < 0) row = 0;
  if (step < 1) step = 1;
  const double e = std::floor(lo);
  const double base = std::pow(10.0, e);
  double m = 1, u = 1, t = e;
  int i = 0;
  for (int n = 0; t <= hi + eps && n < kMaxTicks; ++n) {
    if (t >= lo - eps) tick(t, m * base, i == 0, t <= hi - eps);
    m += kDivs[row][i] * u;
    ++i;
    if (m >= 10 * u || i >= 9) {
      i = 0;
      u *= std::pow(10.0, step);
      m = u;
    }
    t = e + std::log10(m);
  }
}

}  // namespace

double nicediv(double r) {
  if (!(r > 0) || !std::isfinite(r)) return 1;
  double e = r > 1 ? std::log10(r) : std::log10(r) - 1;
  int k = itrunc(e);
  int m = itrunc(r * std::pow(10.0, 1 - k));
  int s = 5;
  while (m / s >= 6) s += 5;
  return std::pow(10.0, k - 1) * (s == 15 ? 20 : s);
}

std::string nicefmt(double lo, double hi, double d) {
  double a = std::fmax(std::fabs(lo), std::fabs(hi));
  int p = tlog10(a);
  int q = p - tlog10(d);
  char text[32];
  if (q < 5 && std::abs(p) < 5) {
    double f = d < 50 ? d - std::trunc(d) : 0;
    if (f == 0) return "%1.0f";
    std::snprintf(text, sizeof text, "%%1.%df", itrunc(-std::log10(f) + 1e-6) + 2);
  } else {
    std::snprintf(text, sizeof text, "%%1.%de", q + 1 < 0 ? 0 : (q + 1 > 30 ? 30 : q + 1));
  }
  return text;
}

int yaxischars(const StripAxes& a) {
  if (!a.has(PF_YTICKLABELS)) return 0;
  if (a.has(PF_YLOG)) return 5;
  double m = std::fabs(a.ymin) > std::fabs(a.ymax) ? std::fabs(a.ymin) : std::fabs(a.ymax);
  int p = tlog10(m);
  double x = (a.ymax - a.ymin) / 50;
  int q = p - tlog10(x);
  int s = a.ymin + x / 2 < 0 ? 1 : 0;
  if (q > 4 || std::abs(p) > 4) return q + 7 + s;
  int d = x >= 10 ? 0 : itrunc(-std::log10(x) + 1e-6) + 1;
  int w = d < q ? d + std::abs(p) : d;
  if (std::abs(p) > w) w = std::abs(p);
  return w + 2 + (d > 0 ? 1 : 0) + s;
}

void drawlab(Surface& s, const AxisFrame& f, int align, const char* format, double v) {
  TickLabel l;
  if (tickLabel(s, f, align, format, v, &l)) drawTickLabel(s, l);
}

void axis(Surface& s, const AxisFrame& f, bool grid) {
  const StripAxes& a = *f.axes;
  if (a.has(PF_XLOG)) {
    int row = itrunc((a.xmax - a.xmin) / 1.5);
    TickRoom room;
    logtics(a.xmin, a.xmax, a.xdiv, row, [&](double t, double value, bool dark, bool inside) {
      int h, v;
      f.MapData(t, a.ymin, &h, &v);
      s.MoveTo(h, v);
      xtic(s, f, inside ? 1 : 0, "%0.5G", value, &room);
      if (grid) vgridline(s, f, dark, t);
    });
  } else {
    linxtics(s, f, grid);
  }
  if (a.has(PF_YLOG)) {
    int row = itrunc((f.nstrips + 2) * (a.ymax - a.ymin) / 5);
    TickRoom room;
    logtics(a.ymin, a.ymax, a.ydiv, row, [&](double t, double value, bool dark, bool) {
      int h, v;
      f.MapData(a.xmin, t, &h, &v);
      s.MoveTo(h, v);
      ytic(s, f, "%0.5G", value, &room);
      if (grid) hgridline(s, f, dark, t);
    });
  } else {
    linytics(s, f, grid);
  }

  int h, v;
  s.MoveTo(f.xorg, f.yorg);
  f.MapData(a.xmax, a.ymin, &h, &v);
  s.LineTo(h, v);
  s.MoveTo(f.xorg, f.yorg);
  f.MapData(a.xmin, a.ymax, &h, &v);
  s.LineTo(h, v);
  if (a.has(PF_AXISBOX)) {
    f.MapData(a.xmax, a.ymax, &h, &v);
    s.LineTo(h, v);
    f.MapData(a.xmax, a.ymin, &h, &v);
    s.LineTo(h, v);
  }
  s.FinishPath();

  if (!a.ylab.empty()) {
    f.MapData(a.xmin, a.ymax, &h, &v);
    s.MoveTo(f.window.left + f.charwidth / 2, v + f.charht / 2);
    s.DrawText(a.ylab);
  }
  if (!a.xlab.empty()) {
    int w, th;
    s.GetTextSize(a.xlab, &w, &th);
    f.MapData(a.xmin + (a.xmax - a.xmin) / 2, a.ymin, &h, &v);
    int lv = itrunc(v - (2 * th + 1.5 * f.ticsize));
    if (!a.has(PF_XTICKLABELS)) lv += f.charht;
    s.MoveTo(h - w / 2, lv);
    s.DrawText(a.xlab);
  }
}

}  // namespace orv
