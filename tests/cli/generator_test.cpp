// The generated boards are what the demo, the tests of other rooms and the
// benchmark rely on: the same seed must give the same board, and the board
// must hold everything Loomwright reads from a real one.
#include "boardgenerator.h"
#include "error.h"

#include <gtest/gtest.h>

#include <QHash>
#include <QSet>

#include <algorithm>
#include <map>

// Readable failure messages for QString.
inline void PrintTo(const QString& s, std::ostream* os) {
  *os << '"' << s.toStdString() << '"';
}

namespace lw {
namespace {

const QString kPlacement = QStringLiteral("PROBE_PLACEMENT");

const Attribute* attributeOf(const Board& board, const Entity& e,
                             const char* name) {
  const int keyword = board.keywordIndex(QString::fromLatin1(name));
  return keyword ? e.attribute(keyword) : nullptr;
}

std::vector<const Entity*> ofKind(const Board& board, EntityKind kind) {
  std::vector<const Entity*> found;
  for (const Entity& e : board.entities)
    if (e.kind == kind) found.push_back(&e);
  return found;
}

bool isUnplaced(const Board& board, const Entity& probe) {
  const Attribute* a = attributeOf(board, probe, "PROBE_PLACEMENT");
  return a && a->value == QLatin1String("Unplaced");
}

// Resolves the chain probe -> access point -> pin or via by entity number,
// the way the load does, and returns the probe's feature (or nullptr).
class Links {
 public:
  explicit Links(const Board& board) : mBoard(board) {
    for (const Entity& e : board.entities) mByNumber.insert(e.number, &e);
  }
  const Entity* target(const Entity& e) const {
    const Attribute* link = attributeOf(mBoard, e, "DATALINK");
    if (!link) return nullptr;
    bool ok = false;
    const int number = link->value.toInt(&ok);
    return ok ? mByNumber.value(number) : nullptr;
  }

