// SPDX-License-Identifier: GPL-3.0-or-later
// The real-time chart drawn as the window draws it (display lists replayed by
// QPainter into an off-screen image), against the floor of a bare QPainter drawing of
// the same 17277 trace segments on the same image, in the same run; and the Graph
// window's paint of a full data-logger file, full view against 99 zoom levels deep.
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <variant>

#include "full_logger.h"
#include "full_store.h"
#include "app_model.h"
#include "chart/chart_layout.h"
#include "chart/zoom.h"
#include "link/units.h"
#include "ui/common/display_list_painter.h"

namespace {

using pv::bench::FullStore;
using pv::bench::kGraphClientH;
using pv::bench::kGraphClientW;
using pv::bench::kClientH;
using pv::bench::kClientW;
using pv::bench::ZoomTo99;

// One full paint as the chart view does it: layout, draw, replay.
void PaintLikeTheView(pv::AppModel& m, QImage& image) {
  pv::LayoutChart(m, kClientW, kClientH);
  const pv::ChartFrame chart = pv::DrawChart(m, kClientW, kClientH);
  QPainter p(&image);
  pv::ui::PaintChartFrame(p, image.rect(), chart, QGuiApplication::palette(), QPoint());
}

void BM_BareQPainterFloor(benchmark::State& state) {
  auto m = FullStore(false);
  // The segments exactly as the live chart places them.
  const pv::ChartFrame chart = pv::DrawChart(*m, kClientW, kClientH);
  QPolygon points;
  for (const auto& c : chart.plot.list.commands) {
    if (const auto* poly = std::get_if<pv::Polyline>(&c)) {
      for (const pv::Point& pt : poly->points) points.append(QPoint(pt.x, pt.y));
    }
  }
  // The cheaper of the two ways to draw them with a thin pen: one polyline.
  QImage image(kClientW, kClientH, QImage::Format_RGB32);
  for (auto _ : state) {
    QPainter p(&image);
    p.fillRect(image.rect(), Qt::black);
    p.setPen(QPen(Qt::red, 0));
    p.drawPolyline(points);
  }
  state.counters["segments"] = static_cast<double>(points.size() - 1);
}
BENCHMARK(BM_BareQPainterFloor)->Unit(benchmark::kMillisecond);

void BM_LivePaintFullStore(benchmark::State& state) {
  auto m = FullStore(false);
  QImage image(kClientW, kClientH, QImage::Format_RGB32);
  for (auto _ : state) PaintLikeTheView(*m, image);
}
BENCHMARK(BM_LivePaintFullStore)->Unit(benchmark::kMillisecond);

void BM_ZoomedPaintDepth99(benchmark::State& state) {
  auto m = FullStore(false);
  ZoomTo99(*m);
  QImage image(kClientW, kClientH, QImage::Format_RGB32);
  for (auto _ : state) PaintLikeTheView(*m, image);
}
BENCHMARK(BM_ZoomedPaintDepth99)->Unit(benchmark::kMillisecond);

// The Graph window's paint: layout, display list, replayed into its picture.
void PaintLikeTheGraphWindow(pv::AppModel& m, QImage& image) {
  pv::LayoutLoggerGraph(m, kGraphClientW, kGraphClientH);
  const pv::LoggerGraphFrame frame = pv::DrawLoggerGraph(m, kGraphClientW, kGraphClientH);
  QPainter p(&image);
  pv::ui::PaintSurface(p, frame.surface);
}

std::unique_ptr<pv::AppModel> FullLoggerFile(benchmark::State& state) {
  const std::string path = pv::bench::WriteFullLoggerFile();
  auto m = std::make_unique<pv::AppModel>();
  if (!pv::LoggerDownload(*m, path).loaded) state.SkipWithError("file refused");
  std::remove(path.c_str());
  return m;
}

void BM_GraphPaintFullView(benchmark::State& state) {
  auto m = FullLoggerFile(state);
  QImage image(kGraphClientW, kGraphClientH, QImage::Format_RGB32);
  for (auto _ : state) PaintLikeTheGraphWindow(*m, image);
}
BENCHMARK(BM_GraphPaintFullView)->Unit(benchmark::kMillisecond);

void BM_GraphPaintZoomedDepth99(benchmark::State& state) {
  auto m = FullLoggerFile(state);
  if (!pv::bench::ZoomGraphTo99(*m)) state.SkipWithError("zoom levels refused");
  QImage image(kGraphClientW, kGraphClientH, QImage::Format_RGB32);
  for (auto _ : state) PaintLikeTheGraphWindow(*m, image);
}
BENCHMARK(BM_GraphPaintZoomedDepth99)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
