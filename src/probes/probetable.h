#pragma once

// The probe table: one grid row per placed probe, flattened from the chain
// probe -> access point -> feature. Row 0 holds the titles. The column
// positions are an interface of the whole program.

#include "extraction.h"
#include "gridmodel.h"
#include "regional.h"

#include <QString>

namespace lw {

namespace probe_grid {
inline constexpr int kWired = 0, kProbe = 1, kX = 2, kY = 3, kSize = 4,
                     kStyle = 5, kSurface = 6, kFeatureType = 7, kRefDes = 8,
                     kTester = 9, kNetName = 10, kDataPosition = 11,
                     kPrefix = 12, kNumber = 13, kPin = 14,
                     kFirstAttribute = 15;
}

// Titles of the columns nobody sees unless the rules show them. The fixed
// "Tester Resource" column does not match "Tester Reasource" and so shows.
bool isInternalColumnTitle(const QString& title);

// Fills the grid from the extraction tables: fixed columns, attribute
// columns, unplaced probes left out, sorted by probe number, internal
// columns hidden. Leaves redraw off for the caller to size the columns.
// Takes the tables, and lets each go once the grid holds what it gave: a
// large board's grid and tables are never all held at once.
void buildProbeTable(GridModel& grid, ExtractionTables tables,
                     const RegionalFormat& regional);

// Leading non-numeric part of a reference designator ("R12" -> "R").
QString referencePrefix(const QString& refdes);
// Numeric part of a reference designator ("R12" -> "12", "U1A" -> "1").
QString referenceNumber(const QString& refdes);

struct SurfaceCounts {
  int top = 0;
  int bottom = 0;

  SurfaceCounts& operator+=(SurfaceCounts o) {
    top += o.top;
    bottom += o.bottom;
    return *this;
  }
  SurfaceCounts& operator-=(SurfaceCounts o) {
    top -= o.top;
    bottom -= o.bottom;
    return *this;
  }
};
// Probe rows per surface: "T" is top, any other letter bottom.
SurfaceCounts probeCounts(const GridModel& grid);
// Rows marked exactly "1", per surface ("T" top, "B" bottom).
SurfaceCounts wiredCounts(const GridModel& grid);
// What one row adds to wiredCounts: subtracted before its mark changes and
// added after, it keeps the counts without a pass over every row.
SurfaceCounts wiredCount(const GridModel& grid, int row);

inline bool isWired(const GridModel& grid, int row) {
  return grid.text(row, probe_grid::kWired) == QLatin1StringView("1");
}

// How both views colour a probe: the current one, wired, not wired.
inline constexpr Rgb kCurrentColour{255, 255, 0};
inline constexpr Rgb kWiredColour{0, 255, 0};
inline constexpr Rgb kNotWiredColour{255, 0, 0};

// Hides the rows of the other surface. Returns the row to scroll into view
// when the current row had to move to the first visible row, else -1.
int applySurfaceFilter(GridModel& grid, bool top);

// The next visible row still to be wired after the current one, wrapping
// to the top; -1 when there is none.
int findNextUnwiredRow(const GridModel& grid);

// First row that is not hidden, or -1.
int firstVisibleRow(const GridModel& grid);

// "Go to": the next visible row after `from`, wrapping (`from` itself
// last), whose probe number is query, or whose reference designator is
// query with or without its pin ("U12", "U12-3"), or whose net is query;
// designators and nets in any case. -1 when no visible row matches.
int findProbeRow(const GridModel& grid, const QString& query, int from);

// The row's probe's place in the document (its entity index); 0 when the
// cell does not read as a number.
inline int dataPositionOf(const GridModel& grid, int row) {
  return grid.text(row, probe_grid::kDataPosition).toInt();
}

// The row of the probe at that position in the document, or -1.
int rowOfDataPosition(const GridModel& grid, int dataPosition);

// Sorts in three stable passes by every column titled pinTitle, then
// numberTitle, then prefixTitle: reference designator order.
void sortByReference(GridModel& grid, const QString& prefixTitle,
                     const QString& numberTitle, const QString& pinTitle);

}  // namespace lw
