#include "wirelist.h"

#include "gridmodel.h"

namespace lw {

namespace {

bool isTop(const GridModel& grid, int row) {
  return grid.text(row, probe_grid::kSurface) == QLatin1StringView("T");
}

bool listed(WireSurfaces surfaces, bool top) {
  return surfaces == WireSurfaces::Both ||
         (surfaces == WireSurfaces::Top) == top;
}

// The grid shows a document number ("-1.5") in the user's form ("-1,5")
// by replacing "." and "-" only; a document number holds neither the
// user's separator nor sign, so replacing them back is exact.
QString toDocumentForm(QString text, const RegionalFormat& regional) {
  if (!regional.decimalDiffers) return text;
  if (!regional.negativeSign.isEmpty())
    text.replace(regional.negativeSign, QStringLiteral("-"));
  if (!regional.decimalSeparator.isEmpty())
    text.replace(regional.decimalSeparator, QStringLiteral("."));
  return text;
}

}  // namespace

std::optional<WireSurfaces> wireSurfacesFromText(const QString& text) {
  if (text == QLatin1StringView("top")) return WireSurfaces::Top;
  if (text == QLatin1StringView("bottom")) return WireSurfaces::Bottom;
  if (text == QLatin1StringView("both")) return WireSurfaces::Both;
  return std::nullopt;
}

QString wireSurfacesName(WireSurfaces surfaces) {
  switch (surfaces) {
    case WireSurfaces::Top:
      return QStringLiteral("Top");
    case WireSurfaces::Bottom:
      return QStringLiteral("Bottom");
    case WireSurfaces::Both:
      break;
  }
  return QStringLiteral("Top and Bottom");
}

std::optional<WireListFormat> wireListFormatForName(const QString& name) {
  if (name.endsWith(QLatin1StringView(".csv"), Qt::CaseInsensitive))
    return WireListFormat::Csv;
  if (name.endsWith(QLatin1StringView(".pdf"), Qt::CaseInsensitive))
    return WireListFormat::Pdf;
  return std::nullopt;
}

QString withWireListExtension(const QString& name, WireListFormat format) {
  if (wireListFormatForName(name) == format) return name;
  return name + (format == WireListFormat::Csv ? QStringLiteral(".csv")
                                               : QStringLiteral(".pdf"));
}

WireList::WireList(const GridModel& grid, WireListChoice choice,
                   const RegionalFormat& regional)
    : mChoice(choice),
      mRegional(regional),
      mTotal(probeCounts(grid)),
      mWired(wiredCounts(grid)) {
  for (int c = 0; c < grid.columns(); ++c) {
    if (grid.isColumnHidden(c)) continue;
    if (c == probe_grid::kWired) mWiredColumn = columnCount();
    mTitles.append(grid.text(0, c));
    mGridColumns.push_back(c);
  }
  // Hidden rows too: the grid hides only the rows of the other surface.
  for (int r = 1; r < grid.rows(); ++r) {
    const bool wired = lw::isWired(grid, r);
    if (!listed(choice.surfaces, isTop(grid, r)) ||
        (choice.unwiredOnly && wired))
      continue;
    Row row{grid.text(r, probe_grid::kProbe), wired, {}};
    row.cells.reserve(mGridColumns.size());
    for (int c : mGridColumns) row.cells.push_back(grid.text(r, c));
    mRows.push_back(std::move(row));
  }
}

const QString& WireList::text(int row, int column) const {
  return mRows[size_t(row)].cells[size_t(column)];
}

QString WireList::fileText(int row, int column) const {
  if (isWiredColumn(column))
    return isWired(row) ? QStringLiteral("1") : QStringLiteral("0");
  const int gridColumn = mGridColumns[size_t(column)];
  if (gridColumn == probe_grid::kX || gridColumn == probe_grid::kY)
    return toDocumentForm(text(row, column), mRegional);
  return text(row, column);
}

Progress WireList::progress(WireSurfaces surfaces) const {
  Progress p;
  if (listed(surfaces, true)) {
    p.wired += mWired.top;
    p.total += mTotal.top;
  }
  if (listed(surfaces, false)) {
    p.wired += mWired.bottom;
    p.total += mTotal.bottom;
  }
  return p;
}

}  // namespace lw
