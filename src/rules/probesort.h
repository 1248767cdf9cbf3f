#pragma once

// The sort priority list and the multi-pass sort it drives.
//
// Each entry is one stable ascending pass over the probe grid in the grid's
// generic order, index 0 first, so the last entry is the primary key and
// each earlier one breaks the ties of the later ones. "RefDes" is three
// passes, by "Pin", "Number" and "Prefix", giving reference designator
// order (prefix, then number numerically, then pin).

#include "gridmodel.h"

#include <QStringList>

#include <optional>
#include <vector>

namespace lw {

inline constexpr QLatin1StringView kRefDesEntry("RefDes");

// Another entry sorts by the first column titled exactly so; an entry that
// names no column does nothing. Rows keep their hidden state.
void sortProbeGrid(GridModel& probes, const QStringList& sortOrder);

// The columns sortProbeGrid passes over, in order: only the last pass by
// each column, since an earlier one cannot change the result. However long
// the list (a rules file may repeat an entry ten thousand times), there are
// at most as many passes as columns.
std::vector<int> sortPasses(const GridModel& probes,
                            const QStringList& sortOrder);

struct MoveButtons {
  bool up = false;
  bool down = false;
  bool operator==(const MoveButtons&) const = default;
};

// The move buttons for a list of count entries with the first selected
// entry at `selected` (-1: none). Lists under two entries leave the buttons
// as they are (nullopt).
std::optional<MoveButtons> moveButtonStates(int count, int selected);

// Where the entry at `selected` goes when moved by step (-1 up, +1 down);
// -1 when it cannot move.
int moveTarget(int count, int selected, int step);

}  // namespace lw
