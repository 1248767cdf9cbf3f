#include "commands.h"

#include "boarddocument.h"
#include "cli.h"

namespace lw {

namespace {

QString quoted(const QString& text) {
  return QLatin1Char('"') + text + QLatin1Char('"');
}

}  // namespace

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
