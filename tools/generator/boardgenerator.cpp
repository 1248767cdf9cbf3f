#include "boardgenerator.h"

#include "error.h"
#include "footprints.h"
#include "partlayout.h"
#include "probeplanner.h"
#include "splitmix64.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <numeric>
#include <string>
#include <tuple>
#include <utility>

namespace lw {

namespace {

constexpr double kMargin = 10;  // board edge to the first part, mm

// Layer indices. 7 is left out: documents may number their layers with gaps.
enum LayerIndex : int {
  kOutlineLayer = 0,
  kTopCopper = 1,
  kBottomCopper = 2,
  kTopSilk = 5,
  kBottomSilk = 6,
  kDrill = 8,
  kAccessTop = 9,
  kAccessBottom = 10,
  kProbeTop = 11,
  kProbeBottom = 12,
};

constexpr int kPcbFile = 2;

void addFilesAndLayers(Board& board) {
  board.files = {
      {1, QStringLiteral("PANEL_ARRAY"), false, true, 11, 0},
      {kPcbFile, QStringLiteral("LW-CTRL-100"), true, true, 21, 0},
      {4, QStringLiteral("LW-CTRL-100_REV_A"), true, false, 41, 0},
      {7, QStringLiteral("FAB_DRAWING"), false, false, 71, 0},
  };
  // The types 1/2, 6/7, 9, 15/16 and 28 are the ones Loomwright acts on;
  // 3, 4, 11, 31, 32 and 50 match none of them.
  board.layers = {
      {kOutlineLayer, QStringLiteral("BOARD_OUTLINE"), 28, {255, 255, 0}, true},
      {kTopCopper, QStringLiteral("TOP"), 1, {200, 60, 40}, true},
      {kBottomCopper, QStringLiteral("BOTTOM"), 2, {40, 80, 200}, true},
      {3, QStringLiteral("INNER_1"), 3, {180, 120, 40}, false},
      {4, QStringLiteral("INNER_2"), 4, {40, 160, 120}, false},
      {kTopSilk, QStringLiteral("SILKSCREEN_TOP"), 6, {255, 255, 255}, true},
      {kBottomSilk,
       QStringLiteral("SILKSCREEN_BOTTOM"),
       7,
       {200, 200, 200},
       true},
      {kDrill, QStringLiteral("DRILL_THROUGH"), 9, {120, 120, 120}, true},
      {kAccessTop, QStringLiteral("TEST_ACCESS_TOP"), 15, {0, 200, 200}, true},
      {kAccessBottom,
       QStringLiteral("TEST_ACCESS_BOTTOM"),
       16,
       {0, 150, 150},
       true},
      {kProbeTop, QStringLiteral("PROBE_TOP"), 31, {255, 0, 255}, true},
      {kProbeBottom, QStringLiteral("PROBE_BOT"), 32, {160, 0, 160}, true},
      {13, QStringLiteral("ASSEMBLY_NOTES"), 50, {90, 90, 90}, false},
      {14, QStringLiteral("PASTE_TOP"), 11, {150, 150, 150}, true},
  };
}

class NetPool {
 public:
  explicit NetPool(int signalNets) {
    for (const char* power : {"GND", "+3V3", "+5V", "+1V8", "VIN", "+12V"})
      mPower.push_back(QString::fromLatin1(power));
    for (int i = 1; i <= std::max(signalNets, 4); ++i)
      mSignals.push_back(QStringLiteral("NET%1").arg(i, 5, 10, QChar('0')));
  }
  const QString& draw(SplitMix64& rng) const {
    if (rng.chance(0.2)) return mPower[0];
    if (rng.chance(0.1)) return mPower[1 + rng.below(mPower.size() - 1)];
    return mSignals[rng.below(mSignals.size())];
  }

 private:
  QStringList mPower;
  QStringList mSignals;
};

// Irregularities real boards have; each probe gets at most one.
enum class Quirk : std::uint8_t { None, EmptyNet, NoNet, Unplaced, NoResource };

class Builder {
 public:
  explicit Builder(const GeneratorOptions& options)
      : mOptions(options),
        mRng(options.seed),
        mScale(unitsPerInch(options.units) / 25.4) {
    mBoard.units = options.units;
    addFilesAndLayers(mBoard);
    mNetName = mBoard.addKeyword(QStringLiteral("NETNAME"));
    mDataLink = mBoard.addKeyword(QStringLiteral("DATALINK"));
    mResource = mBoard.addKeyword(QStringLiteral("TESTER_REASOURCE"));
    mPlacement = mBoard.addKeyword(QStringLiteral("PROBE_PLACEMENT"));
    mRefName = mBoard.addKeyword(QStringLiteral("REFNAME"));
    mPartNumber = mBoard.addKeyword(QStringLiteral("PART_NUMBER"));
    mTestAccess = mBoard.addKeyword(QStringLiteral("TEST_ACCESS"));
    mBoard.attributes = {
        {mBoard.addKeyword(QStringLiteral("DESIGN_NAME")),
         QStringLiteral("LW-CTRL-100"),
         {}},
        {mBoard.addKeyword(QStringLiteral("DESIGN_REVISION")),
         QStringLiteral("B"),
         {}},
    };
  }

