#include "boardsheet.h"

#include "extraction.h"
#include "probesort.h"
#include "probetable.h"
#include "rulesgrid.h"
#include "wiringstate.h"

namespace lw {

BoardSheet::BoardSheet(BoardDocument document, const RegionalFormat& regional)
    : mDocument(std::move(document)) {
  const QList<int> pcbFiles = mDocument.visiblePcbFiles();
  if (pcbFiles.isEmpty())
    throw Error(QStringLiteral("no visible PCB file; Loomwright needs one."));
  // A load goes on with the last visible PCB file.
  const int file = pcbFiles.back();
  const FileInformation info = *mDocument.fileInformation(file);
  const auto refuse = [&](const char* what) {
    return Error(QStringLiteral("the PCB file \"%1\" has no %2.")
                     .arg(info.name, QLatin1StringView(what)));
  };
  {
    ExtractionTables tables;
    if (extractProbes(mDocument, file, tables)) throw refuse("probes");
    if (extractAccessPoints(mDocument, file, tables))
      throw refuse("access points");
    linkAccessFeatures(mDocument, file, tables);
    buildProbeTable(mGrid, std::move(tables), regional);
  }  // the tables are all in the grid now: gone before the marks come back
  mGrid.setRedraw(Redraw::On);
  restoreWiredMarks(mDocument, mGrid, info.selectArgument);
  mStoredMarks = hasStoredWiredMarks(mDocument);
}

QString BoardSheet::applyRules(const RulesFileLocations& locations) {
  if (!locations.available()) return {};
  const RulesRead read = readRules(locations);
  GridModel rulesGrid;
  buildRulesGrid(rulesGrid, mGrid);
  applyColumnRules(rulesGrid, read.rules.columns);
  applyVisibility(rulesGrid, mGrid);
  sortProbeGrid(mGrid, read.rules.sortOrder);
  return read.userProblem;
}

}  // namespace lw
