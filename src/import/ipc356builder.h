#pragma once

// Turns a parsed netlist into a board document without probes: one visible
// PCB file, the layers the program acts on, the outline, components with
// their pins, vias, tooling holes, fiducials, and one access point for each
// side from which a probe can reach a pad or via of a net.

#include "board.h"
#include "ipc356reader.h"

#include <QPointF>
#include <QStringList>

#include <vector>

namespace lw::ipc356 {

// Layer indices of an imported document.
enum ImportLayer : int {
  kLayerTop = 0,
  kLayerBottom,
  kLayerAccessTop,
  kLayerAccessBottom,
  kLayerComponentsTop,
  kLayerComponentsBottom,
  kLayerDrill,
  kLayerOutline,
  kLayerProbeTop,
  kLayerProbeBottom,
};

// What a probe would land on, in order of preference.
enum class TargetClass : std::uint8_t { TestPad, Via, ThroughPin, SmdPad };

// An access point as probe placement sees it.
struct ProbeTarget {
  int net = 0;           // index into BuiltBoard::nets
  int entityNumber = 0;  // of the access point
  Side side = Side::Top;
  TargetClass kind = TargetClass::SmdPad;
  double padSize = 0;  // the pad's narrower side
  double x = 0;
  double y = 0;
};

struct Keywords {
  int netName = 0;
  int dataLink = 0;
  int testAccess = 0;
  int refName = 0;
  int placement = 0;
  int reason = 0;
};

struct BuiltBoard {
  Board board;
  Keywords keywords;
  QStringList nets;                 // in order of first appearance
  std::vector<QPointF> netOrigins;  // first feature of each net
  std::vector<ProbeTarget> targets;
  int components = 0;
  int pins = 0;
  int vias = 0;
  int toolingHoles = 0;
  int fiducials = 0;
  int noConnectFeatures = 0;  // on the net "N/C", which is no net
  int unnamedFeatures = 0;    // with a blank net field
  bool outlineFromFile = false;
  bool maskNamesOpenSides = false;
  // Designators with surface pads on both sides, made one part per side.
  QStringList splitDesignators;
};

inline constexpr int kImportedFileNumber = 1;

// Nets named like this are unconnected pads, not nets.
inline bool isNoConnect(const QString& net) {
  return net.isEmpty() || net == QLatin1String("N/C");
}

// Throws Error when a component has more pins than the limit allows.
BuiltBoard buildBoard(const Netlist& netlist, const QString& fileName,
                      const ImportLimits& limits = {});

}  // namespace lw::ipc356
