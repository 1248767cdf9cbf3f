#pragma once

// Small boards for the board view tests, built in memory. Coordinates are
// millimetres; every layer has its own colour so pixels tell them apart.

#include "board.h"

#include <QRgb>
#include <QString>

namespace lw::test {

enum TestLayer : int {
  kTopCopper = 0,     // type 1
  kBottomCopper = 1,  // type 2
  kProbeTop = 2,      // by name
  kProbeBottom = 3,   // by name
  // index 4 is left out: the numbering has a gap
  kOutlineLayer = 5,  // type 28, both sides
};

inline constexpr QRgb kTopColour = 0xff0ac814;     // (10, 200, 20)
inline constexpr QRgb kBottomColour = 0xff1e28dc;  // (30, 40, 220)
inline constexpr QRgb kProbeColour = 0xffc8b432;   // (200, 180, 50)
inline constexpr QRgb kOutlineColour = 0xfff0f0f0;

class TestBoard {
 public:
  // One visible PCB file (number 1) with a 100 x 80 outline from (0, 0).
  TestBoard();

  // Returns the data position of the new entity.
  int add(EntityKind kind, double x, double y, double width, int layer,
          const QString& name = {}, Shape shape = Shape::Round,
          double height = 0);
  int probe(const QString& name, double x, double y, double diameter = 2,
            int layer = kProbeTop) {
    return add(EntityKind::Probe, x, y, diameter, layer, name);
  }

  Board board;
};

}  // namespace lw::test
