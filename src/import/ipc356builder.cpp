#include "ipc356builder.h"

#include <QHash>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <numbers>

namespace lw::ipc356 {
namespace {

constexpr int kTopBit = 1;
constexpr int kBottomBit = 2;

enum class Role { Pin, Via, ToolingHole, Fiducial };

Role roleOf(const Feature& f) {
  switch (f.type) {
    case FeatureType::ToolingFeature:
      return Role::Fiducial;
    case FeatureType::ToolingHole:
    case FeatureType::UnplatedHole:
      return Role::ToolingHole;
    case FeatureType::BlindVia:
      return Role::Via;
    case FeatureType::ThroughHole:
    case FeatureType::Smd:
      break;
  }
  // Writers mark vias with the reference designator VIA; a plated feature
  // without any reference designator belongs to no part either. A surface
  // pad without part and net is an optical mark.
  if (f.refdes.isEmpty()) {
    if (f.unplated) return Role::ToolingHole;
    if (f.type == FeatureType::Smd && isNoConnect(f.net)) return Role::Fiducial;
    return Role::Via;
  }
  if (f.refdes.compare(QLatin1String("VIA"), Qt::CaseInsensitive) == 0)
    return Role::Via;
  return Role::Pin;
}

struct LayerDef {
  const char* name;
  int type;
  Rgb colour;
};

// Indexed by ImportLayer.
constexpr LayerDef kLayers[] = {
    {"TOP", 1, {184, 115, 51}},
    {"BOTTOM", 2, {51, 115, 184}},
    {"ACCESS_TOP", 6, {95, 95, 95}},
    {"ACCESS_BOTTOM", 7, {95, 95, 95}},
    {"COMPONENTS_TOP", 15, {128, 128, 64}},
    {"COMPONENTS_BOTTOM", 16, {128, 128, 64}},
    {"DRILL", 9, {95, 95, 95}},
    {"BOARD_OUTLINE", 28, {0, 0, 255}},
    {"PROBE_TOP", 0, {0, 0, 255}},
    {"PROBE_BOT", 0, {0, 0, 255}},
};

struct Box {
  double minX = std::numeric_limits<double>::max();
  double minY = std::numeric_limits<double>::max();
  double maxX = std::numeric_limits<double>::lowest();
  double maxY = std::numeric_limits<double>::lowest();

  bool isEmpty() const { return minX > maxX; }
  void add(double x, double y, double halfW, double halfH) {
    minX = std::min(minX, x - halfW);
    maxX = std::max(maxX, x + halfW);
    minY = std::min(minY, y - halfH);
    maxY = std::max(maxY, y + halfH);
  }
  void grow(double margin) {
    minX -= margin;
    minY -= margin;
    maxX += margin;
    maxY += margin;
  }
};

// Half extents of a feature's pad, turned by its angle.
std::pair<double, double> halfExtents(const Feature& f) {
  double w = f.width > 0 ? f.width : f.hole;
  double h = f.height > 0 ? f.height : w;
  w /= 2;
  h /= 2;
  const double turns = f.angle / 90;
  if (turns == std::floor(turns)) {  // exact for the usual right angles
    return static_cast<long long>(turns) % 2 == 0 ? std::pair{w, h}
                                                  : std::pair{h, w};
  }
  const double a = f.angle * std::numbers::pi / 180;
  const double c = std::abs(std::cos(a));
  const double s = std::abs(std::sin(a));
  return {w * c + h * s, w * s + h * c};
}

void setPadShape(Entity& e, const Feature& f) {
  e.width = f.width > 0 ? f.width : f.hole;
  e.angle = f.angle;
  if (f.height <= 0 || f.width <= 0) {
    e.shape = Shape::Round;
  } else if (f.height == f.width) {
    e.shape = Shape::Square;
  } else {
    e.shape = Shape::Rectangle;
    e.height = f.height;
  }
}

// The pad's narrower side. Some writers give plated holes no pad size
// (X0000): the copper around a plated hole is at least as wide as the hole,
// and no more is known of it.
double padSizeOf(const Feature& f) {
  if (f.width <= 0) return f.unplated ? 0 : f.hole;
  return f.height > 0 ? std::min(f.width, f.height) : f.width;
}

class Builder {
 public:
  Builder(const Netlist& netlist, const QString& fileName,
          const ImportLimits& limits)
      : mNet(netlist), mFileName(fileName), mLimits(limits) {}
  BuiltBoard build();

