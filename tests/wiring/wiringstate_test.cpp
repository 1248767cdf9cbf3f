// The wiring session inside the document: the ten settings in the text forms
// stored documents carry, and the wired marks by data position.

#include "wiringstate.h"
#include "boardbuilder.h"
#include "boarddocument.h"
#include "gridmodel.h"
#include "probetable.h"

#include <gtest/gtest.h>

using namespace lw;
using namespace lw::test;

namespace {

QString stored(BoardDocument& doc, const char* name) {
  doc.selectDocumentAttributes();
  return doc.attributeValue(doc.lookUpKeyword(name));
}

void storeTexts(BoardDocument& doc,
                const std::vector<std::pair<const char*, const char*>>& texts) {
  doc.selectDocumentAttributes();
  for (const auto& [name, text] : texts)
    doc.setAttributeValue(doc.registerKeyword(name), text);
}

TEST(WiringSettings, StoredInTheirTextForms) {
  WiringSettings s;
  s.zoomLevel = 8;
  s.surfaceTop = false;
  s.surfaceBottom = true;
  s[ClassBox::Mech] = Qt::PartiallyChecked;
  s[ClassBox::Vias] = Qt::Unchecked;
  s.rotation = 90;
  BoardDocument doc;
  storeWiringSettings(doc, s);
  const std::pair<const char*, const char*> expected[] = {
      {"WIRING_ZOOM_LEVEL", "8"},
      {"WIRING_SURFACE_TOP", "False"},
      {"WIRING_SURFACE_BOTTOM", "True"},
      {"WIRING_MECH", "2"},
      {"WIRING_TOOLING", "1"},
      {"WIRING_FIDUCIALS", "1"},
      {"WIRING_VIAS", "0"},
      {"WIRING_COMPS", "1"},
      {"WIRING_PINS", "1"},
      {"WIRING_ROT", "Rotate Board (90)"}};
  for (const auto& [name, text] : expected)
    EXPECT_EQ(stored(doc, name), text) << name;
  EXPECT_EQ(restoreWiringSettings(doc, WiringSettings{}), s);
}

struct RestoreCase {
  const char* name;
  std::vector<std::pair<const char*, const char*>> texts;
  WiringSettings expected;
};

WiringSettings with(void (*change)(WiringSettings&)) {
  WiringSettings s;
  change(s);
  return s;
}

class Restore : public testing::TestWithParam<RestoreCase> {};

TEST_P(Restore, ReadsInOrderUntilAValueDoesNotRead) {
  BoardDocument doc;
  storeTexts(doc, GetParam().texts);
  EXPECT_EQ(restoreWiringSettings(doc, WiringSettings{}), GetParam().expected);
}

const std::vector<std::pair<const char*, const char*>> kComplete = {
    {"WIRING_ZOOM_LEVEL", "7.9"},
    {"WIRING_SURFACE_TOP", "true"},
    {"WIRING_SURFACE_BOTTOM", "-1"},
    {"WIRING_MECH", "0"},
    {"WIRING_TOOLING", " 2 "},
    {"WIRING_FIDUCIALS", "1"},
    {"WIRING_VIAS", "1"},
    {"WIRING_COMPS", "1"},
    {"WIRING_PINS", "1"},
    {"WIRING_ROT", "turned (180) twice"}};

INSTANTIATE_TEST_SUITE_P(
    Cases, Restore,
    testing::Values(
        RestoreCase{"NeverSaved", {}, {}},
        RestoreCase{"Complete", kComplete, with([](WiringSettings& s) {
                      s.zoomLevel = 7;       // whole levels, rounded down
                      s.surfaceTop = false;  // the later "true" wins
                      s.surfaceBottom = true;
                      s[ClassBox::Mech] = Qt::Unchecked;
                      s[ClassBox::Tooling] = Qt::PartiallyChecked;
                      s.rotation = 180;
                    })},
        RestoreCase{"LevelClamped",
                    {{"WIRING_ZOOM_LEVEL", "40"}},
                    with([](WiringSettings& s) { s.zoomLevel = 10; })},
        RestoreCase{
            "BadLevelEndsAtOnce",
            {{"WIRING_ZOOM_LEVEL", "nan"}, {"WIRING_SURFACE_BOTTOM", "True"}},
            {}},
        RestoreCase{"BadCheckEndsTheRest",
                    {{"WIRING_ZOOM_LEVEL", "3"},
                     {"WIRING_SURFACE_TOP", "False"},
                     {"WIRING_SURFACE_BOTTOM", "False"},
                     {"WIRING_MECH", "0"},
                     {"WIRING_TOOLING", "3"},
                     {"WIRING_VIAS", "0"},
                     {"WIRING_ROT", "Rotate Board (90)"}},
                    with([](WiringSettings& s) {
                      s.zoomLevel = 3;
                      s[ClassBox::Mech] = Qt::Unchecked;
                    })},
        RestoreCase{"CaptionWithoutAngleKeepsTheRotation",
                    {{"WIRING_ZOOM_LEVEL", "5"},
                     {"WIRING_SURFACE_TOP", "1"},
                     {"WIRING_SURFACE_BOTTOM", "0"},
                     {"WIRING_MECH", "1"},
                     {"WIRING_TOOLING", "1"},
                     {"WIRING_FIDUCIALS", "1"},
                     {"WIRING_VIAS", "1"},
                     {"WIRING_COMPS", "1"},
                     {"WIRING_PINS", "1"},
                     {"WIRING_ROT", "Rotate Board"}},
                    {}}),
    [](const auto& info) { return std::string(info.param.name); });

// Two probes named "1" at data positions 1 and 2, and "2" at 3.
struct MarkedBoard {
  BoardDocument doc;
  GridModel grid;
  MarkedBoard() {
    BoardBuilder b;
    b.via(1);
    for (const char* name : {"1", "1", "2"})
      b.probe(name, 10, 0, 0, Side::Top, {});
    doc = BoardDocument(b.take());
    grid.setColumns(probe_grid::kFirstAttribute);
    grid.setRows(4);
    for (int r = 1; r <= 3; ++r)
      grid.setText(r, probe_grid::kDataPosition, QString::number(r));
  }
  QString mark(int position) {
    doc.selectEntity(7, position);
    return doc.attributeValue(doc.lookUpKeyword("PROBE_WIRED"));
  }
};

TEST(WiredMarks, EachProbeByItsDataPosition) {
  MarkedBoard m;
  m.grid.setText(2, probe_grid::kWired, "1");
  storeWiredMarks(m.doc, m.grid, 7);
  EXPECT_EQ(m.mark(1), "0");  // an empty cell is stored as "0"
  EXPECT_EQ(m.mark(2), "1");  // same name as position 1, its own mark
  EXPECT_EQ(m.mark(3), "0");

  GridModel back;
  back.setColumns(probe_grid::kFirstAttribute);
  back.setRows(4);
  for (int r = 1; r <= 3; ++r)
    back.setText(r, probe_grid::kDataPosition, QString::number(4 - r));
  restoreWiredMarks(m.doc, back, 7);
  EXPECT_EQ(back.text(1, probe_grid::kWired), "0");
  EXPECT_EQ(back.text(2, probe_grid::kWired), "1");
  EXPECT_EQ(back.text(3, probe_grid::kWired), "0");
}

TEST(WiredMarks, NothingStoredChangesNothing) {
  MarkedBoard m;
  m.grid.setText(1, probe_grid::kWired, "1");
  restoreWiredMarks(m.doc, m.grid, 7);
  EXPECT_EQ(m.grid.text(1, probe_grid::kWired), "1");
  EXPECT_EQ(m.doc.lookUpKeyword("PROBE_WIRED"), 0);
}

}  // namespace
