// A drawing surface that records every operation as one line of text, with
// fixed character metrics: the golden drawing logs of the plot tests, and the
// page metrics of a run. Images are logged by size and a checksum of their
// colours.
#pragma once

#include <string>

#include "plot/surface.h"

namespace orv {

class RecordingSurface : public Surface {
 public:
  // A page of [width] x [height] units whose characters are [charwidth] x
  // [charht] each. With [log] false nothing is recorded.
  RecordingSurface(int width = 640, int height = 480, int charwidth = 7, int charht = 14,
                   bool log = true);

  const std::string& log() const { return log_; }
  void clearLog() { log_.clear(); }

  void FrameRect(const Rect& r) override { rect("FrameRect", r); }
  void PaintRect(const Rect& r) override { rect("PaintRect", r); }
  void FrameOval(const Rect& r) override { rect("FrameOval", r); }
  void PaintOval(const Rect& r) override { rect("PaintOval", r); }
  void SaveGS() override { line("SaveGS"); }
  void RestoreGS() override { line("RestoreGS"); }
  void ClipRect(const Rect& r) override { rect("ClipRect", r); }
  void GetWindowRect(Rect* r) override { *r = {height_, 0, 0, width_}; }
  void DrawText(std::string_view s) override;
  void GetTextSize(std::string_view s, int* w, int* h) override;
  void ShowBytes(const uint8_t* data, int width, int height, const Rect& r,
                 const uint8_t (*rgb)[3]) override;
  void DrawPicture(const Picture& picture, const Rect& target, const Rect& clip) override;

 protected:
  void StrokePath(const PathPoint*, std::size_t) override {}
  void noteMoveTo(int h, int v) override;
  void noteLineTo(int h, int v) override;
  void noteFinishPath() override { line("FinishPath"); }
  void noteForeColor(int n) override;

 private:
  void line(const char* text);
  void rect(const char* op, const Rect& r);
  void appendInt(int n);

  int width_, height_, charwidth_, charht_;
  bool logging_;
  std::string log_;
};

}  // namespace orv
