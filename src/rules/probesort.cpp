#include "probesort.h"

#include <algorithm>

namespace lw {

std::vector<int> sortPasses(const GridModel& probes,
                            const QStringList& sortOrder) {
  std::vector<int> passes;
  const auto titled = [&](const QString& title, bool every) {
    for (int c = 0; c < probes.columns(); ++c) {
      if (probes.text(0, c) != title) continue;
      passes.push_back(c);
      if (!every) return;
    }
  };
  for (const QString& entry : sortOrder) {
    if (entry == kRefDesEntry) {
      for (const char* title : {"Pin", "Number", "Prefix"})
        titled(QLatin1StringView(title), true);
    } else {
      titled(entry, false);
    }
  }
  // A later pass by the same column orders by it again and leaves its ties
  // as they are, equal in that column: the earlier pass decides nothing.
  std::vector<int> needed;
  for (std::size_t i = passes.size(); i-- > 0;)
    if (std::find(needed.begin(), needed.end(), passes[i]) == needed.end())
      needed.push_back(passes[i]);
  std::reverse(needed.begin(), needed.end());
  return needed;
}

void sortProbeGrid(GridModel& probes, const QStringList& sortOrder) {
  for (int column : sortPasses(probes, sortOrder)) probes.sortByColumn(column);
}

std::optional<MoveButtons> moveButtonStates(int count, int selected) {
  if (count < 2) return std::nullopt;
  const bool valid = selected >= 0 && selected < count;
  return MoveButtons{valid && selected > 0, valid && selected < count - 1};
}

int moveTarget(int count, int selected, int step) {
  if (selected < 0 || selected >= count) return -1;
  const int target = selected + step;
  return target >= 0 && target < count ? target : -1;
}

}  // namespace lw
