#pragma once

// Which parts a generated board has and where they go. Millimetres.

#include "boardgenerator.h"
#include "footprints.h"
#include "splitmix64.h"

#include <QPointF>
#include <QString>

#include <vector>

namespace lw {

inline constexpr double kPackGap = 1.2;  // between packed items
inline constexpr double kViaPad = 1.0;   // the larger, test via pad

// Something the packer places: a part, a via or a mechanical part. Its width
// and height include the gap to its neighbours.
struct LayoutItem {
  enum class Type : std::uint8_t { Part, Via, Mechanical } type = Type::Part;
  const Footprint* footprint = nullptr;
  Side side = Side::Top;
  int angle = 0;
  QString name;  // mechanical parts only
  double width = 0;
  double height = 0;
  double x = 0;  // centre once packed
  double y = 0;
};

// Rotates by a multiple of 90 degrees, exactly.
QPointF rotated(double x, double y, int angle);

// The board's parts, vias and mechanical parts: the demo has one via per
// probe, large boards two.
std::vector<LayoutItem> makeItems(const GeneratorOptions& options,
                                  SplitMix64& rng);

// Places the items from (margin, margin) on; returns the board's size.
QPointF pack(std::vector<LayoutItem>& items, double margin, SplitMix64& rng);

}  // namespace lw
