// Redrawing plot pages through QPainter into a QImage, as the plot window
// does on every resize.
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include "plot/draw.h"
#include "plot_pages.h"
#include "render/qt_surface.h"

namespace orv::bench {
namespace {

// Draws [page] on a white QImage of 640 x 480 points at [scale] pixels per
// point.
void redraw(benchmark::State& state, PlotPage& page, double scale) {
  QImage image(static_cast<int>(640 * scale), static_cast<int>(480 * scale), QImage::Format_RGB32);
  const QFont font = plotFont();
  for (auto _ : state) {
    QPainter painter(&image);
    painter.scale(scale, scale);
    painter.fillRect(QRectF(0, 0, 640, 480), Qt::white);
    QtSurface s(painter, 640, 480, scale, font, true);
    drawPage(page.plot(), s);
  }
}

void BM_StripsPageQPainter(benchmark::State& state) {
  static PlotPage page(kStripsSheet);
  redraw(state, page, static_cast<double>(state.range(0)));
}
BENCHMARK(BM_StripsPageQPainter)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_MarkersPageQPainter(benchmark::State& state) {
  static PlotPage page(markersSheet());
  redraw(state, page, static_cast<double>(state.range(0)));
}
BENCHMARK(BM_MarkersPageQPainter)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_MarkerlessPageQPainter(benchmark::State& state) {
  static PlotPage page(markersSheet("0"));
  redraw(state, page, static_cast<double>(state.range(0)));
}
BENCHMARK(BM_MarkerlessPageQPainter)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ImagePageQPainter(benchmark::State& state) {
  static PlotPage page(kImageSheet);
  redraw(state, page, static_cast<double>(state.range(0)));
}
BENCHMARK(BM_ImagePageQPainter)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace orv::bench

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  ::benchmark::Initialize(&argc, argv);
  ::benchmark::RunSpecifiedBenchmarks();
  return 0;
}
