// Reading IPC-D-356 text: generator quirks, units, net aliases, split vias
// and malformed input. The hand-made files are described in data/README.md.

#include "ipc356reader.h"
#include "importtesting.h"

#include <QFile>

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace lw {
namespace {

using ipc356::Feature;
using ipc356::FeatureType;
using ipc356::Netlist;
using test::Record;

QByteArray readData(const char* name) {
  QFile file(test::importData(name));
  EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name;
  return file.readAll();
}

Netlist readData(const char* name, const char* label) {
  return ipc356::readNetlist(readData(name), QString::fromLatin1(label));
}

const Feature* find(const Netlist& n, const char* refdes, const char* pin) {
  for (const Feature& f : n.features)
    if (f.refdes == QLatin1String(refdes) && f.pin == QLatin1String(pin))
      return &f;
  return nullptr;
}

TEST(Ipc356Reader, ReadsSpacePaddedUnsignedNumbersAndShortLines) {
  const Netlist n = readData("eagle_style.ipc", "eagle");
  ASSERT_EQ(n.features.size(), 7u);
  const Feature& via = n.features[0];
  EXPECT_EQ(via.refdes, QStringLiteral("VIA"));
  EXPECT_EQ(via.net, QStringLiteral("GND"));
  EXPECT_DOUBLE_EQ(via.x, 100);  // 1000 x 0.0001 inch = 100 mil
  EXPECT_DOUBLE_EQ(via.y, 100);
  EXPECT_DOUBLE_EQ(via.width, 39.6);
  const Feature* j1 = find(n, "J1", "1");
  ASSERT_NE(j1, nullptr);
  EXPECT_EQ(j1->type, FeatureType::ThroughHole);
  EXPECT_DOUBLE_EQ(j1->angle, 90);  // "R 90"
  EXPECT_EQ(j1->pads.front().access, 0);
  EXPECT_EQ(j1->pads.front().mask, -1);  // no mask field at all
  EXPECT_TRUE(n.problems.isEmpty()) << n.problems.join('\n').toStdString();
}

TEST(Ipc356Reader, ResolvesAliasesWrittenWithTheirPrefix) {
  const Netlist n = readData("eagle_style.ipc", "eagle");
  EXPECT_EQ(find(n, "C1", "2")->net, QStringLiteral("A REALLY LONG NET NAME"));
  EXPECT_EQ(find(n, "U1", "1")->net, QStringLiteral("A REALLY LONG NET NAME"));
  EXPECT_TRUE(find(n, "J1", "3")->net.isEmpty());
}

TEST(Ipc356Reader, ReadsTheBoardEdgeWithItsContinuation) {
  const Netlist n = readData("eagle_style.ipc", "eagle");
  ASSERT_EQ(n.boardEdges.size(), 1u);
  const std::vector<QPointF> expected = {
      {0, 0}, {800, 0}, {800, 600}, {0, 600}};
  EXPECT_EQ(n.boardEdges[0], expected);
}

TEST(Ipc356Reader, SkipsAndCountsRecordsItDoesNotUse) {
  const Netlist n = readData("eagle_style.ipc", "eagle");
  const std::map<QString, int> expected = {{QStringLiteral("378"), 1},
                                           {QStringLiteral("379"), 1}};
  EXPECT_EQ(n.skipped, expected);
}

TEST(Ipc356Reader, FindsTheMaskFieldOneColumnLeftOfItsPlace) {
  const Netlist n = readData("kicad_style.ipc", "kicad");
  EXPECT_EQ(n.features[0].pads.front().mask, 3);  // the via
  EXPECT_EQ(find(n, "R1", "1")->pads.front().mask, 2);
  EXPECT_EQ(find(n, "R2", "1")->pads.front().mask, 1);
  EXPECT_DOUBLE_EQ(find(n, "R2", "1")->y, -3000);
  EXPECT_EQ(find(n, "TP1", "1")->net, QStringLiteral("/~{RESET}"));
  EXPECT_EQ(n.bottomLayer, 2);
}

TEST(Ipc356Reader, ReadsCrlfLinesWithBlankSizeAndRotationFields) {
  const QByteArray bytes = readData("allegro_style.ipc");
  ASSERT_TRUE(bytes.contains("\r\n"));
  const Netlist n = ipc356::readNetlist(bytes, QStringLiteral("allegro"));
  const Feature* u1 = find(n, "U1", "A1");
  ASSERT_NE(u1, nullptr);
  EXPECT_DOUBLE_EQ(u1->width, 11);
  EXPECT_DOUBLE_EQ(u1->height, 0);  // blank Y: same as X
  EXPECT_DOUBLE_EQ(u1->angle, 0);   // blank R
  EXPECT_EQ(u1->pads.front().mask, 1);
  EXPECT_TRUE(find(n, "TP1", "1")->midpoint);
  EXPECT_EQ(n.bottomLayer, 10);
  EXPECT_TRUE(n.problems.isEmpty()) << n.problems.join('\n').toStdString();
}

TEST(Ipc356Reader, ResolvesBareAliasesToNamesWithBlanks) {
  const Netlist n = readData("allegro_style.ipc", "allegro");
  EXPECT_EQ(find(n, "TP1", "1")->net,
            QStringLiteral("POWER GOOD FROM THE MAIN REGULATOR"));
}

TEST(Ipc356Reader, AliasesMayBeDefinedAfterTheirUse) {
  const QByteArray text =
      "P  UNITS CUST 0\n" +
      test::line({.net = "NNAME7", .refdes = "R1", .pin = "1", .width = 100}) +
      test::line({.net = "7", .refdes = "R1", .pin = "2", .width = 100}) +
      test::line({.net = "NNAME8", .refdes = "R1", .pin = "3", .width = 100}) +
      "P  NNAME7  LATE   NAME \n999\n";
  const Netlist n = ipc356::readNetlist(text, QStringLiteral("late"));
  EXPECT_EQ(n.features[0].net, QStringLiteral("LATE   NAME"));
  EXPECT_EQ(n.features[1].net, QStringLiteral("LATE   NAME"));
  EXPECT_EQ(n.features[2].net, QStringLiteral("NNAME8"));  // no such alias
}

TEST(Ipc356Reader, KeepsParametersInFileOrder) {
  const Netlist n = readData("allegro_style.ipc", "allegro");
  ASSERT_GE(n.parameters.size(), 3u);
  EXPECT_EQ(n.parameters[0].first, QStringLiteral("JOB"));
  EXPECT_EQ(n.parameters[0].second,
            QStringLiteral("C:/HAND/MADE/ALLEGRO_STYLE.brd"));
  EXPECT_EQ(n.parameters[1].first, QStringLiteral("TITLE"));
  EXPECT_EQ(n.parameters[1].second, QStringLiteral("HAND MADE ALLEGRO STYLE"));
  EXPECT_EQ(n.unitsText, QStringLiteral("CUST 0"));
}

TEST(Ipc356Reader, MergesSplitViaRecordsIntoOneFeature) {
  const Netlist n = readData("split_via.ipc", "split");
  EXPECT_EQ(n.featureRecords, 6);
  ASSERT_EQ(n.features.size(), 4u);
  const Feature& via = n.features[0];
  EXPECT_EQ(via.refdes, QStringLiteral("VIA"));
  ASSERT_EQ(via.pads.size(), 3u);
  EXPECT_EQ(via.pads[0].access, 1);
  EXPECT_EQ(via.pads[1].access, 2);
  EXPECT_EQ(via.pads[2].access, 0);
  EXPECT_DOUBLE_EQ(via.hole, 12);  // from the hole-only continuation
  EXPECT_DOUBLE_EQ(via.width, 30);
  EXPECT_DOUBLE_EQ(n.features[1].x, 2000);
}

struct UnitsCase {
  const char* units;  // nullptr: no UNITS record
  PageUnits pageUnits;
  double x;
  double width;
  double angle;
};

class Ipc356Units : public ::testing::TestWithParam<UnitsCase> {};

TEST_P(Ipc356Units, ScaleLengthsAndAngles) {
  const UnitsCase& c = GetParam();
  QByteArray text = test::netlist({{.refdes = "R1",
                                    .pin = "1",
                                    .x = 12345,
                                    .y = -500,
                                    .width = 250,
                                    .rotation = 1}},
                                  c.units ? c.units : "");
  if (!c.units) text.remove(0, text.indexOf('\n') + 1);
  const Netlist n = ipc356::readNetlist(text, QStringLiteral("units"));
  EXPECT_EQ(n.units, c.pageUnits);
  EXPECT_DOUBLE_EQ(n.features[0].x, c.x);
  EXPECT_DOUBLE_EQ(n.features[0].width, c.width);
  EXPECT_NEAR(n.features[0].angle, c.angle, 1e-12);
}

INSTANTIATE_TEST_SUITE_P(
    Table, Ipc356Units,
    ::testing::Values(UnitsCase{"CUST 0", PageUnits::Mil, 1234.5, 25, 1},
                      UnitsCase{"CUST", PageUnits::Mil, 1234.5, 25, 1},
                      UnitsCase{nullptr, PageUnits::Mil, 1234.5, 25, 1},
                      UnitsCase{"CUST 1", PageUnits::Millimetre, 12.345, 0.25,
                                1},
                      UnitsCase{"CUST 2", PageUnits::Mil, 1234.5, 25,
                                180 / std::numbers::pi}));

TEST(Ipc356Reader, RefusesUnitsItCannotConvert) {
  try {
    readData("bad_units.ipc", "\"bad_units.ipc\"");
    FAIL() << "no error";
  } catch (const Error& e) {
    EXPECT_TRUE(e.message().contains(QLatin1String("FURLONG")));
    EXPECT_TRUE(e.message().contains(QLatin1String("bad_units.ipc")));
  }
}

TEST(Ipc356Reader, ReportsMalformedLinesWithTheirNumbers) {
  const Netlist n = readData("malformed.ipc", "malformed");
  ASSERT_EQ(n.features.size(), 2u);
  EXPECT_EQ(n.features[1].pin, QStringLiteral("5"));
  ASSERT_EQ(n.problems.size(), 5) << n.problems.join('\n').toStdString();
  const char* expected[] = {
      "line 3: the X coordinate \"+00A000\" is not a number",
      "line 4: the feature record has no X and Y position",
      "line 5: the access code \"AXY\" is not a layer number",
      "line 6: a continuation record without a feature record before it",
      "line 10: text after the end record 999 is ignored"};
  for (int i = 0; i < 5; ++i)
    EXPECT_EQ(n.problems[i], QLatin1String(expected[i]));
  EXPECT_EQ(n.skipped.at(QStringLiteral("ZZZ")), 1);
}

const char kBinary[] = "\x00\x01\x02\xff\xfe garbage\n";

class Ipc356Refused : public ::testing::TestWithParam<QByteArray> {};

TEST_P(Ipc356Refused, TextWithoutFeaturesWithAClearError) {
  try {
    ipc356::readNetlist(GetParam(), QStringLiteral("\"board.ipc\""));
    FAIL() << "no error";
  } catch (const Error& e) {
    EXPECT_TRUE(e.message().startsWith(
        QLatin1String("\"board.ipc\" holds no test points")))
        << e.message().toStdString();
  }
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, Ipc356Refused,
    ::testing::Values(QByteArray(), QByteArray("\n\r\n   \n"),
                      QByteArray("P  UNITS CUST 0\nC  nothing\n999\n"),
                      QByteArray(kBinary, sizeof kBinary - 1),
                      QByteArray("317GND  VIA  broken\n999\n")));

TEST(Ipc356Reader, ErrorForAFileWithoutFeaturesNamesTheFirstProblem) {
  try {
    QByteArray text = test::line({.refdes = "R1", .x = 5});
    text.replace("X+000005", "X+0000Z5");
    ipc356::readNetlist(text, QStringLiteral("x"));
    FAIL() << "no error";
  } catch (const Error& e) {
    EXPECT_TRUE(e.message().contains(QLatin1String("line 1:")));
  }
}

}  // namespace
}  // namespace lw