 private:
  int add(Entity e);
  Attribute attribute(int keyword, const QString& value) const;
  double length(double mils, double millimetres) const;
  void addFrame();
  void addDocumentAttributes();
  void detectMaskMeaning();
  int reachableSides(const Feature& f) const;
  void addOutline();
  int surfaceSide(const Feature& f) const;
  std::vector<std::vector<int>> partsByDesignator();
  void addComponents();
  void addFeature(int index, Role role, int parent);
  void addAccessPoints();
  int netIndex(const Feature& f);

  const Netlist& mNet;
  QString mFileName;
  ImportLimits mLimits;
  BuiltBoard mOut;
  QHash<QString, int> mNetIndex;
  std::vector<int> mTargetFeatures;   // features that may get access points
  std::vector<int> mFeaturePosition;  // feature -> data position, or -1
};

int Builder::add(Entity e) {
  const int position = static_cast<int>(mOut.board.entities.size());
  e.number = position + 1;
  e.file = kImportedFileNumber;
  mOut.board.entities.push_back(std::move(e));
  return position;
}

Attribute Builder::attribute(int keyword, const QString& value) const {
  Attribute a;
  a.keyword = keyword;
  a.value = value;
  return a;
}

double Builder::length(double mils, double millimetres) const {
  return mNet.units == PageUnits::Millimetre ? millimetres : mils;
}

void Builder::addFrame() {
  Board& b = mOut.board;
  b.units = mNet.units;
  BoardFile file;
  file.number = kImportedFileNumber;
  file.name = mFileName;
  file.isPcb = true;
  file.visible = true;
  file.selectArgument = 1;
  b.files.push_back(file);
  int index = 0;
  for (const LayerDef& def : kLayers) {
    Layer layer;
    layer.index = index++;
    layer.name = QLatin1String(def.name);
    layer.type = def.type;
    layer.colour = def.colour;
    b.layers.push_back(layer);
  }
  // A fixed keyword order keeps every import of a file identical.
  auto keyword = [&b](const char* name) {
    return b.addKeyword(QLatin1String(name));
  };
  Keywords& k = mOut.keywords;
  k.netName = keyword("NETNAME");
  k.dataLink = keyword("DATALINK");
  k.testAccess = keyword("TEST_ACCESS");
  k.refName = keyword("REFNAME");
  k.placement = keyword("PROBE_PLACEMENT");
  k.reason = keyword("PLACEMENT_REASON");
}

void Builder::addDocumentAttributes() {
  // Prefixed so that no file parameter can pose as the program's own
  // document attributes.
  Board& b = mOut.board;
  auto set = [&b, this](const QString& name, const QString& value) {
    const int keyword = b.addKeyword(name);
    for (Attribute& a : b.attributes) {
      if (a.keyword == keyword) {
        a.value = value;
        return;
      }
    }
    b.attributes.push_back(attribute(keyword, value));
  };
  set(QStringLiteral("IMPORTED_FROM"), mFileName);
  if (!mNet.unitsText.isEmpty())
    set(QStringLiteral("IPC_UNITS"), mNet.unitsText);
  for (const auto& [name, value] : mNet.parameters)
    set(QStringLiteral("IPC_") + name, value);
}

// Writers disagree on the solder mask digit: some name the sides the mask
// covers, others the sides where it is open. A surface pad is always open on
// its own side, so the surface pads of the file tell which reading it uses.
void Builder::detectMaskMeaning() {
  int open = 0;
  int covered = 0;
  for (const Feature& f : mNet.features) {
    if (f.type != FeatureType::Smd) continue;
    const PadRecord& p = f.pads.front();
    const int own = p.access == 1 ? kTopBit
                    : (p.access > 1 && p.access == mNet.bottomLayer)
                        ? kBottomBit
                        : 0;
    if (own == 0 || p.mask < 0) continue;
    ++((p.mask & own) ? open : covered);
  }
  mOut.maskNamesOpenSides = open > covered;
}

int Builder::reachableSides(const Feature& f) const {
  if (f.unplated) return 0;
  int sides = 0;
  for (const PadRecord& p : f.pads) {
    const int access = p.access == 0   ? kTopBit | kBottomBit
                       : p.access == 1 ? kTopBit
                       : (p.access > 1 && p.access == mNet.bottomLayer)
                           ? kBottomBit
                           : 0;
    const int open = p.mask < 0                ? kTopBit | kBottomBit
                     : mOut.maskNamesOpenSides ? p.mask
                                               : ~p.mask & 3;
    sides |= access & open;
  }
  return sides;
}

void Builder::addOutline() {
  std::vector<std::vector<QPointF>> chains = mNet.boardEdges;
  mOut.outlineFromFile = !chains.empty();
  if (chains.empty()) {
    // Around the pins and vias (and so the parts): tooling holes and marks
    // may lie on the panel, far outside the board.
    Box box;
    for (const bool all : {false, true}) {
      for (const Feature& f : mNet.features) {
        const Role role = roleOf(f);
        if (!all && role != Role::Pin && role != Role::Via) continue;
        const auto [hw, hh] = halfExtents(f);
        box.add(f.x, f.y, hw, hh);
      }
      if (!box.isEmpty()) break;
    }
    box.grow(length(100, 2.5));
    chains.push_back({{box.minX, box.minY},
                      {box.maxX, box.minY},
                      {box.maxX, box.maxY},
                      {box.minX, box.maxY}});
  }
  for (auto& chain : chains) {
    Box box;
    for (const QPointF& p : chain) box.add(p.x(), p.y(), 0, 0);
    Entity e;
    e.kind = EntityKind::Outline;
    e.shape = Shape::Rectangle;
    e.side = Side::Both;
    e.layer = kLayerOutline;
    e.x = (box.minX + box.maxX) / 2;
    e.y = (box.minY + box.maxY) / 2;
    e.width = box.maxX - box.minX;
    e.height = box.maxY - box.minY;
    e.outline = std::move(chain);
    add(std::move(e));
  }
}

// Which side a surface pad is on: 1 top, 2 bottom, 0 neither or not a
// surface pad.
int Builder::surfaceSide(const Feature& f) const {
  if (f.type != FeatureType::Smd) return 0;
  const int access = f.pads.front().access;
  return access == 1                                ? kTopBit
         : access > 1 && access == mNet.bottomLayer ? kBottomBit
                                                    : 0;
}

// The pins of each part, parts in order of first appearance. A designator
// with surface pads on both sides names two parts (writers cut long names
// to six characters): each side's pads make a part of their own, and the
// through-hole pins go with the side of most surface pads.
std::vector<std::vector<int>> Builder::partsByDesignator() {
  std::vector<QString> order;
  QHash<QString, std::array<std::vector<int>, 3>> pins;  // by surfaceSide
  const int count = static_cast<int>(mNet.features.size());
  for (int i = 0; i < count; ++i) {
    const Feature& f = mNet.features[i];
    if (roleOf(f) != Role::Pin) continue;
    auto& sides = pins[f.refdes];
    if (sides[0].empty() && sides[1].empty() && sides[2].empty())
      order.push_back(f.refdes);
    sides[static_cast<size_t>(surfaceSide(f))].push_back(i);
    const size_t pinCount = sides[0].size() + sides[1].size() + sides[2].size();
    if (pinCount > static_cast<size_t>(mLimits.pinsPerComponent))
      throw Error(QStringLiteral("In \"%1\" the component %2 has more than "
                                 "%3 pins (line %4); Loomwright imports "
                                 "components of at most %3 pins.")
                      .arg(printable(mFileName), printable(f.refdes))
                      .arg(mLimits.pinsPerComponent)
                      .arg(f.line));
  }
  std::vector<std::vector<int>> parts;
  for (const QString& refdes : order) {
    auto& [through, top, bottom] = pins[refdes];
    auto& major = bottom.size() > top.size() ? bottom : top;
    major.insert(major.end(), through.begin(), through.end());
    std::sort(major.begin(), major.end());  // pins in file order
    if (top.empty() || bottom.empty()) {
      parts.push_back(std::move(major));
      continue;
    }
    mOut.splitDesignators.append(refdes);
    const bool topFirst = top.front() < bottom.front();
    parts.push_back(std::move(topFirst ? top : bottom));
    parts.push_back(std::move(topFirst ? bottom : top));
  }
  return parts;
}

void Builder::addComponents() {
  for (const std::vector<int>& members : partsByDesignator()) {
    Box box;
    int top = 0;
    int bottom = 0;
    for (int i : members) {
      const Feature& f = mNet.features[i];
      const auto [hw, hh] = halfExtents(f);
      box.add(f.x, f.y, hw, hh);
      const int side = surfaceSide(f);
      if (side != 0) ++(side == kBottomBit ? bottom : top);
    }
    box.grow(length(10, 0.25));
    Entity body;
    body.kind = EntityKind::Component;
    body.shape = Shape::Rectangle;
    body.side = bottom > top ? Side::Bottom : Side::Top;
    body.layer =
        body.side == Side::Top ? kLayerComponentsTop : kLayerComponentsBottom;
    body.name = mNet.features[members.front()].refdes;
    body.x = (box.minX + box.maxX) / 2;
    body.y = (box.minY + box.maxY) / 2;
    body.width = box.maxX - box.minX;
    body.height = box.maxY - box.minY;
    body.outline = {{box.minX, box.minY},
                    {box.maxX, box.minY},
                    {box.maxX, box.maxY},
                    {box.minX, box.maxY}};
    const int parent = add(std::move(body));
    ++mOut.components;
    for (int i : members) addFeature(i, Role::Pin, parent);
  }
}

void Builder::addFeature(int index, Role role, int parent) {
  const Feature& f = mNet.features[index];
  Entity e;
  e.x = f.x;
  e.y = f.y;
  e.name = role == Role::Pin ? f.pin : f.refdes;
  e.parent = parent;
  setPadShape(e, f);
  const int access = f.pads.front().access;
  const Side surface = access == 0 ? Side::Both
                       : (access > 1 && access == mNet.bottomLayer)
                           ? Side::Bottom
                           : Side::Top;
  const bool through =
      f.type != FeatureType::Smd && f.type != FeatureType::ToolingFeature;
  e.side = through ? Side::Both : surface;
  e.layer = through                  ? kLayerDrill
            : e.side == Side::Bottom ? kLayerBottom
                                     : kLayerTop;
  switch (role) {
    case Role::Pin:
      e.kind = EntityKind::Pin;
      ++mOut.pins;
      break;
    case Role::Via:
      e.kind = EntityKind::Via;
      ++mOut.vias;
      break;
    case Role::ToolingHole:
      e.kind = EntityKind::ToolingHole;
      e.shape = Shape::Round;
      e.width = f.hole > 0 ? f.hole : f.width;
      e.height = 0;
      ++mOut.toolingHoles;
      break;
    case Role::Fiducial:
      e.kind = EntityKind::Fiducial;
      ++mOut.fiducials;
      break;
  }
  const bool carriesNet = role == Role::Pin || role == Role::Via;
  if (carriesNet && !f.net.isEmpty())
    e.attributes.push_back(attribute(mOut.keywords.netName, f.net));
  if (role == Role::Via) {
    static const QString kAccess[] = {
        QStringLiteral("NONE"), QStringLiteral("TOP"), QStringLiteral("BOTTOM"),
        QStringLiteral("BOTH")};
    e.attributes.push_back(
        attribute(mOut.keywords.testAccess, kAccess[reachableSides(f)]));
  }
  mFeaturePosition[index] = add(std::move(e));
  if (!carriesNet) return;
  if (f.net.isEmpty())
    ++mOut.unnamedFeatures;
  else if (isNoConnect(f.net))
    ++mOut.noConnectFeatures;
  else
    mTargetFeatures.push_back(index);
}

int Builder::netIndex(const Feature& f) {
  auto it = mNetIndex.constFind(f.net);
  if (it != mNetIndex.constEnd()) return *it;
  const int index = static_cast<int>(mOut.nets.size());
  mNetIndex.insert(f.net, index);
  mOut.nets.append(f.net);
  mOut.netOrigins.emplace_back(f.x, f.y);
  return index;
}

void Builder::addAccessPoints() {
  // Nets are numbered in file order, whatever order the entities take.
  std::vector<int> byLine = mTargetFeatures;
  std::sort(byLine.begin(), byLine.end());
  for (int i : byLine) netIndex(mNet.features[i]);

  for (int i : mTargetFeatures) {
    const Feature& f = mNet.features[i];
    const int sides = reachableSides(f);
    // Copied out: adding access points moves the entities.
    const Entity& feature = mOut.board.entities[mFeaturePosition[i]];
    Entity base;
    base.kind = EntityKind::AccessPoint;
    base.x = f.x;
    base.y = f.y;
    base.shape = feature.shape;
    base.width = feature.width;
    base.height = feature.height;
    base.angle = feature.angle;
    base.attributes.push_back(attribute(mOut.keywords.netName, f.net));
    base.attributes.push_back(
        attribute(mOut.keywords.dataLink, QString::number(feature.number)));
    const TargetClass kind =
        feature.kind == EntityKind::Via            ? TargetClass::Via
        : f.refdes.startsWith(QLatin1String("TP")) ? TargetClass::TestPad
        : f.type == FeatureType::Smd               ? TargetClass::SmdPad
                                                   : TargetClass::ThroughPin;
    for (const Side side : {Side::Top, Side::Bottom}) {
      if (!(sides & (side == Side::Top ? kTopBit : kBottomBit))) continue;
      Entity ap = base;
      ap.side = side;
      ap.layer = side == Side::Top ? kLayerAccessTop : kLayerAccessBottom;
      const int position = add(std::move(ap));
      ProbeTarget target;
      target.net = mNetIndex.value(f.net);
      target.entityNumber = mOut.board.entities[position].number;
      target.side = side;
      target.kind = kind;
      target.padSize = padSizeOf(f);
      target.x = f.x;
      target.y = f.y;
      mOut.targets.push_back(target);
    }
  }
}

BuiltBoard Builder::build() {
  mFeaturePosition.assign(mNet.features.size(), -1);
  addFrame();
  addDocumentAttributes();
  detectMaskMeaning();
  addOutline();
  addComponents();
  const int count = static_cast<int>(mNet.features.size());
  for (const Role role : {Role::Via, Role::Fiducial, Role::ToolingHole})
    for (int i = 0; i < count; ++i)
      if (roleOf(mNet.features[i]) == role) addFeature(i, role, -1);
  addAccessPoints();
  return std::move(mOut);
}

}  // namespace

BuiltBoard buildBoard(const Netlist& netlist, const QString& fileName,
                      const ImportLimits& limits) {
  return Builder(netlist, fileName, limits).build();
}

}  // namespace lw::ipc356
