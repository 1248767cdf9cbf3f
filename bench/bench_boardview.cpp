// Board view painting on large generated boards: the whole board, a zoomed
// part, recolouring every probe, and the probe view following a probe, all
// with a current probe ringed and the label rule on; and the label rule at
// its busiest, with the paint and alone.

#include "boardgenerator.h"
#include "boardlabels.h"
#include "boardpicture.h"
#include "boardscene.h"
#include "boardview.h"

#include <QApplication>
#include <QImage>
#include <QPainter>

#include <benchmark/benchmark.h>

#include <map>
#include <memory>

namespace {

constexpr QSize kScreen{1200, 900};

// A document, its picture and a view, one per board size, built once:
// generating 100,000 probes takes a while and is not what is measured.
struct Shown {
  lw::BoardDocument document;
  lw::BoardPicture picture;
  lw::BoardView view;
  const lw::Board& board() const { return document.board(); }
};

Shown& shownWith(int probes) {
  static std::map<int, std::unique_ptr<Shown>> all;
  auto& shown = all[probes];
  if (!shown) {
    shown = std::make_unique<Shown>();
    shown->document =
        lw::BoardDocument(lw::generateBoard(lw::largeOptions(probes)));
    shown->picture.setDocument(&shown->document);
    shown->view.resize(kScreen);
    shown->view.setPicture(&shown->picture);
    // A current probe in the middle of the list, as during a shift.
    const lw::Board& board = shown->document.board();
    int middle = 0;
    for (int seen = 0, i = 0; i < int(board.entities.size()); ++i)
      if (board.entities[i].kind == lw::EntityKind::Probe &&
          seen++ == probes / 2)
        middle = i;
    shown->picture.colourProbe(board.entities[middle].name, {255, 255, 0});
    shown->picture.setCurrentProbe(board.entities[middle].name);
  }
  shown->view.fitToBoard();
  return *shown;
}

lw::BoardView& viewWith(int probes) {
  return shownWith(probes).view;
}

std::vector<const lw::Entity*> probesOf(const lw::Board& board) {
  std::vector<const lw::Entity*> probes;
  for (const lw::Entity& e : board.entities)
    if (e.kind == lw::EntityKind::Probe) probes.push_back(&e);
  return probes;
}

void fullBoard(benchmark::State& state) {
  lw::BoardView& view = viewWith(int(state.range(0)));
  QImage image(kScreen, QImage::Format_RGB32);
  for (auto _ : state) view.renderTo(image);
  state.counters["items"] =
      double(shownWith(int(state.range(0))).board().entities.size());
}

// After an open, a rotation or an edit the view rebuilds its scene once.
void buildScene(benchmark::State& state) {
  const lw::Board& board = shownWith(int(state.range(0))).board();
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
  Shown& shown = shownWith(int(state.range(0)));
  const auto probes = probesOf(shown.board());
  QImage image(kScreen, QImage::Format_RGB32);
  int round = 0;
  for (auto _ : state) {
    for (std::size_t i = 0; i < probes.size(); ++i) {
      const bool wired = (i + round) % 3 == 0;
      shown.picture.colourProbe(
          probes[i]->name,
          {std::uint8_t(wired ? 0 : 255), std::uint8_t(wired ? 255 : 0), 0});
    }
    shown.view.renderTo(image);
    ++round;
  }
}

void probeViewFollowsProbe(benchmark::State& state) {
  Shown& shown = shownWith(int(state.range(0)));
  lw::BoardView& view = shown.view;
  const auto probes = probesOf(shown.board());
  // The probe view's default window: 0.8 inch either side.
  const double h = 0.8 * lw::unitsPerInch(shown.document.pageUnits());
  QImage image(kScreen, QImage::Format_RGB32);
  std::size_t next = 0;
  for (auto _ : state) {
    const lw::Entity& p = *probes[next];
    next = (next + 7919) % probes.size();  // hop around the board
    view.zoomToWindow(p.x - h, p.x + h, p.y - h, p.y + h);
    view.renderTo(image);
  }
}

// The label rule at its busiest: zoomed about the middle probe until a
// probe is 16 pixels across, so every probe in view is large enough for
// its number and competes for room (a number needs 14 pixels).
lw::BoardView& zoomedToNumbers(Shown& shown) {
  const lw::Board& board = shown.board();
  const lw::Entity* middle = nullptr;
  for (const lw::Entity& e : board.entities)
    if (e.kind == lw::EntityKind::Probe &&
        e.name == shown.picture.currentProbe())
      middle = &e;
  const double perUnit = 16 / middle->width;
  const double hx = kScreen.width() / perUnit / 2;
  const double hy = kScreen.height() / perUnit / 2;
  shown.view.zoomToWindow(middle->x - hx, middle->x + hx, middle->y - hy,
                          middle->y + hy);
  return shown.view;
}

void paintWithNumbers(benchmark::State& state) {
  Shown& shown = shownWith(int(state.range(0)));
  lw::BoardView& view = zoomedToNumbers(shown);
  QImage image(kScreen, QImage::Format_RGB32);
  for (auto _ : state) view.renderTo(image);
}

// The label rule alone on the numbers that paint offers it: every probe
// in view, nearest to the current probe first.
void placeProbeNumbers(benchmark::State& state) {
  Shown& shown = shownWith(int(state.range(0)));
  lw::BoardView& view = zoomedToNumbers(shown);
  const lw::Board& board = shown.board();
  const QPointF topLeft = view.viewPointAt({0, 0});
  const QPointF bottomRight =
      view.viewPointAt({double(kScreen.width()), double(kScreen.height())});
  const double perUnit = kScreen.width() / (bottomRight.x() - topLeft.x());
  std::vector<lw::Label> offered;
  for (int i = 0; i < int(board.entities.size()); ++i) {
    const lw::Entity& e = board.entities[i];
    // Seen from the top without a turn, view and document points are one.
    const QPointF pixel((e.x - topLeft.x()) * perUnit,
                        (topLeft.y() - e.y) * perUnit);
    const double r = e.width / 2 * perUnit;
    if (e.kind != lw::EntityKind::Probe || pixel.x() < -r || pixel.y() < -r ||
        pixel.x() > kScreen.width() + r || pixel.y() > kScreen.height() + r)
      continue;
    const int pixels = lw::labelPixels(2 * r, 2 * r, e.name.size());
    if (pixels >= lw::kMinLabelPixels)
      offered.push_back({pixel, pixels, i, 0, {}});
  }
  QImage image(kScreen, QImage::Format_RGB32);
  QPainter painter(&image);
  const QPointF anchor(kScreen.width() / 2.0, kScreen.height() / 2.0);
  std::size_t kept = 0;
  for (auto _ : state) {
    state.PauseTiming();
    std::vector<lw::Label> labels = offered;
    state.ResumeTiming();
    lw::LabelMeasure measure(painter.font());
    lw::LabelPlacer placer(kScreen);
    lw::placeNearestFirst(labels, anchor, board, measure, placer);
    kept = labels.size();
  }
  state.counters["offered"] = double(offered.size());
  state.counters["kept"] = double(kept);
}

BENCHMARK(fullBoard)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(buildScene)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(zoomedToOnePercent)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(colourEveryProbe)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(paintWithNumbers)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(placeProbeNumbers)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(probeViewFollowsProbe)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond);

}  // namespace
