#pragma once

// Helpers of the import tests: looking things up in an imported board,
// writing feature records in the standard columns, and checking a probe
// placement against its rules by brute force, independently of the placer.

#include "ipc356import.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cmath>
#include <map>
#include <optional>
#include <vector>

namespace lw::test {

inline QString importData(const char* name) {
  return QStringLiteral(LW_IMPORT_TEST_DATA "/") + QLatin1String(name);
}

inline std::vector<const Entity*> entitiesOf(const Board& board,
                                             EntityKind kind) {
  std::vector<const Entity*> out;
  for (const Entity& e : board.entities)
    if (e.kind == kind) out.push_back(&e);
  return out;
}

// The attribute's value, or nullopt when the entity does not carry it.
inline std::optional<QString> attr(const Board& board, const Entity& e,
                                   const char* name) {
  const int keyword = static_cast<int>(board.keywords.indexOf(name));
  for (const Attribute& a : e.attributes)
    if (keyword > 0 && a.keyword == keyword) return a.value;
  return std::nullopt;
}

inline std::optional<QString> documentAttr(const Board& board,
                                           const char* name) {
  const int keyword = static_cast<int>(board.keywords.indexOf(name));
  for (const Attribute& a : board.attributes)
    if (keyword > 0 && a.keyword == keyword) return a.value;
  return std::nullopt;
}

inline const Entity* byNumber(const Board& board, const QString& number) {
  bool ok = false;
  const int n = number.toInt(&ok);
  for (const Entity& e : board.entities)
    if (ok && e.number == n) return &e;
  return nullptr;
}

// The feature an access point's DATALINK names.
inline const Entity* featureOf(const Board& board, const Entity& access) {
  const auto link = attr(board, access, "DATALINK");
  return link ? byNumber(board, *link) : nullptr;
}

inline const Entity* probeNamed(const Board& board, const QString& name) {
  for (const Entity& e : board.entities)
    if (e.kind == EntityKind::Probe && e.name == name) return &e;
  return nullptr;
}

inline std::vector<const Entity*> probesOfNet(const Board& board,
                                              const QString& net) {
  std::vector<const Entity*> out;
  for (const Entity* p : entitiesOf(board, EntityKind::Probe))
    if (attr(board, *p, "NETNAME") == net) out.push_back(p);
  return out;
}

inline bool isPlaced(const Board& board, const Entity& probe) {
  return attr(board, probe, "PROBE_PLACEMENT") == QStringLiteral("Placed");
}

// One feature record in the standard IPC-D-356A columns.
struct Record {
  const char* code = "327";
  const char* net = "";
  const char* refdes = "";
  const char* pin = "";
  int hole = -1;  // -1: no D field
  char plating = ' ';
  int access = 1;
  long x = 0;
  long y = 0;
  int width = -1;   // -1: no size fields
  int height = -1;  // -1: blank
  int rotation = -1;
  int mask = -1;
};

inline QByteArray line(const Record& r) {
  QByteArray hole =
      r.hole >= 0
          ? QByteArray("D") + QByteArray::number(r.hole).rightJustified(4, '0')
          : QByteArray(5, ' ');
  auto signedField = [](long v) {
    return QByteArray(v < 0 ? "-" : "+") +
           QByteArray::number(std::labs(v)).rightJustified(6, '0');
  };
  QByteArray out =
      QByteArray(r.code) + QByteArray(r.net).leftJustified(14, ' ') + "   " +
      QByteArray(r.refdes).leftJustified(6, ' ') + "-" +
      QByteArray(r.pin).leftJustified(4, ' ') + " " + hole + r.plating + "A" +
      QByteArray::number(r.access).rightJustified(2, '0') + "X" +
      signedField(r.x) + "Y" + signedField(r.y);
  if (r.width >= 0) {
    out += "X" + QByteArray::number(r.width).rightJustified(4, '0');
    out += r.height >= 0
               ? "Y" + QByteArray::number(r.height).rightJustified(4, '0')
               : QByteArray("Y    ");
    out += r.rotation >= 0
               ? "R" + QByteArray::number(r.rotation).rightJustified(3, '0')
               : QByteArray("    ");
    if (r.mask >= 0) out += " S" + QByteArray::number(r.mask);
  }
  return out + "\n";
}

inline QByteArray netlist(const std::vector<Record>& records,
                          const char* units = "CUST 0") {
  QByteArray text = QByteArray("P  UNITS ") + units + "\n";
  for (const Record& r : records) text += line(r);
  return text + "999\n";
}

// Every broken rule of a placement, in words; empty when it is sound.
// Checks one probe per net, probes on access points of their net on an
// allowed side, pad size, spacing, and that no strictly better class of
// access point was left free.
class PlacementCheck {
 public:
  PlacementCheck(const Board& board, ProbeSide side, double spacing,
                 double minPad)
      : mBoard(board),
        mSide(side),
        mLimit(spacing * (1 - 1e-9)),
        mMinPad(minPad * (1 - 1e-9)) {
    for (const Entity& e : board.entities) mByNumber[e.number] = &e;
    for (const Entity* ap : entitiesOf(board, EntityKind::AccessPoint))
      mAccessByNet[net(*ap)].push_back(ap);
  }

