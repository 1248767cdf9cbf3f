#pragma once

// Probes an import could not place stay in the document, marked with the
// attribute "PROBE_PLACEMENT" "Unplaced", so that the import summary can
// count them and a later import can try again. Everything the wirer works
// with leaves them out: the probe table, the counters and both views.

#include "board.h"

#include <QString>
#include <QStringView>

namespace lw {

// The attribute that says whether a probe was placed.
QString placementKeyword();

// Whether a "PROBE_PLACEMENT" value marks an unplaced probe (exactly
// "Unplaced").
bool isUnplacedValue(QStringView placement) noexcept;

// Whether entity is marked unplaced; keyword is the board's index of
// placementKeyword(), 0 when the board has none (then nothing is).
bool isUnplaced(const Entity& entity, int keyword) noexcept;

}  // namespace lw
