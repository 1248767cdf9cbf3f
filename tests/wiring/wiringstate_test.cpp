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

TEST(WiringSettings, RestoreReadsInOrderUntilAValueDoesNotRead) {
  constexpr Qt::CheckState on = Qt::Checked, off = Qt::Unchecked,
                           grey = Qt::PartiallyChecked;
  const char* const names[] = {"WIRING_ZOOM_LEVEL",     "WIRING_SURFACE_TOP",
                               "WIRING_SURFACE_BOTTOM", "WIRING_MECH",
                               "WIRING_TOOLING",        "WIRING_FIDUCIALS",
                               "WIRING_VIAS",           "WIRING_COMPS",
                               "WIRING_PINS",           "WIRING_ROT"};
  const struct {
    std::array<const char*, 10> texts;  // in stored order; null: absent
    WiringSettings expected;
  } cases[] = {
      {{}, {}},  // never saved: nothing changes
      // Whole levels rounded down; the later surface set wins; any text
      // naming an angle.
      {{"7.9", "true", "-1", "0", " 2 ", "1", "1", "1", "1", "(180) twice"},
       {7, false, true, {off, grey, on, on, on, on}, 180}},
      {{"40"}, {.zoomLevel = 10}},  // clamped to 1..10
      {{"nan", "False", "True"}, {}},
      // A check state that is not 0, 1 or 2 ends the reading there.
      {{"3", "False", "False", "0", "3", "0", "0", "0", "0", "(90)"},
       {.zoomLevel = 3, .classes = {off, on, on, on, on, on}}},
      {{"5", "1", "0", "1", "1", "1", "1", "1", "1", "Rotate Board"}, {}},
  };
  for (const auto& c : cases) {
    BoardDocument doc;
    doc.selectDocumentAttributes();
    for (int i = 0; i < 10; ++i)
      if (c.texts[size_t(i)])
        doc.setAttributeValue(doc.registerKeyword(names[i]),
                              c.texts[size_t(i)]);
    EXPECT_EQ(restoreWiringSettings(doc, WiringSettings{}), c.expected)
        << (c.texts[0] ? c.texts[0] : "never saved");
  }
}

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
