// Arbitrary bytes, plain or gzip, go through the same path as an opened
// file. The reader must refuse them or read them, never crash or hang; what
// it reads must write, read back equal, and write again byte for byte.

#include "boardio.h"
#include "vdformat.h"

#include <cstdint>
#include <cstdlib>
#include <new>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  lw::Board board;
  try {
    board = lw::vd::decodeDocument(
        lw::vd::PaddedBuffer(reinterpret_cast<const char*>(data), size), {});
  } catch (const lw::vd::Problem&) {
    return 0;
  } catch (const std::bad_alloc&) {
    return 0;
  }
  const QByteArray json = lw::serializeBoard(board);
  const lw::Board again = lw::parseBoard(
      std::string_view(json.constData(), std::size_t(json.size())),
      QStringLiteral("fuzz"));
  if (!(again == board)) std::abort();
  if (lw::serializeBoard(again) != json) std::abort();
  return 0;
}
