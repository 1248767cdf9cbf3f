#include "boardio.h"

#include "regularfile.h"
#include "savefile.h"
#include "vdformat.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

#if __has_include(<sys/mman.h>)
#include <sys/mman.h>
#endif

namespace lw {

namespace vd {

PaddedBuffer::PaddedBuffer(std::size_t capacity) {
  reserve(capacity);
}

PaddedBuffer::PaddedBuffer(const char* data, std::size_t size)
    : PaddedBuffer(size) {
  if (size) std::memcpy(mData.get(), data, size);
  setSize(size);
}

namespace {

// Documents of 100 MB fault in 25,000 small pages, a good part of the time
// to open them; large pages cut that where the system offers them.
char* allocate(std::size_t bytes) {
  constexpr std::size_t kLargePage = std::size_t{2} << 20;
  if (bytes < 2 * kLargePage) return static_cast<char*>(std::malloc(bytes));
  bytes = (bytes + kLargePage - 1) / kLargePage * kLargePage;
  void* p = std::aligned_alloc(kLargePage, bytes);
#ifdef MADV_HUGEPAGE
  if (p) madvise(p, bytes, MADV_HUGEPAGE);
#endif
  return static_cast<char*>(p);
}

}  // namespace

void PaddedBuffer::reserve(std::size_t capacity) {
  if (mData && capacity <= mCapacity) return;
  // Not zeroed: the bytes are overwritten anyway.
  Storage bigger(allocate(capacity + kPadding), std::free);
  if (!bigger) throw std::bad_alloc();
  if (mSize) std::memcpy(bigger.get(), mData.get(), mSize);
  mData = std::move(bigger);
  mCapacity = capacity;
  setSize(mSize);
}

void PaddedBuffer::setSize(std::size_t size) noexcept {
  mSize = size;
  std::memset(mData.get() + size, 0, kPadding);
}

ProgressFn progressPart(const ProgressFn& progress, double from, double to) {
  if (!progress) return {};
  return [progress, from, to](double f) { progress(from + (to - from) * f); };
}

Board decodeDocument(PaddedBuffer bytes, const ProgressFn& progress) {
  double reached = 0;
  const ProgressFn rising =
      progress ? ProgressFn([&](double f) { progress(reached = f); })
               : ProgressFn();
  if (auto board = parseSliced(bytes.data(), bytes.size(), kSliceBytes, rising))
    return std::move(*board);
  // Read again as a whole, for the message; the progress goes on rising.
  const ProgressFn again = progressPart(progress, reached, 1);
  return decodeWhole(std::move(bytes), again);
}

Board decodeWhole(PaddedBuffer bytes, const ProgressFn& progress) {
  if (isGzip(bytes.data(), bytes.size())) {
    // Inflating takes about as long as parsing.
    bytes = gunzip(bytes.data(), bytes.size(), progressPart(progress, 0, 0.4));
    if (bytes.size() == 0) throw Problem("the compressed document is empty");
    return parseJson(bytes.data(), bytes.size(),
                     progressPart(progress, 0.4, 1));
  }
  return parseJson(bytes.data(), bytes.size(), progress);
}

}  // namespace vd

namespace {

QString native(const QString& path) {
  return QDir::toNativeSeparators(path);
}

[[noreturn]] void cannotOpen(const QString& name, const QString& reason) {
  throw Error(QStringLiteral("Cannot open \"%1\": %2.").arg(name, reason));
}

[[noreturn]] void cannotOpen(const QString& name, const char* reason) {
  cannotOpen(name, QString::fromUtf8(reason));
}

vd::PaddedBuffer readFile(const QString& path) {
  requireRegularFile(path);
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly))
    cannotOpen(native(path), file.errorString());
  const qint64 size = file.size();
  if (size == 0) {
    // Files under /proc say they are empty and then read all the same.
    char byte = 0;
    cannotOpen(native(path), file.read(&byte, 1) > 0
                                 ? "it is not a regular file"
                                 : "the file is empty");
  }
  if (size < 0 || std::size_t(size) > vd::kMaxDocumentBytes)
    cannotOpen(native(path), QStringLiteral("the file is too large"));
  vd::PaddedBuffer buffer{std::size_t(size)};
  const qint64 read = file.read(buffer.data(), size);
  if (read < 0) cannotOpen(native(path), file.errorString());
  // Files under /sys give less than the size they report.
  if (read != size)
    cannotOpen(native(path),
               "it is not a regular file, or it changed while it was read");
  buffer.setSize(std::size_t(size));
  return buffer;
}

}  // namespace

Board readBoard(const QString& path, const ProgressFn& progress) {
  try {
    return vd::decodeDocument(readFile(path), progress);
  } catch (const vd::Problem& p) {
    cannotOpen(native(path), p.what());
  } catch (const std::bad_alloc&) {
    cannotOpen(native(path), QStringLiteral("not enough memory"));
  }
}

Board parseBoard(std::string_view json, const QString& sourceName,
                 const ProgressFn& progress) {
  if (json.size() > vd::kMaxDocumentBytes)
    cannotOpen(sourceName, QStringLiteral("the document is too large"));
  try {
    const vd::PaddedBuffer bytes(json.data(), json.size());
    return vd::parseJson(bytes.data(), bytes.size(), progress);
  } catch (const vd::Problem& p) {
    cannotOpen(sourceName, p.what());
  } catch (const std::bad_alloc&) {
    cannotOpen(sourceName, QStringLiteral("not enough memory"));
  }
}

QByteArray serializeBoard(const Board& board) {
  try {
    return vd::toJson(board);
  } catch (const vd::Problem& p) {
    throw Error(QStringLiteral("The board cannot be written: %1.")
                    .arg(QString::fromStdString(p.what())));
  }
}

void writeBoard(const Board& board, const QString& path,
                Compression compression) {
  QByteArray bytes;
  try {
    bytes = vd::toJson(board);
    if (compression == Compression::Gzip) bytes = vd::gzip(bytes);
  } catch (const vd::Problem& p) {
    throw Error(QStringLiteral("Cannot save \"%1\": %2.")
                    .arg(native(path), QString::fromStdString(p.what())));
  } catch (const std::bad_alloc&) {
    throw Error(QStringLiteral("Cannot save \"%1\": not enough memory.")
                    .arg(native(path)));
  }
  writeFileAtomically(path, bytes);
}

std::optional<Compression> compressionForName(const QString& fileName) {
  const QString name = QFileInfo(fileName).fileName();
  const qsizetype dot = name.lastIndexOf(u'.');
  if (dot <= 0) return std::nullopt;
  const QString extension = name.mid(dot + 1).toLower();
  if (extension == QLatin1StringView("vd")) return Compression::None;
  if (extension == QLatin1StringView("vdz")) return Compression::Gzip;
  return std::nullopt;
}

bool startsLikeBoardDocument(QByteArrayView head) {
  if (head.startsWith("\x1f\x8b")) return true;
  if (head.startsWith("\xef\xbb\xbf")) head = head.sliced(3);
  const auto first = std::find_if(head.begin(), head.end(), [](char c) {
    return c != ' ' && c != '\t' && c != '\r' && c != '\n';
  });
  return first != head.end() && *first == '{';
}

}  // namespace lw
