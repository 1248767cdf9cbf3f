#pragma once

// Boards whose probes touch chosen component pins or vias, probe i at
// x = 10 i. Every "REFNAME" gets a display record of its own, so that a
// test can tell whether the numbers survived a renumbering.

#include "boardbuilder.h"

#include <QMap>

namespace lw::test {

struct ProbeOn {
  QString probe;   // the probe's current name
  QString refdes;  // component touched; empty: a via
  QString pin = QStringLiteral("1");
  Side side = Side::Top;
  bool refName = true;  // carries a "REFNAME" attribute
};

inline DisplayRecord displayFor(int i) {
  DisplayRecord d;
  for (int k = 0; k < 5; ++k) d.reals[size_t(k)] = 0.25 * (i + 1) + k;
  for (int k = 0; k < 8; ++k) d.ints[size_t(k)] = std::int16_t(10 * i + k + 1);
  return d;
}

// Probe i is entity number 5000 + i.
inline Board boardWithProbesOn(const QList<ProbeOn>& probes) {
  BoardBuilder b;
  QMap<QString, int> components;
  for (int i = 0; i < probes.size(); ++i) {
    const ProbeOn& p = probes[i];
    int feature = 0;
    if (p.refdes.isEmpty()) {
      feature = 3000 + i;
      b.via(feature, i, 0);
    } else {
      if (!components.contains(p.refdes))
        components[p.refdes] =
            b.component(p.refdes, 1000 + int(components.size()));
      feature = 2000 + i;
      b.pin(components[p.refdes], p.pin, feature, i, 0);
    }
    const QByteArray link = QByteArray::number(feature);
    const QByteArray access = QByteArray::number(4000 + i);
    b.access(4000 + i, {{"NETNAME", "N"}, {"DATALINK", link.constData()}},
             p.side);
    Attrs attrs{{"NETNAME", "N"},
                {"DATALINK", access.constData()},
                {"TESTER_REASOURCE", "T1"},
                {"PROBE_PLACEMENT", "Placed"}};
    if (p.refName) attrs.push_back({"REFNAME", "old"});
    const int at = b.probe(p.probe, 5000 + i, 10.0 * i, 5, p.side, attrs);
    if (p.refName)
      b.board().entities[size_t(at)].attributes.back().display = displayFor(i);
  }
  return b.take();
}

}  // namespace lw::test
