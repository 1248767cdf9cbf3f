// Importing IPC-D-356: reading the text (generator quirks, units, aliases,
// split vias, malformed input), the board made of it and the probes placed
// on it, for the hand-made files described in data/README.md, records
// written here (lengths in 0.0001 inch, so 1000 is 100 mil) and the real
// netlists in tests/data/ipc356.

#include "ipc356import.h"
#include "ipc356reader.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <numbers>

namespace lw {
namespace {

using ipc356::Netlist;

std::vector<const Entity*> entitiesOf(const Board& board, EntityKind kind) {
  std::vector<const Entity*> out;
  for (const Entity& e : board.entities)
    if (e.kind == kind) out.push_back(&e);
  return out;
}

// The attribute's value, or nullopt when the entity does not carry it.
std::optional<QString> attr(const Board& board, const Entity& e,
                            const char* name) {
  const Attribute* a = e.attribute(board.keywordIndex(QLatin1String(name)));
  return a ? std::optional(a->value) : std::nullopt;
}

const QString kData = LW_IMPORT_TEST_DATA "/";

QByteArray readData(const char* name) {
  QFile file(kData + name);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The probes of one fixed size, as most checks of the rules want them.
const ImportOptions kMil100{.probeSize = ProbeSize::Mil100};

ImportResult import(const char* name, const ImportOptions& options = {}) {
  return importIpc356(kData + name, options);
}

// Each feature as type|net|refdes-pin|x|y|width|height|angle|hole, then
// access:mask of each pad, M for a midpoint and U for unplated.
QStringList features(const Netlist& n) {
  QStringList out;
  for (const ipc356::Feature& f : n.features) {
    QString s = QStringLiteral("%1|%2|%3-%4|")
                    .arg(QString::number(int(f.type)), f.net, f.refdes, f.pin);
    for (double v : {f.x, f.y, f.width, f.height, f.angle, f.hole})
      s += QString::number(v) + '|';
    for (const ipc356::PadRecord& p : f.pads)
      s += QStringLiteral("%1:%2 ").arg(p.access).arg(p.mask);
    out << s.trimmed() + (f.midpoint ? "|M" : "") + (f.unplated ? "|U" : "");
  }
  return out;
}

// The entity the DATALINK of e names: numbers are data positions + 1.
const Entity* linked(const Board& b, const Entity& e) {
  const auto link = attr(b, e, "DATALINK");
  return link ? &b.entities.at(link->toInt() - 1) : nullptr;
}

// A pin by reference designator and pin name, or the n-th via for "VIA"
// and "n".
const Entity* feature(const Board& b, const QString& refdes,
                      const QString& pin) {
  if (refdes == "VIA") return entitiesOf(b, EntityKind::Via).at(pin.toInt());
  for (const Entity* p : entitiesOf(b, EntityKind::Pin))
    if (p->name == pin && b.entities[p->parent].name == refdes) return p;
  return nullptr;
}

// One feature record in the standard columns. Sizes of -1 are left out:
// no size fields, no hole (else a plated one), a blank height or rotation.
struct Record {
  const char *code, *net, *refdes, *pin;
  int access;
  long x;
  int width = -1, hole = -1, height = -1, rotation = -1;
};

// Records between a UNITS record (none for nullptr) and the end record.
QByteArray netlist(const std::vector<Record>& records,
                   const char* units = "CUST 0") {
  QString text = units ? QStringLiteral("P  UNITS %1\n").arg(units) : "";
  for (const Record& r : records) {
    const QString hole = r.hole < 0 ? "" : QString::asprintf("D%04dP", r.hole);
    text += QString::asprintf("%s%-14s   %-6s-%-4s %-6sA%02dX%+07ldY+000000",
                              r.code, r.net, r.refdes, r.pin, qPrintable(hole),
                              r.access, r.x);
    if (r.width >= 0)
      text +=
          QString::asprintf("X%04d", r.width) +
          (r.height < 0 ? "Y    " : QString::asprintf("Y%04d", r.height)) +
          (r.rotation < 0 ? "    " : QString::asprintf("R%03d", r.rotation));
    text += '\n';
  }
  return (text + "999\n").toLatin1();
}

// Each hand-made file (data/README.md tells what each imitates) as rows of
// its features, the first ten only (allegro_style.ipc's later ones repeat
// them, the other files have fewer), then its feature record count, bottom
// access layer, skipped records and parameter names, then its problems with
// their line numbers.
TEST(Ipc356Reader, HandMadeFilesGiveTheirFeatures) {
  ASSERT_TRUE(readData("allegro_style.ipc").contains("\r\n"));
  const std::pair<const char*, const char*> cases[] = {
      {"eagle_style.ipc", R"(1|GND|VIA-|100|100|39.6|39.6|0|2.4|0:-1
1|VCC|J1-1|200|100|60|60|90|3.5|0:-1
1|GND|J1-2|300|100|60|60|90|3.5|0:-1
1||J1-3|400|100|60|60|90|3.5|0:-1
2|VCC|C1-1|200|300|51.2|59.1|270|0|1:-1
2|A REALLY LONG NET NAME|C1-2|200|400|51.2|59.1|270|0|1:-1
2|A REALLY LONG NET NAME|U1-1|500|300|15.7|59.1|0|0|1:-1
7 records, bottom 0, skipped 378x1 379x1, parameters JOB)"},
      {"kicad_style.ipc", R"(1|GND|VIA-|1000|-2000|23.6|0|0|11.8|0:3|M
1|GND|J1-1|1200|-2000|60|60|0|40|0:0
1|SIG|J1-2|1300|-2000|60|0|0|40|0:0
2|SIG|R1-1|1000|-2500|39.4|19.7|90|0|1:2
2|NET-(R1-2)|R1-2|1100|-2500|39.4|19.7|90|0|1:2
2|NET-(R1-2)|R2-1|1000|-3000|39.4|19.7|0|0|2:1
2|N/C|R2-2|1100|-3000|39.4|19.7|0|0|2:1
2|/~{RESET}|TP1-1|1500|-3000|40|0|0|0|2:1
8 records, bottom 2, skipped, parameters CODE arrayDim)"},
      {"allegro_style.ipc",
       R"(2|POWER GOOD FROM THE MAIN REGULATOR|U1-A1|1000|1000|11|0|0|0|1:1
1|POWER GOOD FROM THE MAIN REGULATOR|VIA-|1100|1000|16|0|0|8|0:3|M
2|POWER GOOD FROM THE MAIN REGULATOR|TP1-1|1200|1000|30|0|0|0|10:2|M
2|SIG_B|U1-A2|1000|1100|11|0|90|0|1:1
1|SIG_B|VIA-|1100|1100|16|0|270|8|0:0|M
1|SIG_C|VIA-|1100|1200|16|0|0|8|0:2|M
2|SIG_C|R1-1|1200|1200|19.7|17.7|270|0|10:2
2|N/C|U1-B1|1000|1300|11|0|0|0|1:1
1|N/C|-|200|3100|125|0|0|125|0:3|U
6||-|2144.9|2675|31|0|0|31|0:3|U
14 records, bottom 10, skipped, parameters JOB TITLE VER)"},
      // A via as a top pad record, then a bottom pad and a hole-only
      // continuation: six records, four features.
      {"split_via.ipc", R"(2|NET1|VIA-|1000|1000|30|30|0|12|1:1 2:2 0:-1
1|NET1|VIA-|2000|1000|30|30|0|12|0:3
2|NET1|R1-1|3000|1000|40|30|0|0|1:1
2|NET2|R1-2|4000|1000|40|30|0|0|2:2
6 records, bottom 2, skipped, parameters)"},
      {"malformed.ipc", R"(1|GND|J1-1|100|100|60|60|0|35|0:-1
2|SIG|R1-5|300|100|40|30|0|0|1:-1
2 records, bottom 0, skipped, parameters
line 3: the X coordinate "+00A000" is not a number
line 4: the feature record has no X and Y position
line 5: the access code "AXY" is not a layer number
line 6: a continuation record without a feature record before it
line 7: "ZZZ" is not an IPC-D-356 record code
line 10: text after the end record 999 is ignored)"}};
  for (const auto& [file, expected] : cases) {
    const Netlist n = ipc356::readNetlist(readData(file), file);
    QStringList rows = features(n).mid(0, 10);
    rows << QString::asprintf("%d records, bottom %d, skipped",
                              n.featureRecords, n.bottomLayer);
    for (const auto& [code, count] : n.skipped)
      rows.last() += QString(" %1x%2").arg(code).arg(count);
    rows.last() += ", parameters";  // in file order, not UNITS nor NNAME
    for (const auto& [name, value] : n.parameters) rows.last() += ' ' + name;
    EXPECT_EQ((rows + n.problems).join('\n'), expected) << file;
  }
}

TEST(Ipc356Reader, AliasesMayBeDefinedAfterTheirUse) {
  QByteArray text = netlist({{"327", "NNAME7", "R1", "1", 1, 0},
                             {"327", "7", "R1", "2", 1, 0},
                             {"327", "NNAME8", "R1", "3", 1, 0}});
  text.insert(text.indexOf("999"), "P  NNAME7  LATE   NAME \n");
  const auto f = ipc356::readNetlist(text, "late").features;
  EXPECT_TRUE(f.at(0).net == "LATE   NAME" && f.at(1).net == "LATE   NAME" &&
              f.at(2).net == "NNAME8");  // no such alias
}

// Lengths in 0.0001 inch or 0.001 mm, angles in degrees or radians; no
// UNITS record reads as CUST 0.
TEST(Ipc356Reader, UnitsScaleLengthsAndAngles) {
  const std::tuple<const char*, PageUnits, double, double, double> cases[] = {
      {"CUST 0", PageUnits::Mil, 1234.5, 25, 1},
      {"CUST", PageUnits::Mil, 1234.5, 25, 1},
      {nullptr, PageUnits::Mil, 1234.5, 25, 1},
      {"CUST 1", PageUnits::Millimetre, 12.345, 0.25, 1},
      {"CUST 2", PageUnits::Mil, 1234.5, 25, 180 / std::numbers::pi}};
  for (const auto& [units, pageUnits, x, width, angle] : cases) {
    const QByteArray text =
        netlist({{"327", "", "R1", "1", 1, 12345, 250, -1, -1, 1}}, units);
    const Netlist n = ipc356::readNetlist(text, "units");
    const ipc356::Feature& f = n.features.at(0);
    EXPECT_TRUE(n.units == pageUnits && f.x == x && f.width == width &&
                std::abs(f.angle - angle) < 1e-12)
        << text.toStdString();
  }
}

// Text without a readable feature is refused, naming the source and the
// first problem when there is one.
TEST(Ipc356Import, FirstLineTellsANetlist) {
  const std::pair<QByteArrayView, bool> cases[] = {
      {"C  IPC-D-356A\r\nP  UNITS CUST 0", true},
      {"\n\n  P  JOB x\n", true},
      {"\r\rC\rP  UNITS CUST 0\r", true},
      {"317NET1  J1 -1 D0400PA00X 001000Y 001000", true},
      {"999", true},
      {"{\"format\": \"loomwright-board\"}", false},
      {"PCB board\n", false},
      {"", false}};
  for (const auto& [text, netlist] : cases)
    EXPECT_EQ(looksLikeIpc356(text), netlist) << text.data();
}

TEST(Ipc356Import, InputWithoutUsableFeaturesIsRefusedByName) {
  using namespace ::testing;
  QByteArray broken = netlist({{"327", "", "R1", "", 1, 5}});
  broken.replace("X+000005", "X+0000Z5");
  for (const auto& [text, hint] :
       {std::pair{QByteArray(), ""},
        {QByteArray("\n\r\n   \n"), ""},
        {QByteArray("317GND  VIA  broken\n999\n"), ""},
        {broken, "First problem: line 2: the X coordinate"}})
    EXPECT_THAT([&] { ipc356::readNetlist(text, "\"board.ipc\""); },
                ThrowsMessage<Error>(
                    AllOf(StartsWith("\"board.ipc\" holds no test points"),
                          HasSubstr(hint))));
  // Files that do not import are named: a missing one, one with parameters
  // and comments only, one with units that cannot be converted. A path with
  // blanks reads as its text.
  for (const auto& [name, hint] : {std::pair{"missing.ipc", "Cannot open"},
                                   {"no_features.ipc", "holds no test points"},
                                   {"bad_units.ipc", "\"FURLONG\""}})
    EXPECT_THAT([&] { import(name); },
                ThrowsMessage<Error>(AllOf(HasSubstr(name), HasSubstr(hint))));
  QTemporaryDir dir(QDir::tempPath() + "/ipc import XXXXXX");
  const QString path = dir.filePath("my board.ipc");
  ASSERT_TRUE(QFile::copy(kData + "kicad_style.ipc", path));
  EXPECT_TRUE(
      importIpc356(path, {}).board ==
      importIpc356Text(readData("kicad_style.ipc"), "my board.ipc", {}).board);
}

// What holds for every board imported from a good file: one visible PCB
// file named after the netlist holds every entity, numbered in order; the
// entities lie on layers of the types the program acts on; pins inside
// their component; access points on a pin or via of their net. Then the
// file's components in order of first appearance, on the side of most of
// their surface pads (/B for the bottom), and which sides a probe can reach
// a pad from, as access points (T, B) and, on vias, as TEST_ACCESS after
// "=".
TEST(Ipc356Import, EveryGoodFileGivesASoundBoard) {
  const std::tuple<const char*, bool, const char*, const char*> cases[] = {
      // No mask field: the access code alone decides; no net, no access.
      // No surface pad with a mask digit: they name the covered sides.
      {"eagle_style.ipc", false, "J1 C1 U1", "J1-1:TB C1-1:T J1-3:"},
      // Mask digits naming the covered sides; a tented via; N/C.
      {"kicad_style.ipc", false, "J1 R1 R2/B TP1/B",
       "J1-1:TB R1-1:T R2-1:B R2-2: VIA-0:=NONE"},
      // Mask digits naming the open sides; A10 is the bottom; C1 has a
      // surface pad on each side: a part on each.
      {"allegro_style.ipc", true, "U1 TP1/B R1/B J1 C1/B C1",
       "U1-A1:T TP1-1:B J1-1:TB U1-B1: VIA-0:TB=BOTH VIA-1:=NONE "
       "VIA-2:B=BOTTOM"},
      // Split records: one via reachable from both sides.
      {"split_via.ipc", true, "R1 R1/B", "VIA-0:TB=BOTH"},
      {"metric.ipc", false, "J1 R1", "J1-1:TB R1-1:T"}};
  for (const auto& [name, openSides, components, access] : cases) {
    SCOPED_TRACE(name);
    const ImportResult r = import(name);
    const Board& b = r.board;
    EXPECT_TRUE(
        (b.files == std::vector<BoardFile>{{1, name, true, true, 1, 0}}));
    for (int i = 0; i < int(b.layers.size()); ++i)
      EXPECT_EQ(b.layers[i].index, i);
    QStringList parts, found;
    std::map<const Entity*, QString> sides;  // of the access points on each
    for (const Entity& e : b.entities) {
      EXPECT_EQ(e.file, 1);
      EXPECT_EQ(e.number, &e - b.entities.data() + 1);  // data position + 1
      const Layer& layer = b.layers.at(e.layer);
      const bool top = e.side == Side::Top;
      const EntityKind kind = e.kind;
      // Pads and holes lie on the top, the bottom or the drill layer.
      EXPECT_EQ(layer.type, kind == EntityKind::Component     ? (top ? 15 : 16)
                            : kind == EntityKind::AccessPoint ? (top ? 6 : 7)
                            : kind == EntityKind::Outline     ? 28
                            : kind == EntityKind::Probe       ? 0
                            : e.side == Side::Both            ? 9
                                                              : (top ? 1 : 2));
      EXPECT_TRUE(kind != EntityKind::Probe ||
                  layer.name == (top ? "PROBE_TOP" : "PROBE_BOT"));
      if (kind == EntityKind::Component)
        parts << e.name + (e.side == Side::Bottom ? "/B" : "");
      if (kind == EntityKind::AccessPoint) {
        const Entity* f = linked(b, e);
        ASSERT_TRUE(f &&
                    (f->kind == EntityKind::Pin || f->kind == EntityKind::Via));
        EXPECT_EQ(attr(b, e, "NETNAME"), attr(b, *f, "NETNAME"));
        EXPECT_TRUE(e.x == f->x && e.y == f->y);
        sides[f] += top ? 'T' : 'B';
      }
      if (kind != EntityKind::Pin) continue;
      const Entity& c = b.entities.at(e.parent);
      ASSERT_EQ(c.kind, EntityKind::Component);
      EXPECT_LE(std::abs(e.x - c.x) + e.width / 2, c.width / 2 + 1e-9);
      EXPECT_LE(std::abs(e.y - c.y), c.height / 2);
    }
    EXPECT_EQ(parts.join(' ').toStdString(), components);
    EXPECT_EQ(r.summary.maskNamesOpenSides, openSides);
    for (const QString& item : QString(access).split(' ')) {
      const QString key = item.section(':', 0, 0);
      const Entity* f = feature(b, key.section('-', 0, 0), key.section('-', 1));
      ASSERT_TRUE(f) << item.toStdString();
      const auto test = attr(b, *f, "TEST_ACCESS");  // on vias
      found << key + ':' + sides[f] + (test ? "=" + *test : "");
    }
    EXPECT_EQ(found.join(' '), access);
  }
}

// What real writers do beyond the hand-made files, each in a file of its
// own: the net names, the outline, the parts (/B on the bottom), the probes
// placed with their sizes, then the problems, as the import sees them.
TEST(Ipc356Import, WriterQuirksAreReadRight) {
  const std::pair<const char*, const char*> cases[] = {
      // Plated holes and vias without a pad size (X0000, blank Y): the
      // pad is as wide as the hole.
      {R"(P  UNITS CUST 0
317NET1             J1    -1    D0400PA00X 001000Y 001000X0000          S0
317NET1             J1    -2    D0400PA00X 002000Y 001000X0000          S0
999
)",
       "NET1 NET1|drawn -20 -20 320 -20 320 220 -20 220|J1|40@100"},
      // The board edge starts with its drawing width, as the standard
      // writes it, then the points.
      {R"(P  UNITS CUST 0
327A                R1    -1          A01X+001000Y+001000X0400Y0400
389BOARD_EDGE         X0100Y0100 X+000000Y+000000 X+020000Y+000000
089                   X+020000Y+010000 X+000000Y+010000 X+000000Y+000000
999
)",
       "A|0 0 2000 0 2000 1000 0 1000 0 0|R1|"},
      // Full names given only in comments; a parameter record wins.
      {R"(C  CAD Netname : 3.3VD_TIVA_CONN --- IPC Netname : NNAME0001
C  CAD Netname : NOT_THIS_ONE --- IPC Netname : NNAME0002
P  NNAME0002 FROM_PARAMETER
317NNAME0001        J1    -1    D0400PA00X 001000Y 001000X0600
317NNAME0002        J1    -2    D0400PA00X 002000Y 001000X0600
317NNAME0003        J1    -3    D0400PA00X 003000Y 001000X0600
999
C  comments after the end are no problem
)",
       "3.3VD_TIVA_CONN FROM_PARAMETER NNAME0003|"
       "drawn -30 -30 430 -30 430 230 -30 230|J1|"
       "60@100 60@100 60@100"},
      // Units without their digit; text after the end that is no comment.
      {R"(P  UNITS CUST
327A                R1    -1          A02X+001000Y+001000X0400Y0400
999
C  fine
TAIL
)",
       "A|drawn -20 -20 220 -20 220 220 -20 220|R1/B|40@100|"
       "line 1: UNITS CUST without a number is read as CUST 0 (0.0001 inch)|"
       "line 5: text after the end record 999 is ignored"},
      // One designator for parts on both sides, far apart: two parts; a
      // tooling hole far outside the board stays out of the outline.
      {R"(327A                U1    -1          A01X+001000Y+001000X0400Y0400
327B                U1    -2          A01X+001500Y+001000X0400Y0400
327C                U1    -1          A02X+009000Y+001000X0400Y0400
347                       -     D1250UA00X+100000Y+100000X1250
999
)",
       "A B C|drawn -20 -20 1020 -20 1020 220 -20 220|U1 U1/B|40@100|split U1"},
  };
  for (const auto& [text, expected] : cases) {
    const ImportResult r = importIpc356Text(text, "q.ipc", {});
    QStringList nets, edge, parts, probes;
    for (const ipc356::Feature& f : ipc356::readNetlist(text, "q").features)
      if (!f.net.isEmpty()) nets << f.net;
    if (!r.summary.outlineFromFile) edge << "drawn";
    const Entity& outline = *entitiesOf(r.board, EntityKind::Outline).at(0);
    for (const QPointF& p : outline.outline)
      edge << QString::number(p.x()) << QString::number(p.y());
    for (const Entity* c : entitiesOf(r.board, EntityKind::Component))
      parts << c->name + (c->side == Side::Bottom ? "/B" : "");
    for (const Entity* p : entitiesOf(r.board, EntityKind::Probe))
      if (attr(r.board, *p, "PROBE_PLACEMENT") == "Placed")
        if (const Entity* ap = linked(r.board, *p))
          probes << QString("%1@%2")
                        .arg(std::min(ap->width, ap->effectiveHeight()))
                        .arg(p->width);
    QStringList found{nets.join(' '), edge.join(' '), parts.join(' '),
                      probes.join(' ')};
    if (!r.summary.splitDesignators.isEmpty())
      found << "split " + r.summary.splitDesignators.join(' ');
    EXPECT_EQ((found + r.summary.problems).join('|').toStdString(), expected);
  }
}

