// The model's lookups and the operations the program performs on a
// document: record sets, files, selections and attributes, renaming, layers,
// opening and saving; then extraction of probes, access points, pins and vias
// into the five tables, with their fallback texts and first-match links.

#include "boardbuilder.h"
#include "boarddocument.h"
#include "extraction.h"
#include "placement.h"

#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>
#include <optional>

using namespace lw;

namespace {

// Pins and vias with access points on them (two pins share a number, a via
// has the number of a pin) and probes on file 1, a probe on file 2; layers
// 0 to 3 and 6.
test::BoardBuilder scenario() {
  test::BoardBuilder b;
  b.pin(b.component("C10", 1), "2", 11);
  b.pin(b.component("U1", 2), "1", 50);
  b.pin(b.component("U2", 3), "9", 50);
  b.via(21, 0, 0, {{"NETNAME", "VCC"}});
  b.via(11);
  b.access(31, {{"NETNAME", "GND"}, {"DATALINK", "11"}});
  b.access(32, {{"NETNAME", ""}, {"DATALINK", "21"}});
  b.access(33, {{"DATALINK", "NONE"}});
  b.access(34, {});
  b.access(60, {{"DATALINK", "50"}});
  b.access(60, {{"DATALINK", "50"}});
  b.probe("1", 41, 0.1, -0.1, Side::Top,
          {{"NETNAME", ""}, {"DATALINK", "31"}, {"TESTER_REASOURCE", "T5"}});
  b.probe("2", 42, -12.5, 0.125, Side::Bottom, {});
  b.probe("3", 43, 1e-5, -0.0, Side::Top,
          {{"NETNAME", "FIRST"}, {"NETNAME", "SECOND"}});
  b.probe("4", 44, 25400, 1.0 / 3, Side::Top,
          {{"B", "b4"}, {"netname", "low"}});
  b.probe("5", 45, 0, 0, Side::Top, {{"C", "c5"}, {"DATALINK", "60"}});
  b.board().files.push_back({2, "panel.drw", false, true, 3, 0});
  b.board().layers.push_back({6, "SILK", 6, {}, false});  // after a gap
  b.add(EntityKind::Probe, "other-file", 99, 0, 0, Side::Top, {}, -1, 2);
  return b;
}

TEST(DocumentModel, KeywordsAreExactNonEmptyAndTheFirstAttributeWins) {
  Board b;
  EXPECT_EQ(b.keywordIndex(QString()), 0);  // the unused slot never matches
  // An empty name is never added: a file could not hold it.
  for (const auto& [name, index] :
       {std::pair{"NETNAME", 1}, {"DATALINK", 2}, {"NETNAME", 1}, {"", 0}})
    EXPECT_EQ(b.addKeyword(name), index) << name;
  EXPECT_EQ(b.keywordIndex("netname") + b.keywordIndex("NETNAME "), 0);
  EXPECT_EQ(b.keywords.size(), 3);
  Entity e;
  e.attributes = {{1, "a", {}}, {2, "b", {}}, {1, "c", {}}};
  e.attribute(1)->value = "x";
  EXPECT_EQ(e.attributes[0].value, "x");
  EXPECT_EQ(e.attribute(3), nullptr);
}

TEST(DocumentModel, OnlyAProbeMarkedExactlyUnplacedIsUnplaced) {
  // The value of its first "PROBE_PLACEMENT" attribute decides; none: placed.
  const std::pair<test::Attrs, bool> cases[] = {
      {{{"PROBE_PLACEMENT", "Unplaced"}}, true},
      {{{"PROBE_PLACEMENT", "Placed"}}, false},
      {{{"PROBE_PLACEMENT", "unplaced"}}, false},
      {{{"PROBE_PLACEMENT", "Unplaced "}}, false},
      {{{"PLACEMENT", "Unplaced"}}, false},
      {{}, false},
      {{{"PROBE_PLACEMENT", "Placed"}, {"PROBE_PLACEMENT", "Unplaced"}},
       false}};
  for (const auto& [attrs, unplaced] : cases) {
    test::BoardBuilder b;
    const Board& board = b.board();
    const int probe = b.probe("1", 1, 0, 0, Side::Top, attrs);
    const int keyword = board.keywordIndex(placementKeyword());
    EXPECT_EQ(isUnplaced(board.entities[probe], keyword), unplaced)
        << (attrs.empty() ? "" : attrs.back().second);
  }
}

// Record fields are separated by character 5, here shown as "|". Numbers
// are the shortest fixed text that reads back the same, in any locale.
TEST(DocumentRecords, RecordsCarryTheFieldsTheProgramReads) {
  const BoardDocument doc(scenario().take());
  const std::string previous = std::setlocale(LC_ALL, nullptr);
  for (const char* locale : {"C", "de_DE.UTF-8"}) {
    if (!std::setlocale(LC_ALL, locale)) continue;  // not installed here
    QStringList records = doc.queryEntityRecords(1, RecordKind::Probes).records;
    records += doc.queryComponentPinRecords(1).records.mid(1);
    // Empty values survive as empty fields.
    EXPECT_EQ(
        records.mid(1).join('\n').replace(kFieldSeparator, '|'),
        R"(PROBE|1|1.5|ROUND|0.1,-0.1|0|2|T|1|9|41|14|3|NETNAME||DATALINK|31|TESTER_REASOURCE|T5
PROBE|2|1.5|ROUND|-12.5,0.125|0|3|B|1|9|42|15|0
PROBE|3|1.5|ROUND|0.00001,0|0|2|T|1|9|43|16|2|NETNAME|FIRST|NETNAME|SECOND
PROBE|4|1.5|ROUND|25400,0.3333333333333333|0|2|T|1|9|44|17|2|B|b4|netname|low
PROBE|5|1.5|ROUND|0,0|0|2|T|1|9|45|18|2|C|c5|DATALINK|60
PIN|C10|2|0,0|T|11|1
PIN|U1|1|0,0|T|50|3
PIN|U2|9|0,0|T|50|5)")
        << locale;
  }
  std::setlocale(LC_ALL, previous.c_str());
  // Status -1 tells an unknown file from an empty one, which has a header.
  EXPECT_EQ(doc.queryEntityRecords(1, RecordKind::Probes).status, 5);
  EXPECT_EQ(doc.queryEntityRecords(9, RecordKind::Probes).status, -1);
  EXPECT_EQ(doc.queryComponentPinRecords(9).status, -1);
  const RecordQuery vias = doc.queryEntityRecords(2, RecordKind::Vias);
  EXPECT_TRUE(vias.status == 0 && vias.records.size() == 1);
}

TEST(DocumentFiles, FilesRotationsAndLayers) {
  BoardDocument doc(scenario().take());
  QList<int> numbers;
  EXPECT_EQ(doc.listDocumentFiles(&numbers), 2);
  EXPECT_EQ(numbers, (QList<int>{1, 2}));
  const auto info = doc.fileInformation(2);
  EXPECT_TRUE(info && info->name == "panel.drw" && !info->isPcb &&
              info->visible && info->selectArgument == 3);
  EXPECT_FALSE(doc.fileInformation(5));
  EXPECT_EQ(BoardDocument().listDocumentFiles(&numbers), -1);
  EXPECT_TRUE(numbers.isEmpty());
  const int rotations[][3] = {{90, 1, 90},   {360, 1, 0},  {450, 1, 90},
                              {-90, 1, 270}, {45, 0, 270}, {0, 1, 0}};
  for (const auto& [degrees, ok, stored] : rotations) {
    EXPECT_EQ(doc.setFileRotation(1, degrees), bool(ok)) << degrees;
    EXPECT_EQ(doc.fileInformation(1)->rotation, stored) << degrees;
  }
  EXPECT_FALSE(doc.setFileRotation(42, 90));

  // Status 0 for a layer, -1 for a gap, -8 past the last layer.
  const int layers[][3] = {{0, 0, 1}, {4, -1, -1}, {6, 0, 6}, {7, -8, -1}};
  for (const auto& [index, status, type] : layers) {
    Layer layer;
    EXPECT_EQ(doc.layer(index, &layer), status) << index;
    EXPECT_EQ(doc.layerType(index), type) << index;
    EXPECT_EQ(layer.type, status == 0 ? type : 0) << index;
  }
  EXPECT_EQ(BoardDocument().layer(0, nullptr), -8);
}

// Reads and writes go to the selected entity (within the file of the given
// select argument) or the document; a rename does not move the selection.
TEST(DocumentAttributes, SelectionScopesReadsWritesAndRenames) {
  BoardDocument doc(scenario().take());
  const int net = doc.lookUpKeyword("NETNAME");
  EXPECT_EQ(doc.attributeValue(net), "");  // nothing selected
  EXPECT_FALSE(doc.setAttributeValue(net, "X"));
  // A wrong file scope, no such data position.
  for (const auto& [scope, position] : {std::pair{3, 6}, {7, 20}, {7, -1}})
    EXPECT_FALSE(doc.selectEntity(scope, position)) << position;
  ASSERT_TRUE(doc.selectEntity(7, 6));
  EXPECT_EQ(doc.attributeValue(net), "VCC");

  const int ref = doc.registerKeyword("REFNAME");
  ASSERT_TRUE(doc.selectEntity(7, 15));
  EXPECT_FALSE(doc.attributeRecord(ref));
  EXPECT_FALSE(doc.setAttributeValue(999, "1"));  // unknown keyword
  const DisplayRecord display{{1.5, -2, 0.25, 90, 1e-3},
                              {1, -2, 3, 32767, -32768, 0, 7, 8}};
  ASSERT_TRUE(doc.setAttributeRecord(ref, "7", display));
  ASSERT_TRUE(doc.setAttributeValue(ref, "12"));  // keeps the display
  EXPECT_EQ(doc.attributeRecord(ref)->display, display);
  EXPECT_EQ(doc.board().entities[15].attribute(ref)->value, "12");

  doc.selectDocumentAttributes();
  EXPECT_EQ(doc.attributeValue(ref), "");
  EXPECT_TRUE(doc.setAttributeValue(ref, "9"));
  EXPECT_EQ(doc.board().attributes.size(), 1u);

  ASSERT_TRUE(doc.selectEntity(7, 6));
  EXPECT_TRUE(doc.renameEntity(7, 15, "12"));
  EXPECT_FALSE(doc.renameEntity(3, 15, "13"));  // wrong scope: unchanged
  EXPECT_EQ(doc.board().entities[15].name, "12");
  EXPECT_EQ(doc.attributeValue(net), "VCC");  // still the via
}

TEST(DocumentOpen, SavesPickTheirCompressionAndAFailedOpenKeepsTheBoard) {
  BoardDocument doc(scenario().take());
  const Board board = doc.board();
  QTemporaryDir dir;
  const QString plain = dir.filePath("a board.vd");
  const QString packed = dir.filePath("a board.vdz");
  doc.save(plain);
  doc.saveCompressed(packed);
  EXPECT_GT(QFileInfo(plain).size(), QFileInfo(packed).size());  // gzip
  double last = -1;
  doc.open("", [&](double f) { last = f; });  // empties the document
  EXPECT_TRUE(doc.isEmpty());
  EXPECT_EQ(last, 1.0);
  doc.open(packed);
  EXPECT_THROW(doc.open(dir.filePath("missing board.vd")), Error);
  EXPECT_EQ(doc.board(), board);
}

// Runs the six steps on file 1; which of the four extractions (probes,
// access points, pins, vias) failed, F for failed and - for done.
QString extract(const Board& board, ExtractionTables& t) {
  const BoardDocument doc(board);
  const bool failed[] = {
      extractProbes(doc, 1, t), extractAccessPoints(doc, 1, t),
      extractComponentPins(doc, 1, t), extractVias(doc, 1, t)};
  resolveAccessFeatures(t, !failed[2], !failed[3]);
  resolveProbeAccess(t);
  QString out;
  for (const bool f : failed) out += f ? 'F' : '-';
  return out;
}

// Each row of a table as its cells with "|" between them; the attribute
// table is addressed (row, column), the record tables (column, row).
template <class Table>
QStringList rows(const Table& t, std::vector<int> columns) {
  constexpr bool byRow = std::is_same_v<Table, AttributeTable>;
  QStringList out;
  for (int r = 0; r < t.rowCount(); ++r) {
    QStringList cells;
    for (int c : columns)
      cells << QStringView(byRow ? t.cell(r, c) : t.cell(c, r)).toString();
    out << cells.join('|');
  }
  return out;
}

// Probe columns fall back to fixed texts; attribute columns follow their
// first appearance; access points link to the first pin of their datalink
// before any via, probes to the first access point. Failed steps keep
// their tables.
TEST(Extraction, TablesFallBackLinkFirstMatchesAndSurviveFailedSteps) {
  ExtractionTables x;
  EXPECT_EQ(extract(scenario().board(), x), "----");
  // The probe's name, then the columns extraction fills. A repeated pair:
  // the first fills the columns, the last the attributes; lower-case names
  // are other attributes.
  EXPECT_EQ(
      rows(x.probeData, {1, 12, 13, 14, 15}),
      (QStringList{"NAME|Net Name|Access Datalink|Tester Reasource "
                   "Number|Access Index Number",
                   "1|N/C|31|T5|1", "2|N/C|NONE|Not Assigned|",
                   "3|FIRST|NONE|Not Assigned|", "4|N/C|NONE|Not Assigned|",
                   "5|N/C|60|Not Assigned|5"}));
  EXPECT_EQ(
      rows(x.probeAttributes, {0, 1, 2, 3, 4, 5, 6}),
      (QStringList{"RefDes|NETNAME|DATALINK|TESTER_REASOURCE|B|netname|C",
                   "1|$$NO_VALUE$$|31|T5|||", "2|N/C|||||", "3|SECOND|||||",
                   "4|N/C|||b4|low|", "5|N/C|60||||c5"}));
  EXPECT_EQ(x.probeAttributes.columnCount(), 7);
  // "NONE" is only a literal; an empty net stays empty.
  EXPECT_EQ(rows(x.accessData, {12, 13, 14, 15, 16, 17}),
            (QStringList{"Net Name|Feature Datalink|Feature Type|Feature "
                         "Index Number|Feature RefDes|Feature Pin Number",
                         "GND|11|Comp Pin|1|C10|2", "|21|Via|1||",
                         "N/C|NONE||||", "N/C|NONE||||",
                         "N/C|50|Comp Pin|2|U1|1", "N/C|50|Comp Pin|2|U1|1"}));

  // A failed step leaves its table as it was, and nothing links to the pins
  // or vias of a previously loaded board.
  test::BoardBuilder bare;
  bare.access(31, {{"DATALINK", "11"}});
  bare.access(32, {{"DATALINK", "21"}});
  EXPECT_EQ(extract(bare.board(), x), "F-FF");
  EXPECT_EQ(x.probeData.rowCount(), 6);
  EXPECT_EQ(rows(x.accessData, {14}), (QStringList{"Feature Type", "", ""}));
  EXPECT_EQ(extract(test::BoardBuilder().board(), x), "FFFF");
  EXPECT_EQ(x.accessData.rowCount(), 3);
  EXPECT_TRUE(extractProbes(BoardDocument(scenario().take()), 99, x));
}

// The load's one call: pins are linked and let go before the vias are
// read, so an access point naming a pin and a via (a repeated number)
// keeps the pin, as when both are linked at once; probes then link to the
// access points, and neither feature table is kept.
TEST(Extraction, TheLoadLinksPinsBeforeViasAndKeepsNeitherTable) {
  test::BoardBuilder b;
  b.pin(b.component("U1", 10), "3", 11);
  b.via(11);
  b.via(12);
  b.access(31, {{"DATALINK", "11"}});
  b.access(32, {{"DATALINK", "12"}});
  b.probe("1", 41, 0, 0, Side::Top, {{"DATALINK", "31"}});
  b.probe("2", 42, 0, 0, Side::Top, {{"DATALINK", "32"}});
  const BoardDocument doc(b.take());
  ExtractionTables t;
  ASSERT_FALSE(extractProbes(doc, 1, t) || extractAccessPoints(doc, 1, t));
  std::vector<int> steps;
  const LinkedFeatures linked =
      linkAccessFeatures(doc, 1, t, [&](int n) { steps.push_back(n); });
  EXPECT_TRUE(linked.pins && linked.vias);
  EXPECT_EQ(steps, (std::vector<int>{1, 2, 3, 4}));
  EXPECT_EQ(rows(t.accessData, {14, 15, 16, 17}),
            (QStringList{"Feature Type|Feature Index Number|Feature "
                         "RefDes|Feature Pin Number",
                         "Comp Pin|1|U1|3", "Via|2||"}));
  EXPECT_EQ(rows(t.probeData, {15}),
            (QStringList{"Access Index Number", "1", "2"}));
  EXPECT_EQ(t.pinData.rowCount() + t.viaData.rowCount(), 0);
}

// The tables keep each record's fields as values; a cell reads exactly as
// the record set's field, whatever the name holds, and attribute values
// reach the extra columns whole.
TEST(Extraction, CellsReadAsTheRecordSetsFieldsWhateverTheNamesHold) {
  test::BoardBuilder b;
  const char* odd[] = {"a,b", "tab\there", "Grüße 日本", "x\"y", " "};
  for (int i = 0; i < 5; ++i) {
    const QString name = QString::fromUtf8(odd[i]);
    b.pin(b.component(name + "C", 100 + i), name, 200 + i, -0.5 * i, 1e-7);
    b.access(300 + i, {{"NETNAME", odd[i]}, {"DATALINK", "0"}});
    b.probe(name, 400 + i, 25.4 * i, -3, Side::Bottom,
            {{"NETNAME", odd[i]}, {odd[i], "v,\t"}});
  }
  const BoardDocument doc(b.take());
  ExtractionTables t;
  EXPECT_EQ(extract(doc.board(), t), "---F");
  const std::pair<const RecordTable*, QStringList> tables[] = {
      {&t.probeData, doc.queryEntityRecords(1, RecordKind::Probes).records},
      {&t.accessData,
       doc.queryEntityRecords(1, RecordKind::AccessPoints).records},
      {&t.pinData, doc.queryComponentPinRecords(1).records}};
  for (const auto& [table, records] : tables) {
    ASSERT_EQ(table->rowCount(), records.size());
    for (int r = 0; r < table->rowCount(); ++r) {
      const QStringList fields = records[r].split(kFieldSeparator);
      for (int c = 0; c < std::min(int(fields.size()), kEntityFixedFields); ++c)
        EXPECT_EQ(table->cell(c, r), fields[c]) << r << ' ' << c;
    }
  }
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(t.probeData.cell(probe_col::kNetName, i + 1), odd[i]);
    EXPECT_EQ(t.accessData.cell(access_col::kNetName, i + 1), odd[i]);
    EXPECT_EQ(t.probeAttributes.cell(0, i + 2), odd[i]);
    EXPECT_EQ(t.probeAttributes.cell(i + 1, i + 2), "v,\t");
  }
}

// A datalink links only through the entity number's own text.
TEST(Extraction, ADatalinkNamesAnEntityOnlyByItsNumbersExactText) {
  const std::pair<const char*, std::optional<int>> cases[] = {
      {"7", 7},    {"0", 0},           {"-3", -3}, {"2147483647", 2147483647},
      {"07", {}},  {"+7", {}},         {" 7", {}}, {"7 ", {}},
      {"-0", {}},  {"2147483648", {}}, {"", {}},   {"NONE", {}},
      {"1e3", {}}, {"\u0661", {}}};
  for (const auto& [text, number] : cases)
    EXPECT_EQ(linkedNumber(QString::fromUtf8(text)), number) << text;
}

}  // namespace
