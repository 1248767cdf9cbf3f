// Extraction of probes, access points, pins and vias into the five tables,
// with their fallback texts and first-match links.

#include "extraction.h"
#include "boardbuilder.h"

#include <gtest/gtest.h>

using namespace lw;
using lw::test::BoardBuilder;

namespace {

struct Extracted {
  ExtractionTables tables;
  bool probesFailed = false, accessFailed = false, pinsFailed = false,
       viasFailed = false;
};

Extracted extract(const Board& board, Extracted previous = {}) {
  const BoardDocument doc(board);
  Extracted x = std::move(previous);
  x.probesFailed = extractProbes(doc, 1, x.tables);
  x.accessFailed = extractAccessPoints(doc, 1, x.tables);
  x.pinsFailed = extractComponentPins(doc, 1, x.tables);
  x.viasFailed = extractVias(doc, 1, x.tables);
  resolveAccessFeatures(x.tables, !x.pinsFailed, !x.viasFailed);
  resolveProbeAccess(x.tables);
  return x;
}

QString probeCell(const Extracted& x, int column, int row) {
  return x.tables.probeData.cell(column, row).toString();
}
QString accessCell(const Extracted& x, int column, int row) {
  return x.tables.accessData.cell(column, row).toString();
}
QString attributeCell(const Extracted& x, int row, const QString& title) {
  const AttributeTable& t = x.tables.probeAttributes;
  for (int c = 1; c < t.columnCount(); ++c)
    if (t.cell(0, c) == title) return t.cell(row, c);
  return "<no column>";
}

// A board with one pin, one via and access points on each.
BoardBuilder linkedBoard() {
  BoardBuilder b;
  const int c10 = b.component("C10", 1);
  b.pin(c10, "2", 11);
  b.via(21, 0, 0, {{"NETNAME", "VCC"}});
  b.access(31, {{"NETNAME", "GND"}, {"DATALINK", "11"}});
  b.access(32, {{"NETNAME", ""}, {"DATALINK", "21"}});
  return b;
}

TEST(Extraction, ProbeFallbackTexts) {
  BoardBuilder b = linkedBoard();
  b.probe("1", 41, 0, 0, Side::Top,
          {{"NETNAME", ""}, {"DATALINK", "31"}, {"TESTER_REASOURCE", "T5"}});
  b.probe("2", 42, 0, 0, Side::Top, {});
  const Extracted x = extract(b.board());
  ASSERT_FALSE(x.probesFailed);

  const struct {
    int row, column;
    const char* text;
  } cases[] = {
      {0, probe_col::kNetName, "Net Name"},
      {0, probe_col::kDatalink, "Access Datalink"},
      {0, probe_col::kTesterResource, "Tester Reasource Number"},
      {0, probe_col::kAccessIndex, "Access Index Number"},
      {0, 1, "NAME"},
      {1, probe_col::kNetName, "N/C"},  // present but empty
      {1, probe_col::kDatalink, "31"},
      {1, probe_col::kTesterResource, "T5"},
      {1, probe_col::kAccessIndex, "1"},
      {2, probe_col::kNetName, "N/C"},  // absent
      {2, probe_col::kDatalink, "NONE"},
      {2, probe_col::kTesterResource, "Not Assigned"},
      {2, probe_col::kAccessIndex, ""},
  };
  for (const auto& c : cases)
    EXPECT_EQ(probeCell(x, c.column, c.row), c.text)
        << "row " << c.row << " column " << c.column;

  EXPECT_EQ(attributeCell(x, 1, "NETNAME"), "$$NO_VALUE$$");
  EXPECT_EQ(attributeCell(x, 2, "NETNAME"), "N/C");
  EXPECT_EQ(x.tables.probeAttributes.cell(0, 0), "RefDes");
  EXPECT_EQ(x.tables.probeAttributes.cell(2, 0), "2");
}

TEST(Extraction, AttributeColumnsFollowFirstAppearance) {
  BoardBuilder b = linkedBoard();
  b.probe("1", 41, 0, 0, Side::Top, {{"A", "a1"}});
  b.probe("2", 42, 0, 0, Side::Top, {{"B", "b2"}, {"netname", "low"}});
  b.probe("3", 43, 0, 0, Side::Top, {{"C", "c3"}, {"A", "a3"}});
  const Extracted x = extract(b.board());
  const AttributeTable& t = x.tables.probeAttributes;
  ASSERT_EQ(t.columnCount(), 5);
  EXPECT_EQ(t.cell(0, 1), "A");
  EXPECT_EQ(t.cell(0, 2), "B");
  EXPECT_EQ(t.cell(0, 3), "netname");
  EXPECT_EQ(t.cell(0, 4), "C");
  EXPECT_EQ(t.cell(1, 4), "");  // first met on the third probe
  EXPECT_EQ(t.cell(3, 1), "a3");
  // Lower-case names are other attributes: "Net Name" stays a fallback.
  EXPECT_EQ(probeCell(x, probe_col::kNetName, 2), "N/C");
}

TEST(Extraction, RepeatedPairFirstFillsColumnsLastFillsAttributes) {
  BoardBuilder b = linkedBoard();
  b.probe("1", 41, 0, 0, Side::Top,
          {{"NETNAME", "FIRST"}, {"NETNAME", "SECOND"}});
  const Extracted x = extract(b.board());
  EXPECT_EQ(probeCell(x, probe_col::kNetName, 1), "FIRST");
  EXPECT_EQ(attributeCell(x, 1, "NETNAME"), "SECOND");
}

TEST(Extraction, AccessPointsLinkToPinsBeforeVias) {
  BoardBuilder b = linkedBoard();
  b.via(11);  // same entity number as the pin: the pin wins
  b.access(33, {{"DATALINK", "NONE"}});
  b.access(34, {});
  b.probe("1", 41, 0, 0, Side::Top, {{"DATALINK", "31"}});
  const Extracted x = extract(b.board());

  const struct {
    int row;
    const char *net, *link, *type, *index, *refdes, *pin;
  } cases[] = {
      {1, "GND", "11", "Comp Pin", "1", "C10", "2"},
      {2, "", "21", "Via", "1", "", ""},   // empty net stays empty
      {3, "N/C", "NONE", "", "", "", ""},  // "NONE" is only a literal
      {4, "N/C", "NONE", "", "", "", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.row);
    EXPECT_EQ(accessCell(x, access_col::kNetName, c.row), c.net);
    EXPECT_EQ(accessCell(x, access_col::kDatalink, c.row), c.link);
    EXPECT_EQ(accessCell(x, access_col::kFeatureType, c.row), c.type);
    EXPECT_EQ(accessCell(x, access_col::kFeatureIndex, c.row), c.index);
    EXPECT_EQ(accessCell(x, access_col::kFeatureRefDes, c.row), c.refdes);
    EXPECT_EQ(accessCell(x, access_col::kFeaturePin, c.row), c.pin);
  }
  EXPECT_EQ(accessCell(x, access_col::kFeatureType, 0), "Feature Type");
}

TEST(Extraction, FirstOfEqualEntityNumbersWins) {
  BoardBuilder b;
  const int u1 = b.component("U1", 1), u2 = b.component("U2", 2);
  b.pin(u1, "1", 50);
  b.pin(u2, "9", 50);
  b.access(60, {{"DATALINK", "50"}});
  b.access(60, {{"DATALINK", "50"}});
  b.probe("1", 70, 0, 0, Side::Top, {{"DATALINK", "60"}});
  const Extracted x = extract(b.board());
  EXPECT_EQ(accessCell(x, access_col::kFeatureRefDes, 1), "U1");
  EXPECT_EQ(accessCell(x, access_col::kFeatureRefDes, 2), "U1");
  EXPECT_EQ(probeCell(x, probe_col::kAccessIndex, 1), "1");
}

TEST(Extraction, FailedViaOrPinQueriesLinkNothingOfThatKind) {
  BoardBuilder withFeatures = linkedBoard();
  withFeatures.probe("1", 41, 0, 0, Side::Top, {});
  const Extracted first = extract(withFeatures.board());

  // A second board without pins or vias, loaded after the first: its access
  // points must not be linked to the first board's features.
  BoardBuilder bare;
  bare.access(31, {{"DATALINK", "11"}});
  bare.access(32, {{"DATALINK", "21"}});
  bare.probe("1", 41, 0, 0, Side::Top, {});
  const Extracted x = extract(bare.board(), first);
  EXPECT_TRUE(x.pinsFailed);
  EXPECT_TRUE(x.viasFailed);
  EXPECT_EQ(accessCell(x, access_col::kFeatureType, 1), "");
  EXPECT_EQ(accessCell(x, access_col::kFeatureType, 2), "");
}

TEST(Extraction, NoProbesFailsAndKeepsThePreviousTable) {
  BoardBuilder b = linkedBoard();
  b.probe("1", 41, 0, 0, Side::Top, {});
  const Extracted first = extract(b.board());
  const Extracted x = extract(linkedBoard().board(), first);
  EXPECT_TRUE(x.probesFailed);
  EXPECT_EQ(x.tables.probeData.lastRow(), 1);
  EXPECT_EQ(probeCell(x, 1, 1), "1");

  BoardBuilder noAccess;
  noAccess.probe("1", 41, 0, 0, Side::Top, {});
  EXPECT_TRUE(extract(noAccess.board()).accessFailed);
}

TEST(Extraction, UnknownFileFails) {
  BoardBuilder b = linkedBoard();
  b.probe("1", 41, 0, 0, Side::Top, {});
  const BoardDocument doc(b.take());
  ExtractionTables tables;
  EXPECT_TRUE(extractProbes(doc, 99, tables));
}

}  // namespace
