#include "render/qt_surface.h"

#include <fcntl.h>
#include <fontconfig/fontconfig.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QPainterPath>
#include <algorithm>
#include <cmath>
#include <cstring>

#include "base/macroman.h"

namespace orv {

namespace {

QString fromMacRoman(std::string_view s) {
  std::u16string u = bytesToUtf16(s);
  return QString::fromUtf16(u.data(), static_cast<qsizetype>(u.size()));
}

}  // namespace

namespace {
// The largest picture file read.
constexpr std::size_t kMaxPictureBytes = std::size_t(256) << 20;
}  // namespace

std::shared_ptr<const Picture> loadPictureFile(const std::string& path) {
  // Only a regular file is read (a named pipe or a device could block the
  // run or never end), and through our own bounded read.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return nullptr;
  struct stat st;
  QByteArray data;
  if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) &&
      static_cast<std::size_t>(st.st_size) <= kMaxPictureBytes) {
    data.resize(static_cast<qsizetype>(st.st_size));
    qsizetype got = 0;
    for (ssize_t n = 1; n > 0 && got < data.size(); got += n)
      if ((n = ::read(fd, data.data() + got, static_cast<std::size_t>(data.size() - got))) < 0)
        got = -1, n = 0;
    data.truncate(std::max<qsizetype>(got, 0));
  }
  ::close(fd);
  if (data.isEmpty()) return nullptr;
  QBuffer buffer(&data);
  buffer.open(QIODevice::ReadOnly);
  QImageReader reader(&buffer);
  reader.setAutoTransform(true);
  QImage image = reader.read();
  if (image.isNull()) return nullptr;
  return std::make_shared<QtPicture>(std::move(image));
}

QFont plotFont(const std::string& family, int points) {
  QString resolved = QString::fromStdString(family);
  if (FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>(family.c_str()))) {
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result;
    if (FcPattern* match = FcFontMatch(nullptr, pattern, &result)) {
      FcChar8* name = nullptr;
      if (FcPatternGetString(match, FC_FAMILY, 0, &name) == FcResultMatch && name)
        resolved = QString::fromUtf8(reinterpret_cast<const char*>(name));
      FcPatternDestroy(match);
    }
    FcPatternDestroy(pattern);
  }
  QFont font(resolved);
  font.setPixelSize(points > 0 ? points : 12);
  font.setHintingPreference(QFont::PreferNoHinting);
  font.setKerning(false);
  return font;
}

QtSurface::QtSurface(QPainter& painter, int width, int height, double scale, const QFont& font,
                     bool raster)
    : painter_(painter),
      width_(width),
      height_(height),
      scale_(scale),
      raster_(raster),
      lineOffset_(raster && std::lround(scale) % 2 == 1 ? 0.5 / scale : 0),
      font_(font),
      metrics_(font) {
  painter_.setRenderHint(QPainter::Antialiasing, true);
  painter_.setRenderHint(QPainter::TextAntialiasing, true);
  painter_.setRenderHint(QPainter::SmoothPixmapTransform, false);
  painter_.setFont(font_);
  // Path columns as wide as the pen, a unit, on pixel devices; a quarter
  // unit on vector devices, whose pages are looked at closer.
  setPathColumns(raster ? 1 : 4, lineOffset_);
}

QColor QtSurface::penColour() const {
  switch (colour()) {
    case kRed:
      return QColor(220, 0, 0);
    case kGreen:
      return QColor(0, 150, 0);
    case kBlue:
      return QColor(0, 0, 230);
    case kLightGrey:
      return QColor(200, 200, 200);
    case kDarkGrey:
      return QColor(110, 110, 110);
    default:
      return QColor(0, 0, 0);
  }
}

void QtSurface::setStroke() {
  QPen pen(penColour(), 1.0);
  pen.setCapStyle(Qt::SquareCap);
  pen.setJoinStyle(Qt::MiterJoin);
  painter_.setPen(pen);
  painter_.setBrush(Qt::NoBrush);
}

void QtSurface::setFill() {
  painter_.setPen(Qt::NoPen);
  painter_.setBrush(penColour());
}

double QtSurface::align(double x) const { return raster_ ? std::round(x * scale_) / scale_ : x; }

QRectF QtSurface::cvt(const Rect& r) const {
  double x0 = align(r.left), x1 = align(r.right);
  double y0 = align(height_ - r.top), y1 = align(height_ - r.bottom);
  return QRectF(QPointF(x0, y0), QPointF(x1, y1)).normalized();
}

QtSurface::~QtSurface() {
  if (painter_.isActive()) drawGathered();
}

// The painter's points of a path; the surface has already reduced a dense
// path to a few points per column.
void QtSurface::painterPoints(const PathPoint* p, std::size_t n) {
  points_.clear();
  const double o = lineOffset_;
  for (std::size_t i = 0; i < n; ++i) points_.emplace_back(p[i].h + o, height_ - p[i].v + o);
}

