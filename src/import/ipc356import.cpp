#include "ipc356import.h"

#include "ipc356builder.h"
#include "ipc356placer.h"
#include "ipc356reader.h"
#include "netlisttext.h"
#include "regularfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace lw {
namespace {

using namespace ipc356;

// Netlists are a few megabytes; anything far larger is not one.
constexpr qint64 kMaxFileSize = 256LL * 1024 * 1024;
constexpr int kProblemsShown = 20;

double milsToPage(double mils, PageUnits units) {
  return units == PageUnits::Millimetre ? mils * 0.0254 : mils;
}

const char* reasonText(Unplaced reason) {
  switch (reason) {
    case Unplaced::NoAccess:
      return kReasonNoAccess;
    case Unplaced::PadTooSmall:
      return kReasonPadTooSmall;
    case Unplaced::TooClose:
      return kReasonTooClose;
    case Unplaced::No:
      break;
  }
  return "";
}

class ProbeWriter {
 public:
  ProbeWriter(BuiltBoard& built, double probeSize, Side fallbackSide)
      : mBuilt(built), mProbeSize(probeSize), mFallbackSide(fallbackSide) {}

  // Placed probes are numbered first so that the visible ones run 1..n.
  void write(const std::vector<NetPlacement>& placements) {
    const int nets = static_cast<int>(placements.size());
    for (const bool placed : {true, false})
      for (int net = 0; net < nets; ++net)
        if ((placements[net].target >= 0) == placed) add(net, placements[net]);
  }

 private:
  Attribute attribute(int keyword, const QString& value) const {
    Attribute a;
    a.keyword = keyword;
    a.value = value;
    return a;
  }

  void add(int net, const NetPlacement& p) {
    const Keywords& k = mBuilt.keywords;
    const int target = p.target >= 0 ? p.target : p.nearest;
    Entity e;
    e.kind = EntityKind::Probe;
    e.shape = Shape::Round;
    e.width = mProbeSize;
    e.name = QString::number(mNumber++);
    if (target >= 0) {
      const ProbeTarget& t = mBuilt.targets[target];
      e.x = t.x;
      e.y = t.y;
      e.side = t.side;
    } else {
      e.x = mBuilt.netOrigins[net].x();
      e.y = mBuilt.netOrigins[net].y();
      e.side = mFallbackSide;
    }
    e.layer = e.side == Side::Top ? kLayerProbeTop : kLayerProbeBottom;
    e.attributes.push_back(attribute(k.netName, mBuilt.nets[net]));
    if (target >= 0) {
      e.attributes.push_back(attribute(
          k.dataLink, QString::number(mBuilt.targets[target].entityNumber)));
    }
    Attribute refName = attribute(k.refName, e.name);
    refName.display.reals[0] = mProbeSize / 2;  // text height
    e.attributes.push_back(refName);
    const bool placed = p.target >= 0;
    e.attributes.push_back(
        attribute(k.placement, placed ? QStringLiteral("Placed")
                                      : QStringLiteral("Unplaced")));
    if (!placed) {
      e.attributes.push_back(
          attribute(k.reason, QLatin1String(reasonText(p.reason))));
    }
    Board& board = mBuilt.board;
    e.number = static_cast<int>(board.entities.size()) + 1;
    e.file = kImportedFileNumber;
    board.entities.push_back(std::move(e));
  }

