#include "partlayout.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace lw {

namespace {

LayoutItem partItem(const Footprint& fp, Side side, int angle) {
  double w = fp.bodyWidth;
  double h = fp.bodyHeight;
  for (const Pad& pad : padsOf(fp)) {
    w = std::max(w, 2 * std::abs(pad.x) + pad.width);
    h = std::max(h, 2 * std::abs(pad.y) + pad.height);
  }
  if (angle == 90 || angle == 270) std::swap(w, h);
  LayoutItem item;
  item.footprint = &fp;
  item.side = side;
  item.angle = angle;
  item.width = w + kPackGap;
  item.height = h + kPackGap;
  return item;
}

// The hand-picked parts of the demo board, 40 in all.
std::vector<const Footprint*> demoParts() {
  static const char* const kParts[] = {
      "LQFP-44",      "LQFP-32",     "SOIC-14",     "SOIC-8",
      "SOIC-16",      "SOT-23-5",    "DIP-16",      "HDR-2X10",
      "HDR-2X5",      "HDR-1X6",     "XTAL-HC49",   "SOT-23",
      "SOT-23",       "DIO-SOD123",  "DIO-SOD123",  "IND-1210",
      "CAP-ELEC-5MM", "RES-0603",    "RES-0603",    "RES-0603",
      "RES-0603",     "RES-0805",    "RES-0805",    "RES-0805",
      "RES-0603",     "RES-0603",    "CAP-0603",    "CAP-0603",
      "CAP-0603",     "CAP-0805",    "CAP-0805",    "CAP-0603",
      "CAP-0603",     "CAP-0805",    "TESTPAD-1.5", "TESTPAD-1.5",
      "TESTPAD-1.5",  "TESTPAD-1.5", "TESTPAD-1.5", "TESTPAD-1.5"};
  std::vector<const Footprint*> parts;
  for (const char* name : kParts) parts.push_back(&footprint(name));
  return parts;
}

// Random parts until they have about five pins per probe.
std::vector<const Footprint*> proportionalParts(int probes, SplitMix64& rng) {
  const auto all = footprints();
  const int totalWeight = std::accumulate(
      all.begin(), all.end(), 0,
      [](int sum, const Footprint& f) { return sum + f.weight; });
  std::vector<const Footprint*> parts;
  for (long long pins = 0; pins < 5LL * probes;) {
    int ticket = rng.below(totalWeight);
    const Footprint* chosen = &all.back();
    for (const Footprint& f : all) {
      if (ticket < f.weight) {
        chosen = &f;
        break;
      }
      ticket -= f.weight;
    }
    parts.push_back(chosen);
    pins += chosen->pins;
  }
  return parts;
}

struct Box {
  double width = 0;
  double height = 0;
  double x = 0;  // lower left corner once packed
  double y = 0;
};

// Rows left to right, tallest boxes first, aiming at a 4:3 shape; returns
// the size taken.
QPointF packRows(std::vector<Box>& boxes) {
  double area = 0;
  double widest = 0;
  for (const Box& box : boxes) {
    area += box.width * box.height;
    widest = std::max(widest, box.width);
  }
  const double rowWidth = std::max(widest, std::sqrt(area * 1.2 * 4 / 3));
  std::vector<Box*> order;
  order.reserve(boxes.size());
  for (Box& box : boxes) order.push_back(&box);
  std::stable_sort(order.begin(), order.end(), [](const Box* a, const Box* b) {
    return a->height > b->height;
  });
  double x = 0;
  double y = 0;
  double rowHeight = 0;
  double usedWidth = 0;
  for (Box* box : order) {
    if (x > 0 && x + box->width > rowWidth) {
      y += rowHeight;
      x = 0;
      rowHeight = 0;
    }
    box->x = x;
    box->y = y;
    x += box->width;
    usedWidth = std::max(usedWidth, x);
    rowHeight = std::max(rowHeight, box->height);
  }
  return {usedWidth, y + rowHeight};
}

}  // namespace

