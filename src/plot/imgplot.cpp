// The `image` statement, which turns a two-dimensional array into the
// strip's image, and the `imagefile` picture.
#include <cmath>
#include <filesystem>
#include <new>
#include <optional>

#include "base/macroman.h"
#include "lang/engine.h"
#include "lang/register_guard.h"
#include "plot/plot.h"

namespace orv {

namespace {

constexpr int kMaxCells = 3000;  // per axis; larger arrays are sampled

void notImage(Engine& e) { e.errmsg(" image array must be finite 2D"); }

// The level of a value: 1 to 255 within the Z range, 0 for no value.
inline uint8_t level(double v, double zmin, double scale) {
  if (std::isnan(v)) return 0;
  double l = (v - zmin) * scale;
  if (!(l > 1)) return 1;
  if (l > 255) return 255;
  return static_cast<uint8_t>(l);
}

// The cells along the next dimension of [tree]: the size of the dimension
// its evaluation finds missing (0 when none), at most kMaxCells; [step]
// becomes the array elements per cell.
int64_t cellsAlong(Engine& e, ExprNode* tree, double* step) {
  double v;
  bool isarray;
  int64_t n;
  e.ProbeExpr(tree, &v, &isarray, &n);
  *step = 1;
  if (!isarray || n <= 0) return 0;
  if (n > kMaxCells) {
    *step = static_cast<double>(n) / kMaxCells;
    n = kMaxCells;
  }
  return n;
}

}  // namespace

void imgplot(Engine& e, ExprNode* tree) {
  if (e.stop) return;
  PlotState& ps = e.plot();
  StripAxes& a = ps.work;
  StripImage& img = ps.current().image;
  double sx, sy;
  const int64_t nx = cellsAlong(e, tree, &sx);
  if (nx <= 0) {
    img = StripImage();
    notImage(e);
    return;
  }
  double* second = e.AddLoopIndex();
  const int64_t ny = cellsAlong(e, tree, &sy);
  if (ny <= 0) {
    e.RemoveLoopIndex();
    img = StripImage();
    notImage(e);
    return;
  }
  double* first = e.AddLoopIndex();

  // Values first, so that automatic Z limits can follow this image's data.
  const int rows = static_cast<int>(nx), cols = static_cast<int>(ny);
  std::vector<float> values;
  try {
    values.assign(static_cast<std::size_t>(rows) * cols, NAN);
    img.levels.assign(values.size(), 0);  // a second image replaces the first
  } catch (const std::bad_alloc&) {
    img = StripImage();
    e.RemoveLoopIndex();
    e.RemoveLoopIndex();
    return;
  }
  img.rows = rows;
  img.cols = cols;
  const bool zlog = a.has(PF_ZLOG);
  double lo = HUGE_VAL, hi = -HUGE_VAL;
  for (int c = 0; c < rows && !e.stop; ++c) {
    *first = 1 + c * sx;
    for (int r = cols - 1, j = 0; r >= 0; --r, ++j) {
      *second = 1 + j * sy;
      e.gmissidx = 0;
      e.getstr = nullptr;
      double v;
      if (!e.EvalExpr(tree, &v)) continue;
      if (zlog) v = std::log10(v);
      if (std::isnan(v)) continue;
      values[static_cast<std::size_t>(r) * rows + c] = static_cast<float>(v);
      if (v < lo) lo = v;
      if (v > hi) hi = v;
    }
  }
  e.gmissidx = 0;
  e.RemoveLoopIndex();
  e.RemoveLoopIndex();
  if (lo < ps.zlo) ps.zlo = lo;
  if (hi > ps.zhi) ps.zhi = hi;

  if (lo <= hi && std::isfinite(lo) && std::isfinite(hi)) {
    if (ps.autozl) a.zmin = lo;
    if (ps.autozh) a.zmax = hi;
    if (ps.autozl && ps.autozh && lo == hi) {
      a.zmin = lo - 1;
      a.zmax = hi + 1;
    }
  }
  const double scale = 255.5 / (a.zmax - a.zmin);
  for (std::size_t i = 0; i < values.size(); ++i) img.levels[i] = level(values[i], a.zmin, scale);
}

void AddGraphic(Engine& e, ExprNode* name, ExprNode* rect) {
  if (e.stop) return;
  PlotState& ps = e.plot();
  Strip& strip = ps.current();
  if (strip.picture) {
    e.errmsg(" imagefile already defined");
    return;
  }
  std::string text;
  e.gmissidx = 0;
  e.getstr = nullptr;
  double v;
  if (!e.EvalExpr(name, &v) && e.getstr && e.gmissidx) text = e.getstr;
  e.getstr = nullptr;
  e.gmissidx = 0;
  e.uknvar = nullptr;
  std::optional<std::string> path;
  if (!text.empty()) {
    path = e.macPath(text);
    if (!path) path = bytesToUtf8(text);  // untitled: the current folder
  }
  if (path && e.outsideConfinement(*path, text)) return;
  std::shared_ptr<const Picture> picture = path ? e.host_.loadPicture(*path) : nullptr;
  if (!picture) {
    e.errmsg(" imagefile can't read");
    return;
  }
  double where[4] = {0, 0, 0, 0};
  if (rect) {
    RegisterGuard::Probe p = RegisterGuard(e).probe(rect);
    bool four = p.missing == 1 && p.size == 4;
    if (four) {
      double* k = e.AddLoopIndex();
      for (int i = 0; i < 4 && four; ++i) {
        *k = i + 1;
        four = e.EvalExpr(rect, &where[i]) && std::isfinite(where[i]);
      }
      e.RemoveLoopIndex();
      e.gmissidx = 0;
    }
    if (!four) {
      e.errmsg(" imagefile rectangle?");
      return;
    }
  }
  strip.picture = std::move(picture);
  for (int i = 0; i < 4; ++i) strip.picrect[i] = where[i];
}

}  // namespace orv
