#pragma once

// The board drawn on paper, one map per surface, through the board view's
// own picture and painting routine: every probe in its wiring colour (wired
// green, not wired red; no current probe), the layers the surface shows,
// the entity classes the wirer chose, the board turned as the document
// holds it and mirrored from the bottom, on white.

#include "boardpicture.h"
#include "wiringstate.h"

#include <array>

class QPainter;
class QRectF;

namespace lw {

class GridModel;

// Entity classes by code (board.h): which a map draws.
using ShownClasses = std::array<bool, kEntityKindCount>;

// The classes a window shows with these settings: each check box's own,
// access point markers never.
ShownClasses shownClasses(const WiringSettings& settings);

// A layer colour as paper shows it: colours made for the black screen that
// would vanish on white are darkened.
QRgb paperColour(QRgb screen);

class ProbeMaps {
 public:
  // document must outlive the maps; every probe row of probeGrid gives its
  // probe's colour, listed in the wire list or not.
  ProbeMaps(const BoardDocument& document, const GridModel& probeGrid,
            const ShownClasses& classes);

  // Fits the board into target (painter coordinates) and paints it.
  void paint(QPainter& painter, const QRectF& target, bool top);

 private:
  BoardPicture mPicture;
  ViewStyle mTop;
  ViewStyle mBottom;
};

}  // namespace lw