void QtSurface::strokeNow(const PathPoint* p, std::size_t n) {
  setStroke();
  painterPoints(p, n);
  painter_.drawPolyline(points_.data(), static_cast<int>(points_.size()));
}

void QtSurface::StrokePath(const PathPoint* p, std::size_t n) {
  if (gather())
    gatherStroke(p, n);
  else
    strokeNow(p, n);
}

void QtSurface::BeginTrace() {
  drawGathered();
  gathering_ = true;
  gatheredColour_ = colour();
}

void QtSurface::EndTrace() {
  drawGathered();
  gathering_ = false;
}

namespace {
// How many of the last strokes or shapes a new one is compared with: a
// marker is at most two strokes, and a line segment may stand between two
// markers.
constexpr std::size_t kRecent = 4;
// Strokes or shapes drawn as one path. The rasterizer's cost grows far
// faster than the size of a path spread over the page (a path of a whole
// trace costs more than the strokes drawn one by one), so a trace goes in
// pieces of neighbouring strokes.
constexpr std::size_t kStrokesPerPath = 16;
}  // namespace

bool QtSurface::repeatsRecentStroke(const PathPoint* p, std::size_t n) const {
  const std::size_t count = strokeStarts_.size();
  std::size_t end = strokePoints_.size();
  for (std::size_t k = count; k > 0 && k + kRecent > count; --k) {
    const std::size_t start = strokeStarts_[k - 1];
    if (end - start == n &&
        std::equal(p, p + n, strokePoints_.begin() + static_cast<std::ptrdiff_t>(start),
                   [](const PathPoint& a, const PathPoint& b) { return a.h == b.h && a.v == b.v; }))
      return true;
    end = start;
  }
  return false;
}

bool QtSurface::repeatsRecentShape(const Shape& shape) const {
  const std::size_t count = shapes_.size();
  for (std::size_t k = count; k > 0 && k + kRecent > count; --k)
    if (shapes_[k - 1].kind == shape.kind && shapes_[k - 1].r == shape.r) return true;
  return false;
}

void QtSurface::gatherStroke(const PathPoint* p, std::size_t n) {
  if (colour() != gatheredColour_) {
    drawGathered();
    gatheredColour_ = colour();
  }
  if (repeatsRecentStroke(p, n)) return;
  strokeStarts_.push_back(strokePoints_.size());
  strokePoints_.insert(strokePoints_.end(), p, p + n);
}

void QtSurface::gatherShape(const Shape& shape) {
  if (colour() != gatheredColour_) {
    drawGathered();
    gatheredColour_ = colour();
  }
  if (!repeatsRecentShape(shape)) shapes_.push_back(shape);
}

// Lines and outlines first, then the filled shapes, each with the pen or
// brush set once and kStrokesPerPath to a path. A lone stroke or shape is
// drawn as it would be outside a trace.
void QtSurface::drawGathered() {
  if (strokeStarts_.empty() && shapes_.empty()) return;
  const int saved = colour();
  ForeColor(gatheredColour_);
  const std::size_t strokes = strokeStarts_.size();
  std::size_t frames = 0, fills = 0;
  for (const Shape& shape : shapes_) ++(shape.kind == Shape::kFrameOval ? frames : fills);
  if (strokes + frames == 1) {
    if (strokes == 1)
      strokeNow(strokePoints_.data(), strokePoints_.size());
    else
      for (const Shape& shape : shapes_)
        if (shape.kind == Shape::kFrameOval) frameOvalNow(shape.r);
  } else if (strokes + frames > 1) {
    setStroke();
    QPainterPath path;
    std::size_t inPath = 0;
    auto drawIfFull = [&] {
      if (++inPath < kStrokesPerPath) return;
      painter_.drawPath(path);
      path.clear();
      inPath = 0;
    };
    for (std::size_t k = 0; k < strokes; ++k) {
      const std::size_t start = strokeStarts_[k];
      const std::size_t end = k + 1 < strokes ? strokeStarts_[k + 1] : strokePoints_.size();
      painterPoints(strokePoints_.data() + start, end - start);
      path.moveTo(points_[0]);
      for (std::size_t i = 1; i < points_.size(); ++i) path.lineTo(points_[i]);
      drawIfFull();
    }
    for (const Shape& shape : shapes_) {
      if (shape.kind != Shape::kFrameOval) continue;
      path.addEllipse(cvt(shape.r).adjusted(0.5, 0.5, -0.5, -0.5));
      drawIfFull();
    }
    if (inPath) painter_.drawPath(path);
  }
  if (fills == 1) {
    setFill();
    for (const Shape& shape : shapes_) {
      if (shape.kind == Shape::kPaintRect) painter_.drawRect(cvt(shape.r));
      if (shape.kind == Shape::kPaintOval) painter_.drawEllipse(cvt(shape.r));
    }
  } else if (fills > 1) {
    setFill();
    QPainterPath path;
    path.setFillRule(Qt::WindingFill);  // overlapping shapes join; even-odd would cut holes
    std::size_t inPath = 0;
    for (const Shape& shape : shapes_) {
      if (shape.kind == Shape::kPaintRect) path.addRect(cvt(shape.r));
      if (shape.kind == Shape::kPaintOval) path.addEllipse(cvt(shape.r));
      if (shape.kind == Shape::kFrameOval || ++inPath < kStrokesPerPath) continue;
      painter_.drawPath(path);
      path.clear();
      path.setFillRule(Qt::WindingFill);
      inPath = 0;
    }
    if (inPath) painter_.drawPath(path);
  }
  strokePoints_.clear();
  strokeStarts_.clear();
  shapes_.clear();
  ForeColor(saved);
}