// Through-hole pins on both sides; no NETNAME for a blank net. The outline
// comes from the board edge, else surrounds the features by 100 mil. Page
// units and the probe size follow the file's.
TEST(Ipc356Import, HandMadeFilesGiveTheirOutlinesAndSummaries) {
  const ImportResult eagle = import("eagle_style.ipc");
  EXPECT_EQ(feature(eagle.board, "J1", "2")->side, Side::Both);
  EXPECT_FALSE(attr(eagle.board, *feature(eagle.board, "J1", "3"), "NETNAME"));
  EXPECT_TRUE(eagle.summary.outlineFromFile);
  const auto edges = entitiesOf(eagle.board, EntityKind::Outline);
  const std::vector<QPointF> corners = {{0, 0}, {800, 0}, {800, 600}, {0, 600}};
  EXPECT_TRUE(edges.size() == 1 && edges[0]->outline == corners &&
              edges[0]->width == 800 && edges[0]->height == 600);

  const ImportResult kicad = import("kicad_style.ipc");
  EXPECT_FALSE(kicad.summary.outlineFromFile);
  const Entity& box = *entitiesOf(kicad.board, EntityKind::Outline).at(0);
  for (const Entity& e : kicad.board.entities)
    EXPECT_TRUE(box.width / 2 - std::abs(e.x - box.x) >= 100 &&
                box.height / 2 - std::abs(e.y - box.y) >= 100);
  const QString text = formatSummary(import("allegro_style.ipc").summary) +
                       formatSummary(import("malformed.ipc").summary);
  for (const char* line :
       {"2 tooling holes", "Nets: 5.", "1 pins and vias on N/C",
        "3 placed (2 at 100 mil, 1 at 39 mil), 2 unplaced",
        "on both sides, made one part per side (the writer may have cut "
        "longer names): C1\n",
        "Problems: 6\n  line 3:"})
    EXPECT_TRUE(text.contains(line)) << text.toStdString();
  EXPECT_TRUE(text.endsWith('\n'));
  const Board metric = import("metric.ipc").board;
  EXPECT_EQ(metric.units, PageUnits::Millimetre);
  const Entity* j1 = feature(metric, "J1", "1");
  EXPECT_TRUE(j1->x == 25.4 && j1->y == 12.7 && j1->width == 1.524);
  EXPECT_DOUBLE_EQ(entitiesOf(metric, EntityKind::Probe)[0]->width, 2.54);
}

