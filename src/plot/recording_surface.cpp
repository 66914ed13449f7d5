#include "plot/recording_surface.h"

#include <charconv>
#include <cstdio>

namespace orv {

RecordingSurface::RecordingSurface(int width, int height, int charwidth, int charht, bool log)
    : width_(width), height_(height), charwidth_(charwidth), charht_(charht), logging_(log) {}

void RecordingSurface::appendInt(int n) {
  char text[16];
  auto end = std::to_chars(text, text + sizeof text, n).ptr;
  log_.push_back(' ');
  log_.append(text, end);
}

void RecordingSurface::line(const char* text) {
  if (!logging_) return;
  log_ += text;
  log_ += '\n';
}

void RecordingSurface::rect(const char* op, const Rect& r) {
  if (!logging_) return;
  log_ += op;
  appendInt(r.top);
  appendInt(r.left);
  appendInt(r.bottom);
  appendInt(r.right);
  log_ += '\n';
}

void RecordingSurface::noteMoveTo(int h, int v) {
  if (!logging_) return;
  log_ += "MoveTo";
  appendInt(h);
  appendInt(v);
  log_ += '\n';
}

void RecordingSurface::noteLineTo(int h, int v) {
  if (!logging_) return;
  log_ += "LineTo";
  appendInt(h);
  appendInt(v);
  log_ += '\n';
}

void RecordingSurface::noteForeColor(int n) {
  if (!logging_) return;
  log_ += "ForeColor";
  appendInt(n);
  log_ += '\n';
}

void RecordingSurface::DrawText(std::string_view s) {
  if (!logging_) return;
  int h, v;
  GetPen(&h, &v);
  log_ += "DrawText";
  appendInt(h);
  appendInt(v);
  log_ += " \"";
  log_ += s;
  log_ += "\"\n";
}

void RecordingSurface::GetTextSize(std::string_view s, int* w, int* h) {
  *w = static_cast<int>(s.size()) * charwidth_;
  *h = charht_;
}

void RecordingSurface::ShowBytes(const uint8_t* data, int width, int height, const Rect& r,
                                 const uint8_t (*rgb)[3]) {
  if (!logging_) return;
  // FNV-1a over the colours of the cells, so a changed level or table shows.
  uint32_t sum = 2166136261u;
  const std::size_t n = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
  for (std::size_t i = 0; i < n; ++i)
    for (int c = 0; c < 3; ++c) sum = (sum ^ rgb[data[i]][c]) * 16777619u;
  char text[32];
  std::snprintf(text, sizeof text, " %08x", sum);
  log_ += "ShowBytes";
  appendInt(width);
  appendInt(height);
  appendInt(r.top);
  appendInt(r.left);
  appendInt(r.bottom);
  appendInt(r.right);
  log_ += text;
  log_ += '\n';
}

void RecordingSurface::DrawPicture(const Picture& picture, const Rect& target, const Rect& clip) {
  if (!logging_) return;
  log_ += "DrawPicture";
  appendInt(picture.width());
  appendInt(picture.height());
  for (const Rect* r : {&target, &clip}) {
    appendInt(r->top);
    appendInt(r->left);
    appendInt(r->bottom);
    appendInt(r->right);
  }
  log_ += '\n';
}

}  // namespace orv
