#pragma once

// A temporary folder for files a test writes and reads back. Its path holds
// a space, so that every name handed on must survive one.

#include "boardio.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

namespace lw::test {

// The file's bytes, or nothing when it cannot be read.
inline QByteArray readFile(const QString& path) {
  QFile in(path);
  return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray();
}

class TempFolder {
 public:
  // A name inside the folder; the folder itself for "".
  QString path(const QString& name) const { return mDir.filePath(name); }

  // Writes the board under name, compressed when the name ends in ".vdz".
  QString write(const Board& board, const QString& name) const {
    const QString file = path(name);
    writeBoard(board, file,
               compressionForName(name).value_or(Compression::None));
    return file;
  }
  // Writes bytes under name, creating its folders; the full path.
  QString write(const QString& name, const QByteArray& bytes) const {
    const QString file = path(name);
    QDir().mkpath(QFileInfo(file).absolutePath());
    QFile out(file);
    if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size())
      return {};
    return file;
  }
  QByteArray read(const QString& name) const { return readFile(path(name)); }

 private:
  QTemporaryDir mDir{QDir::tempPath() + "/loomwright test XXXXXX"};
};

}  // namespace lw::test