// Optical marks (337, or a surface pad without designator and net) become
// fiducials, 347 holes tooling holes; parameters become document attributes
// with a prefix, so that none poses as the program's own wiring state.
TEST(Ipc356Import, MarksHolesAndParameters) {
  const QByteArray text = "P  JOB  MY BOARD  REV 2\nP  WIRING_ROT 90\n" +
                          netlist({{"337", "", "FID1", "", 1, 100, 400},
                                   {"327", "N/C", "", "", 2, 200, 400},
                                   {"347", "", "", "", 0, 300, -1, 1250},
                                   {"327", "SIG", "R1", "1", 1, 0, 400}});
  const Board b = importIpc356Text(text, "j.ipc", {}).board;
  const auto marks = entitiesOf(b, EntityKind::Fiducial);
  EXPECT_TRUE(marks.size() == 2 && marks[0]->name == "FID1" &&
              marks[1]->side == Side::Bottom);
  const auto holes = entitiesOf(b, EntityKind::ToolingHole);
  EXPECT_TRUE(holes.size() == 1 && holes[0]->width == 125);
  EXPECT_EQ(entitiesOf(b, EntityKind::Component).size(), 1u);
  QStringList attributes;
  for (const Attribute& a : b.attributes)
    attributes << b.keywords[a.keyword] + '=' + a.value;
  EXPECT_EQ(attributes,
            (QStringList{"IMPORTED_FROM=j.ipc", "IPC_UNITS=CUST 0",
                         "IPC_JOB=MY BOARD  REV 2", "IPC_WIRING_ROT=90"}));
}

