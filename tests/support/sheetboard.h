#pragma once

// A board whose probes are easy to find in a wire list and on a printed
// map: probe i is named N<101 + i>, sits on pin 1 of R<i> at (12 c, 12 r)
// in a ten-wide grid, 8 wide, so that its name fits inside it on paper.
// Every third probe is on the bottom; wired probes carry a stored mark.

#include "boardbuilder.h"

#include <QSet>

namespace lw::test {

inline QString sheetProbe(int i) {
  return QStringLiteral("N%1").arg(101 + i);
}

inline bool sheetProbeOnTop(int i) {
  return i % 3 != 0;
}

inline Board sheetBoard(int probes, const QSet<int>& wired = {}) {
  BoardBuilder b;
  for (int i = 0; i < probes; ++i) {
    const double x = 12.0 * (i % 10), y = 12.0 * (i / 10);
    const int r = b.component(QStringLiteral("R%1").arg(i), 1000 + i);
    b.pin(r, "1", 2000 + i, x, y);
    const QByteArray pin = QByteArray::number(2000 + i);
    const QByteArray access = QByteArray::number(4000 + i);
    const Side side = sheetProbeOnTop(i) ? Side::Top : Side::Bottom;
    b.access(4000 + i, {{"NETNAME", "N"}, {"DATALINK", pin.constData()}}, side);
    Attrs attrs{{"DATALINK", access.constData()},
                {"PROBE_PLACEMENT", "Placed"}};
    if (!wired.isEmpty()) attrs.push_back({"PROBE_WIRED", "0"});
    if (wired.contains(i)) attrs.back().second = "1";
    b.sized(b.probe(sheetProbe(i), 5000 + i, x, y, side, attrs), 8);
  }
  return b.take();
}

}  // namespace lw::test
