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
  ProbeWriter(BuiltBoard& built, const PlacementRules& rules, Side fallbackSide)
      : mBuilt(built), mRules(rules), mFallbackSide(fallbackSide) {}

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
    // An unplaced probe has the smallest size, the last one tried.
    const double size = p.size >= 0
                            ? mRules.sizes[static_cast<size_t>(p.size)].size
                            : mRules.sizes.back().size;
    Entity e;
    e.kind = EntityKind::Probe;
    e.shape = Shape::Round;
    e.width = size;
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
    refName.display.edit().reals[0] = size / 2;  // text height
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
  const PlacementRules& mRules;
  Side mFallbackSide;
  int mNumber = 1;
};

ImportSummary summarise(const Netlist& netlist, const BuiltBoard& built,
                        const std::vector<NetPlacement>& placements,
                        const QString& fileName, const ImportOptions& options) {
  const std::vector<ProbeSize> sizes = probeSizesOf(options.probeSize);
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
  for (size_t net = 0; net < placements.size(); ++net) {
    const NetPlacement& p = placements[net];
    if (p.reason != Unplaced::No) {
      s.unplaced.push_back({built.nets[static_cast<qsizetype>(net)],
                            QLatin1String(reasonText(p.reason))});
    }
    switch (p.reason) {
      case Unplaced::No:
        ++s.probesPlaced;
        ++s.placedBySize[static_cast<int>(sizes[static_cast<size_t>(p.size)])];
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
  s.splitDesignators = built.splitDesignators;
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

std::vector<ProbeSize> probeSizesOf(ProbeSize size) {
  if (size != ProbeSize::Auto) return {size};
  return {ProbeSize::Mil100, ProbeSize::Mil75, ProbeSize::Mil50,
          ProbeSize::Mil39};
}

double minimumPadMils(ProbeSize size) noexcept {
  switch (size) {
    case ProbeSize::Mil100:
      return 30;
    case ProbeSize::Mil75:
      return 25;
    case ProbeSize::Mil50:
      return 20;
    case ProbeSize::Mil39:
    case ProbeSize::Auto:
      break;
  }
  return 16;
}

std::optional<ProbeSide> probeSideFromText(QStringView text) {
  for (const ProbeSide side :
       {ProbeSide::Bottom, ProbeSide::Top, ProbeSide::Both})
    if (text == probeSideText(side)) return side;
  return std::nullopt;
}

std::optional<ProbeSize> probeSizeFromText(QStringView text) {
  for (const ProbeSize size :
       {ProbeSize::Auto, ProbeSize::Mil100, ProbeSize::Mil75, ProbeSize::Mil50,
        ProbeSize::Mil39})
    if (text == probeSizeText(size)) return size;
  return std::nullopt;
}

QString probeSideText(ProbeSide side) {
  switch (side) {
    case ProbeSide::Top:
      return QStringLiteral("top");
    case ProbeSide::Both:
      return QStringLiteral("both");
    case ProbeSide::Bottom:
      break;
  }
  return QStringLiteral("bottom");
}

QString probeSizeText(ProbeSize size) {
  return size == ProbeSize::Auto ? QStringLiteral("auto")
                                 : QString::number(static_cast<int>(size));
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

  PlacementRules rules;
  rules.top = options.side != ProbeSide::Bottom;
  rules.bottom = options.side != ProbeSide::Top;
  for (const ProbeSize size : probeSizesOf(options.probeSize)) {
    rules.sizes.push_back({milsToPage(static_cast<int>(size), netlist.units),
                           milsToPage(minimumPadMils(size), netlist.units)});
  }
  const std::vector<NetPlacement> placements =
      placeProbes(built.targets, static_cast<int>(built.nets.size()), rules);

  ImportResult result;
  result.summary = summarise(netlist, built, placements, fileName, options);
  ProbeWriter(built, rules,
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
  const ProbeSize chosen = s.options.probeSize;
  QStringList sizes;
  for (const ProbeSize size : probeSizesOf(chosen))
    sizes << QString::number(static_cast<int>(size));
  QStringList bySize;
  for (const auto& [size, count] : s.placedBySize)  // largest first
    bySize.prepend(QStringLiteral("%1 at %2 mil").arg(count).arg(size));
  const int unplaced =
      s.unplacedNoAccess + s.unplacedPadTooSmall + s.unplacedTooClose;
  QString out =
      QStringLiteral("Probes (%1, %2 mil): %3 placed%4, %5 unplaced.\n")
          .arg(sideName(s.options.side),
               chosen == ProbeSize::Auto
                   ? QStringLiteral("the largest that fits of ") +
                         sizes.join(QStringLiteral(", "))
                   : sizes.join(QString()))
          .arg(s.probesPlaced)
          .arg(chosen == ProbeSize::Auto && !bySize.isEmpty()
                   ? QStringLiteral(" (") + bySize.join(QStringLiteral(", ")) +
                         u')'
                   : QString())
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
  if (!s.splitDesignators.isEmpty()) {
    out += QStringLiteral(
               "Designators used on both sides, made one part per side (the "
               "writer may have cut longer names): ") +
           s.splitDesignators.join(QStringLiteral(", ")) + u'\n';
  }
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

QString formatUnplaced(const ImportSummary& s) {
  QString out;
  for (const UnplacedNet& u : s.unplaced)
    out += u.net + u'\t' + u.reason + u'\n';
  return out;
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
