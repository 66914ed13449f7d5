#include "render/page_export.h"

#include <QBuffer>
#include <QImage>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSvgGenerator>
#include <algorithm>
#include <cctype>
#include <cstring>
#include <string_view>

#include "base/temp_files.h"
#include "plot/draw.h"
#include "plot/recording_surface.h"
#include "render/qt_surface.h"

namespace orv {

namespace {

std::string extensionOf(const std::string& path) {
  std::size_t dot = path.rfind('.');
  if (dot == std::string::npos || path.find('/', dot) != std::string::npos) return "";
  std::string ext = path.substr(dot + 1);
  std::transform(ext.begin(), ext.end(), ext.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return ext;
}

// White background, then the page.
void paint(const PlotPage& ps, QPainter& painter, const ExportOptions& o, double scale,
           bool raster) {
  painter.fillRect(QRectF(0, 0, o.width, o.height), Qt::white);
  QtSurface surface(painter, o.width, o.height, scale, plotFont(o.fontFamily, o.fontSize), raster);
  drawPage(ps, surface);
}

}  // namespace

bool isPlotFileName(const std::string& path) {
  std::string ext = extensionOf(path);
  return ext == "png" || ext == "svg" || ext == "pdf";
}

PageSpec exportPageSpec(const ExportOptions& o) {
  QFont font = plotFont(o.fontFamily, o.fontSize);
  PageSpec page;
  page.width = o.width;
  page.height = o.height;
  page.charwidth = static_cast<int>(QFontMetricsF(font).horizontalAdvance(QLatin1Char('0')) + 0.5);
  page.charht = static_cast<int>(textHeight(font) + 0.5);
  return page;
}

std::string pageSvg(const PlotPage& ps, const ExportOptions& o) {
  QBuffer buffer;
  buffer.open(QIODevice::WriteOnly);
  QSvgGenerator svg;
  svg.setOutputDevice(&buffer);
  svg.setSize(QSize(o.width, o.height));
  svg.setViewBox(QRect(0, 0, o.width, o.height));
  svg.setResolution(72);
  svg.setTitle("Orvanel plot");
  {
    QPainter painter(&svg);
    paint(ps, painter, o, 1, false);
  }
  return buffer.data().toStdString();
}

bool exportPage(const PlotPage& ps, const std::string& path, const ExportOptions& o,
                std::string* error) {
  // The page is made in memory and then written in one piece beside the
  // target, which it replaces only when complete.
  const std::string ext = extensionOf(path);
  const PageSpec spec = exportPageSpec(o);
  RecordingSurface metrics(o.width, o.height, spec.charwidth, spec.charht, false);
  if (!pageHasRoom(ps, metrics)) {
    *error = "the page of " + std::to_string(o.width) + " x " + std::to_string(o.height) +
             " points is " + pageTooSmallText(ps);
    return false;
  }
  QBuffer buffer;
  buffer.open(QIODevice::WriteOnly);
  std::string kind;
  if (ext == "png") {
    kind = "PNG";
    constexpr double kScale = 2;
    QImage image(static_cast<int>(o.width * kScale), static_cast<int>(o.height * kScale),
                 QImage::Format_RGB32);
    image.setDotsPerMeterX(static_cast<int>(72 * kScale / 0.0254 + 0.5));
    image.setDotsPerMeterY(static_cast<int>(72 * kScale / 0.0254 + 0.5));
    {
      QPainter painter(&image);
      painter.scale(kScale, kScale);
      paint(ps, painter, o, kScale, true);
    }
    if (!image.save(&buffer, "PNG")) {
      *error = "cannot make the PNG file";
      return false;
    }
  } else if (ext == "svg") {
    kind = "SVG";
    const std::string svg = pageSvg(ps, o);
    buffer.write(svg.data(), static_cast<qint64>(svg.size()));
  } else if (ext == "pdf") {
    kind = "PDF";
    QPdfWriter pdf(&buffer);
    pdf.setPageSize(QPageSize(QSizeF(o.width, o.height), QPageSize::Point));
    pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
    pdf.setResolution(1200);
    pdf.setCreator("Orvanel");
    {
      QPainter painter(&pdf);
      painter.scale(1200.0 / 72, 1200.0 / 72);
      paint(ps, painter, o, 1, false);
    }
  } else {
    *error = "the plot file must end in .png, .svg or .pdf";
    return false;
  }
  const QByteArray& bytes = buffer.data();
  if (int e = writeFileAtomically(
          path, std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())))) {
    *error = "cannot write the " + kind + " file: " + std::strerror(e);
    return false;
  }
  return true;
}

}  // namespace orv
