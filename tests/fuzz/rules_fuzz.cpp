// Any bytes as a rules file. The reader must refuse them (too many lines)
// or read them, never crash or hang; rules it reads with nothing to leave
// out must write and read back the same; and the sort they ask for passes
// over each column at most once.

#include "error.h"
#include "gridmodel.h"
#include "probesort.h"
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

    lw::GridModel grid;  // titles the sort may meet, some twice
    grid.appendRow(u"Probe #\tX Loc\tPin\tNumber\tPrefix\tPin\tX Loc");
    // Six of the columns can be reached, each once.
    if (lw::sortPasses(grid, rules.sortOrder).size() > 6) std::abort();
  } catch (const lw::Error&) {
  }
  return 0;
}
