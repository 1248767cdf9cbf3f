#include "savefile.h"

#include "regularfile.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>
#include <cerrno>

#include <unistd.h>

namespace lw {

namespace {

std::function<int(SaveStep, qint64)>& faultHook() {
  static std::function<int(SaveStep, qint64)> hook;
  return hook;
}

int injected(SaveStep step, qint64 written) {
  const auto& hook = faultHook();
  return hook ? hook(step, written) : 0;
}

[[noreturn]] void fail(const QString& path, const QString& reason) {
  throw Error(QStringLiteral("Cannot save \"%1\": %2.")
                  .arg(QDir::toNativeSeparators(path), reason));
}

// What went wrong on the disk, in the user's words where the system's are
// obscure.
QString reasonFor(int error) {
  switch (error) {
    case ENOSPC:
      return QStringLiteral("the disk is full");
    case EDQUOT:
      return QStringLiteral("your disk quota is used up");
    case EFBIG:
      return QStringLiteral("the file would be larger than the system allows");
    case EIO:
      return QStringLiteral("the disk reported an error (input/output error)");
    case EROFS:
      return QStringLiteral("the disk is read-only");
    default:
      return qt_error_string(error);
  }
}

// QSaveFile takes a write cut short by a full disk for success without a
// reason; writing to its handle keeps the system's errno.
int writeAll(int fd, const QByteArray& data) {
  constexpr qint64 kPiece = qint64{1} << 20;
  qint64 written = 0;
  while (written < data.size()) {
    if (const int error = injected(SaveStep::Write, written)) return error;
    const ssize_t n =
        ::write(fd, data.constData() + written,
                std::size_t(std::min(kPiece, data.size() - written)));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return n < 0 ? errno : ENOSPC;
    written += n;
  }
  return 0;
}

// commit() syncs too but ignores the result, and a failed sync means the
// data may never reach the disk.
int syncData(int fd) {
  if (const int error = injected(SaveStep::Sync, 0)) return error;
  int result = 0;
  do {
    result = ::fdatasync(fd);
  } while (result != 0 && errno == EINTR);
  return result == 0 ? 0 : errno;
}

}  // namespace

void setSaveFaultHook(std::function<int(SaveStep, qint64)> hook) {
  faultHook() = std::move(hook);
}

void writeFileAtomically(const QString& path, const QByteArray& data) {
  // QSaveFile would only fail at commit() on a folder, after writing a whole
  // temporary copy, and would put a plain file in place of a named pipe or
  // a device; say so up front.
  if (QFileInfo::exists(path))
    if (const QString why = notRegularFileReason(path); !why.isEmpty())
      fail(path, why);

  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly)) fail(path, file.errorString());
  int error = writeAll(file.handle(), data);
  if (!error) error = syncData(file.handle());
  if (!error) error = injected(SaveStep::Rename, data.size());
  // Without commit() the temporary file goes, the previous file stays.
  if (error) fail(path, reasonFor(error));
  if (!file.commit()) fail(path, file.errorString());
}

}  // namespace lw