  Board build() {
    std::vector<LayoutItem> items = makeItems(mOptions, mRng);
    const QPointF size = pack(items, kMargin, mRng);
    addFrame(size.x(), size.y());
    int pins = 0;
    for (const LayoutItem& item : items)
      if (item.footprint) pins += item.footprint->pins;
    const NetPool nets(pins / 3);
    for (const LayoutItem& item : items) {
      if (item.type == LayoutItem::Type::Part) addPart(item, nets);
    }
    for (const LayoutItem& item : items) {
      if (item.type == LayoutItem::Type::Via) addVia(item, nets);
    }
    for (const LayoutItem& item : items) {
      if (item.type == LayoutItem::Type::Mechanical) addMechanical(item);
    }
    addProbes();
    return std::move(mBoard);
  }

 private:
  double units(double mm) const { return std::round(mm * mScale * 1e4) / 1e4; }

  // Entity numbers rise in data order with small gaps, so that they never
  // coincide with data positions for long.
  int add(Entity entity) {
    mNextNumber += 1 + mRng.below(3);
    entity.number = mNextNumber;
    entity.file = kPcbFile;
    mBoard.entities.push_back(std::move(entity));
    return static_cast<int>(mBoard.entities.size()) - 1;
  }

  Entity round(EntityKind kind, const QString& name, double x, double y,
               double diameter, int layer, Side side) const {
    Entity e;
    e.kind = kind;
    e.name = name;
    e.x = units(x);
    e.y = units(y);
    e.width = units(diameter);
    e.layer = layer;
    e.side = side;
    return e;
  }

  std::vector<QPointF> rectangle(double cx, double cy, double w, double h,
                                 int angle) const {
    std::vector<QPointF> corners;
    for (auto [dx, dy] : {std::pair{-1, -1}, {1, -1}, {1, 1}, {-1, 1}}) {
      const QPointF p = rotated(dx * w / 2, dy * h / 2, angle);
      corners.emplace_back(units(cx + p.x()), units(cy + p.y()));
    }
    return corners;
  }

  void addFrame(double w, double h) {
    Entity outline;
    outline.kind = EntityKind::Outline;
    outline.shape = Shape::Rectangle;
    outline.side = Side::Both;
    outline.layer = kOutlineLayer;
    outline.name = QStringLiteral("BOARD");
    outline.x = units(w / 2);
    outline.y = units(h / 2);
    outline.width = units(w);
    outline.height = units(h);
    outline.outline = rectangle(w / 2, h / 2, w, h, 0);
    add(std::move(outline));

    const double in = 4;
    const std::array<QPointF, 4> corners{
        QPointF{in, in}, {w - in, in}, {w - in, h - in}, {in, h - in}};
    for (int i = 0; i < 4; ++i)
      add(round(EntityKind::MechanicalHole, QStringLiteral("MH%1").arg(i + 1),
                corners[i].x(), corners[i].y(), 3.2, kDrill, Side::Both));
    const std::array<QPointF, 3> tooling{
        QPointF{in, h / 2}, {w - in, h / 2}, {w / 2, in}};
    for (int i = 0; i < 3; ++i)
      add(round(EntityKind::ToolingHole, QStringLiteral("TOOL%1").arg(i + 1),
                tooling[i].x(), tooling[i].y(), 3.175, kDrill, Side::Both));
    const std::array<QPointF, 6> fiducials{QPointF{14, in}, {w - 14, h - in},
                                           {14, h - in},    {w - 14, in},
                                           {22, in},        {w - 22, h - in}};
    for (int i = 0; i < 6; ++i) {
      const bool top = i < 3;
      add(round(EntityKind::Fiducial, QStringLiteral("FID%1").arg(i + 1),
                fiducials[i].x(), fiducials[i].y(), 1.0,
                top ? kTopCopper : kBottomCopper,
                top ? Side::Top : Side::Bottom));
    }
  }

