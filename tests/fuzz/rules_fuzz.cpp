// Any bytes as a rules file. The reader must refuse them (too many lines)
// or read them, never crash or hang; rules it reads with nothing to leave
// out must write and read back the same.

#include "error.h"
#include "rulesfile.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  try {
    const lw::Rules rules =
        lw::parseRules(QByteArrayView(data, qsizetype(size)));
    QStringList leftOut;
    const lw::Rules back =
        lw::parseRules(lw::serializeRules(rules, QDate(2024, 12, 6), &leftOut));
    if (leftOut.isEmpty() &&
        (back.columns != rules.columns || back.sortOrder != rules.sortOrder ||
         !back.ignored.isEmpty()))
      std::abort();

  } catch (const lw::Error&) {
  }
  return 0;
}
