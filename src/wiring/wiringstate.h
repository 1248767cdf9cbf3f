#pragma once

// The wiring session kept inside the document, so that the next shift
// reopens where this one stopped: every probe's wired mark and ten view
// settings, stored as document attributes under the names and in the text
// forms that documents written by every earlier version carry.

#include <QtCore/qnamespace.h>

#include <array>

namespace lw {

class BoardDocument;
class GridModel;

// The entity class check boxes, in the order their settings are stored.
enum class ClassBox { Mech, Tooling, Fiducials, Vias, Comps, Pins };
inline constexpr int kClassBoxCount = 6;

struct WiringSettings {
  int zoomLevel = 5;  // 1..10
  bool surfaceTop = true;
  bool surfaceBottom = false;
  std::array<Qt::CheckState, kClassBoxCount> classes = {
      Qt::Checked, Qt::Checked, Qt::Checked,
      Qt::Checked, Qt::Checked, Qt::Checked};
  int rotation = 0;  // degrees: 0, 90, 180 or 270

  Qt::CheckState& operator[](ClassBox box) { return classes[int(box)]; }
  Qt::CheckState operator[](ClassBox box) const { return classes[int(box)]; }
  bool operator==(const WiringSettings&) const = default;
};

// Writes the settings as document attributes: the zoom level as a whole
// number, the surfaces as "True"/"False", each check box as 0 (clear), 1
// (ticked) or 2 (greyed), and the rotation as the button caption
// "Rotate Board (90)".
void storeWiringSettings(BoardDocument& document,
                         const WiringSettings& settings);

// Reads the settings back over current, in the order they are stored. The
// first value that does not read (missing, or not a number, a truth value
// or a check state) ends the reading and keeps current for it and every
// later setting, so a document without settings changes nothing. A
// surface stored "False" leaves that surface as it was. The zoom level is
// clamped to 1..10; a caption naming no angle keeps the rotation.
WiringSettings restoreWiringSettings(BoardDocument& document,
                                     WiringSettings current);

// Each probe row's "Wired" cell ("1" wired, "0" when empty) into its
// probe's "PROBE_WIRED" attribute, found by data position (names may
// repeat) within the file of selectArgument.
void storeWiredMarks(BoardDocument& document, const GridModel& probeGrid,
                     int selectArgument);

// The stored marks back into the "Wired" cells; nothing when the document
// has never stored any.
void restoreWiredMarks(BoardDocument& document, GridModel& probeGrid,
                       int selectArgument);

// The document has stored wired marks (it was saved by a wiring session).
bool hasStoredWiredMarks(const BoardDocument& document);

}  // namespace lw
