#include "footprints.h"

#include <algorithm>
#include <array>
#include <stdexcept>

namespace lw {

namespace {

constexpr std::array kFootprints{
    // clang-format off
    //        prefix part number   pins TH    rows             pitch span  padW  padL  bodyW bodyH weight
    Footprint{"R",  "RES-0603",      2, false, PinRows::Single, 1.6,  0,    0.9,  0.95, 1.6,  0.8,  36},
    Footprint{"R",  "RES-0805",      2, false, PinRows::Single, 2.0,  0,    1.0,  1.3,  2.0,  1.25, 24},
    Footprint{"C",  "CAP-0603",      2, false, PinRows::Single, 1.6,  0,    0.9,  0.95, 1.6,  0.8,  30},
    Footprint{"C",  "CAP-0805",      2, false, PinRows::Single, 2.0,  0,    1.0,  1.3,  2.0,  1.25, 20},
    Footprint{"C",  "CAP-ELEC-5MM",  2, true,  PinRows::Single, 2.5,  0,    1.6,  1.6,  5.0,  5.0,  4},
    Footprint{"L",  "IND-1210",      2, false, PinRows::Single, 3.0,  0,    1.2,  2.7,  3.2,  2.5,  6},
    Footprint{"D",  "DIO-SOD123",    2, false, PinRows::Single, 3.4,  0,    1.0,  1.2,  2.7,  1.6,  10},
    Footprint{"Q",  "SOT-23",        3, false, PinRows::Dual,   1.9,  2.2,  0.8,  0.9,  2.9,  1.3,  10},
    Footprint{"U",  "SOT-23-5",      5, false, PinRows::Dual,   0.95, 2.6,  0.6,  1.0,  2.9,  1.6,  4},
    Footprint{"U",  "SOIC-8",        8, false, PinRows::Dual,   1.27, 5.4,  0.6,  1.55, 4.9,  3.9,  6},
    Footprint{"U",  "SOIC-14",      14, false, PinRows::Dual,   1.27, 5.4,  0.6,  1.55, 8.65, 3.9,  4},
    Footprint{"U",  "SOIC-16",      16, false, PinRows::Dual,   1.27, 5.4,  0.6,  1.55, 9.9,  3.9,  4},
    Footprint{"U",  "TSSOP-20",     20, false, PinRows::Dual,   0.65, 5.8,  0.4,  1.5,  6.5,  4.4,  4},
    Footprint{"U",  "LQFP-32",      32, false, PinRows::Quad,   0.8,  8.5,  0.5,  1.5,  7.0,  7.0,  2},
    Footprint{"U",  "LQFP-44",      44, false, PinRows::Quad,   0.8,  11.4, 0.5,  1.5,  10.0, 10.0, 2},
    Footprint{"U",  "LQFP-64",      64, false, PinRows::Quad,   0.5,  11.4, 0.3,  1.5,  10.0, 10.0, 2},
    Footprint{"U",  "LQFP-100",    100, false, PinRows::Quad,   0.5,  15.4, 0.3,  1.5,  14.0, 14.0, 2},
    Footprint{"U",  "DIP-16",       16, true,  PinRows::Dual,   2.54, 7.62, 1.6,  1.6,  19.3, 6.4,  2},
    Footprint{"J",  "HDR-1X6",       6, true,  PinRows::Single, 2.54, 0,    1.7,  1.7,  15.2, 2.5,  2},
    Footprint{"J",  "HDR-2X5",      10, true,  PinRows::Dual,   2.54, 2.54, 1.7,  1.7,  12.7, 5.1,  2},
    Footprint{"J",  "HDR-2X10",     20, true,  PinRows::Dual,   2.54, 2.54, 1.7,  1.7,  25.4, 5.1,  2},
    Footprint{"J",  "HDR-2X20",     40, true,  PinRows::Dual,   2.54, 2.54, 1.7,  1.7,  50.8, 5.1,  1},
    Footprint{"Y",  "XTAL-HC49",     2, true,  PinRows::Single, 4.88, 0,    1.5,  1.5,  11.0, 4.7,  2},
    Footprint{"TP", "TESTPAD-1.5",   1, false, PinRows::Single, 0,    0,    1.5,  1.5,  1.5,  1.5,  16},
    // clang-format on
};

Shape padShape(const Footprint& fp, int pinIndex) {
  if (fp.throughHole) return pinIndex == 0 ? Shape::Square : Shape::Round;
  if (fp.pins == 1) return Shape::Round;
  return fp.pitch < 0.8 ? Shape::Oblong : Shape::Rectangle;
}

// Offset of the j-th of count pins centred on a row.
double along(int j, int count, double pitch) {
  return (j - (count - 1) / 2.0) * pitch;
}

}  // namespace

std::span<const Footprint> footprints() {
  return kFootprints;
}

const Footprint& footprint(std::string_view partNumber) {
  auto it = std::find_if(
      kFootprints.begin(), kFootprints.end(),
      [&](const Footprint& f) { return f.partNumber == partNumber; });
  if (it == kFootprints.end()) throw std::invalid_argument("unknown footprint");
  return *it;
}

std::vector<Pad> padsOf(const Footprint& fp) {
  std::vector<Pad> pads;
  pads.reserve(fp.pins);
  const double half = fp.span / 2;
  // Pads run along x; on the left and right sides of a quad they turn.
  auto add = [&](double x, double y, bool turned) {
    Pad pad{x, y, fp.padWidth, fp.padLength,
            padShape(fp, static_cast<int>(pads.size()))};
    if (turned) std::swap(pad.width, pad.height);
    pads.push_back(pad);
  };
  switch (fp.rows) {
    case PinRows::Single:
      for (int j = 0; j < fp.pins; ++j)
        add(along(j, fp.pins, fp.pitch), 0, false);
      break;
    case PinRows::Dual: {
      const int first = (fp.pins + 1) / 2;
      const int second = fp.pins - first;
      for (int j = 0; j < first; ++j)
        add(along(j, first, fp.pitch), -half, false);
      for (int j = second - 1; j >= 0; --j)
        add(along(j, second, fp.pitch), half, false);
      break;
    }
    case PinRows::Quad: {
      const int side = fp.pins / 4;
      for (int j = side - 1; j >= 0; --j)
        add(-half, along(j, side, fp.pitch), true);
      for (int j = 0; j < side; ++j)
        add(along(j, side, fp.pitch), -half, false);
      for (int j = 0; j < side; ++j) add(half, along(j, side, fp.pitch), true);
      for (int j = side - 1; j >= 0; --j)
        add(along(j, side, fp.pitch), half, false);
      break;
    }
  }
  return pads;
}

}  // namespace lw
