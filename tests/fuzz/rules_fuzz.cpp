// Arbitrary bytes as a rules file. The reader must refuse them (too many
// lines) or read them, never crash or hang; what it reads must write and
// read back the same, less the names it says it left out; and the sort it
// asks for must pass over each column at most once.

#include "error.h"
#include "gridmodel.h"
#include "probesort.h"
#include "rulesfile.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <set>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  lw::Rules rules;
  try {
    rules = lw::parseRules(QByteArrayView(data, qsizetype(size)));
  } catch (const lw::Error&) {
    return 0;
  }
  for (const lw::ColumnRule& c : rules.columns)
    if (c.name.isEmpty()) std::abort();

  QStringList leftOut;
  lw::Rules back;
  try {
    back =
        lw::parseRules(lw::serializeRules(rules, QDate(2024, 12, 6), &leftOut));
  } catch (const lw::Error&) {
    // Only a file near the limit may write more lines than it read.
    if (rules.columns.size() + std::size_t(rules.sortOrder.size()) + 6 <
        std::size_t(lw::kMaxRulesFileLines))
      std::abort();
    return 0;
  }
  if (!back.ignored.isEmpty()) std::abort();
  std::size_t kept = 0;
  for (const lw::ColumnRule& c : rules.columns) {
    if (leftOut.contains(c.name)) continue;
    if (kept >= back.columns.size()) std::abort();
    const lw::ColumnRule& b = back.columns[kept++];
    if (b.name != c.name || b.visible != c.visible || b.sortKey != c.sortKey)
      std::abort();
  }
  if (kept != back.columns.size()) std::abort();
  QStringList entries = rules.sortOrder;
  entries.removeIf([&](const QString& e) { return leftOut.contains(e); });
  if (entries != back.sortOrder) std::abort();

  // Column titles the sort may meet, some twice.
  static lw::GridModel grid;
  if (grid.rows() == 0)
    grid.appendRow(u"Wired\tProbe #\tX Loc\tPin\tNumber\tPrefix\tPin\tX Loc");
  const std::vector<int> passes = lw::sortPasses(grid, rules.sortOrder);
  if (std::set<int>(passes.begin(), passes.end()).size() != passes.size())
    std::abort();
  return 0;
}
