#include "boardio.h"
#include "cli.h"
#include "commands.h"
#include "ipc356import.h"
#include "netlisttext.h"

namespace lw {

namespace {

int usage(QTextStream& err, const QString& problem) {
  err << "loomwright-cli import: " << problem
      << "\nUsage: loomwright-cli import FILE.ipc -o OUT.vd|OUT.vdz "
         "[--side bottom|top|both] [--probe-size auto|100|75|50|39] "
         "[--unplaced] [--strict]\n";
  return kExitUsage;
}

}  // namespace

int importCommand(const QStringList& operands, QTextStream& out,
                  QTextStream& err) {
  QString source, target;
  ImportOptions options;
  bool strict = false;
  bool listUnplaced = false;
  for (qsizetype i = 0; i < operands.size(); ++i) {
    const QString& arg = operands[i];
    const bool hasValue = i + 1 < operands.size();
    if (arg == QLatin1String("-o") || arg == QLatin1String("--output")) {
      if (!hasValue) return usage(err, QStringLiteral("-o needs a file name"));
      target = operands[++i];
    } else if (arg == QLatin1String("--side")) {
      const auto side =
          hasValue ? probeSideFromText(operands[++i]) : std::nullopt;
      if (!side)
        return usage(err, QStringLiteral("--side takes bottom, top "
                                         "or both"));
      options.side = *side;
    } else if (arg == QLatin1String("--probe-size")) {
      const auto size =
          hasValue ? probeSizeFromText(operands[++i]) : std::nullopt;
      if (!size)
        return usage(err, QStringLiteral("--probe-size takes auto, 100, 75, "
                                         "50 or 39"));
      options.probeSize = *size;
    } else if (arg == QLatin1String("--strict")) {
      strict = true;
    } else if (arg == QLatin1String("--unplaced")) {
      listUnplaced = true;
    } else if (arg.startsWith(QLatin1Char('-')) || !source.isEmpty()) {
      return usage(err, QStringLiteral("unexpected \"%1\"").arg(arg));
    } else {
      source = arg;
    }
  }
  if (source.isEmpty()) return usage(err, QStringLiteral("no netlist given"));
  if (target.isEmpty()) return usage(err, QStringLiteral("no -o OUT given"));
  const std::optional<Compression> compression = compressionForName(target);
  if (!compression)
    return usage(err, target + QStringLiteral(": the output name must end in "
                                              ".vd or .vdz."));

  const ImportResult result = importIpc356(source, options);
  const QString summary = formatSummary(result.summary);
  // A script that asks for every line gets no board built from fewer.
  if (strict && result.summary.skippedLines > 0) {
    out << summary;
    throw Error(QStringLiteral("\"%1\" has skipped lines (%2); with "
                               "--strict no board is written.")
                    .arg(ipc356::printable(source))
                    .arg(result.summary.skippedLines));
  }
  writeBoard(result.board, target, *compression);
  out << summary;
  if (listUnplaced && !result.summary.unplaced.empty())
    out << "Nets without a probe (net, tab, reason):\n"
        << formatUnplaced(result.summary);
  out << ipc356::printable(source) << " -> " << ipc356::printable(target)
      << '\n';
  return kExitOk;
}

}  // namespace lw
