#pragma once

// The rules grid: a header row ("Visible", "Sort Key", "Column") and one row
// per probe grid column, row i standing for probe grid column i-1. Its rows
// are never reordered or removed, so the row number is the link. The rows
// of the internal columns are hidden but still read, written and applied.

#include "gridmodel.h"
#include "rulesfile.h"

#include <vector>

namespace lw {

namespace rules_grid {
inline constexpr int kVisible = 0, kSortKey = 1, kColumn = 2;
}

// Fills rules from the probe grid as it is now: "Visible" as each column
// shows, every "Sort Key" "0".
void buildRulesGrid(GridModel& rules, const GridModel& probes);

// One rule per data row, hidden rows included, in row order; a flag is set
// exactly when its cell is "1".
std::vector<ColumnRule> columnRules(const GridModel& rules);

// Each line sets the flags of every row whose "Column" equals its name
// exactly; rows no line names keep their cells.
void applyColumnRules(GridModel& rules, const std::vector<ColumnRule>& lines);

// Shows probe grid column i-1 exactly when row i's "Visible" is "1".
void applyVisibility(const GridModel& rules, GridModel& probes);

// A flag cell after a click: "0" becomes "1", anything else "0".
QString toggledFlag(const QString& flag);

}  // namespace lw
