#include "ruleslocations.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace lw {

namespace {

const QString kFileName = QStringLiteral("default.rules");

}  // namespace

QString shippedRulesFile(const QString& executableFolder) {
  const QDir bin(executableFolder);
  // The data folder as installed, relative to the executables' folder.
  QString installed = QDir::cleanPath(
      bin.filePath(QStringLiteral(LW_DATA_FROM_BIN "/") + kFileName));
  if (QFileInfo(installed).isFile()) return installed;
  return bin.filePath(kFileName);
}

RulesFileLocations standardRulesLocations(const QString& executableFolder) {
  const QDir config(
      QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation));
  return {config.filePath(QStringLiteral("Loomwright/Loomwright/") + kFileName),
          shippedRulesFile(executableFolder)};
}

}  // namespace lw