// Each probe as net:designator/side of what it was placed on, or net:why
// not, in entity order.
QString outcome(const Board& b) {
  QStringList out;
  for (const Entity* p : entitiesOf(b, EntityKind::Probe)) {
    QString s = attr(b, *p, "NETNAME").value_or("?") + ':';
    if (attr(b, *p, "PROBE_PLACEMENT") == "Placed") {
      const Entity* f = linked(b, *linked(b, *p));
      s += (f->kind == EntityKind::Via ? "VIA" : b.entities[f->parent].name) +
           (p->side == Side::Top ? "/T@" : "/B@") + QString::number(p->width);
    } else {
      s += attr(b, *p, "PLACEMENT_REASON").value_or("?").section(' ', 0, 1);
    }
    out << s;
  }
  return out.join(' ');
}

Record pad(const char* net, const char* refdes, long x, int width = 500,
           int access = 2) {
  return {"327", net, refdes, "1", access, x, width};
}

// Within a net: test pad, via, through-hole pin, surface pad, then the
// larger pad. Pads below the minimum size are refused; probes keep the
// spacing of their size (exactly the spacing is enough), probes of two sizes
// the mean of both; nets with fewer choices choose first; only the chosen
// sides are used. Auto gives each net the largest size that fits.
TEST(Ipc356Placement, ProbesLandOnTheBestPadTheRulesAllow) {
  // Candidates for the net A, far apart, all reachable from the bottom.
  const Record testPad = pad("A", "TP1", 0),
               via{"317", "A", "VIA", "", 0, 10000, 500, 120},
               throughPin{"317", "A", "J1", "1", 0, 20000, 500, 300},
               smdPad = pad("A", "U1", 30000, 600);  // larger, still last
  const Record a = pad("A", "R1", 0, 400), b = pad("B", "R2", 800, 400);
  const Record narrow{"327", "A", "U1", "1", 2, 0, 400, -1, 250};
  // A10 is the bottom; a pad on an inner layer is reachable from no side.
  const std::vector<Record> inner = {pad("A", "U1", 0, 500, 5),
                                     pad("B", "U2", 5000, 500, 10)};
  // A's test pad is 50 mil from B's only pad; A has a via too.
  const std::vector<Record> crowded = {
      testPad, {"317", "A", "VIA", "", 0, 5000, 500, 120}, pad("B", "R2", 500)};
  // Pads of three nets reachable from the top, the bottom and both sides.
  const std::vector<Record> sides = {
      pad("T", "R1", 0, 500, 1),
      pad("B", "R2", 5000),
      {"317", "H", "J1", "1", 0, 10000, 500, 300}};
  // A takes 100 mil; B's 16 mil pad only 39 mil, (100 + 39) / 2 away.
  const auto mixed = [](long bx) {
    return std::vector<Record>{pad("A", "R1", 0, 400), pad("B", "U1", bx, 160)};
  };
  const ImportOptions mil75{.probeSize = ProbeSize::Mil75};
  const ImportOptions mil39{.probeSize = ProbeSize::Mil39};
  const struct {
    std::vector<Record> records;
    ImportOptions options;
    const char* expected;
  } cases[] = {
      {{smdPad, throughPin, via, testPad}, kMil100, "A:TP1/B@100"},
      {{smdPad, throughPin, via}, kMil100, "A:VIA/B@100"},
      {{smdPad, throughPin}, kMil100, "A:J1/B@100"},
      {{pad("A", "TP2", 40000, 200), smdPad}, kMil100, "A:U1/B@100"},
      {{pad("A", "U1", 0, 350), pad("A", "U2", 5000, 600)},
       kMil100,
       "A:U2/B@100"},
      {{a, b}, kMil100, "A:R1/B@100 B:Too close"},
      {{a, b}, mil75, "A:R1/B@75 B:R2/B@75"},
      {{a, b}, {.probeSize = ProbeSize::Mil50}, "A:R1/B@50 B:R2/B@50"},
      {{a, b}, {}, "A:R1/B@100 B:R2/B@50"},
      {{a, pad("B", "R2", 1000, 400)}, kMil100, "A:R1/B@100 B:R2/B@100"},
      {crowded, kMil100, "A:VIA/B@100 B:R2/B@100"},
      {{narrow}, kMil100, "A:Pads below"},
      {{narrow}, mil75, "A:U1/B@75"},
      {{narrow}, {}, "A:U1/B@75"},
      {{pad("A", "U1", 0, 160)}, mil39, "A:U1/B@39"},
      {{pad("A", "U1", 0, 160)},
       {.probeSize = ProbeSize::Mil50},
       "A:Pads below"},
      {{pad("A", "U1", 0, 159)}, {}, "A:Pads below"},
      {mixed(695), {}, "A:R1/B@100 B:U1/B@39"},
      {mixed(690), {}, "A:R1/B@75 B:U1/B@39"},
      {sides, kMil100, "B:R2/B@100 H:J1/B@100 T:No access"},
      {sides, {.side = ProbeSide::Top}, "T:R1/T@100 H:J1/T@100 B:No access"},
      {sides, {.side = ProbeSide::Both}, "T:R1/T@100 B:R2/B@100 H:J1/B@100"},
      {inner, {.side = ProbeSide::Both}, "B:U2/B@100 A:No access"},
  };
  for (const auto& c : cases) {
    const ImportResult r =
        importIpc356Text(netlist(c.records), "p.ipc", c.options);
    const QString found = outcome(r.board);
    EXPECT_EQ(found.toStdString(), c.expected);
    EXPECT_EQ(r.summary.unplacedNoAccess, found.count("No access"));
    EXPECT_EQ(r.summary.unplacedPadTooSmall, found.count("Pads below"));
    EXPECT_EQ(r.summary.unplacedTooClose, found.count("Too close"));
  }
}

