#include "renumberdocument.h"

namespace lw {

namespace {

const QString kRefName = QStringLiteral("REFNAME");

bool isProbe(const BoardDocument& document, int dataPosition) {
  const std::vector<Entity>& entities = document.board().entities;
  return dataPosition >= 0 && dataPosition < int(entities.size()) &&
         entities[size_t(dataPosition)].kind == EntityKind::Probe;
}

}  // namespace

std::int16_t findPcbSelectArgument(const BoardDocument& document) {
  const QList<int> pcbFiles = document.visiblePcbFiles();
  return pcbFiles.isEmpty()
             ? 0
             : document.fileInformation(pcbFiles.first())->selectArgument;
}

void applyProbeNames(BoardDocument& document,
                     const std::vector<ProbeRename>& renames) {
  const int select = findPcbSelectArgument(document);
  int refName = document.lookUpKeyword(kRefName);
  if (refName <= 0) refName = document.registerKeyword(kRefName);
  for (const ProbeRename& rename : renames) {
    // A position that is no probe would rename a pin or a via instead.
    if (!isProbe(document, rename.dataPosition) ||
        !document.renameEntity(select, rename.dataPosition, rename.name) ||
        !document.selectEntity(select, rename.dataPosition))
      throw Error(QStringLiteral("There is no probe at data position %1 of "
                                 "the visible PCB file to be renamed "
                                 "\"%2\". No file was saved.")
                      .arg(rename.dataPosition)
                      .arg(rename.name));
    const std::optional<AttributeRecord> record =
        document.attributeRecord(refName);
    document.setAttributeRecord(refName, rename.name,
                                record ? record->display : DisplayRecord{});
  }
}

void writeRenumberedDocument(BoardDocument& document,
                             const std::vector<ProbeRename>& renames,
                             const QString& fileName, Compression compression) {
  // A failed rename or write must not leave the open document carrying
  // names the probe grid does not show, so the copy takes the risk.
  BoardDocument renamed = document;
  applyProbeNames(renamed, renames);
  if (compression == Compression::Gzip)
    renamed.saveCompressed(fileName);
  else
    renamed.save(fileName);
  document = std::move(renamed);
}

}  // namespace lw