  QStringList faults() {
    QStringList out;
    std::map<QString, int> perNet;
    for (const Entity* p : entitiesOf(mBoard, EntityKind::Probe)) {
      ++perNet[net(*p)];
      if (isPlaced(mBoard, *p)) mPlaced.push_back(p);
    }
    for (const auto& [name, count] : perNet)
      if (count != 1)
        out << QStringLiteral("net %1 has %2 probes").arg(name).arg(count);
    for (const Entity* p : mPlaced) checkProbe(*p, out);
    return out;
  }

 private:
  QString net(const Entity& e) const {
    return attr(mBoard, e, "NETNAME").value_or(QString());
  }
  const Entity* linked(const Entity& e) const {
    const auto link = attr(mBoard, e, "DATALINK");
    const auto it = link ? mByNumber.find(link->toInt()) : mByNumber.end();
    return it == mByNumber.end() ? nullptr : it->second;
  }
  int classOf(const Entity& feature) const {
    if (feature.kind == EntityKind::Via) return 1;
    const QString refdes =
        feature.parent >= 0 ? mBoard.entities[feature.parent].name : QString();
    if (refdes.startsWith(QLatin1String("TP"))) return 0;
    return feature.side == Side::Both ? 2 : 3;
  }
  bool usable(const Entity& ap) const {
    const double pad = ap.height > 0 ? std::min(ap.width, ap.height) : ap.width;
    const bool sideOk = mSide == ProbeSide::Both ||
                        (mSide == ProbeSide::Top) == (ap.side == Side::Top);
    return sideOk && pad >= mMinPad;
  }
  bool clash(const Entity& at, const Entity* except) const {
    for (const Entity* q : mPlaced)
      if (q != except && q->side == at.side &&
          std::hypot(q->x - at.x, q->y - at.y) < mLimit)
        return true;
    return false;
  }
  void checkProbe(const Entity& p, QStringList& out) const {
    const Entity* ap = linked(p);
    const Entity* feature = ap ? linked(*ap) : nullptr;
    if (!ap || ap->kind != EntityKind::AccessPoint || !feature) {
      out << QStringLiteral("probe %1 sits on no access point").arg(p.name);
      return;
    }
    if (net(*ap) != net(p) || ap->side != p.side || ap->x != p.x ||
        ap->y != p.y)
      out << QStringLiteral("probe %1 is not on its access point").arg(p.name);
    if (!usable(*ap))
      out << QStringLiteral("probe %1 is on a pad it may not use").arg(p.name);
    if (clash(p, &p))
      out << QStringLiteral("probe %1 is too close to another").arg(p.name);
    const auto it = mAccessByNet.find(net(p));
    for (const Entity* other : it->second) {
      const Entity* f = linked(*other);
      if (f && usable(*other) && classOf(*f) < classOf(*feature) &&
          !clash(*other, &p))
        out << QStringLiteral("probe %1 passed over a better free pad")
                   .arg(p.name);
    }
  }

  const Board& mBoard;
  ProbeSide mSide;
  double mLimit;
  double mMinPad;
  std::map<int, const Entity*> mByNumber;
  std::map<QString, std::vector<const Entity*>> mAccessByNet;
  std::vector<const Entity*> mPlaced;
};

inline QStringList placementFaults(const Board& board, ProbeSide side,
                                   double spacing, double minPad) {
  return PlacementCheck(board, side, spacing, minPad).faults();
}

}  // namespace lw::test