// Placed probes are numbered first, in file order; N/C and blank nets get
// none; an unplaced probe lies on the pad it was refused, if any.
TEST(Ipc356Placement, ProbesAreNumberedAndTellTheirState) {
  const QByteArray text =
      netlist({pad("Z", "R9", 90000, 500, 1), pad("N/C", "R1", 0),
               pad("", "R2", 5000), pad("A", "U1", 30000),
               pad("C", "U9", 70000, 100), pad("B", "U2", 60000)});
  const ImportResult r = importIpc356Text(text, "p.ipc", kMil100);
  const Board& b = r.board;
  EXPECT_EQ(outcome(b), "A:U1/B@100 B:U2/B@100 Z:No access C:Pads below");
  EXPECT_EQ(std::tuple(r.summary.nets, r.summary.noConnectFeatures,
                       r.summary.unnamedFeatures),
            std::tuple(4, 1, 1));
  const auto probes = entitiesOf(b, EntityKind::Probe);
  for (int i = 0; i < 4; ++i) {
    const Attribute* name = probes[i]->attribute(b.keywordIndex("REFNAME"));
    EXPECT_EQ(probes[i]->name, QString::number(i + 1));
    EXPECT_TRUE(name && name->value == probes[i]->name);
    EXPECT_DOUBLE_EQ(name->display.get().reals[0], 50);  // the text height
    EXPECT_EQ(attr(b, *probes[i], "PROBE_PLACEMENT"),
              i < 2 ? "Placed" : "Unplaced");
  }
  EXPECT_FALSE(attr(b, *probes[0], "PLACEMENT_REASON"));
  EXPECT_FALSE(attr(b, *probes[2], "DATALINK"));  // no access point at all
  const Entity* refused = linked(b, *probes[3]);
  ASSERT_TRUE(refused && refused->kind == EntityKind::AccessPoint);
  EXPECT_EQ(probes[3]->x, refused->x);
}