  BuiltBoard& mBuilt;
  double mProbeSize;
  Side mFallbackSide;
  int mNumber = 1;
};

ImportSummary summarise(const Netlist& netlist, const BuiltBoard& built,
                        const std::vector<NetPlacement>& placements,
                        const QString& fileName, const ImportOptions& options) {
  ImportSummary s;
  s.fileName = fileName;
  s.units = netlist.unitsText;
  s.latin1 = netlist.encoding == TextEncoding::Latin1;
  s.pageUnits = netlist.units;
  s.lines = netlist.lines;
  s.featureRecords = netlist.featureRecords;
  s.components = built.components;
  s.pins = built.pins;
  s.vias = built.vias;
  s.toolingHoles = built.toolingHoles;
  s.fiducials = built.fiducials;
  s.nets = static_cast<int>(built.nets.size());
  for (const ProbeTarget& t : built.targets)
    ++(t.side == Side::Top ? s.accessPointsTop : s.accessPointsBottom);
  s.noConnectFeatures = built.noConnectFeatures;
  s.unnamedFeatures = built.unnamedFeatures;
  for (const NetPlacement& p : placements) {
    switch (p.reason) {
      case Unplaced::No:
        ++s.probesPlaced;
        break;
      case Unplaced::NoAccess:
        ++s.unplacedNoAccess;
        break;
      case Unplaced::PadTooSmall:
        ++s.unplacedPadTooSmall;
        break;
      case Unplaced::TooClose:
        ++s.unplacedTooClose;
        break;
    }
  }
  s.bottomLayer = netlist.bottomLayer;
  s.outlineFromFile = built.outlineFromFile;
  s.maskNamesOpenSides = built.maskNamesOpenSides;
  s.skippedRecords = netlist.skipped;
  s.skippedLines = netlist.skippedLines;
  s.problems = netlist.problems;
  s.duplicates = netlist.duplicates;
  s.options = options;
  return s;
}

QString unitName(PageUnits units) {
  return units == PageUnits::Millimetre ? QStringLiteral("mm")
                                        : QStringLiteral("mil");
}

QString sideName(ProbeSide side) {
  switch (side) {
    case ProbeSide::Top:
      return QStringLiteral("top");
    case ProbeSide::Both:
      return QStringLiteral("both sides");
    case ProbeSide::Bottom:
      break;
  }
  return QStringLiteral("bottom");
}

}  // namespace

double minimumPadMils(ProbeSize size) noexcept {
  switch (size) {
    case ProbeSize::Mil75:
      return 25;
    case ProbeSize::Mil50:
      return 20;
    case ProbeSize::Mil100:
      break;
  }
  return 30;
}

std::optional<ProbeSide> probeSideFromText(QStringView text) {
  if (text == u"bottom") return ProbeSide::Bottom;
  if (text == u"top") return ProbeSide::Top;
  if (text == u"both") return ProbeSide::Both;
  return std::nullopt;
}

std::optional<ProbeSize> probeSizeFromText(QStringView text) {
  if (text == u"100") return ProbeSize::Mil100;
  if (text == u"75") return ProbeSize::Mil75;
  if (text == u"50") return ProbeSize::Mil50;
  return std::nullopt;
}

ImportResult importIpc356(const QString& path, const ImportOptions& options) {
  const QString shown = QDir::toNativeSeparators(path);
  requireRegularFile(path);
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    throw Error(QStringLiteral("Cannot open \"%1\": %2")
                    .arg(shown, file.errorString()));
  }
  if (file.size() > kMaxFileSize) {
    throw Error(QStringLiteral("\"%1\" is too large for an IPC-D-356 "
                               "netlist (%2 MB).")
                    .arg(shown)
                    .arg(file.size() / (1024 * 1024)));
  }
  const QByteArray bytes = file.readAll();
  if (file.error() != QFileDevice::NoError) {
    throw Error(QStringLiteral("Cannot read \"%1\": %2")
                    .arg(shown, file.errorString()));
  }
  return importIpc356Text(bytes, QFileInfo(path).fileName(), options);
}

ImportResult importIpc356Text(QByteArrayView text, const QString& fileName,
                              const ImportOptions& options) {
  const Netlist netlist =
      readNetlist(text, QStringLiteral("\"%1\"").arg(printable(fileName)));
  BuiltBoard built = buildBoard(netlist, fileName);

  const double probeSize =
      milsToPage(static_cast<int>(options.probeSize), netlist.units);
  const double minPad = options.minPadMils > 0
                            ? options.minPadMils
                            : minimumPadMils(options.probeSize);
  PlacementRules rules;
  rules.top = options.side != ProbeSide::Bottom;
  rules.bottom = options.side != ProbeSide::Top;
  rules.spacing = probeSize;
  rules.minPadSize = milsToPage(minPad, netlist.units);
  const std::vector<NetPlacement> placements =
      placeProbes(built.targets, static_cast<int>(built.nets.size()), rules);

  ImportResult result;
  result.summary = summarise(netlist, built, placements, fileName, options);
  ProbeWriter(built, probeSize,
              options.side == ProbeSide::Top ? Side::Top : Side::Bottom)
      .write(placements);
  result.board = std::move(built.board);
  return result;
}

