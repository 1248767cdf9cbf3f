// The operations the program performs on a document: files, record sets,
// keywords, selections and attributes, renaming, layers and rotation.

#include "boardbuilder.h"
#include "boarddocument.h"

#include <QTemporaryDir>

#include <clocale>

#include <gtest/gtest.h>

using namespace lw;
using lw::test::BoardBuilder;

namespace {

QStringList fields(const QString& record) {
  return record.split(kFieldSeparator);
}

BoardDocument sampleDocument() {
  BoardBuilder b;
  const int r1 = b.component("R1", 100);
  b.pin(r1, "2", 101, -1.25, 0.5);
  b.via(200, 3, 4, {{"NETNAME", "GND"}});
  b.access(300, {{"NETNAME", "GND"}, {"DATALINK", "101"}}, Side::Bottom);
  b.probe("7", 400, -12.5, 0.125, Side::Bottom,
          {{"NETNAME", ""}, {"DATALINK", "300"}});
  b.board().files.push_back({2, "panel.drw", false, true, 3, 0});
  b.add(EntityKind::Probe, "other-file", 401, 0, 0, Side::Top, {}, -1, 2);
  return BoardDocument(b.take());
}

TEST(RecordSets, ProbeRecordsCarryTheFieldsTheProgramReads) {
  const BoardDocument doc = sampleDocument();
  const RecordQuery q = doc.queryEntityRecords(1, RecordKind::Probes);
  ASSERT_EQ(q.status, 1);
  ASSERT_EQ(q.records.size(), 2);
  EXPECT_EQ(fields(q.records[0]).size(), kEntityFixedFields + 1);

  const QStringList f = fields(q.records[1]);
  ASSERT_EQ(f.size(), kFirstAttributeField + 4);
  EXPECT_EQ(f[1], "7");
  EXPECT_EQ(f[2], "1.5");
  EXPECT_EQ(f[4], "-12.5,0.125");
  EXPECT_EQ(f[7], "B");
  EXPECT_EQ(f[10], "400");
  EXPECT_EQ(f[11], "4");  // data position
  EXPECT_EQ(f[13], "NETNAME");
  EXPECT_EQ(f[14], "");  // empty values survive as empty fields
  EXPECT_EQ(f[15], "DATALINK");
  EXPECT_EQ(f[16], "300");
}

TEST(RecordSets, NumbersIgnoreTheProcessLocale) {
  const char* old = std::setlocale(LC_NUMERIC, nullptr);
  const std::string saved = old ? old : "C";
  if (!std::setlocale(LC_NUMERIC, "de_DE.UTF-8"))
    GTEST_SKIP() << "de_DE.UTF-8 locale not generated";
  const BoardDocument doc = sampleDocument();
  const QStringList f =
      fields(doc.queryEntityRecords(1, RecordKind::Probes).records[1]);
  std::setlocale(LC_NUMERIC, saved.c_str());
  EXPECT_EQ(f[4], "-12.5,0.125");
}

TEST(RecordSets, FormatNumberIsShortestFixedText) {
  const struct {
    double value;
    const char* text;
  } cases[] = {{0, "0"},         {-0.0, "0"},
               {1.5, "1.5"},     {-2, "-2"},
               {0.1, "0.1"},     {1e-5, "0.00001"},
               {25400, "25400"}, {1.0 / 3, "0.3333333333333333"}};
  for (const auto& c : cases)
    EXPECT_EQ(formatNumber(c.value), c.text) << c.value;
}

TEST(RecordSets, PinRecordsNameTheirComponent) {
  const BoardDocument doc = sampleDocument();
  const RecordQuery q = doc.queryComponentPinRecords(1);
  ASSERT_EQ(q.status, 1);
  const QStringList f = fields(q.records[1]);
  ASSERT_EQ(f.size(), kPinFixedFields);
  EXPECT_EQ(f[1], "R1");
  EXPECT_EQ(f[2], "2");
  EXPECT_EQ(f[5], "101");
}

TEST(RecordSets, StatusTellsUnknownFilesFromEmptyOnes) {
  const BoardDocument doc = sampleDocument();
  EXPECT_EQ(doc.queryEntityRecords(9, RecordKind::Probes).status, -1);
  EXPECT_EQ(doc.queryComponentPinRecords(9).status, -1);
  const RecordQuery vias = doc.queryEntityRecords(2, RecordKind::Vias);
  EXPECT_EQ(vias.status, 0);
  EXPECT_EQ(vias.records.size(), 1);  // header only
  // Each query lists only the entities of its own file.
  EXPECT_EQ(doc.queryEntityRecords(2, RecordKind::Probes).status, 1);
}

TEST(Files, ListAndInformation) {
  BoardDocument doc = sampleDocument();
  QList<int> numbers;
  EXPECT_EQ(doc.listDocumentFiles(&numbers), 2);
  EXPECT_EQ(numbers, (QList<int>{1, 2}));
  const auto info = doc.fileInformation(2);
  ASSERT_TRUE(info);
  EXPECT_FALSE(info->isPcb);
  EXPECT_TRUE(info->visible);
  EXPECT_EQ(info->selectArgument, 3);
  EXPECT_FALSE(doc.fileInformation(5));

  EXPECT_EQ(BoardDocument().listDocumentFiles(&numbers), -1);
  EXPECT_TRUE(numbers.isEmpty());
}

TEST(Files, RotationIsNormalisedToQuarterTurns) {
  const struct {
    int degrees;
    bool ok;
    int stored;
  } cases[] = {{90, true, 90},   {360, true, 0},   {450, true, 90},
               {-90, true, 270}, {45, false, 270}, {0, true, 0}};
  BoardDocument doc = sampleDocument();
  for (const auto& c : cases) {
    EXPECT_EQ(doc.setFileRotation(1, c.degrees), c.ok) << c.degrees;
    EXPECT_EQ(doc.fileInformation(1)->rotation, c.stored) << c.degrees;
  }
  EXPECT_FALSE(doc.setFileRotation(42, 90));
}

TEST(Attributes, KeywordsAreRegisteredOnce) {
  BoardDocument doc = sampleDocument();
  EXPECT_EQ(doc.lookUpKeyword("PROBE_WIRED"), 0);
  const int k = doc.registerKeyword("PROBE_WIRED");
  EXPECT_GT(k, 0);
  EXPECT_EQ(doc.registerKeyword("PROBE_WIRED"), k);
  EXPECT_EQ(doc.lookUpKeyword("PROBE_WIRED"), k);
  EXPECT_EQ(doc.lookUpKeyword("probe_wired"), 0);  // exact names
  EXPECT_EQ(doc.registerKeyword(""), 0);
}

TEST(Attributes, SelectionScopesReadsAndWrites) {
  BoardDocument doc = sampleDocument();
  const int net = doc.lookUpKeyword("NETNAME");
  EXPECT_EQ(doc.attributeValue(net), "");  // nothing selected
  EXPECT_FALSE(doc.setAttributeValue(net, "X"));

  EXPECT_FALSE(doc.selectEntity(3, 2));   // wrong file scope
  EXPECT_FALSE(doc.selectEntity(7, 99));  // no such data position
  EXPECT_FALSE(doc.selectEntity(7, -1));
  ASSERT_TRUE(doc.selectEntity(7, 2));
  EXPECT_EQ(doc.attributeValue(net), "GND");

  const int wired = doc.registerKeyword("PROBE_WIRED");
  ASSERT_TRUE(doc.selectEntity(7, 4));
  EXPECT_EQ(doc.attributeValue(wired), "");
  EXPECT_TRUE(doc.setAttributeValue(wired, "1"));
  EXPECT_EQ(doc.attributeValue(wired), "1");
  EXPECT_FALSE(doc.setAttributeValue(999, "1"));  // unknown keyword

  doc.selectDocumentAttributes();
  EXPECT_EQ(doc.attributeValue(wired), "");
  const int rot = doc.registerKeyword("WIRING_ROT");
  EXPECT_TRUE(doc.setAttributeValue(rot, "Rotate Board (90)"));
  EXPECT_EQ(doc.board().attributes.size(), 1u);
  EXPECT_EQ(doc.board().entities[4].attribute(wired)->value, "1");
}

TEST(Attributes, RecordsKeepTheirDisplayNumbers) {
  BoardDocument doc = sampleDocument();
  const int ref = doc.registerKeyword("REFNAME");
  ASSERT_TRUE(doc.selectEntity(7, 4));
  EXPECT_FALSE(doc.attributeRecord(ref));

  DisplayRecord display;
  display.reals = {1.5, -2, 0.25, 90, 1e-3};
  display.ints = {1, -2, 3, 32767, -32768, 0, 7, 8};
  ASSERT_TRUE(doc.setAttributeRecord(ref, "7", display));
  // Changing only the value keeps the display record.
  ASSERT_TRUE(doc.setAttributeValue(ref, "12"));
  const auto record = doc.attributeRecord(ref);
  ASSERT_TRUE(record);
  EXPECT_EQ(record->value, "12");
  EXPECT_EQ(record->display, display);
}

TEST(Attributes, RenameKeepsTheAttributeSelection) {
  BoardDocument doc = sampleDocument();
  const int net = doc.lookUpKeyword("NETNAME");
  ASSERT_TRUE(doc.selectEntity(7, 2));
  EXPECT_TRUE(doc.renameEntity(7, 4, "12"));
  EXPECT_FALSE(doc.renameEntity(3, 4, "13"));  // wrong scope: unchanged
  EXPECT_EQ(doc.board().entities[4].name, "12");
  EXPECT_EQ(doc.attributeValue(net), "GND");  // still the via
}

TEST(Layers, StatusesTellGapsFromTheEnd) {
  Board board = BoardBuilder().take();
  board.layers.push_back({6, "SILK", 6, {1, 2, 3}, false});  // gap 4..5
  BoardDocument doc(std::move(board));
  Layer layer;
  EXPECT_EQ(doc.layer(0, &layer), kLayerOk);
  EXPECT_EQ(layer.name, "TOP");
  EXPECT_EQ(doc.layer(4, &layer), kNoLayerAtIndex);
  EXPECT_EQ(doc.layer(6, &layer), kLayerOk);
  EXPECT_EQ(layer.colour, (Rgb{1, 2, 3}));
  EXPECT_EQ(doc.layer(7, &layer), kLayerListEnded);
  EXPECT_EQ(doc.layerType(6), 6);
  EXPECT_EQ(doc.layerType(5), -1);
  EXPECT_EQ(BoardDocument().layer(0, &layer), kLayerListEnded);
}

TEST(Open, EmptyNameEmptiesAndFailureKeepsTheDocument) {
  BoardDocument doc = sampleDocument();
  QTemporaryDir dir;
  EXPECT_THROW(doc.open(dir.filePath("missing board.vd")), Error);
  EXPECT_FALSE(doc.isEmpty());
  double last = -1;
  doc.open("", [&](double f) { last = f; });
  EXPECT_TRUE(doc.isEmpty());
  EXPECT_EQ(last, 1.0);
}

TEST(Open, SaveAndOpenGiveTheSameBoard) {
  BoardDocument doc = sampleDocument();
  QTemporaryDir dir;
  const QString plain = dir.filePath("a board.vd");
  const QString packed = dir.filePath("a board.vdz");
  doc.save(plain);
  doc.saveCompressed(packed);
  for (const QString& path : {plain, packed}) {
    BoardDocument other;
    other.open(path);
    EXPECT_EQ(other.board(), doc.board()) << path.toStdString();
  }
}

}  // namespace
