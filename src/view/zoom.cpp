#include "zoom.h"

namespace lw {

double probeZoomHalfSizeInches(int level) {
  return ((11 - level) + 2) / 10.0;
}

bool updateZoomFields(int unitsCode, int level, ZoomFields& fields) {
  if (unitsCode < 0 || unitsCode > 4) return false;
  const double k = unitsPerInch(static_cast<PageUnits>(unitsCode));
  fields.probeZoomHalfSize = probeZoomHalfSizeInches(level) * k;
  fields.boardCentreSize = 10 * k;
  return true;
}

QPointF viewCoordinates(QPointF p, int rotation, bool fromTop) {
  QPointF v = rotateQuarterTurns(p, rotation);
  if (!fromTop) v.setX(-v.x());
  return v;
}

QString rotateCaption(int degrees) {
  return QStringLiteral("Rotate Board (%1)").arg(degrees);
}

int rotationFromCaption(const QString& caption, int current) {
  for (int degrees : {0, 90, 180, 270})
    if (caption.contains(QStringLiteral("(%1)").arg(degrees))) return degrees;
  return current;
}

}  // namespace lw
