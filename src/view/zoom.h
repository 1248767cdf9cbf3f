#pragma once

// Probe zoom window, board centring size, rotation and its caption.

#include "board.h"

#include <QPointF>
#include <QString>

namespace lw {

struct ZoomFields {
  double probeZoomHalfSize = 0;  // page units
  double boardCentreSize = 0;    // page units
};

// Half-size of the probe view's window for zoom level 1..10, in inches:
// level 1 shows the widest square (1.2"), level 10 the closest (0.3").
double probeZoomHalfSizeInches(int level);

// Updates the fields for the document's page units code; an unknown code
// leaves them as they were and returns false.
bool updateZoomFields(int unitsCode, int level, ZoomFields& fields);

// A document point turned by the board rotation (0, 90, 180 or 270 degrees;
// any other value leaves it), then mirrored when seen from the bottom.
QPointF viewCoordinates(QPointF point, int rotation, bool fromTop);

QString rotateCaption(int degrees);
// The rotation a stored caption names ("(0)", "(90)", "(180)", "(270)",
// first found in that order), or current when it names none.
int rotationFromCaption(const QString& caption, int current);

}  // namespace lw
