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
    const bool pins = !extractComponentPins(mDocument, file, tables);
    const bool vias = !extractVias(mDocument, file, tables);
    resolveAccessFeatures(tables, pins, vias);
    // The access points now name their pins and vias: those tables, most of
    // the records, are not read again, and the peak is lower without them.
    tables.pinData = {};
    tables.viaData = {};
    resolveProbeAccess(tables);
    buildProbeTable(mGrid, tables, regional);
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
