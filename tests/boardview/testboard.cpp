#include "testboard.h"

namespace lw::test {
namespace {

Rgb rgbOf(QRgb c) {
  return {std::uint8_t(qRed(c)), std::uint8_t(qGreen(c)),
          std::uint8_t(qBlue(c))};
}

}  // namespace

TestBoard::TestBoard() {
  board.files.push_back({1, "board.pcb", true, true, 1, 0});
  board.layers = {
      {kTopCopper, "TOP", 1, rgbOf(kTopColour), true},
      {kBottomCopper, "BOTTOM", 2, rgbOf(kBottomColour), true},
      {kProbeTop, "PROBE_TOP", 40, rgbOf(kProbeColour), true},
      {kProbeBottom, "PROBE_BOT", 41, rgbOf(kProbeColour), true},
      {kOutlineLayer, "OUTLINE", 28, rgbOf(kOutlineColour), true},
  };
  Entity outline;
  outline.kind = EntityKind::Outline;
  outline.file = 1;
  outline.layer = kOutlineLayer;
  outline.outline = {{0, 0}, {100, 0}, {100, 80}, {0, 80}};
  board.entities.push_back(outline);
}

int TestBoard::add(EntityKind kind, double x, double y, double width, int layer,
                   const QString& name, Shape shape, double height) {
  Entity e;
  e.kind = kind;
  e.file = 1;
  e.layer = layer;
  e.x = x;
  e.y = y;
  e.width = width;
  e.height = height;
  e.shape = shape;
  e.name = name;
  e.number = int(board.entities.size()) + 1;
  board.entities.push_back(std::move(e));
  return int(board.entities.size()) - 1;
}

}  // namespace lw::test
