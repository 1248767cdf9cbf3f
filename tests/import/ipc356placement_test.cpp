// Probe placement: preferences, pad size, spacing, sides, unplaced nets,
// numbering and determinism. Lengths below are in 0.0001 inch as the file
// writes them; 1000 is 100 mil.

#include "importtesting.h"

#include <gtest/gtest.h>

namespace lw {
namespace {

using test::attr;
using test::entitiesOf;
using test::Record;

ImportResult place(const std::vector<Record>& records,
                   const ImportOptions& options = {}) {
  return importIpc356Text(test::netlist(records), QStringLiteral("p.ipc"),
                          options);
}

// The reference designator (or VIA) under the probe of a net.
QString chosen(const Board& b, const char* net) {
  const auto probes = test::probesOfNet(b, QLatin1String(net));
  if (probes.size() != 1 || !test::isPlaced(b, *probes[0])) return {};
  const Entity* ap = test::byNumber(b, *attr(b, *probes[0], "DATALINK"));
  const Entity* f = test::featureOf(b, *ap);
  return f->kind == EntityKind::Via ? QStringLiteral("VIA")
                                    : b.entities[f->parent].name;
}

QString reason(const Board& b, const char* net) {
  const auto probes = test::probesOfNet(b, QLatin1String(net));
  if (probes.size() != 1) return QStringLiteral("%1 probes").arg(probes.size());
  return attr(b, *probes[0], "PLACEMENT_REASON").value_or(QString());
}

// Far-apart candidates of one net "A", all reachable from the bottom.
const Record kTestPad{
    .net = "A", .refdes = "TP1", .pin = "1", .access = 2, .x = 0, .width = 500};
const Record kVia{.code = "317",
                  .net = "A",
                  .refdes = "VIA",
                  .hole = 120,
                  .plating = 'P',
                  .access = 0,
                  .x = 10000,
                  .width = 500};
const Record kThroughPin{.code = "317",
                         .net = "A",
                         .refdes = "J1",
                         .pin = "1",
                         .hole = 300,
                         .plating = 'P',
                         .access = 0,
                         .x = 20000,
                         .width = 500};
const Record kSmdPad{.net = "A",
                     .refdes = "U1",
                     .pin = "1",
                     .access = 2,
                     .x = 30000,
                     .width = 500};
const Record kSmallTestPad{.net = "A",
                           .refdes = "TP2",
                           .pin = "1",
                           .access = 2,
                           .x = 40000,
                           .width = 200};

struct PreferenceCase {
  std::vector<Record> records;
  const char* expected;
};

class Ipc356Preference : public ::testing::TestWithParam<PreferenceCase> {};

TEST_P(Ipc356Preference, PicksTheBestKindOfPad) {
  const Board b = place(GetParam().records).board;
  EXPECT_EQ(chosen(b, "A"), QLatin1String(GetParam().expected));
}

INSTANTIATE_TEST_SUITE_P(
    Table, Ipc356Preference,
    ::testing::Values(PreferenceCase{{kSmdPad, kThroughPin, kVia, kTestPad},
                                     "TP1"},
                      PreferenceCase{{kSmdPad, kThroughPin, kVia}, "VIA"},
                      PreferenceCase{{kSmdPad, kThroughPin}, "J1"},
                      PreferenceCase{{kSmdPad}, "U1"},
                      // A test pad below the minimum size does not count.
                      PreferenceCase{{kSmallTestPad, kSmdPad}, "U1"}));

TEST(Ipc356Placement, LargerPadWinsWithinAKind) {
  Record small = kSmdPad;
  small.width = 350;
  Record large = kSmdPad;
  large.refdes = "U2";
  large.x = 50000;
  large.width = 600;
  EXPECT_EQ(chosen(place({small, large}).board, "A"), QStringLiteral("U2"));
}

TEST(Ipc356Placement, KeepsTheSpacingOfTheProbeSize) {
  // Two nets whose only pads are 80 mil apart.
  const Record a{.net = "A",
                 .refdes = "R1",
                 .pin = "1",
                 .access = 2,
                 .x = 0,
                 .width = 400};
  const Record b{.net = "B",
                 .refdes = "R1",
                 .pin = "2",
                 .access = 2,
                 .x = 800,
                 .width = 400};
  for (const auto& [size, placed] :
       {std::pair{ProbeSize::Mil100, 1}, std::pair{ProbeSize::Mil75, 2},
        std::pair{ProbeSize::Mil50, 2}}) {
    ImportOptions options;
    options.probeSize = size;
    const ImportResult r = place({a, b}, options);
    EXPECT_EQ(r.summary.probesPlaced, placed) << static_cast<int>(size);
    EXPECT_EQ(r.summary.unplacedTooClose, 2 - placed);
  }
  // Exactly the spacing apart is allowed.
  Record atPitch = b;
  atPitch.x = 1000;
  EXPECT_EQ(place({a, atPitch}).summary.probesPlaced, 2);
}

TEST(Ipc356Placement, CrowdedNetsChooseFirst) {
  // A's test pad is 50 mil from B's only pad; A still has a via.
  const Record aTestPad{.net = "A",
                        .refdes = "TP1",
                        .pin = "1",
                        .access = 2,
                        .x = 0,
                        .width = 500};
  const Record aVia{.code = "317",
                    .net = "A",
                    .refdes = "VIA",
                    .hole = 120,
                    .plating = 'P',
                    .access = 0,
                    .x = 5000,
                    .width = 500};
  const Record b{.net = "B",
                 .refdes = "R1",
                 .pin = "1",
                 .access = 2,
                 .x = 500,
                 .width = 500};
  const Board board = place({aTestPad, aVia, b}).board;
  EXPECT_EQ(chosen(board, "A"), QStringLiteral("VIA"));
  EXPECT_EQ(chosen(board, "B"), QStringLiteral("R1"));
}

TEST(Ipc356Placement, RespectsTheMinimumPadSize) {
  Record pad = kSmdPad;
  pad.width = 400;
  pad.height = 250;  // 25 mil across its narrow side
  ImportOptions options;
  EXPECT_EQ(reason(place({pad}, options).board, "A"),
            QLatin1String(kReasonPadTooSmall));
  options.probeSize = ProbeSize::Mil75;  // pads from 25 mil
  EXPECT_EQ(chosen(place({pad}, options).board, "A"), QStringLiteral("U1"));
  options.minPadMils = 26;
  EXPECT_EQ(reason(place({pad}, options).board, "A"),
            QLatin1String(kReasonPadTooSmall));
}

TEST(Ipc356Placement, UsesOnlyTheChosenSides) {
  const Record top{.net = "T",
                   .refdes = "R1",
                   .pin = "1",
                   .access = 1,
                   .x = 0,
                   .width = 500};
  const Record bottom{.net = "B",
                      .refdes = "R1",
                      .pin = "2",
                      .access = 2,
                      .x = 5000,
                      .width = 500};
  const Record through{.code = "317",
                       .net = "H",
                       .refdes = "J1",
                       .pin = "1",
                       .hole = 300,
                       .plating = 'P',
                       .access = 0,
                       .x = 10000,
                       .width = 500};
  struct Case {
    ProbeSide side;
    const char* unplaced;
    Side throughSide;
  };
  for (const Case& c : {Case{ProbeSide::Bottom, "T", Side::Bottom},
                        Case{ProbeSide::Top, "B", Side::Top},
                        Case{ProbeSide::Both, nullptr, Side::Bottom}}) {
    ImportOptions options;
    options.side = c.side;
    const Board b = place({top, bottom, through}, options).board;
    for (const char* net : {"T", "B", "H"}) {
      const bool expectPlaced = !c.unplaced || qstrcmp(net, c.unplaced) != 0;
      const auto probes = test::probesOfNet(b, QLatin1String(net));
      ASSERT_EQ(probes.size(), 1u);
      EXPECT_EQ(test::isPlaced(b, *probes[0]), expectPlaced) << net;
      if (!expectPlaced) {
        EXPECT_EQ(reason(b, net), QLatin1String(kReasonNoAccess));
      }
    }
    EXPECT_EQ(test::probesOfNet(b, QStringLiteral("H"))[0]->side,
              c.throughSide);
  }
}

TEST(Ipc356Placement, NoConnectPadsGetNoProbe) {
  const Record nc{.net = "N/C",
                  .refdes = "R1",
                  .pin = "1",
                  .access = 2,
                  .x = 0,
                  .width = 500};
  const Record blank{
      .refdes = "R1", .pin = "2", .access = 2, .x = 5000, .width = 500};
  const ImportResult r = place({nc, blank, kSmdPad});
  EXPECT_EQ(r.summary.nets, 1);
  EXPECT_EQ(r.summary.noConnectFeatures, 1);
  EXPECT_EQ(r.summary.unnamedFeatures, 1);
  EXPECT_EQ(entitiesOf(r.board, EntityKind::Probe).size(), 1u);
  EXPECT_TRUE(test::probesOfNet(r.board, QStringLiteral("N/C")).empty());
}

TEST(Ipc356Placement, ProbesAreNumberedPlacedFirstInFileOrder) {
  const Record unreachable{.net = "Z",
                           .refdes = "R9",
                           .pin = "1",
                           .access = 1,
                           .x = 90000,
                           .width = 500};
  Record second = kSmdPad;
  second.net = "B";
  second.x = 60000;
  const Board b = place({unreachable, kSmdPad, second}).board;
  const auto probes = entitiesOf(b, EntityKind::Probe);
  ASSERT_EQ(probes.size(), 3u);
  const char* nets[] = {"A", "B", "Z"};
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(probes[i]->name, QString::number(i + 1));
    EXPECT_EQ(attr(b, *probes[i], "NETNAME"), QLatin1String(nets[i]));
    const auto refName = std::find_if(
        probes[i]->attributes.begin(), probes[i]->attributes.end(),
        [&b](const Attribute& a) {
          return b.keywords.value(a.keyword) == QLatin1String("REFNAME");
        });
    ASSERT_NE(refName, probes[i]->attributes.end());
    EXPECT_EQ(refName->value, probes[i]->name);
    EXPECT_GT(refName->display.reals[0], 0);  // a text height
  }
  EXPECT_EQ(attr(b, *probes[0], "PROBE_PLACEMENT"), QStringLiteral("Placed"));
  EXPECT_FALSE(attr(b, *probes[0], "PLACEMENT_REASON"));
  EXPECT_EQ(attr(b, *probes[2], "PROBE_PLACEMENT"), QStringLiteral("Unplaced"));
  EXPECT_FALSE(attr(b, *probes[2], "DATALINK"));  // no access point at all
}

TEST(Ipc356Placement, UnplacedProbeLinksThePadItWasRefused) {
  Record pad = kSmdPad;
  pad.width = 100;
  const Board b = place({pad}).board;
  const auto probes = entitiesOf(b, EntityKind::Probe);
  ASSERT_EQ(probes.size(), 1u);
  const Entity* ap = test::byNumber(b, *attr(b, *probes[0], "DATALINK"));
  ASSERT_NE(ap, nullptr);
  EXPECT_EQ(ap->kind, EntityKind::AccessPoint);
  EXPECT_EQ(probes[0]->x, ap->x);
}

TEST(Ipc356Placement, SameInputAndOptionsGiveTheSameBoard) {
  const std::vector<Record> records = {kSmdPad, kThroughPin, kVia, kTestPad};
  ImportOptions options;
  options.side = ProbeSide::Both;
  EXPECT_TRUE(place(records, options).board == place(records, options).board);
  options.probeSize = ProbeSize::Mil50;
  EXPECT_FALSE(place(records, options).board == place(records, {}).board);
}

TEST(Ipc356Placement, OptionTextsAreRead) {
  EXPECT_EQ(probeSideFromText(u"top"), ProbeSide::Top);
  EXPECT_EQ(probeSideFromText(u"both"), ProbeSide::Both);
  EXPECT_EQ(probeSideFromText(u"bottom"), ProbeSide::Bottom);
  EXPECT_FALSE(probeSideFromText(u"Top"));
  EXPECT_EQ(probeSizeFromText(u"75"), ProbeSize::Mil75);
  EXPECT_FALSE(probeSizeFromText(u"60"));
}

}  // namespace
}  // namespace lw
