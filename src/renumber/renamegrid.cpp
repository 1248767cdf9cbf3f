#include "renamegrid.h"

#include "error.h"
#include "probetable.h"

#include <algorithm>

namespace lw {

namespace {

bool isDigit(QChar c) {
  return c >= u'0' && c <= u'9';
}

}  // namespace

QString proposeProbeNumber(const QString& targetSufix) {
  const qsizetype n = targetSufix.size();
  qsizetype firstNonDigit = 0;
  while (firstNonDigit < n && isDigit(targetSufix[firstNonDigit]))
    ++firstNonDigit;
  if (firstNonDigit < n - 1) return targetSufix.mid(firstNonDigit + 1);
  return targetSufix;
}

void buildRenameGrid(GridModel& renameGrid, const GridModel& probeGrid) {
  using namespace rename_grid;
  // Rename grid column <- probe grid column.
  static constexpr int kSource[] = {
      probe_grid::kProbe,  probe_grid::kRefDes, probe_grid::kPrefix,
      probe_grid::kNumber, probe_grid::kPin,    probe_grid::kDataPosition,
  };
  static const QString kTitles[kColumns] = {
      QStringLiteral("Current #"),
      QStringLiteral("Target RefDes"),
      QStringLiteral("Target Prefix"),
      QStringLiteral("Target Sufix"),
      QStringLiteral("Pin"),
      QStringLiteral("Probe Data Position"),
      QStringLiteral("Proposed Probe #"),
  };

  const Redraw redraw = renameGrid.redraw();
  renameGrid.setRedraw(Redraw::Off);
  renameGrid.setRows(0);
  renameGrid.setColumns(kColumns);
  renameGrid.clear();
  for (int c : {kTargetPrefix, kTargetSufix, kPin, kDataPosition})
    renameGrid.setColumnHidden(c, true);
  const int rows = std::max(probeGrid.rows(), 1);
  renameGrid.setRows(rows);
  for (int c = 0; c < kColumns; ++c) renameGrid.setText(0, c, kTitles[c]);
  for (int r = 1; r < rows; ++r)
    for (int c = 0; c < kProposed; ++c)
      renameGrid.setText(r, c, probeGrid.text(r, kSource[c]));
  renameGrid.setRedraw(redraw);
}

void proposeProbeNumbers(GridModel& renameGrid) {
  using namespace rename_grid;
  for (int r = 1; r < renameGrid.rows(); ++r)
    renameGrid.setText(r, kProposed,
                       proposeProbeNumber(renameGrid.text(r, kTargetSufix)));
}

void sortByProposal(GridModel& renameGrid) {
  renameGrid.setCurrentColumn(rename_grid::kProposed);
  renameGrid.sortNumeric(rename_grid::kProposed);
}

int countDuplicateProposals(const GridModel& renameGrid) {
  using rename_grid::kProposed;
  int count = 0;
  for (int r = 2; r < renameGrid.rows(); ++r)
    if (renameGrid.text(r, kProposed) == renameGrid.text(r - 1, kProposed))
      ++count;
  return count;
}

QString duplicateProposalsMessage(int count) {
  return QString::number(count) +
         QStringLiteral(" Duplicate Probe Name(s) Found");
}

void sortByTargetReference(GridModel& renameGrid) {
  sortByReference(renameGrid, QStringLiteral("Target Prefix"),
                  QStringLiteral("Target Sufix"), QStringLiteral("Pin"));
}

std::vector<ProbeRename> probeRenames(const GridModel& renameGrid) {
  using namespace rename_grid;
  std::vector<ProbeRename> renames;
  renames.reserve(size_t(std::max(renameGrid.rows() - 1, 0)));
  for (int r = 1; r < renameGrid.rows(); ++r) {
    const QString& position = renameGrid.text(r, kDataPosition);
    bool ok = false;
    const int dataPosition = position.toInt(&ok);
    if (!ok)
      throw Error(QStringLiteral("Probe %1 has no valid data position "
                                 "(\"%2\"). No file was saved.")
                      .arg(renameGrid.text(r, kCurrent), position));
    renames.push_back({dataPosition, renameGrid.text(r, kProposed)});
  }
  return renames;
}

}  // namespace lw
