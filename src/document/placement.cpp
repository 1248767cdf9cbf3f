#include "placement.h"

namespace lw {

QString placementKeyword() {
  return QStringLiteral("PROBE_PLACEMENT");
}

bool isUnplacedValue(QStringView placement) noexcept {
  return placement == u"Unplaced";
}

bool isUnplaced(const Entity& entity, int keyword) noexcept {
  if (keyword <= 0) return false;
  const Attribute* placement = entity.attribute(keyword);
  return placement && isUnplacedValue(placement->value);
}

}  // namespace lw