void QtSurface::SaveGS() {
  drawGathered();
  painter_.save();
}

void QtSurface::RestoreGS() {
  drawGathered();
  painter_.restore();
}

void QtSurface::FrameRect(const Rect& r) {
  drawGathered();
  setStroke();
  painter_.drawRect(cvt(r).translated(lineOffset_, lineOffset_));
}

void QtSurface::PaintRect(const Rect& r) {
  if (gather()) return gatherShape({Shape::kPaintRect, r});
  setFill();
  painter_.drawRect(cvt(r));
}

void QtSurface::FrameOval(const Rect& r) {
  if (gather()) return gatherShape({Shape::kFrameOval, r});
  frameOvalNow(r);
}

void QtSurface::frameOvalNow(const Rect& r) {
  setStroke();
  painter_.drawEllipse(cvt(r).adjusted(0.5, 0.5, -0.5, -0.5));
}

void QtSurface::PaintOval(const Rect& r) {
  if (gather()) return gatherShape({Shape::kPaintOval, r});
  setFill();
  painter_.drawEllipse(cvt(r));
}

void QtSurface::ClipRect(const Rect& r) {
  drawGathered();
  painter_.setClipRect(cvt(r), Qt::IntersectClip);
}

void QtSurface::DrawText(std::string_view s) {
  drawGathered();
  int h, v;
  GetPen(&h, &v);
  painter_.setPen(penColour());
  painter_.drawText(QPointF(h, height_ - v - textDescent(font_)), fromMacRoman(s));
}

void QtSurface::GetTextSize(std::string_view s, int* w, int* h) {
  *w = static_cast<int>(metrics_.horizontalAdvance(fromMacRoman(s)) + 0.5);
  *h = static_cast<int>(textHeight(font_) + 0.5);
}

// Some substitutes declare taller line metrics than the fonts they stand in
// for (Nimbus Sans: 1.42 em against Helvetica's 1.15); the text box keeps to
// the proportions of a Helvetica line so that pages lay out alike.
double textHeight(const QFont& font) {
  QFontMetricsF m(font);
  return std::min(m.height(), 1.2 * font.pixelSize());
}

double textDescent(const QFont& font) {
  QFontMetricsF m(font);
  return std::min(m.descent(), 0.25 * font.pixelSize());
}

void QtSurface::ShowBytes(const uint8_t* data, int width, int height, const Rect& r,
                          const uint8_t (*rgb)[3]) {
  drawGathered();
  if (width <= 0 || height <= 0) return;
  QImage image(width, height, QImage::Format_Indexed8);
  QList<QRgb> table(256);
  for (int i = 0; i < 256; ++i) table[i] = qRgb(rgb[i][0], rgb[i][1], rgb[i][2]);
  image.setColorTable(table);
  for (int y = 0; y < height; ++y)
    std::memcpy(image.scanLine(y), data + static_cast<std::size_t>(y) * width,
                static_cast<std::size_t>(width));
  drawSharp(image, cvt(r));
}

// Draws [image] scaled into [target] with every pixel a sharp block. Vector
// viewers smooth embedded images whatever the file asks for, so for them the
// image is first enlarged by whole blocks.
void QtSurface::drawSharp(const QImage& image, const QRectF& target) {
  const int width = image.width(), height = image.height();
  QImage blocks;
  if (!raster_) {
    int k =
        static_cast<int>(std::ceil(2 * std::max(target.width() / width, target.height() / height)));
    if (k > 1 && static_cast<double>(width) * height * k * k <= 16e6)
      blocks = image.scaled(width * k, height * k, Qt::IgnoreAspectRatio, Qt::FastTransformation);
  }
  painter_.save();
  painter_.setRenderHint(QPainter::SmoothPixmapTransform, false);
  painter_.setRenderHint(QPainter::Antialiasing, false);
  painter_.drawImage(target, blocks.isNull() ? image : blocks);
  painter_.restore();
}

void QtSurface::DrawPicture(const Picture& picture, const Rect& target, const Rect& clip) {
  drawGathered();
  const auto* p = dynamic_cast<const QtPicture*>(&picture);
  if (!p) return;
  painter_.save();
  painter_.setClipRect(cvt(clip), Qt::IntersectClip);
  drawSharp(p->image(), cvt(target));
  painter_.restore();
}

}  // namespace orv