// The texts of the command line and of the stored choices, both ways.
TEST(Ipc356Placement, OptionTextsAreRead) {
  QStringList sides, sizes;
  for (const char* text : {"bottom", "top", "both", "Top", ""})
    if (const auto side = probeSideFromText(QString(text)))
      sides << probeSideText(*side);
  for (const char* text : {"auto", "100", "75", "50", "39", "60", "0", "Auto"})
    if (const auto size = probeSizeFromText(QString(text)))
      sizes << probeSizeText(*size);
  EXPECT_EQ(sides.join(' '), "bottom top both");
  EXPECT_EQ(sizes.join(' '), "auto 100 75 50 39");
}

// Every broken rule of a placement, in words; empty when it is sound: one
// probe per net; a placed probe on an access point of its net, at its place
// and side, on a pad its size may use and apart from the other probes by
// the mean of both sizes; no strictly better kind of pad of its net left
// free for its size; and no larger size of the choice fitting any pad of
// its net where the others stand. Sizes in mil.
QStringList placementFaults(const Board& b, const ImportOptions& options) {
  std::map<QString, std::vector<const Entity*>> accessByNet;
  std::map<QString, int> probesPerNet;
  std::vector<const Entity*> placed;
  const auto net = [&](auto& e) { return attr(b, e, "NETNAME").value_or(""); };
  for (const Entity& e : b.entities) {
    if (e.kind == EntityKind::AccessPoint) accessByNet[net(e)].push_back(&e);
    if (e.kind != EntityKind::Probe) continue;
    ++probesPerNet[net(e)];
    if (attr(b, e, "PROBE_PLACEMENT") == "Placed") placed.push_back(&e);
  }
  // Test pads first, then vias, through-hole pins and surface pads.
  const auto rank = [&b](const Entity& ap) {
    const Entity& f = *linked(b, ap);
    if (f.kind == EntityKind::Via) return 1;
    if (f.parent >= 0 && b.entities[f.parent].name.startsWith("TP")) return 0;
    return f.side == Side::Both ? 2 : 3;
  };
  const ProbeSide side = options.side;
  const auto usable = [&](const Entity& ap, double size) {
    return (side == ProbeSide::Both ||
            (side == ProbeSide::Top) == (ap.side == Side::Top)) &&
           std::min(ap.width, ap.effectiveHeight()) >=
               minimumPadMils(ProbeSize(int(size))) * (1 - 1e-9);
  };
  const auto crowded = [&](const Entity& at, double size,
                           const Entity* except) {
    return std::any_of(placed.begin(), placed.end(), [&](const Entity* q) {
      return q != except && q->side == at.side &&
             std::hypot(q->x - at.x, q->y - at.y) <
                 (size + q->width) / 2 * (1 - 1e-9);
    });
  };
  QStringList out;
  for (const auto& [name, count] : probesPerNet)
    if (count != 1) out << QString("net %1: %2 probes").arg(name).arg(count);
  for (const Entity* p : placed) {
    const Entity* ap = linked(b, *p);
    const QString probe = "probe " + p->name;
    if (!ap || ap->kind != EntityKind::AccessPoint)
      return out << probe + " sits on no access point";
    if (net(*ap) != net(*p) || ap->side != p->side || ap->x != p->x ||
        ap->y != p->y)
      out << probe + " is not on its access point";
    const auto sizes = probeSizesOf(options.probeSize);
    if (std::find(sizes.begin(), sizes.end(), ProbeSize(int(p->width))) ==
        sizes.end())
      out << probe + " has a size not chosen";
    if (!usable(*ap, p->width)) out << probe + " is on a pad it may not use";
    if (crowded(*p, p->width, p)) out << probe + " is too close to another";
    for (const Entity* other : accessByNet[net(*p)]) {
      if (usable(*other, p->width) && rank(*other) < rank(*ap) &&
          !crowded(*other, p->width, p))
        out << probe + " passed over a better free pad";
      for (const ProbeSize larger : sizes)
        if (int(larger) > p->width && usable(*other, int(larger)) &&
            !crowded(*other, int(larger), p))
          out << probe + " could be larger";
    }
  }
  return out;
}