 private:
  const Board& mBoard;
  QHash<int, const Entity*> mByNumber;
};

TEST(Generator, SameSeedGivesSameBoard) {
  EXPECT_EQ(generateBoard(demoOptions()), generateBoard(demoOptions()));
  EXPECT_EQ(generateBoard(largeOptions(800, 7)),
            generateBoard(largeOptions(800, 7)));
  EXPECT_NE(generateBoard(largeOptions(800, 7)),
            generateBoard(largeOptions(800, 8)));
}

TEST(Generator, RejectsBoardsWithoutProbes) {
  for (int probes : {0, -5})
    EXPECT_THROW(generateBoard(largeOptions(probes)), Error) << probes;
}

TEST(Generator, DemoHasOneVisiblePcbFileHoldingEverything) {
  const Board board = generateBoard(demoOptions());
  std::vector<int> visiblePcb;
  int nonPcb = 0;
  for (const BoardFile& f : board.files) {
    if (f.isPcb && f.visible) visiblePcb.push_back(f.number);
    if (!f.isPcb) ++nonPcb;
  }
  ASSERT_EQ(visiblePcb.size(), 1u);
  EXPECT_GE(board.files.size() - nonPcb, 2u) << "a hidden PCB file too";
  EXPECT_GE(nonPcb, 1);
  for (const Entity& e : board.entities) ASSERT_EQ(e.file, visiblePcb[0]);
}

TEST(Generator, DemoHasEveryLayerTypeTheProgramActsOn) {
  const Board board = generateBoard(demoOptions());
  QSet<int> types;
  for (const Layer& l : board.layers) types.insert(l.type);
  for (int type : {1, 2, 6, 7, 9, 15, 16, 28})
    EXPECT_TRUE(types.contains(type)) << type;
  const QSet<int> acted{1, 2, 6, 7, 9, 15, 16, 28};
  EXPECT_FALSE((types - acted).isEmpty()) << "some layer matches nothing";
  for (const char* name : {"PROBE_TOP", "PROBE_BOT"}) {
    auto it = std::find_if(board.layers.begin(), board.layers.end(),
                           [&](const Layer& l) { return l.name == name; });
    ASSERT_NE(it, board.layers.end()) << name;
    // Recognised by name only when no type claims them.
    EXPECT_FALSE(acted.contains(it->type)) << name;
  }
}

TEST(Generator, DemoHasTheExpectedParts) {
  const Board board = generateBoard(demoOptions());
  std::map<QString, int> prefixes;
  for (const Entity* c : ofKind(board, EntityKind::Component)) {
    QString prefix = c->name;
    while (!prefix.isEmpty() && prefix.back().isDigit()) prefix.chop(1);
    ++prefixes[prefix];
  }
  for (const char* prefix : {"R", "C", "U", "J", "TP", "Q", "D"})
    EXPECT_GT(prefixes[QString::fromLatin1(prefix)], 0) << prefix;
  EXPECT_EQ(ofKind(board, EntityKind::Component).size(), 40u);
  for (EntityKind kind : {EntityKind::Via, EntityKind::Fiducial,
                          EntityKind::ToolingHole, EntityKind::MechanicalPart,
                          EntityKind::MechanicalHole, EntityKind::Outline})
    EXPECT_FALSE(ofKind(board, kind).empty()) << int(kind);
}

TEST(Generator, PinsBelongToTheirComponent) {
  const Board board = generateBoard(demoOptions());
  std::map<int, int> pinsSeen;
  for (const Entity* pin : ofKind(board, EntityKind::Pin)) {
    ASSERT_GE(pin->parent, 0);
    ASSERT_LT(pin->parent, int(board.entities.size()));
    ASSERT_EQ(board.entities[pin->parent].kind, EntityKind::Component);
    // Pins are numbered 1.. within their component.
    EXPECT_EQ(pin->name, QString::number(++pinsSeen[pin->parent]));
  }
}

TEST(Generator, DemoProbesAreNumberedAndOnBothSides) {
  const Board board = generateBoard(demoOptions());
  const auto probes = ofKind(board, EntityKind::Probe);
  ASSERT_EQ(probes.size(), 150u);
  QSet<QString> names;
  int top = 0;
  for (const Entity* p : probes) {
    names.insert(p->name);
    if (p->side == Side::Top) ++top;
    EXPECT_NE(p->side, Side::Both);
  }
  for (int i = 1; i <= 150; ++i)
    EXPECT_TRUE(names.contains(QString::number(i)));
  EXPECT_GT(top, 30);
  EXPECT_GT(150 - top, 30);
}

TEST(Generator, DemoHasTheIrregularitiesOfRealBoards) {
  const Board board = generateBoard(demoOptions());
  const Links links(board);
  int unplaced = 0, emptyNet = 0, noNet = 0, onVia = 0, noResource = 0;
  for (const Entity* p : ofKind(board, EntityKind::Probe)) {
    if (isUnplaced(board, *p)) ++unplaced;
    const Attribute* net = attributeOf(board, *p, "NETNAME");
    if (!net) ++noNet;
    if (net && net->value.isEmpty()) ++emptyNet;
    if (!attributeOf(board, *p, "TESTER_REASOURCE")) ++noResource;
    const Entity* access = links.target(*p);
    const Entity* feature = access ? links.target(*access) : nullptr;
    if (feature && feature->kind == EntityKind::Via) ++onVia;
    const Attribute* refName = attributeOf(board, *p, "REFNAME");
    ASSERT_TRUE(refName);
    EXPECT_EQ(refName->value, p->name);
    EXPECT_FALSE(refName->display.isZero());
  }
  EXPECT_GE(unplaced, 2);
  EXPECT_GE(emptyNet, 1);
  EXPECT_GE(noNet, 1);
  EXPECT_GE(noResource, 1);
  EXPECT_GE(onVia, 5);
  EXPECT_LT(onVia, 75) << "most probes touch component pins";
}

void expectLinksResolve(const Board& board) {
  const Links links(board);
  QSet<const Entity*> probedAccess;
  for (const Entity* p : ofKind(board, EntityKind::Probe)) {
    if (isUnplaced(board, *p)) continue;
    const Entity* access = links.target(*p);
    ASSERT_TRUE(access && access->kind == EntityKind::AccessPoint)
        << p->name.toStdString();
    EXPECT_EQ(access->side, p->side) << p->name.toStdString();
    EXPECT_EQ(QPointF(access->x, access->y), QPointF(p->x, p->y))
        << p->name.toStdString();
    EXPECT_FALSE(probedAccess.contains(access))
        << "shared by " << p->name.toStdString();
    probedAccess.insert(access);
  }
  for (const Entity* a : ofKind(board, EntityKind::AccessPoint)) {
    const Entity* feature = links.target(*a);
    ASSERT_TRUE(feature && (feature->kind == EntityKind::Pin ||
                            feature->kind == EntityKind::Via));
    EXPECT_TRUE(feature->side == Side::Both || feature->side == a->side);
  }
}

TEST(Generator, DemoLinksResolve) {
  expectLinksResolve(generateBoard(demoOptions()));
}

TEST(Generator, EntityNumbersAreUnique) {
  const Board board = generateBoard(demoOptions());
  QSet<int> numbers;
  for (const Entity& e : board.entities)
    EXPECT_FALSE(numbers.contains(e.number)) << e.number;
  for (const Entity& e : board.entities) numbers.insert(e.number);
  EXPECT_EQ(numbers.size(), qsizetype(board.entities.size()));
}

// Entities sit on layers that suit their kind and side.
TEST(Generator, EntitiesSitOnSensibleLayers) {
  const Board board = generateBoard(demoOptions());
  for (const Entity& e : board.entities) {
    const Layer* layer = board.layer(e.layer);
    ASSERT_TRUE(layer);
    const bool top = e.side == Side::Top;
    switch (e.kind) {
      case EntityKind::Pin:
      case EntityKind::Fiducial:
        if (e.side == Side::Both)
          EXPECT_EQ(layer->type, 9);
        else
          EXPECT_EQ(layer->type, top ? 1 : 2);
        break;
      case EntityKind::Component:
        EXPECT_EQ(layer->type, top ? 6 : 7);
        break;
      case EntityKind::Via:
      case EntityKind::ToolingHole:
      case EntityKind::MechanicalHole:
        EXPECT_EQ(layer->type, 9);
        break;
      case EntityKind::AccessPoint:
        EXPECT_EQ(layer->type, top ? 15 : 16);
        break;
      case EntityKind::Probe:
        EXPECT_EQ(layer->name, top ? "PROBE_TOP" : "PROBE_BOT");
        break;
      case EntityKind::Outline:
        EXPECT_EQ(layer->type, 28);
        break;
      case EntityKind::MechanicalPart:
        break;
    }
  }
}

TEST(Generator, LargeBoardsScaleWithTheProbeCount) {
  const int probes = 3000;
  const Board board = generateBoard(largeOptions(probes));
  const auto count = [&](EntityKind kind) {
    return int(ofKind(board, kind).size());
  };
  EXPECT_EQ(count(EntityKind::Probe), probes);
  EXPECT_EQ(count(EntityKind::Via), 2 * probes);
  EXPECT_GE(count(EntityKind::Pin), 5 * probes);
  EXPECT_LT(count(EntityKind::Pin), 5 * probes + 200);
  EXPECT_GE(count(EntityKind::AccessPoint), probes);
  int top = 0;
  for (const Entity* p : ofKind(board, EntityKind::Probe))
    if (p->side == Side::Top) ++top;
  EXPECT_GT(top, probes / 20);
  EXPECT_LT(top, probes / 5) << "mostly bottom";
  expectLinksResolve(board);
}

// Lengths are the same millimetres whatever the page units.
TEST(Generator, PageUnitsScaleEveryLength) {
  GeneratorOptions options = demoOptions();
  const Board mm = generateBoard(options);
  for (PageUnits units :
       {PageUnits::Inch, PageUnits::Mil, PageUnits::Tenth, PageUnits::Micron}) {
    options.units = units;
    const Board other = generateBoard(options);
    ASSERT_EQ(other.units, units);
    ASSERT_EQ(other.entities.size(), mm.entities.size());
    const double scale = unitsPerInch(units) / 25.4;
    for (std::size_t i = 0; i < mm.entities.size(); i += 17) {
      const Entity& a = mm.entities[i];
      const Entity& b = other.entities[i];
      EXPECT_NEAR(b.x, a.x * scale, 1e-3 * scale + 1e-4) << i;
      EXPECT_NEAR(b.width, a.width * scale, 1e-3 * scale + 1e-4) << i;
      EXPECT_EQ(b.name, a.name);
    }
  }
}

}  // namespace
}  // namespace lw
