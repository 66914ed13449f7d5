// The drawing surface on a QPainter: the plot window, PNG (QImage), SVG
// (QSvgGenerator), PDF (QPdfWriter) and printing. Page units are points with
// y upwards; the painter's device may have [scale] device pixels per point.
#pragma once

#include <QFont>
#include <QFontMetricsF>
#include <QImage>
#include <QPainter>

#include "plot/surface.h"

namespace orv {

class QtPicture : public Picture {
 public:
  explicit QtPicture(QImage image) : image_(std::move(image)) {}
  int width() const override { return image_.width(); }
  int height() const override { return image_.height(); }
  const QImage& image() const { return image_; }

 private:
  QImage image_;
};

// Loads the picture in the file at [path] (UTF-8); null when there is none.
std::shared_ptr<const Picture> loadPictureFile(const std::string& path);

class QtSurface : public Surface {
 public:
  // Draws a page of [width] x [height] points on [painter], whose device has
  // [scale] pixels per point. [raster]: the device is a pixel grid, so lines
  // and rectangles are aligned to its pixels.
  QtSurface(QPainter& painter, int width, int height, double scale, const QFont& font, bool raster);

  void FrameRect(const Rect& r) override;
  void PaintRect(const Rect& r) override;
  void FrameOval(const Rect& r) override;
  void PaintOval(const Rect& r) override;
  void SaveGS() override { painter_.save(); }
  void RestoreGS() override { painter_.restore(); }
  void ClipRect(const Rect& r) override;
  void GetWindowRect(Rect* r) override { *r = {height_, 0, 0, width_}; }
  void DrawText(std::string_view s) override;
  void GetTextSize(std::string_view s, int* w, int* h) override;
  void ShowBytes(const uint8_t* data, int width, int height, const Rect& r,
                 const uint8_t (*rgb)[3]) override;
  void DrawPicture(const Picture& picture, const Rect& target, const Rect& clip) override;

 protected:
  void StrokePath(const PathPoint* points, std::size_t count) override;

 private:
  QColor penColour() const;
  QRectF cvt(const Rect& r) const;  // pixel-aligned device-independent rectangle
  double align(double x) const;
  void drawSharp(const QImage& image, const QRectF& target);
  void setStroke();
  void setFill();

  QPainter& painter_;
  int width_, height_;
  double scale_;
  bool raster_;
  double lineOffset_;  // keeps 1-unit lines on whole pixels
  QFont font_;
  QFontMetricsF metrics_;
  std::vector<QPointF> points_;
};

// The plot font: [family] resolved through fontconfig (Helvetica becomes a
// metric-compatible substitute), [points] high.
QFont plotFont(const std::string& family = "Helvetica", int points = 12);

// The height of the text box of a line of [font], and the part of it below
// the baseline.
double textHeight(const QFont& font);
double textDescent(const QFont& font);

}  // namespace orv