  void addPart(const LayoutItem& item, const NetPool& nets) {
    const Footprint& fp = *item.footprint;
    const QString prefix = QString::fromLatin1(fp.prefix);
    const QString refdes =
        prefix + QString::number(++mRefdesCount[prefix.toStdString()]);
    const bool top = item.side == Side::Top;

    Entity part;
    part.kind = EntityKind::Component;
    part.shape = Shape::Rectangle;
    part.side = item.side;
    part.layer = top ? kTopSilk : kBottomSilk;
    part.name = refdes;
    part.x = units(item.x);
    part.y = units(item.y);
    part.width = units(fp.bodyWidth);
    part.height = units(fp.bodyHeight);
    part.angle = item.angle;
    part.outline =
        rectangle(item.x, item.y, fp.bodyWidth, fp.bodyHeight, item.angle);
    part.attributes.push_back(
        {mPartNumber, QString::fromLatin1(fp.partNumber), {}});
    const int parent = add(std::move(part));

    const Side padSide = fp.throughHole ? Side::Both : item.side;
    const int padLayer =
        fp.throughHole ? kDrill : (top ? kTopCopper : kBottomCopper);
    const auto pads = padsOf(fp);
    for (int i = 0; i < static_cast<int>(pads.size()); ++i) {
      const Pad& pad = pads[i];
      const QPointF at = rotated(pad.x, pad.y, item.angle);
      Entity pin =
          round(EntityKind::Pin, QString::number(i + 1), item.x + at.x(),
                item.y + at.y(), pad.width, padLayer, padSide);
      pin.shape = pad.shape;
      pin.height = pad.height == pad.width ? 0 : units(pad.height);
      pin.angle = item.angle;
      pin.parent = parent;
      // A few pins are not connected; nobody probes those.
      const bool connected = fp.pins == 1 || !mRng.chance(0.03);
      const QString net = connected ? nets.draw(mRng) : QString();
      if (connected) pin.attributes.push_back({mNetName, net, {}});
      const int position = add(std::move(pin));
      if (connected)
        mTargets.push_back({position, item.x + at.x(), item.y + at.y(), padSide,
                            std::min(pad.width, pad.height), false,
                            fp.pins == 1, net});
    }
  }

  void addVia(const LayoutItem& item, const NetPool& nets) {
    static const char* const kAccess[] = {"BOTTOM", "BOTH", "TOP"};
    // Test vias have larger pads than plain ones.
    const double pad = mRng.chance(0.5) ? kViaPad : 0.6;
    Entity via = round(EntityKind::Via, QString(), item.x, item.y, pad, kDrill,
                       Side::Both);
    const QString& net = nets.draw(mRng);
    via.attributes.push_back({mNetName, net, {}});
    if (mRng.chance(0.6))
      via.attributes.push_back(
          {mTestAccess, QString::fromLatin1(kAccess[mRng.below(3)]), {}});
    const int position = add(std::move(via));
    mTargets.push_back(
        {position, item.x, item.y, Side::Both, pad, true, false, net});
  }

  void addMechanical(const LayoutItem& item) {
    Entity part;
    part.kind = EntityKind::MechanicalPart;
    part.shape = Shape::Rectangle;
    part.side = Side::Top;
    part.layer = kTopSilk;
    part.name = item.name;
    part.x = units(item.x);
    part.y = units(item.y);
    part.width = units(item.width - kPackGap);
    part.height = units(item.height - kPackGap);
    part.outline = rectangle(item.x, item.y, item.width - kPackGap,
                             item.height - kPackGap, 0);
    part.attributes.push_back({mPartNumber,
                               item.name.startsWith(QLatin1Char('B'))
                                   ? QStringLiteral("MECH-BRACKET-24")
                                   : QStringLiteral("MECH-HEATSINK-16"),
                               {}});
    add(std::move(part));
  }

  void addNet(Entity& entity, const QString& net, Quirk quirk) const;
  // Returns the entity numbers of the new access points.
  std::vector<int> addAccessPoints(const std::vector<ProbeSite>& sites);
  void addProbes();

