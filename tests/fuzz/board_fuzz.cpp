// Arbitrary bytes, plain or gzip, go through the same path as an opened
// file. The reader must refuse them or read them, never crash or hang. The
// gzip layer must be transparent: the same bytes compressed (and padded
// with zeros, as tapes leave them) read the same or fail the same. What
// reads must save to a file, plain or compressed, read back equal and
// write again byte for byte.

#include "boardio.h"
#include "vdformat.h"

#include <QDir>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

// The board's text, or what was wrong.
std::string decode(const QByteArray& bytes, lw::Board& board) {
  try {
    board = lw::vd::decodeDocument(
        lw::vd::PaddedBuffer(bytes.constData(), std::size_t(bytes.size())), {});
    return lw::serializeBoard(board).toStdString();
  } catch (const lw::vd::Problem& p) {
    return std::string("! ") + p.what();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
  lw::Board board, unpacked;
  const std::string text = decode(bytes, board);
  if (size > 0 && !lw::vd::isGzip(bytes.constData(), size) &&
      decode(lw::vd::gzip(bytes) + QByteArray(size % 3, 0), unpacked) != text)
    std::abort();
  if (text.starts_with("! ")) return 0;

  // Memory-backed files where there are any: a sync per input on a disk
  // would slow the fuzzer to a crawl.
  static const QTemporaryDir dir(
      (QDir("/dev/shm").exists() ? QString("/dev/shm") : QDir::tempPath()) +
      "/lw-fuzz-XXXXXX");
  const QString path = dir.filePath("board.vd");
  lw::writeBoard(board, path,
                 size % 2 ? lw::Compression::Gzip : lw::Compression::None);
  const lw::Board again = lw::readBoard(path);
  if (!(again == board) || lw::serializeBoard(again).toStdString() != text)
    std::abort();
  return 0;
}
