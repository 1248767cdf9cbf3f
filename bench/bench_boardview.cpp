// Board view painting on large generated boards: the whole board, a zoomed
// part, recolouring every probe, and the probe view following a probe.

#include "boardgenerator.h"
#include "boardscene.h"
#include "boardview.h"

#include <QApplication>
#include <QImage>

#include <benchmark/benchmark.h>

#include <map>
#include <memory>

namespace {

constexpr QSize kScreen{1200, 900};

// One view per board size, built once: generating 100,000 probes takes a
// while and is not what is measured.
lw::BoardView& viewWith(int probes) {
  static std::map<int, std::unique_ptr<lw::BoardView>> views;
  auto& view = views[probes];
  if (!view) {
    view = std::make_unique<lw::BoardView>();
    view->resize(kScreen);
    view->setDocument(lw::generateBoard(lw::largeOptions(probes)));
  }
  view->fitToBoard();
  return *view;
}

std::vector<const lw::Entity*> probesOf(const lw::BoardView& view) {
  std::vector<const lw::Entity*> probes;
  for (const lw::Entity& e : view.document().board().entities)
    if (e.kind == lw::EntityKind::Probe) probes.push_back(&e);
  return probes;
}

void fullBoard(benchmark::State& state) {
  lw::BoardView& view = viewWith(int(state.range(0)));
  QImage image(kScreen, QImage::Format_RGB32);
  for (auto _ : state) view.renderTo(image);
  state.counters["items"] = double(view.document().board().entities.size());
}

// After an open, a rotation or an edit the view rebuilds its scene once.
void buildScene(benchmark::State& state) {
  const lw::Board& board = viewWith(int(state.range(0))).document().board();
  for (auto _ : state) {
    lw::BoardScene scene(board);
    benchmark::DoNotOptimize(scene.items().data());
  }
}

void zoomedToOnePercent(benchmark::State& state) {
  lw::BoardView& view = viewWith(int(state.range(0)));
  // A tenth of the width and of the height around the middle.
  const QPointF a = view.viewPointAt({0, 0});
  const QPointF b =
      view.viewPointAt({double(kScreen.width()), double(kScreen.height())});
  const QPointF c = (a + b) / 2;
  const double hx = std::abs(b.x() - a.x()) / 20;
  const double hy = std::abs(b.y() - a.y()) / 20;
  view.zoomToWindow(c.x() - hx, c.x() + hx, c.y() - hy, c.y() + hy);
  QImage image(kScreen, QImage::Format_RGB32);
  for (auto _ : state) view.renderTo(image);
}

void colourEveryProbe(benchmark::State& state) {
  lw::BoardView& view = viewWith(int(state.range(0)));
  const auto probes = probesOf(view);
  QImage image(kScreen, QImage::Format_RGB32);
  int round = 0;
  for (auto _ : state) {
    view.setAutomaticRedraw(false);
    for (std::size_t i = 0; i < probes.size(); ++i) {
      const bool wired = (i + round) % 3 == 0;
      view.colourProbe(probes[i]->name, wired ? 0 : 255, wired ? 255 : 0, 0);
    }
    view.setAutomaticRedraw(true);
    view.renderTo(image);
    ++round;
  }
}

void probeViewFollowsProbe(benchmark::State& state) {
  lw::BoardView& view = viewWith(int(state.range(0)));
  const auto probes = probesOf(view);
  // The probe view's default window: 0.8 inch either side.
  const double h = 0.8 * lw::unitsPerInch(view.document().pageUnits());
  QImage image(kScreen, QImage::Format_RGB32);
  std::size_t next = 0;
  for (auto _ : state) {
    const lw::Entity& p = *probes[next];
    next = (next + 7919) % probes.size();  // hop around the board
    view.zoomToWindow(p.x - h, p.x + h, p.y - h, p.y + h);
    view.renderTo(image);
  }
}

BENCHMARK(fullBoard)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(buildScene)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(zoomedToOnePercent)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(colourEveryProbe)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(probeViewFollowsProbe)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond);

}  // namespace
