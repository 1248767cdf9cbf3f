#pragma once

// One station works a document at a time. A lock file beside the document
// (or in the user's own folder when the document's folder takes no new
// files) says which running program holds it; a second station is told
// who, and may open it read-only. A lock left behind by a program that no
// longer runs on this computer is taken over.

#include <QDateTime>
#include <QString>

#include <memory>

class QLockFile;

namespace lw {

struct LockHolder {
  QString user;
  QString host;
  QDateTime since;
};

class StationLock {
 public:
  StationLock(const QString& documentPath, const QString& userFolder);
  ~StationLock();
  StationLock(const StationLock&) = delete;
  StationLock& operator=(const StationLock&) = delete;

  // True when this program now holds the document, for as long as this
  // object lives. False when another running program holds it.
  bool tryTake();
  // Who holds the document, after tryTake failed.
  LockHolder holder() const;
  const QString& fileName() const { return mFileName; }

 private:
  QString mFileName;
  std::unique_ptr<QLockFile> mLock;
};

}  // namespace lw