  GeneratorOptions mOptions;
  SplitMix64 mRng;
  double mScale;
  Board mBoard;
  int mNextNumber = 1000;
  std::map<std::string, int> mRefdesCount;
  std::vector<ProbeTarget> mTargets;
  int mNetName = 0;
  int mDataLink = 0;
  int mResource = 0;
  int mPlacement = 0;
  int mRefName = 0;
  int mPartNumber = 0;
  int mTestAccess = 0;
};

std::vector<Quirk> spreadQuirks(int count, bool withPlacement,
                                SplitMix64& rng) {
  std::vector<int> order(count);
  std::iota(order.begin(), order.end(), 0);
  rng.shuffle(order);
  std::vector<Quirk> quirks(count, Quirk::None);
  const int nets = std::max(2, count / 40);
  const int unplaced = withPlacement ? std::max(2, count / 50) : 0;
  const int resources = withPlacement ? std::max(1, count / 100) : 0;
  int next = 0;
  for (auto [quirk, n] : {std::pair{Quirk::EmptyNet, nets},
                          {Quirk::NoNet, nets},
                          {Quirk::Unplaced, unplaced},
                          {Quirk::NoResource, resources}}) {
    for (int i = 0; i < n && next < count; ++i) quirks[order[next++]] = quirk;
  }
  return quirks;
}

void Builder::addNet(Entity& entity, const QString& net, Quirk quirk) const {
  if (quirk == Quirk::NoNet) return;
  entity.attributes.push_back(
      {mNetName, quirk == Quirk::EmptyNet ? QString() : net, {}});
}

// Probe numbers follow the board, top side first, row by row, while the
// data keeps the order in which the probes were planned: rank[i] is the
// place of site i in that reading order.
std::vector<int> readingOrder(const std::vector<ProbeSite>& sites, int count,
                              const std::vector<ProbeTarget>& targets) {
  std::vector<int> byPlace(count);
  std::iota(byPlace.begin(), byPlace.end(), 0);
  auto placeKey = [&](int i) {
    const ProbeTarget& t = targets[sites[i].target];
    return std::tuple(sites[i].side != Side::Top, -t.y, t.x, i);
  };
  std::sort(byPlace.begin(), byPlace.end(),
            [&](int a, int b) { return placeKey(a) < placeKey(b); });
  std::vector<int> rank(count);
  for (int r = 0; r < count; ++r) rank[byPlace[r]] = r;
  return rank;
}

std::vector<int> Builder::addAccessPoints(const std::vector<ProbeSite>& sites) {
  const int count = static_cast<int>(sites.size());
  const std::vector<Quirk> quirks = spreadQuirks(count, false, mRng);
  std::vector<int> numbers;
  for (int i = 0; i < count; ++i) {
    const ProbeTarget& t = mTargets[sites[i].target];
    const bool top = sites[i].side == Side::Top;
    Entity point = round(EntityKind::AccessPoint, QString(), t.x, t.y, t.pad,
                         top ? kAccessTop : kAccessBottom, sites[i].side);
    addNet(point, t.net, quirks[i]);
    point.attributes.push_back(
        {mDataLink, QString::number(mBoard.entities[t.position].number), {}});
    numbers.push_back(mBoard.entities[add(std::move(point))].number);
  }
  return numbers;
}

void Builder::addProbes() {
  const int count = mOptions.probes;
  // Some access points are left without a probe, as on real boards.
  const std::vector<ProbeSite> sites =
      planProbes(mTargets, count + count / 20, mOptions.topShare, 0.15, mRng);
  const std::vector<int> accessNumbers = addAccessPoints(sites);
  const std::vector<int> rank = readingOrder(sites, count, mTargets);
  std::vector<int> channels(count);
  std::iota(channels.begin(), channels.end(), 1);
  mRng.shuffle(channels);
  const std::vector<Quirk> quirks = spreadQuirks(count, true, mRng);

  bool linkDropped = false;
  for (int i = 0; i < count; ++i) {
    const ProbeSite& site = sites[i];
    const ProbeTarget& t = mTargets[site.target];
    const bool top = site.side == Side::Top;
    const QString name = QString::number(rank[i] + 1);
    Entity probe = round(EntityKind::Probe, name, t.x, t.y, site.size,
                         top ? kProbeTop : kProbeBottom, site.side);
    DisplayRecord label;
    label.reals = {units(1.0), 0.8, units(site.size / 2), units(site.size / 2),
                   0};
    label.ints = {1, 5, static_cast<std::int16_t>(probe.layer), 0, 0, 0, 0, 1};
    probe.attributes.push_back({mRefName, name, label});
    addNet(probe, t.net, quirks[i]);
    // One unplaced probe has lost its link, as boards edited by hand do.
    const bool unplaced = quirks[i] == Quirk::Unplaced;
    if (!unplaced || std::exchange(linkDropped, true))
      probe.attributes.push_back(
          {mDataLink, QString::number(accessNumbers[i]), {}});
    if (quirks[i] != Quirk::NoResource)
      probe.attributes.push_back({mResource, QString::number(channels[i]), {}});
    probe.attributes.push_back(
        {mPlacement,
         unplaced ? QStringLiteral("Unplaced") : QStringLiteral("Placed"),
         {}});
    add(std::move(probe));
  }
}

}  // namespace

GeneratorOptions demoOptions() {
  return {};
}

GeneratorOptions largeOptions(int probes, std::uint64_t seed) {
  GeneratorOptions options;
  options.seed = seed;
  options.probes = probes;
  options.parts = PartsMix::FivePerProbe;
  options.topShare = 0.1;
  return options;
}

Board generateBoard(const GeneratorOptions& options) {
  if (options.probes < 1)
    throw Error(QStringLiteral("A board needs at least one probe."));
  return Builder(options).build();
}

}  // namespace lw
