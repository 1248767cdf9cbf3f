// Layer styles per surface, zoom windows, view coordinates, rotation
// captions and save names.

#include "layertable.h"
#include "savename.h"
#include "zoom.h"

#include <gtest/gtest.h>

using namespace lw;

namespace {

TEST(LayerRules, StartingStyleAndSurfaces) {
  const struct {
    int type;
    const char* name;
    bool start;
    Rgb colour;
    bool onTop, onBottom;
  } cases[] = {
      {28, "OUTLINE", true, {0, 0, 255}, true, true},
      {15, "T15", true, {128, 128, 64}, true, false},
      {16, "B16", true, {128, 128, 64}, false, true},
      {9, "DRILL", true, {95, 95, 95}, true, true},
      {6, "SILK_T", true, {95, 95, 95}, true, false},
      {7, "SILK_B", false, {95, 95, 95}, false, true},
      {1, "PROBE_BOT", true, {95, 95, 95}, true, false},  // type wins
      {2, "BOTTOM", false, {95, 95, 95}, false, true},
      {50, "PROBE_TOP", true, {0, 0, 255}, true, false},
      {51, "PROBE_BOT", false, {0, 0, 255}, false, true},
      {51, "probe_bot", false, {1, 2, 3}, false, false},  // exact names
      {44, "NOTES", false, {1, 2, 3}, false, false},      // stays hidden
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    LayerRow row{0, c.name, c.type, true, {1, 2, 3}};
    applyStartingStyle(row);
    EXPECT_EQ(row.on, c.start);
    EXPECT_EQ(row.colour, c.colour);
    LayerRow top = row, bottom = row;
    applySurface(bottom, false);
    applySurface(top, true);
    EXPECT_EQ(top.on, c.onTop);
    EXPECT_EQ(bottom.on, c.onBottom);
    // Switching the surface never changes colours.
    EXPECT_EQ(bottom.colour, c.colour);
  }
}

TEST(LayerRules, TableReadsUntilTheListEnds) {
  Board board;
  board.layers = {{0, "TOP", 1, {9, 9, 9}, true},
                  {3, "NOTES", 44, {10, 20, 30}, true}};
  const LayerTable table = buildLayerTable(BoardDocument(board));
  ASSERT_EQ(table.size(), 2u);
  EXPECT_EQ(table[1].number, 3);
  EXPECT_EQ(table[1].colour, (Rgb{10, 20, 30}));  // own colour, no swap
  EXPECT_FALSE(table[1].on);
}

TEST(Zoom, FieldsFollowUnitsAndLevel) {
  const struct {
    int units, level;
    double half, centre;
  } cases[] = {{1, 5, 800, 10000}, {2, 5, 20.32, 254},   {0, 1, 1.2, 10},
               {0, 10, 0.3, 10},   {3, 5, 809.6, 10120}, {4, 5, 20320, 254000}};
  for (const auto& c : cases) {
    ZoomFields f;
    EXPECT_TRUE(updateZoomFields(c.units, c.level, f));
    EXPECT_NEAR(f.probeZoomHalfSize, c.half, 1e-9) << c.units;
    EXPECT_NEAR(f.boardCentreSize, c.centre, 1e-9) << c.units;
  }
  ZoomFields kept{1, 2};
  EXPECT_FALSE(updateZoomFields(5, 5, kept));
  EXPECT_FALSE(updateZoomFields(-1, 5, kept));
  EXPECT_EQ(kept.probeZoomHalfSize, 1);
  EXPECT_EQ(kept.boardCentreSize, 2);
}

TEST(Zoom, ViewCoordinatesTurnThenMirror) {
  const struct {
    int rotation;
    bool top;
    QPointF expected;
  } cases[] = {
      {0, true, {10, 5}},     {90, true, {-5, 10}},    {180, true, {-10, -5}},
      {270, true, {5, -10}},  {0, false, {-10, 5}},    {90, false, {5, 10}},
      {180, false, {10, -5}}, {270, false, {-5, -10}}, {45, true, {10, 5}}};
  for (const auto& c : cases)
    EXPECT_EQ(viewCoordinates({10, 5}, c.rotation, c.top), c.expected)
        << c.rotation << (c.top ? " top" : " bottom");
}

TEST(Zoom, RotationFromCaption) {
  const struct {
    const char* caption;
    int expected;
  } cases[] = {{"Rotate Board (0)", 0},
               {"Rotate Board (90)", 90},
               {"Rotate Board (180)", 180},
               {"Rotate Board (270)", 270},
               {"turned (180) twice", 180},
               {"Rotate Board", 7},
               {"", 7}};
  for (const auto& c : cases)
    EXPECT_EQ(rotationFromCaption(c.caption, 7), c.expected) << c.caption;
  EXPECT_EQ(rotateCaption(90), "Rotate Board (90)");
}

TEST(SaveName, ExtensionRules) {
  const struct {
    const char* typed;
    const char* written;
    bool compressed;
  } cases[] = {
      {"board", "board.vd", false},
      {"board.vd", "board.vd", false},
      {"board.VD", "board.VD", false},
      {"board.VdZ", "board.VdZ", true},
      {"board.", "board.vd", false},
      {"a.v", "a.v.vd", false},
      {".vd", ".vd.vd", false},
      {"board.txt", "board.txt.vd", false},
      {"/tmp/x.y/board", "/tmp/x.y/board.vd", false},
      {"b.vdz", "b.vdz", true},
      {".vdz", ".vdz.vd", false},
  };
  for (const auto& c : cases) {
    const SaveTarget t = saveTargetFor(c.typed);
    EXPECT_EQ(t.path, c.written) << c.typed;
    EXPECT_EQ(t.compressed, c.compressed) << c.typed;
  }
}

}  // namespace
