#pragma once

// The renumbering grid: one row per probe with its current number, the
// reference designator it touches and the number it is to get. Row 0 holds
// the titles; the grid is the only copy of the renumbering data.

#include "gridmodel.h"
#include "renumberdocument.h"

#include <QString>

#include <vector>

namespace lw {

namespace rename_grid {
inline constexpr int kCurrent = 0, kTargetRefDes = 1, kTargetPrefix = 2,
                     kTargetSufix = 3, kPin = 4, kDataPosition = 5,
                     kProposed = 6, kColumns = 7;
}

// The proposal for a designator's number part: everything after its first
// non-digit, unless that non-digit is the last character, in which case
// (and when there is none) the text itself. "12" -> "12", "1.5" -> "5",
// "10-3" -> "3", "12A" -> "12A", "" -> "".
QString proposeProbeNumber(const QString& targetSufix);

// Copies every probe grid data row, hidden ones included, in the probe
// grid's current order; the four helper columns are hidden and the
// proposals left empty.
void buildRenameGrid(GridModel& renameGrid, const GridModel& probeGrid);

void proposeProbeNumbers(GridModel& renameGrid);

// Makes the proposal column current and sorts by it in numeric order, which
// puts equal proposals next to each other.
void sortByProposal(GridModel& renameGrid);

// Rows whose proposal equals the row above, exactly: a proposal given k
// times counts k - 1 once sortByProposal has run. 0 without data rows.
int countDuplicateProposals(const GridModel& renameGrid);
QString duplicateProposalsMessage(int count);

// Designator order: prefix, then number, then pin.
void sortByTargetReference(GridModel& renameGrid);

// Data position and proposal of every data row, in row order. Throws Error
// for a data position that is not a whole number.
std::vector<ProbeRename> probeRenames(const GridModel& renameGrid);

}  // namespace lw