QPointF rotated(double x, double y, int angle) {
  switch (angle) {
    case 90:
      return {-y, x};
    case 180:
      return {-x, -y};
    case 270:
      return {y, -x};
    default:
      return {x, y};
  }
}

std::vector<LayoutItem> makeItems(const GeneratorOptions& options,
                                  SplitMix64& rng) {
  const bool demo = options.parts == PartsMix::Demo;
  const auto parts =
      demo ? demoParts() : proportionalParts(options.probes, rng);
  std::vector<LayoutItem> items;
  for (const Footprint* fp : parts) {
    const bool testPad = fp->pins == 1;
    const double below = testPad ? (demo ? 0.5 : 0.85) : (demo ? 0.35 : 0.5);
    const Side side =
        !fp->throughHole && rng.chance(below) ? Side::Bottom : Side::Top;
    const int angle = rng.chance(0.5) ? 0 : 90 * (1 + rng.below(3));
    items.push_back(partItem(*fp, side, angle));
  }
  const int vias = demo ? options.probes : 2 * options.probes;
  for (int i = 0; i < vias; ++i) {
    LayoutItem via;
    via.type = LayoutItem::Type::Via;
    via.width = via.height = kViaPad + kPackGap;
    items.push_back(via);
  }
  const int mechanical = demo ? 2 : 2 + options.probes / 20000;
  for (int i = 0; i < mechanical; ++i) {
    LayoutItem part;
    part.type = LayoutItem::Type::Mechanical;
    const bool bracket = i % 2 == 0;
    part.name = QStringLiteral("%1%2")
                    .arg(bracket ? QStringLiteral("BRACKET")
                                 : QStringLiteral("HEATSINK"))
                    .arg(i / 2 + 1);
    part.width = (bracket ? 24 : 16) + kPackGap;
    part.height = (bracket ? 8 : 16) + kPackGap;
    items.push_back(part);
  }
  return items;
}

QPointF pack(std::vector<LayoutItem>& items, double margin, SplitMix64& rng) {
  // Small parts and vias gather around the larger parts, as circuits do;
  // each group is packed on its own, then the groups make up the board.
  std::vector<int> anchors;
  for (int i = 0; i < static_cast<int>(items.size()); ++i) {
    const LayoutItem& item = items[i];
    if (item.type == LayoutItem::Type::Mechanical ||
        (item.footprint && item.footprint->pins >= 5))
      anchors.push_back(i);
  }
  std::vector<std::vector<int>> groups(
      std::max<std::size_t>(anchors.size(), 1));
  for (std::size_t g = 0; g < anchors.size(); ++g)
    groups[g].push_back(anchors[g]);
  std::size_t next = 0;
  for (int i = 0; i < static_cast<int>(items.size()); ++i) {
    if (next < anchors.size() && anchors[next] == i) {
      ++next;
      continue;
    }
    groups[rng.below(static_cast<int>(groups.size()))].push_back(i);
  }
  rng.shuffle(groups);

  std::vector<Box> groupBoxes;
  for (const std::vector<int>& group : groups) {
    std::vector<Box> boxes;
    boxes.reserve(group.size());
    for (int i : group) boxes.push_back({items[i].width, items[i].height});
    const QPointF size = packRows(boxes);
    for (std::size_t k = 0; k < group.size(); ++k) {
      LayoutItem& item = items[group[k]];
      item.x = boxes[k].x + item.width / 2;
      item.y = boxes[k].y + item.height / 2;
    }
    groupBoxes.push_back({size.x() + kPackGap, size.y() + kPackGap});
  }
  const QPointF size = packRows(groupBoxes);
  for (std::size_t g = 0; g < groups.size(); ++g) {
    for (int i : groups[g]) {
      items[i].x += margin + groupBoxes[g].x;
      items[i].y += margin + groupBoxes[g].y;
    }
  }
  // Room for holes and fiducials along the edges of even the smallest board.
  return {std::max(2 * margin + size.x(), 60.0),
          std::max(2 * margin + size.y(), 45.0)};
}

}  // namespace lw
