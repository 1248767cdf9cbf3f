#pragma once

// Boards the main window tests load.

#include "boardbuilder.h"

namespace lw::test {

// R1 pins 1 and 2, R10 pin 1, TP2 pin 1 and one via; five placed probes,
// three on top, and one unplaced.
inline Board smallBoard(bool withAccess = true) {
  BoardBuilder b;
  const int r1 = b.component("R1", 1), r10 = b.component("R10", 2),
            tp2 = b.component("TP2", 3);
  b.pin(r1, "1", 11);
  b.pin(r1, "2", 12);
  b.pin(r10, "1", 21);
  b.pin(tp2, "1", 31);
  b.via(41, 4, 4);
  if (withAccess) {
    b.access(51, {{"NETNAME", "A"}, {"DATALINK", "11"}});
    b.access(52, {{"NETNAME", "B"}, {"DATALINK", "12"}}, Side::Bottom);
    b.access(53, {{"NETNAME", "C"}, {"DATALINK", "21"}});
    b.access(54, {{"NETNAME", "D"}, {"DATALINK", "41"}}, Side::Bottom);
    b.access(55, {{"NETNAME", "E"}, {"DATALINK", "31"}});
  }
  const auto placed = [](const char* link) {
    return Attrs{{"NETNAME", "N"},
                 {"DATALINK", link},
                 {"TESTER_REASOURCE", "T1"},
                 {"PROBE_PLACEMENT", "Placed"},
                 {"REFNAME", "x"}};
  };
  b.probe("1", 61, 10, 5, Side::Top, placed("51"));
  b.probe("2", 62, -1.5, 2.25, Side::Bottom, placed("52"));
  b.probe("10", 63, 20, 5, Side::Top, placed("53"));
  b.probe("3", 64, 4, 4, Side::Bottom, placed("54"));
  b.probe("4", 65, 30, 5, Side::Top, placed("55"));
  b.probe("5", 66, 40, 5, Side::Top,
          {{"DATALINK", "55"}, {"PROBE_PLACEMENT", "Unplaced"}});
  return b.take();
}

}  // namespace lw::test
