#include "layertable.h"

namespace lw {
namespace {

constexpr Rgb kGrey{95, 95, 95};
constexpr Rgb kBlue{0, 0, 255};
constexpr Rgb kOlive{128, 128, 64};

struct StartingStyle {
  int type;          // matched when >= 0
  const char* name;  // matched when type < 0
  bool on;
  Rgb colour;
};

// First match wins; types before names, so a type-1 layer named PROBE_BOT
// is a top copper layer.
constexpr StartingStyle kStarting[] = {
    {28, nullptr, true, kBlue},     {15, nullptr, true, kOlive},
    {16, nullptr, true, kOlive},    {9, nullptr, true, kGrey},
    {6, nullptr, true, kGrey},      {2, nullptr, false, kGrey},
    {1, nullptr, true, kGrey},      {7, nullptr, false, kGrey},
    {-1, "PROBE_TOP", true, kBlue}, {-1, "PROBE_BOT", false, kBlue},
};

bool matches(const StartingStyle& rule, const LayerRow& row) {
  return rule.type >= 0 ? row.type == rule.type
                        : row.name == QLatin1StringView(rule.name);
}

// Safety bound for documents with absurd layer numbers: the list must end.
constexpr int kMaxLayerIndex = 1 << 16;

}  // namespace

void applyStartingStyle(LayerRow& row) {
  for (const StartingStyle& s : kStarting) {
    if (!matches(s, row)) continue;
    row.on = s.on;
    row.colour = s.colour;
    return;
  }
  row.on = false;  // any other layer keeps its own colour, hidden
}

void applySurface(LayerRow& row, bool top) {
  const LayerSide side = layerSide(row.type, row.name);
  if (side != LayerSide::Both) row.on = (side == LayerSide::Top) == top;
}

LayerTable buildLayerTable(const BoardDocument& document) {
  LayerTable table;
  for (int index = 0; index <= kMaxLayerIndex; ++index) {
    Layer layer;
    const int status = document.layer(index, &layer);
    if (status == kLayerListEnded) break;
    if (status < 0) continue;
    LayerRow row{index, layer.name, document.layerType(index), layer.visible,
                 layer.colour};
    applyStartingStyle(row);
    table.push_back(row);
  }
  return table;
}

}  // namespace lw
