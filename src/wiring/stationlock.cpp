#include "stationlock.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QLockFile>

namespace lw {
namespace {

// Beside the document, hidden, so every station that opens the file from
// a shared folder sees it. A folder that takes no new files (read-only
// media, a colleague's folder) keeps the lock with the user instead.
QString lockFileFor(const QString& documentPath, const QString& userFolder) {
  const QFileInfo document(documentPath);
  const QFileInfo folder(document.absolutePath());
  if (folder.isWritable())
    return QDir(document.absolutePath())
        .filePath(QStringLiteral(".%1.lock").arg(document.fileName()));
  const QByteArray key =
      QCryptographicHash::hash(document.absoluteFilePath().toUtf8(),
                               QCryptographicHash::Sha1)
          .toHex();
  QDir().mkpath(userFolder);
  return QDir(userFolder).filePath(QString::fromLatin1(key + ".lock"));
}

}  // namespace

StationLock::StationLock(const QString& documentPath, const QString& userFolder)
    : mFileName(lockFileFor(documentPath, userFolder)),
      mLock(std::make_unique<QLockFile>(mFileName)) {
  // A shift holds its document for hours: only a holder that no longer
  // runs makes a lock stale, never its age.
  mLock->setStaleLockTime(0);
}

StationLock::~StationLock() = default;

bool StationLock::tryTake() {
  return mLock->isLocked() || mLock->tryLock(0);
}

LockHolder StationLock::holder() const {
  LockHolder h;
  qint64 pid = 0;
  QString app;
  mLock->getLockInfo(&pid, &h.host, &app);
  const QFileInfo file(mFileName);
  h.user = file.owner();
  h.since = file.lastModified();
  return h;
}

}  // namespace lw
