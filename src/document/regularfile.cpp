#include "regularfile.h"

#include "error.h"

#include <QDir>
#include <QFile>

#include <filesystem>
#include <system_error>

namespace lw {

QString notRegularFileReason(const QString& path) {
  namespace fs = std::filesystem;
  std::error_code error;
  // Follows symbolic links: a link to a board is the board.
  switch (fs::status(QFile::encodeName(path).toStdString(), error).type()) {
    case fs::file_type::regular:
    case fs::file_type::none:  // not allowed to look: the open will say so
      return {};
    case fs::file_type::not_found:
      return QStringLiteral("no such file");
    case fs::file_type::directory:
      return QStringLiteral("it is a folder");
    case fs::file_type::fifo:
      return QStringLiteral("it is a named pipe");
    case fs::file_type::block:
    case fs::file_type::character:
      return QStringLiteral("it is a device");
    case fs::file_type::socket:
      return QStringLiteral("it is a socket");
    default:
      return QStringLiteral("it is not a regular file");
  }
}

void requireRegularFile(const QString& path) {
  const QString reason = notRegularFileReason(path);
  if (!reason.isEmpty())
    throw Error(QStringLiteral("Cannot open \"%1\": %2.")
                    .arg(QDir::toNativeSeparators(path), reason));
}

}  // namespace lw
