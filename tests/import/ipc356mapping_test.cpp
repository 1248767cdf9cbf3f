// From netlist to board: file, layers, units, components and pins, vias,
// holes, fiducials, outline, access points and document attributes.

#include "importtesting.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <set>

namespace lw {
namespace {

using test::attr;
using test::entitiesOf;
using test::Record;

ImportResult importData(const char* name, const ImportOptions& options = {}) {
  return importIpc356(test::importData(name), options);
}

const Entity* pin(const Board& b, const char* refdes, const char* number) {
  for (const Entity* p : entitiesOf(b, EntityKind::Pin))
    if (p->name == QLatin1String(number) &&
        b.entities[p->parent].name == QLatin1String(refdes))
      return p;
  return nullptr;
}

// Sides of the access points that lie on an entity.
std::set<Side> accessSides(const Board& b, const Entity& feature) {
  std::set<Side> sides;
  for (const Entity* ap : entitiesOf(b, EntityKind::AccessPoint))
    if (test::featureOf(b, *ap) == &feature) sides.insert(ap->side);
  return sides;
}

const Layer& layerOf(const Board& b, const Entity& e) {
  return b.layers.at(e.layer);
}

TEST(Ipc356Mapping, OneVisiblePcbFileHoldsEveryEntity) {
  const Board b = importData("eagle_style.ipc").board;
  ASSERT_EQ(b.files.size(), 1u);
  EXPECT_TRUE(b.files[0].isPcb);
  EXPECT_TRUE(b.files[0].visible);
  EXPECT_EQ(b.files[0].name, QStringLiteral("eagle_style.ipc"));
  for (const Entity& e : b.entities) EXPECT_EQ(e.file, b.files[0].number);
}

TEST(Ipc356Mapping, EntitiesAreDrawnOnLayersOfTheTypesTheProgramUses) {
  const Board b = importData("kicad_style.ipc").board;
  for (int i = 0; i < static_cast<int>(b.layers.size()); ++i)
    EXPECT_EQ(b.layers[i].index, i);
  auto typeOf = [&b](const Entity* e) { return layerOf(b, *e).type; };
  EXPECT_EQ(typeOf(pin(b, "R1", "1")), 1);  // top surface pad
  EXPECT_EQ(typeOf(pin(b, "R2", "1")), 2);  // bottom surface pad
  EXPECT_EQ(typeOf(pin(b, "J1", "1")), 9);  // through-hole
  EXPECT_EQ(typeOf(entitiesOf(b, EntityKind::Via)[0]), 9);
  EXPECT_EQ(typeOf(entitiesOf(b, EntityKind::Outline)[0]), 28);
  for (const Entity* c : entitiesOf(b, EntityKind::Component))
    EXPECT_EQ(typeOf(c), c->side == Side::Bottom ? 16 : 15)
        << c->name.toStdString();
  for (const Entity* ap : entitiesOf(b, EntityKind::AccessPoint))
    EXPECT_EQ(typeOf(ap), ap->side == Side::Top ? 6 : 7);
  for (const Entity* p : entitiesOf(b, EntityKind::Probe))
    EXPECT_EQ(layerOf(b, *p).name, p->side == Side::Top
                                       ? QStringLiteral("PROBE_TOP")
                                       : QStringLiteral("PROBE_BOT"));
}

TEST(Ipc356Mapping, PageUnitsFollowTheFileUnits) {
  EXPECT_EQ(importData("eagle_style.ipc").board.units, PageUnits::Mil);
  const ImportResult metric = importData("metric.ipc");
  EXPECT_EQ(metric.board.units, PageUnits::Millimetre);
  const Entity* j1 = pin(metric.board, "J1", "1");
  ASSERT_NE(j1, nullptr);
  EXPECT_DOUBLE_EQ(j1->x, 25.4);
  EXPECT_DOUBLE_EQ(j1->y, 12.7);
  EXPECT_DOUBLE_EQ(j1->width, 1.524);
  const Entity* probe = test::probeNamed(metric.board, QStringLiteral("1"));
  ASSERT_NE(probe, nullptr);
  EXPECT_DOUBLE_EQ(probe->width, 2.54);
}

TEST(Ipc356Mapping, PinsBelongToComponentsThatEncloseThem) {
  const Board b = importData("eagle_style.ipc").board;
  const auto components = entitiesOf(b, EntityKind::Component);
  std::vector<QString> names;
  for (const Entity* c : components) names.push_back(c->name);
  EXPECT_EQ(names, (std::vector<QString>{"J1", "C1", "U1"}));
  for (const Entity* p : entitiesOf(b, EntityKind::Pin)) {
    ASSERT_GE(p->parent, 0);
    const Entity& c = b.entities[p->parent];
    ASSERT_EQ(c.kind, EntityKind::Component);
    EXPECT_LE(std::abs(p->x - c.x) + p->width / 2, c.width / 2 + 1e-9);
    EXPECT_LE(std::abs(p->y - c.y), c.height / 2);
  }
  const Entity* j1 = pin(b, "J1", "2");
  ASSERT_NE(j1, nullptr);
  EXPECT_EQ(j1->side, Side::Both);
  EXPECT_EQ(attr(b, *j1, "NETNAME"), QStringLiteral("GND"));
  EXPECT_FALSE(attr(b, *pin(b, "J1", "3"), "NETNAME"));  // blank net field
}

TEST(Ipc356Mapping, ComponentSitsOnTheSideOfItsSurfacePads) {
  const Board b = importData("kicad_style.ipc").board;
  for (const Entity* c : entitiesOf(b, EntityKind::Component)) {
    const bool bottom =
        c->name == QLatin1String("R2") || c->name == QLatin1String("TP1");
    EXPECT_EQ(c->side, bottom ? Side::Bottom : Side::Top)
        << c->name.toStdString();
  }
}

struct AccessCase {
  const char* file;
  const char* refdes;
  const char* pin;
  std::set<Side> sides;
};

class Ipc356Access : public ::testing::TestWithParam<AccessCase> {};

TEST_P(Ipc356Access, FollowsAccessCodeAndSolderMask) {
  const AccessCase& c = GetParam();
  const Board b = importData(c.file).board;
  const Entity* p = pin(b, c.refdes, c.pin);
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(accessSides(b, *p), c.sides);
}

const std::set<Side> kNone;
const std::set<Side> kTop = {Side::Top};
const std::set<Side> kBottom = {Side::Bottom};
const std::set<Side> kBoth = {Side::Top, Side::Bottom};

INSTANTIATE_TEST_SUITE_P(
    Table, Ipc356Access,
    ::testing::Values(
        // No mask field: the access code alone decides.
        AccessCase{"eagle_style.ipc", "J1", "1", kBoth},
        AccessCase{"eagle_style.ipc", "C1", "1", kTop},
        AccessCase{"eagle_style.ipc", "J1", "3", kNone},  // no net
        // Mask digits naming the covered sides.
        AccessCase{"kicad_style.ipc", "J1", "1", kBoth},
        AccessCase{"kicad_style.ipc", "R1", "1", kTop},
        AccessCase{"kicad_style.ipc", "R2", "1", kBottom},
        AccessCase{"kicad_style.ipc", "R2", "2", kNone},  // N/C
        // Mask digits naming the open sides; A10 is the bottom.
        AccessCase{"allegro_style.ipc", "U1", "A1", kTop},
        AccessCase{"allegro_style.ipc", "TP1", "1", kBottom},
        AccessCase{"allegro_style.ipc", "J1", "1", kBoth},
        AccessCase{"allegro_style.ipc", "U1", "B1", kNone}));

TEST(Ipc356Mapping, ViasTellTheirTestAccess) {
  const ImportResult kicad = importData("kicad_style.ipc");
  EXPECT_FALSE(kicad.summary.maskNamesOpenSides);
  const Entity* tented = entitiesOf(kicad.board, EntityKind::Via)[0];
  EXPECT_EQ(attr(kicad.board, *tented, "TEST_ACCESS"), QStringLiteral("NONE"));
  EXPECT_TRUE(accessSides(kicad.board, *tented).empty());

  const ImportResult allegro = importData("allegro_style.ipc");
  EXPECT_TRUE(allegro.summary.maskNamesOpenSides);
  std::vector<QString> access;
  for (const Entity* v : entitiesOf(allegro.board, EntityKind::Via))
    access.push_back(attr(allegro.board, *v, "TEST_ACCESS").value_or(""));
  EXPECT_EQ(access, (std::vector<QString>{"BOTH", "NONE", "BOTTOM"}));
}

TEST(Ipc356Mapping, SplitViaRecordsMakeOneViaReachableFromBothSides) {
  const ImportResult r = importData("split_via.ipc");
  const auto vias = entitiesOf(r.board, EntityKind::Via);
  ASSERT_EQ(vias.size(), 2u);
  EXPECT_EQ(r.summary.vias, 2);
  EXPECT_EQ(vias[0]->x, 1000);
  EXPECT_EQ(attr(r.board, *vias[0], "TEST_ACCESS"), QStringLiteral("BOTH"));
  EXPECT_EQ(accessSides(r.board, *vias[0]), kBoth);
}

TEST(Ipc356Mapping, AccessPointsLinkToAFeatureOfTheirNet) {
  for (const char* file : {"eagle_style.ipc", "kicad_style.ipc",
                           "allegro_style.ipc", "split_via.ipc"}) {
    const Board b = importData(file).board;
    std::set<int> numbers;
    for (const Entity& e : b.entities) numbers.insert(e.number);
    EXPECT_EQ(numbers.size(), b.entities.size()) << file;
    for (const Entity* ap : entitiesOf(b, EntityKind::AccessPoint)) {
      const Entity* f = test::featureOf(b, *ap);
      ASSERT_NE(f, nullptr) << file;
      EXPECT_TRUE(f->kind == EntityKind::Pin || f->kind == EntityKind::Via);
      EXPECT_EQ(attr(b, *ap, "NETNAME"), attr(b, *f, "NETNAME"));
      EXPECT_NE(attr(b, *ap, "NETNAME"), QStringLiteral("N/C"));
      EXPECT_EQ(ap->x, f->x);
      EXPECT_EQ(ap->y, f->y);
    }
  }
}

TEST(Ipc356Mapping, OutlineComesFromTheBoardEdge) {
  const Board b = importData("eagle_style.ipc").board;
  const auto outlines = entitiesOf(b, EntityKind::Outline);
  ASSERT_EQ(outlines.size(), 1u);
  EXPECT_EQ(outlines[0]->outline.size(), 4u);
  EXPECT_DOUBLE_EQ(outlines[0]->width, 800);
  EXPECT_DOUBLE_EQ(outlines[0]->height, 600);
}

TEST(Ipc356Mapping, WithoutBoardEdgeTheOutlineSurroundsTheFeatures) {
  const ImportResult r = importData("kicad_style.ipc");
  EXPECT_FALSE(r.summary.outlineFromFile);
  const auto outlines = entitiesOf(r.board, EntityKind::Outline);
  ASSERT_EQ(outlines.size(), 1u);
  const Entity& o = *outlines[0];
  for (const Entity& e : r.board.entities) {
    if (e.kind == EntityKind::Outline) continue;
    EXPECT_GE(o.width / 2 - std::abs(e.x - o.x), 100) << e.name.toStdString();
    EXPECT_GE(o.height / 2 - std::abs(e.y - o.y), 100) << e.name.toStdString();
  }
}

TEST(Ipc356Mapping, HolesAndOpticalMarksBecomeToolingHolesAndFiducials) {
  const ImportResult allegro = importData("allegro_style.ipc");
  EXPECT_EQ(entitiesOf(allegro.board, EntityKind::ToolingHole).size(), 2u);
  EXPECT_EQ(allegro.summary.toolingHoles, 2);

  const QByteArray text = test::netlist({
      {.code = "337", .refdes = "FID1", .x = 100, .width = 400},
      {.code = "327", .net = "N/C", .access = 2, .x = 200, .width = 400},
      {.code = "347", .hole = 1250, .plating = 'U', .access = 0, .x = 300},
      {.code = "327", .net = "SIG", .refdes = "R1", .pin = "1", .width = 400},
  });
  const ImportResult r = importIpc356Text(text, QStringLiteral("m.ipc"), {});
  const auto fiducials = entitiesOf(r.board, EntityKind::Fiducial);
  ASSERT_EQ(fiducials.size(), 2u);
  EXPECT_EQ(fiducials[0]->name, QStringLiteral("FID1"));
  EXPECT_EQ(fiducials[1]->side, Side::Bottom);
  const auto holes = entitiesOf(r.board, EntityKind::ToolingHole);
  ASSERT_EQ(holes.size(), 1u);
  EXPECT_DOUBLE_EQ(holes[0]->width, 125);
  EXPECT_EQ(r.summary.components, 1);
}

TEST(Ipc356Mapping, ParametersBecomePrefixedDocumentAttributes) {
  const QByteArray text = "P  JOB  MY BOARD  REV 2\nP  WIRING_ROT 90\n" +
                          test::netlist({{.net = "A", .refdes = "R1"}});
  const Board b = importIpc356Text(text, QStringLiteral("j.ipc"), {}).board;
  EXPECT_EQ(test::documentAttr(b, "IPC_JOB"),
            QStringLiteral("MY BOARD  REV 2"));
  EXPECT_EQ(test::documentAttr(b, "IPC_UNITS"), QStringLiteral("CUST 0"));
  EXPECT_EQ(test::documentAttr(b, "IMPORTED_FROM"), QStringLiteral("j.ipc"));
  // A file parameter never poses as the program's own wiring state.
  EXPECT_EQ(test::documentAttr(b, "IPC_WIRING_ROT"), QStringLiteral("90"));
  EXPECT_FALSE(test::documentAttr(b, "WIRING_ROT"));
}

TEST(Ipc356Mapping, ReadsFromAPathWithBlanksAndRefusesAMissingFile) {
  QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/ipc import XXXXXX"));
  ASSERT_TRUE(dir.isValid());
  const QString path = dir.filePath(QStringLiteral("my board.ipc"));
  ASSERT_TRUE(QFile::copy(test::importData("kicad_style.ipc"), path));
  const ImportResult fromPath = importIpc356(path, {});
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const ImportResult fromText =
      importIpc356Text(file.readAll(), QStringLiteral("my board.ipc"), {});
  EXPECT_TRUE(fromPath.board == fromText.board);
  try {
    importIpc356(dir.filePath(QStringLiteral("missing.ipc")), {});
    FAIL() << "no error";
  } catch (const Error& e) {
    EXPECT_TRUE(e.message().contains(QLatin1String("missing.ipc")));
  }
}

TEST(Ipc356Mapping, RefusedFilesAreNamedInTheError) {
  for (const char* name : {"no_features.ipc", "bad_units.ipc"}) {
    try {
      importData(name);
      FAIL() << name;
    } catch (const Error& e) {
      EXPECT_TRUE(e.message().contains(QLatin1String(name)))
          << e.message().toStdString();
    }
  }
}

TEST(Ipc356Mapping, SummaryTellsWhatWasReadAndWhatWasNot) {
  const ImportResult r = importData("malformed.ipc");
  const QString text = formatSummary(r.summary);
  EXPECT_TRUE(text.contains(QLatin1String("ZZZ (1)"))) << text.toStdString();
  EXPECT_TRUE(text.contains(QLatin1String("line 3:")));
  EXPECT_TRUE(text.endsWith(u'\n'));
  const ImportResult k = importData("kicad_style.ipc");
  const QString kicad = formatSummary(k.summary);
  EXPECT_TRUE(kicad.contains(QLatin1String("Nets: 4.")));
  EXPECT_TRUE(kicad.contains(QLatin1String("1 pins and vias on N/C")));
  EXPECT_TRUE(kicad.contains(QLatin1String("3 placed, 1 unplaced")));
}

}  // namespace
}  // namespace lw
