#include "probetable.h"

#include "placement.h"

#include <QSet>

#include <algorithm>

namespace lw {

namespace {

const QString kInternalTitles[] = {
    QStringLiteral("Probe Style"),
    QStringLiteral("Surface"),
    QStringLiteral("Tester Reasource"),
    QStringLiteral("DATALINK"),
    QStringLiteral("Net Name"),
    QStringLiteral("Probe Data Position"),
    QStringLiteral("Prefix"),
    QStringLiteral("Number"),
    QStringLiteral("Pin"),
    QStringLiteral("REFNAME"),
};

bool isDigitOrBelow(QChar c) {
  return c.unicode() <= u'9';
}

struct Feature {
  bool found = false;  // the probe's access point exists
  QString type, refdes, pin;
};

// The access point a probe row names, or nothing when it was not found.
Feature featureOf(const ExtractionTables& t, int probeRow) {
  bool ok = false;
  const int k = t.probeData.cell(probe_col::kAccessIndex, probeRow).toInt(&ok);
  if (!ok || k < 1 || k > t.accessData.lastRow()) return {};
  return {true, t.accessData.cell(access_col::kFeatureType, k),
          t.accessData.cell(access_col::kFeatureRefDes, k),
          t.accessData.cell(access_col::kFeaturePin, k)};
}

}  // namespace

bool isInternalColumnTitle(const QString& title) {
  for (const QString& t : kInternalTitles)
    if (t == title) return true;
  return false;
}

QString referencePrefix(const QString& refdes) {
  for (qsizetype i = 0; i < refdes.size(); ++i)
    if (isDigitOrBelow(refdes[i])) return refdes.left(i);
  return refdes;
}

QString referenceNumber(const QString& refdes) {
  qsizetype p = 0;
  while (p < refdes.size() && !isDigitOrBelow(refdes[p])) ++p;
  QString t = (p == refdes.size()) ? refdes : refdes.mid(p);
  for (qsizetype i = t.size() - 1; i >= 1; --i)
    if (t[i].unicode() > u'9') t.truncate(i);
  return t;
}

void buildProbeTable(GridModel& grid, ExtractionTables t,
                     const RegionalFormat& regional) {
  using namespace probe_grid;
  grid.setRedraw(Redraw::Off);
  grid.clear();
  grid.setRows(0);

  const AttributeTable& attrs = t.probeAttributes;
  const int attributeColumns = std::max(attrs.columnCount() - 1, 0);
  grid.setColumns(kFirstAttribute + attributeColumns);

  // Unplaced probes never reach the table.
  const int placement = attrs.column(placementKeyword());
  std::vector<int> rows;
  rows.reserve(t.probeData.lastRow() > 0 ? t.probeData.lastRow() : 0);
  for (int i = 1; i <= t.probeData.lastRow(); ++i)
    if (placement < 0 || !isUnplacedValue(attrs.cell(i, placement)))
      rows.push_back(i);

  // Cells are written one by one rather than as TAB-joined text, so that a
  // value holding a TAB cannot shift the columns after it.
  grid.setRows(static_cast<int>(rows.size()) + 1);
  const QString titles[] = {
      "Wired",      "Probe #",         "X Loc",    "Y Loc",
      "Probe Size", "Probe Style",     "Surface",  "Feature Type",
      "RefDes",     "Tester Resource", "Net Name", "Probe Data Position",
      "Prefix",     "Number",          "Pin"};
  for (int c = 0; c < kFirstAttribute; ++c) grid.setText(0, c, titles[c]);
  for (int c = 1; c < attrs.columnCount(); ++c)
    grid.setText(0, kFirstAttribute + c - 1, attrs.cell(0, c));

  // Each table goes as soon as the grid holds what it gave, the largest
  // first: a large board's grid and tables are never all held at once.
  std::vector<Feature> features;
  features.reserve(rows.size());
  for (const int i : rows) features.push_back(featureOf(t, i));
  t.accessData = {};

  for (int c = 1; c < attrs.columnCount(); ++c)
    for (int r = 1; r <= static_cast<int>(rows.size()); ++r)
      grid.setText(r, kFirstAttribute + c - 1,
                   attrs.cell(rows[size_t(r - 1)], c));
  t.probeAttributes = {};

  for (int r = 1; r <= static_cast<int>(rows.size()); ++r) {
    const Feature& f = features[size_t(r - 1)];
    grid.setText(r, kStyle,
                 f.type == QLatin1StringView("Via") ? QStringLiteral("Chisel")
                                                    : QStringLiteral("Waffle"));
    grid.setText(r, kFeatureType, f.type);
    if (f.found) grid.setText(r, kRefDes, f.refdes + QLatin1Char('-') + f.pin);
    grid.setText(r, kPrefix, referencePrefix(f.refdes));
    grid.setText(r, kNumber, referenceNumber(f.refdes));
    grid.setText(r, kPin, f.pin);
  }
  features = {};

  for (int r = 1; r <= static_cast<int>(rows.size()); ++r) {
    const int i = rows[size_t(r - 1)];
    const RecordFields& probe = t.probeData.record(i);
    grid.setText(r, kProbe, probe.name);
    grid.setText(r, kX, toRegional(formatNumber(probe.x), regional));
    grid.setText(r, kY, toRegional(formatNumber(probe.y), regional));
    grid.setText(r, kSize, t.probeData.cell(probe_col::kSize, i));
    grid.setText(r, kSurface, t.probeData.cell(probe_col::kSurface, i));
    grid.setText(r, kTester, t.probeData.cell(probe_col::kTesterResource, i));
    grid.setText(r, kNetName, t.probeData.cell(probe_col::kNetName, i));
    grid.setText(r, kDataPosition,
                 t.probeData.cell(probe_col::kDataPosition, i));
  }
  t.probeData = {};

  grid.setBooleanColumn(kWired);
  grid.setCurrentColumn(kProbe);
  grid.sortByColumn(kProbe);
  for (int c = 0; c < grid.columns(); ++c)
    grid.setColumnHidden(c, isInternalColumnTitle(grid.text(0, c)));
}

SurfaceCounts probeCounts(const GridModel& grid) {
  SurfaceCounts n;
  for (int r = 1; r < grid.rows(); ++r)
    ++(grid.text(r, probe_grid::kSurface) == QLatin1StringView("T") ? n.top
                                                                    : n.bottom);
  return n;
}

SurfaceCounts wiredCounts(const GridModel& grid) {
  SurfaceCounts n;
  for (int r = 1; r < grid.rows(); ++r) n += wiredCount(grid, r);
  return n;
}

SurfaceCounts wiredCount(const GridModel& grid, int row) {
  if (!isWired(grid, row)) return {};
  const QString& surface = grid.text(row, probe_grid::kSurface);
  return {surface == QLatin1StringView("T") ? 1 : 0,
          surface == QLatin1StringView("B") ? 1 : 0};
}

int applySurfaceFilter(GridModel& grid, bool top) {
  const Redraw before = grid.redraw();
  grid.setRedraw(Redraw::Off);
  const int remembered = grid.currentRow() < 0 ? 1 : grid.currentRow();
  const QLatin1StringView letter(top ? "T" : "B");
  for (int r = 1; r < grid.rows(); ++r)
    grid.setRowHidden(r, grid.text(r, probe_grid::kSurface) != letter);

  int scrollTo = -1;
  if (remembered < grid.rows() && grid.isRowHidden(remembered)) {
    scrollTo = firstVisibleRow(grid);
    if (scrollTo > 0) grid.setCurrentRow(scrollTo);
  } else {
    grid.setCurrentRow(remembered);
  }
  grid.setRedraw(before);
  return scrollTo;
}

int firstVisibleRow(const GridModel& grid) {
  for (int r = 1; r < grid.rows(); ++r)
    if (!grid.isRowHidden(r)) return r;
  return -1;
}

int findNextUnwiredRow(const GridModel& grid) {
  const auto qualifies = [&](int r) {
    if (grid.isRowHidden(r)) return false;
    const QString& w = grid.text(r, probe_grid::kWired);
    return w.isEmpty() || w == QLatin1StringView("0");
  };
  const int last = grid.rows() - 1;
  const int c = grid.currentRow();
  if (c < last)
    for (int r = std::max(c + 1, 1); r <= last; ++r)
      if (qualifies(r)) return r;
  for (int r = 1; r <= last; ++r)
    if (qualifies(r)) return r;
  return -1;
}

void sortByReference(GridModel& grid, const QString& prefixTitle,
                     const QString& numberTitle, const QString& pinTitle) {
  for (const QString* title : {&pinTitle, &numberTitle, &prefixTitle})
    for (int c = 0; c < grid.columns(); ++c)
      if (grid.text(0, c) == *title) grid.sortByColumn(c);
}

namespace {

bool matchesProbe(const GridModel& grid, int row, const QString& query) {
  using namespace probe_grid;
  const auto same = [](QStringView a, QStringView b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
  };
  // The designator column reads "U12-3": the designator, a dash, the pin.
  const QString& withPin = grid.text(row, kRefDes);
  const qsizetype pin = grid.text(row, kPin).size() + 1;
  const QStringView designator =
      withPin.size() > pin ? QStringView(withPin).chopped(pin) : withPin;
  return grid.text(row, kProbe) == query || same(withPin, query) ||
         same(designator, query) || same(grid.text(row, kNetName), query);
}

}  // namespace

int findProbeRow(const GridModel& grid, const QString& query, int from) {
  const QString wanted = query.trimmed();
  const int rows = grid.rows() - 1;  // data rows 1..rows
  if (wanted.isEmpty() || rows < 1) return -1;
  const int start = std::clamp(from, 0, rows);
  for (int step = 1; step <= rows; ++step) {
    const int row = (start + step - 1) % rows + 1;
    if (!grid.isRowHidden(row) && matchesProbe(grid, row, wanted)) return row;
  }
  return -1;
}

int rowOfDataPosition(const GridModel& grid, int dataPosition) {
  for (int r = 1; r < grid.rows(); ++r)
    if (dataPositionOf(grid, r) == dataPosition) return r;
  return -1;
}

}  // namespace lw
