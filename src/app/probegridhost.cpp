#include "probegridhost.h"

#include "probetable.h"

namespace lw {

void recolourProbesAndReselect(ProbeGridHost& host) {
  GridModel& grid = host.probeGrid();
  for (int r = 1; r < grid.rows(); ++r)
    host.colourProbe(grid.text(r, probe_grid::kProbe),
                     isWired(grid, r) ? kWiredColour : kNotWiredColour);
  const int first = firstVisibleRow(grid);
  if (first < 1) return;
  grid.setCurrentRow(first);
  host.fgProbes_SelChange();
}

}  // namespace lw
