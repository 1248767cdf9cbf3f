#pragma once

// Package shapes the generator places. Sizes are millimetres; pad positions
// are relative to the package centre before the part is rotated.

#include "board.h"

#include <span>
#include <string_view>
#include <vector>

namespace lw {

enum class PinRows : std::uint8_t { Single, Dual, Quad };

struct Footprint {
  std::string_view prefix;  // reference designator prefix
  std::string_view partNumber;
  int pins;
  bool throughHole;
  PinRows rows;
  double pitch;      // between neighbouring pins of a row
  double span;       // between opposite rows, centre to centre
  double padWidth;   // along the row
  double padLength;  // across the row
  double bodyWidth;
  double bodyHeight;
  int weight;  // how often large boards use it
};

struct Pad {
  double x = 0;
  double y = 0;
  double width = 0;
  double height = 0;
  Shape shape = Shape::Round;
};

std::span<const Footprint> footprints();
// The footprint with that part number; it must exist.
const Footprint& footprint(std::string_view partNumber);
// Pads in pin number order: pin 1 first, counter-clockwise like a package.
std::vector<Pad> padsOf(const Footprint& footprint);

}  // namespace lw
