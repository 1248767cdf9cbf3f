#include "probesort.h"

#include "probetable.h"

namespace lw {

void sortProbeGrid(GridModel& probes, const QStringList& sortOrder) {
  for (const QString& entry : sortOrder) {
    if (entry == kRefDesEntry) {
      sortByReference(probes, QStringLiteral("Prefix"),
                      QStringLiteral("Number"), QStringLiteral("Pin"));
      continue;
    }
    for (int c = 0; c < probes.columns(); ++c) {
      if (probes.text(0, c) == entry) {
        probes.sortByColumn(c);
        break;
      }
    }
  }
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
