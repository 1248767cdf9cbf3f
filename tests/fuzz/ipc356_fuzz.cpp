// Arbitrary bytes go through the importer as a netlist file would, with
// the side and probe size taken from the last byte. The importer must
// refuse them or import them, never crash or hang; what it imports must be
// a board the document format writes and reads back equal.

#include "boardio.h"
#include "ipc356import.h"

#include <cstdint>
#include <cstdlib>
#include <new>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  static constexpr lw::ProbeSize kSizes[] = {
      lw::ProbeSize::Auto, lw::ProbeSize::Mil100, lw::ProbeSize::Mil75,
      lw::ProbeSize::Mil50, lw::ProbeSize::Mil39};
  lw::ImportOptions options;
  if (size > 0) {
    const unsigned choice = data[size - 1];
    options.side = lw::ProbeSide(choice % 3);
    options.probeSize = kSizes[choice / 3 % 5];
  }
  lw::ImportResult result;
  try {
    result =
        lw::importIpc356Text(QByteArrayView(reinterpret_cast<const char*>(data),
                                            static_cast<qsizetype>(size)),
                             QStringLiteral("fuzz.ipc"), options);
  } catch (const lw::Error&) {
    return 0;
  } catch (const std::bad_alloc&) {
    return 0;
  }
  if (lw::formatSummary(result.summary).isEmpty()) std::abort();
  (void)lw::formatUnplaced(result.summary);
  const QByteArray json = lw::serializeBoard(result.board);
  const lw::Board again = lw::parseBoard(
      std::string_view(json.constData(), std::size_t(json.size())),
      QStringLiteral("fuzz"));
  if (!(again == result.board)) std::abort();
  return 0;
}
