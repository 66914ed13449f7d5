#include "plot/surface.h"

namespace orv {

void Surface::MoveTo(int h, int v) {
  noteMoveTo(h, v);
  strokePending();
  addPoint(h, v);
  lastx_ = h;
  lasty_ = v;
}

void Surface::LineTo(int h, int v) {
  noteLineTo(h, v);
  if (path_.empty() && column_.empty()) addPoint(lastx_, lasty_);
  addPoint(h, v);
  lastx_ = h;
  lasty_ = v;
}

void Surface::MoveTo(const PagePoint& p) {
  noteMoveTo(p.h, p.v);
  strokePending();
  addPoint(p.exactH, p.exactV);
  lastx_ = p.h;
  lasty_ = p.v;
}

void Surface::LineTo(const PagePoint& p) {
  noteLineTo(p.h, p.v);
  if (path_.empty() && column_.empty()) addPoint(lastx_, lasty_);
  addPoint(p.exactH, p.exactV);
  lastx_ = p.h;
  lasty_ = p.v;
}

void Surface::addPoint(double h, double v) {
  if (columnsPerUnit_ == 0)
    path_.push_back({h, v});
  else
    column_.add(pathColumn(h), {h, v}, [this](const PathPoint& p) { path_.push_back(p); });
}

void Surface::FinishPath() {
  noteFinishPath();
  strokePending();
}

void Surface::ForeColor(int n) {
  noteForeColor(n);
  colour_ = n >= 0 && n <= 5 ? n : 0;
}

void Surface::strokePending() {
  column_.flush([this](const PathPoint& p) { path_.push_back(p); });
  if (path_.size() > 1) StrokePath(path_.data(), path_.size());
  path_.clear();
}

void colormap(int i, uint8_t* r, uint8_t* g, uint8_t* b) {
  if (i == 0) {
    *r = *g = *b = 255;
    return;
  }
  double x = i;
  double red = i >= 108 ? 250 - 0.012 * (x - 250) * (x - 250) : 0;
  double green = 250 - 0.015 * (x - 128) * (x - 128);
  double blue = i < 143 ? 210 - 0.01 * x * x : 0;
  *r = static_cast<uint8_t>(static_cast<int>(red));
  *g = static_cast<uint8_t>(static_cast<int>(green));
  *b = static_cast<uint8_t>(static_cast<int>(blue));
}

void BuiltInCtable(int n, uint8_t (*table)[3]) {
  for (int i = 0; i < 256; ++i) {
    if (n == 1) {
      colormap(i, &table[i][0], &table[i][1], &table[i][2]);
    } else {
      uint8_t grey = static_cast<uint8_t>(255 - i);
      table[i][0] = table[i][1] = table[i][2] = grey;
    }
  }
}

}  // namespace orv