// The real netlists in tests/data/ipc356 (see SOURCES.md there for their
// origin and licences), with the counts of SOURCES.md (feature records are
// its 317 and 327 records plus the 367 ones; vias) and of a scan of the
// record columns that resolves aliases (components; nets other than N/C,
// blank and unplated holes), found without the importer. With every option
// the placement keeps its rules, one probe per net, and importing twice
// gives the same board; auto sizes place at least as many nets as any fixed
// size on the same side.
TEST(Ipc356Sample, RealNetlistsGiveTheirCountsAndSoundPlacements) {
  const QDir dir(LW_TEST_DATA "/ipc356");
  const struct {
    const char* file;
    int featureRecords, vias, components, nets;
  } samples[] = {
      {"curtacircuitos_pcb-tools_ipc-d-356.ipc", 105, 14, 21, 17},
      {"AndersBNielsen_Universal-Serial-Adapter_netlist.ipc", 355, 107, 70, 75},
      {"MinnowBoard-org_design-files_MinnowMax_RevA1_IPC356A.ipc", 5763, 1873,
       881, 640}};
  const ProbeSize sizes[] = {ProbeSize::Auto, ProbeSize::Mil100,
                             ProbeSize::Mil75, ProbeSize::Mil50,
                             ProbeSize::Mil39};
  for (const auto& e : samples) {
    const QString path = dir.filePath(e.file);
    for (const ProbeSide side :
         {ProbeSide::Bottom, ProbeSide::Top, ProbeSide::Both}) {
      int autoPlaced = 0;
      for (const ProbeSize size : sizes) {
        const ImportOptions options{side, size};
        SCOPED_TRACE(QString("%1 %2 %3")
                         .arg(e.file, probeSideText(side), probeSizeText(size))
                         .toStdString());
        const ImportResult r = importIpc356(path, options);
        const ImportSummary& s = r.summary;
        const auto count = [&r](EntityKind kind) {
          return int(entitiesOf(r.board, kind).size());
        };
        EXPECT_EQ(
            std::tuple(s.featureRecords, s.vias, s.components, s.nets,
                       count(EntityKind::Via), count(EntityKind::Component),
                       count(EntityKind::Probe)),
            std::tuple(e.featureRecords, e.vias, e.components, e.nets, e.vias,
                       e.components, e.nets));
        EXPECT_TRUE(s.problems.isEmpty() && s.duplicates.isEmpty() &&
                    s.splitDesignators.isEmpty());
        EXPECT_GT(s.probesPlaced, 0);
        if (size == ProbeSize::Auto) autoPlaced = s.probesPlaced;
        EXPECT_GE(autoPlaced, s.probesPlaced);
        const QStringList faults = placementFaults(r.board, options);
        EXPECT_TRUE(faults.isEmpty())
            << faults.mid(0, 10).join('\n').toStdString();
      }
    }
    const ImportOptions both{ProbeSide::Both, ProbeSize::Auto};
    EXPECT_TRUE(importIpc356(path, both).board ==
                importIpc356(path, both).board);
  }
}

}  // namespace
}  // namespace lw
