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
#include <new>
#include <optional>
#include <string>

namespace {

// The board, or what was wrong.
struct Outcome {
  std::optional<lw::Board> board;
  std::string problem;
};

Outcome decode(const QByteArray& bytes) {
  try {
    return {
        lw::vd::decodeDocument(
            lw::vd::PaddedBuffer(bytes.constData(), std::size_t(bytes.size())),
            {}),
        {}};
  } catch (const lw::vd::Problem& p) {
    return {std::nullopt, p.what()};
  } catch (const std::bad_alloc&) {
    return {std::nullopt, "memory"};
  }
}

// Saves go to memory-backed files where there are any: a sync per input
// on a disk would slow the fuzzer down to a crawl.
QString saveFolder() {
  static QTemporaryDir dir((QDir("/dev/shm").exists()
                                ? QStringLiteral("/dev/shm")
                                : QDir::tempPath()) +
                           "/lw-fuzz-XXXXXX");
  return dir.path();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
  const Outcome plain = decode(bytes);
  if (!lw::vd::isGzip(bytes.constData(), std::size_t(bytes.size()))) {
    const QByteArray packed = lw::vd::gzip(bytes) + QByteArray(size % 3, 0);
    const Outcome unpacked = decode(packed);
    if (bytes.isEmpty()) {
      if (unpacked.board) std::abort();  // an empty text reads as nothing
    } else if (unpacked.board != plain.board ||
               unpacked.problem != plain.problem) {
      std::abort();
    }
  }
  if (!plain.board) return 0;

  const lw::Board& board = *plain.board;
  const QByteArray json = lw::serializeBoard(board);
  const auto compression =
      size % 2 ? lw::Compression::Gzip : lw::Compression::None;
  const QString path = saveFolder() + "/board.vd";
  lw::writeBoard(board, path, compression);
  const lw::Board again = lw::readBoard(path);
  if (!(again == board)) std::abort();
  if (lw::serializeBoard(again) != json) std::abort();
  return 0;
}