namespace {

QString boardLines(const ImportSummary& s) {
  const QString units = s.units.isEmpty()
                            ? QStringLiteral("no UNITS record, read as CUST 0")
                            : s.units;
  const QString bottom =
      s.bottomLayer > 0
          ? QStringLiteral("bottom is access layer %1").arg(s.bottomLayer)
          : QStringLiteral("no surface pads on the bottom");
  const QString encoding = s.latin1 ? QStringLiteral("Latin-1 text, not UTF-8")
                                    : QStringLiteral("UTF-8 text");
  return QStringLiteral("Skipped lines: %1\n").arg(s.skippedLines) +
         QStringLiteral(
             "Imported %1 (%2; %3; page units %4): %5 lines, %6 "
             "feature records.\n")
             .arg(printable(s.fileName), printable(units), encoding,
                  unitName(s.pageUnits))
             .arg(s.lines)
             .arg(s.featureRecords) +
         QStringLiteral(
             "Board: %1 components with %2 pins, %3 vias, %4 "
             "tooling holes, %5 fiducials; %6.\n")
             .arg(s.components)
             .arg(s.pins)
             .arg(s.vias)
             .arg(s.toolingHoles)
             .arg(s.fiducials)
             .arg(s.outlineFromFile
                      ? QStringLiteral("outline from BOARD_EDGE")
                      : QStringLiteral("outline drawn around the features")) +
         QStringLiteral(
             "Nets: %1. Not nets, never probed: %2 pins and vias "
             "on N/C, %3 with a blank net name.\n")
             .arg(s.nets)
             .arg(s.noConnectFeatures)
             .arg(s.unnamedFeatures) +
         QStringLiteral(
             "Access points: %1 top, %2 bottom (%3; solder mask "
             "digits read as the %4 sides).\n")
             .arg(s.accessPointsTop)
             .arg(s.accessPointsBottom)
             .arg(bottom, s.maskNamesOpenSides ? QStringLiteral("open")
                                               : QStringLiteral("covered"));
}

QString probeLines(const ImportSummary& s) {
  const double minPad = s.options.minPadMils > 0
                            ? s.options.minPadMils
                            : minimumPadMils(s.options.probeSize);
  const int unplaced =
      s.unplacedNoAccess + s.unplacedPadTooSmall + s.unplacedTooClose;
  QString out = QStringLiteral(
                    "Probes (%1, %2 mil, pads from %3 mil): %4 placed, "
                    "%5 unplaced.\n")
                    .arg(sideName(s.options.side))
                    .arg(static_cast<int>(s.options.probeSize))
                    .arg(minPad)
                    .arg(s.probesPlaced)
                    .arg(unplaced);
  const std::pair<int, const char*> reasons[] = {
      {s.unplacedNoAccess, kReasonNoAccess},
      {s.unplacedPadTooSmall, kReasonPadTooSmall},
      {s.unplacedTooClose, kReasonTooClose}};
  for (const auto& [count, reason] : reasons)
    if (count > 0)
      out += QStringLiteral("  %1 unplaced: %2\n")
                 .arg(count)
                 .arg(QLatin1String(reason));
  return out;
}

// A heading with the count, then the first items, indented.
QString listed(const QString& heading, int count, const QStringList& items) {
  if (count == 0) return {};
  QString out = QStringLiteral("%1: %2\n").arg(heading).arg(count);
  for (const QString& item : items.mid(0, kProblemsShown))
    out += QStringLiteral("  ") + printable(item) + u'\n';
  const int shown = std::min<int>(kProblemsShown, items.size());
  if (count > shown)
    out += QStringLiteral("  ... and %1 more\n").arg(count - shown);
  return out;
}

QString skippedLines(const ImportSummary& s) {
  QString out;
  if (!s.skippedRecords.empty()) {
    QStringList parts;
    for (const auto& [code, count] : s.skippedRecords)
      parts.append(QStringLiteral("%1 (%2)").arg(printable(code)).arg(count));
    out += QStringLiteral("Records not used: ") + parts.join(u", ") + u'\n';
  }
  out += listed(QStringLiteral("Duplicates left out"),
                static_cast<int>(s.duplicates.size()), s.duplicates);
  out += listed(QStringLiteral("Problems"), s.skippedLines, s.problems);
  return out;
}

}  // namespace

QString formatSummary(const ImportSummary& s) {
  return boardLines(s) + probeLines(s) + skippedLines(s);
}

bool looksLikeIpc356(QByteArrayView text) {
  NetlistText lines(text);
  QByteArrayView line;
  while (lines.nextLine(line)) {
    line = line.trimmed();
    if (line.isEmpty()) continue;
    for (const char* start : {"C ", "P ", "317", "327", "367", "999"})
      if (line.startsWith(start)) return true;
    return line == "C" || line == "P";
  }
  return false;
}

}  // namespace lw
