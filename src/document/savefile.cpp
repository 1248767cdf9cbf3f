#include "savefile.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

namespace lw {

namespace {

[[noreturn]] void fail(const QString& path, const QString& reason) {
  throw Error(QStringLiteral("Cannot save \"%1\": %2.")
                  .arg(QDir::toNativeSeparators(path), reason));
}

}  // namespace

void writeFileAtomically(const QString& path, const QByteArray& data) {
  // QSaveFile would only fail at commit() on a folder, after writing a whole
  // temporary copy; say so up front.
  if (QFileInfo(path).isDir()) fail(path, QStringLiteral("it is a folder"));

  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly)) fail(path, file.errorString());
  // commit() ignores a failure of its own final flush (a full disk) and
  // would put a truncated file in place; flush first and check.
  if (file.write(data) != data.size() || !file.flush()) {
    const QString reason = file.errorString();
    file.cancelWriting();
    fail(path, reason);
  }
  // commit() syncs and renames; only then is the old file replaced.
  if (!file.commit()) fail(path, file.errorString());
}

}  // namespace lw
