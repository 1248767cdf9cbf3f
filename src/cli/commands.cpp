#include "commands.h"

#include "boarddocument.h"
#include "cli.h"

#include <array>

namespace lw {

namespace {

QString unitsName(PageUnits units) {
  switch (units) {
    case PageUnits::Inch:
      return QStringLiteral("inch");
    case PageUnits::Mil:
      return QStringLiteral("mil");
    case PageUnits::Millimetre:
      return QStringLiteral("mm");
    case PageUnits::Tenth:
      return QStringLiteral("tenth (1/1012 inch)");
    case PageUnits::Micron:
      return QStringLiteral("micron");
  }
  return QStringLiteral("code %1").arg(static_cast<int>(units));
}

constexpr std::array<const char*, kEntityKindCount> kKindNames{
    "",
    "Via",
    "Pin",
    "Component",
    "Mechanical part",
    "Mechanical hole",
    "Access point",
    "Fiducial",
    "Tooling hole",
    "Probe",
    "Outline"};

QString quoted(const QString& text) {
  return QLatin1Char('"') + text + QLatin1Char('"');
}

}  // namespace

int infoCommand(const QStringList& operands, QTextStream& out, QTextStream&) {
  BoardDocument doc;
  doc.open(operands[0]);
  const Board& board = doc.board();

  out << "File: " << operands[0] << '\n';
  out << "Units: " << unitsName(board.units) << '\n';
  out << "Files: " << board.files.size() << '\n';
  for (const BoardFile& f : board.files) {
    out << "  " << f.number << ' ' << quoted(f.name) << ' '
        << (f.isPcb ? "PCB" : "drawing") << ", "
        << (f.visible ? "visible" : "hidden") << '\n';
  }
  out << "Layers: " << board.layers.size() << '\n';
  for (const Layer& l : board.layers) {
    out << "  " << l.index << ' ' << quoted(l.name) << " type " << l.type
        << ", " << (l.visible ? "visible" : "hidden") << '\n';
  }
  std::array<int, kEntityKindCount> counts{};
  for (const Entity& e : board.entities) {
    const int kind = static_cast<int>(e.kind);
    if (kind > 0 && kind < kEntityKindCount) ++counts[kind];
  }
  out << "Entities: " << board.entities.size() << '\n';
  for (int kind = 1; kind < kEntityKindCount; ++kind)
    out << "  " << kKindNames[kind] << ": " << counts[kind] << '\n';
  return kExitOk;
}

// Fails where a load in Loomwright would stop; warns where it would show a
// message and go on.
int validateCommand(const QStringList& operands, QTextStream& out,
                    QTextStream& err) {
  const QString& path = operands[0];
  BoardDocument doc;
  doc.open(path);

  const QList<int> pcbFiles = doc.visiblePcbFiles();
  if (pcbFiles.isEmpty()) {
    err << path << ": no visible PCB file; Loomwright needs exactly one.\n";
    return kExitFailed;
  }
  // Loomwright goes on with the last visible PCB file.
  const int file = pcbFiles.back();
  const QString fileName = quoted(doc.fileInformation(file)->name);
  if (pcbFiles.size() > 1) {
    err << path << ": warning: " << pcbFiles.size()
        << " PCB files are visible; Loomwright uses the last one, " << fileName
        << ".\n";
  }
  const int probes = doc.queryEntityRecords(file, RecordKind::Probes).status;
  if (probes < 1) {
    err << path << ": the PCB file " << fileName << " has no probes.\n";
    return kExitFailed;
  }
  const int access =
      doc.queryEntityRecords(file, RecordKind::AccessPoints).status;
  if (access < 1) {
    err << path << ": the PCB file " << fileName << " has no access points.\n";
    return kExitFailed;
  }
  out << path << ": OK, PCB file " << fileName << " with " << probes
      << " probes and " << access << " access points.\n";
  return kExitOk;
}

int convertCommand(const QStringList& operands, QTextStream& out,
                   QTextStream& err) {
  const QString& in = operands[0];
  const QString& target = operands[1];
  const std::optional<Compression> compression = compressionForName(target);
  if (!compression) {
    err << target << ": the output name must end in .vd or .vdz.\n";
    return kExitUsage;
  }
  BoardDocument doc;
  doc.open(in);
  if (*compression == Compression::Gzip) {
    doc.saveCompressed(target);
    out << in << " -> " << target << " (compressed)\n";
  } else {
    doc.save(target);
    out << in << " -> " << target << '\n';
  }
  return kExitOk;
}

}  // namespace lw
