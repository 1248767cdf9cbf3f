#pragma once

// A wire list: the probe grid as the wirer sees it (its row order, its
// visible columns), cut to the surfaces asked for and, when asked, to the
// probes still to be wired. The CSV file and the printed pages both show
// one; it is a copy, so the grid may change while it is written.

#include "probetable.h"
#include "regional.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <vector>

namespace lw {

class GridModel;

enum class WireSurfaces { Top, Bottom, Both };

struct WireListChoice {
  WireSurfaces surfaces = WireSurfaces::Both;
  bool unwiredOnly = false;
};

// "top", "bottom" or "both" (as the command line takes them).
std::optional<WireSurfaces> wireSurfacesFromText(const QString& text);
// "Top", "Bottom" or "Top and Bottom", as a page header says it.
QString wireSurfacesName(WireSurfaces surfaces);

enum class WireListFormat { Csv, Pdf };

// By the name's extension, ".csv" or ".pdf" in any letter case.
std::optional<WireListFormat> wireListFormatForName(const QString& name);
// The name with the format's extension appended unless it has it already.
QString withWireListExtension(const QString& name, WireListFormat format);

struct Progress {
  int wired = 0;
  int total = 0;
};

// Reports done of total steps of an export; returning false cancels it.
using ExportProgress = std::function<bool(int done, int total)>;

class WireList {
 public:
  // regional is the form the grid shows numbers in ("X Loc", "Y Loc").
  WireList(const GridModel& probeGrid, WireListChoice choice,
           const RegionalFormat& regional);

  WireListChoice choice() const { return mChoice; }
  int columnCount() const { return int(mTitles.size()); }
  int rowCount() const { return int(mRows.size()); }
  const QString& title(int column) const { return mTitles[size_t(column)]; }
  // The "Wired" column: a check box on screen and on paper.
  bool isWiredColumn(int column) const { return column == mWiredColumn; }

  // As the grid shows the cell.
  const QString& text(int row, int column) const;
  // As a file for other programs holds it: numbers with "." and "-" in
  // every locale, the wired mark as "1" or "0".
  QString fileText(int row, int column) const;

  const QString& probe(int row) const { return mRows[size_t(row)].probe; }
  bool isWired(int row) const { return mRows[size_t(row)].wired; }

  // Every probe of the surface or surfaces, listed or not.
  Progress progress(WireSurfaces surfaces) const;

 private:
  struct Row {
    QString probe;
    bool wired = false;
    std::vector<QString> cells;
  };

  WireListChoice mChoice;
  RegionalFormat mRegional;
  QStringList mTitles;
  std::vector<int> mGridColumns;  // grid column of each listed column
  int mWiredColumn = -1;
  std::vector<Row> mRows;
  SurfaceCounts mTotal;
  SurfaceCounts mWired;
};

}  // namespace lw
