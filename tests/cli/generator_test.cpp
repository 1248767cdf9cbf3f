// The generated boards are what the demo, the tests of other rooms and the
// benchmark rely on: the same options must give the same board, and the
// board must hold what Loomwright reads from a real one, linked up.
#include "boardgenerator.h"
#include "boardio.h"
#include "error.h"

#include <gtest/gtest.h>

#include <QHash>
#include <QSet>

namespace lw {
namespace {

using enum EntityKind;

QString attribute(const Board& board, const Entity& e, const char* name) {
  const Attribute* a = e.attribute(board.keywordIndex(name));
  return a ? a->value : "<none>";
}

struct Census {
  std::map<EntityKind, std::vector<const Entity*>> byKind;
  int top = 0;     // probes on the top side
  int onVias = 0;  // placed probes that touch a via
};

// Every placed probe reaches a pin or via of its own through an access
// point on its side and at its place; entity numbers are unique; all lie
// in the one visible PCB file.
Census checked(const Board& board) {
  Census census;
  QHash<int, const Entity*> byNumber;
  for (const Entity& e : board.entities) {
    census.byKind[e.kind].push_back(&e);
    byNumber.insert(e.number, &e);
    EXPECT_EQ(e.file, 2);
  }
  EXPECT_EQ(byNumber.size(), qsizetype(board.entities.size()));
  const auto target = [&](const Entity* e) {
    return e ? byNumber.value(attribute(board, *e, "DATALINK").toInt()) : e;
  };
  QSet<const Entity*> probed;
  for (const Entity* p : census.byKind[Probe]) {
    census.top += p->side == Side::Top;
    const Entity *access = target(p), *feature = target(access);
    if (attribute(board, *p, "PROBE_PLACEMENT") == "Unplaced") continue;
    EXPECT_TRUE(access && feature && !probed.contains(access));
    if (!access || !feature) continue;
    probed.insert(access);
    census.onVias += feature->kind == Via;
    EXPECT_EQ(std::tuple(access->kind, access->side, access->x, access->y),
              std::tuple(AccessPoint, p->side, p->x, p->y));
    EXPECT_TRUE(feature->kind == Via || feature->kind == Pin);
    EXPECT_TRUE(feature->side == Side::Both || feature->side == p->side);
  }
  return census;
}

// The bundled generated demo too: when the generator changes on purpose,
// cmake --build BUILD --target demo-boards rewrites it.
TEST(Generator, SameOptionsGiveTheSameBoard) {
  for (const char* name : {"generated-demo.vd", "generated-demo.vdz"})
    EXPECT_EQ(readBoard(QString(LW_SOURCE_ROOT "/examples/") + name),
              generateBoard(demoOptions()));
  EXPECT_EQ(generateBoard(largeOptions(800, 7)),
            generateBoard(largeOptions(800, 7)));
  EXPECT_NE(generateBoard(largeOptions(800, 7)),
            generateBoard(largeOptions(800, 8)));
  for (int probes : {0, -5})
    EXPECT_THROW(generateBoard(largeOptions(probes)), Error) << probes;
}

// Every kind of entity, pins on components, every layer type the program
// acts on and some it does not (the probe layers, found by name, among
// them); probes "1".."150" on both sides, with the irregularities of real
// boards.
TEST(Generator, DemoHasWhatRealBoardsHave) {
  const Board board = generateBoard(demoOptions());
  Census census = checked(board);
  EXPECT_EQ(census.byKind.size(), size_t(kEntityKindCount - 1));
  for (const Entity* pin : census.byKind[Pin])
    EXPECT_EQ(board.entities.at(size_t(pin->parent)).kind, Component);
  const QSet<int> acted{1, 2, 6, 7, 9, 15, 16, 28};
  QSet<int> types, probeTypes;
  for (const Layer& l : board.layers)
    (l.name.startsWith("PROBE_") ? probeTypes : types).insert(l.type);
  EXPECT_TRUE(types.contains(acted) && !(types - acted).isEmpty());
  EXPECT_EQ(probeTypes.size(), 2);
  EXPECT_FALSE(probeTypes.intersects(acted));

  QSet<QString> names;
  int unplaced = 0, emptyNet = 0, noNet = 0, noTester = 0;
  for (const Entity* p : census.byKind[Probe]) {
    names.insert(p->name);
    EXPECT_NE(p->side, Side::Both);
    unplaced += attribute(board, *p, "PROBE_PLACEMENT") == "Unplaced";
    emptyNet += attribute(board, *p, "NETNAME").isEmpty();
    noNet += attribute(board, *p, "NETNAME") == "<none>";
    noTester += attribute(board, *p, "TESTER_REASOURCE") == "<none>";
    const Attribute* ref = p->attribute(board.keywordIndex("REFNAME"));
    EXPECT_TRUE(ref && ref->value == p->name && !ref->display.get().isZero());
  }
  for (int i = 1; i <= 150; ++i) names.remove(QString::number(i));
  EXPECT_TRUE(names.isEmpty() && census.byKind[Probe].size() == 150);
  EXPECT_GT(std::min(census.top, 150 - census.top), 30);
  EXPECT_GE(unplaced, 2);
  EXPECT_GE(std::min({emptyNet, noNet, noTester}), 1);
  EXPECT_GE(census.onVias, 5);
  EXPECT_LT(census.onVias, 75) << "most probes touch component pins";
}

// Large boards: five pins and two vias per probe, probes mostly below.
// Page units scale every length.
TEST(Generator, OptionsShapeTheBoard) {
  const Board large = generateBoard(largeOptions(3000));
  Census census = checked(large);
  EXPECT_EQ(census.byKind[Probe].size(), 3000u);
  EXPECT_EQ(census.byKind[Via].size(), 6000u);
  EXPECT_NEAR(double(census.byKind[Pin].size()), 15100, 100);
  EXPECT_TRUE(census.top > 3000 / 20 && census.top < 3000 / 5) << census.top;

  GeneratorOptions options = demoOptions();
  const Board mm = generateBoard(options);
  for (PageUnits units :
       {PageUnits::Inch, PageUnits::Mil, PageUnits::Tenth, PageUnits::Micron}) {
    options.units = units;
    const Board other = generateBoard(options);
    ASSERT_EQ(other.units, units);
    ASSERT_EQ(other.entities.size(), mm.entities.size());
    const double scale = unitsPerInch(units) / 25.4,
                 error = 1e-3 * scale + 1e-4;
    for (std::size_t i = 0; i < mm.entities.size(); i += 17) {
      EXPECT_NEAR(other.entities[i].x, mm.entities[i].x * scale, error) << i;
      EXPECT_NEAR(other.entities[i].width, mm.entities[i].width * scale, error);
    }
  }
}

}  // namespace
}  // namespace lw
