// loomwright-gen: writes generated boards, the bundled demo by default.
#include "boardgenerator.h"
#include "boardio.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>
#include <QTextStream>

#include <optional>

namespace {

std::optional<lw::PageUnits> unitsNamed(const QString& name) {
  static const std::pair<const char*, lw::PageUnits> kUnits[] = {
      {"inch", lw::PageUnits::Inch},
      {"mil", lw::PageUnits::Mil},
      {"mm", lw::PageUnits::Millimetre},
      {"tenth", lw::PageUnits::Tenth},
      {"micron", lw::PageUnits::Micron}};
  for (const auto& [text, units] : kUnits)
    if (name == QLatin1String(text)) return units;
  return std::nullopt;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  QCoreApplication::setApplicationName(QStringLiteral("loomwright-gen"));
  QCoreApplication::setApplicationVersion(QStringLiteral(LW_VERSION));
  QTextStream err(stderr);

  QCommandLineParser parser;
  parser.setApplicationDescription(QStringLiteral(
      "Writes a generated board to each OUTPUT: .vd plain, .vdz compressed.\n"
      "Without --probes it writes the bundled demo board."));
  parser.addHelpOption();
  parser.addVersionOption();
  const QCommandLineOption probes(
      QStringLiteral("probes"),
      QStringLiteral("A large board with N probes, mostly on the bottom."),
      QStringLiteral("N"));
  const QCommandLineOption seed(QStringLiteral("seed"),
                                QStringLiteral("Random seed (default 1)."),
                                QStringLiteral("S"), QStringLiteral("1"));
  const QCommandLineOption units(
      QStringLiteral("units"),
      QStringLiteral(
          "Page units: inch, mil, mm, tenth or micron (default mm)."),
      QStringLiteral("U"), QStringLiteral("mm"));
  parser.addOptions({probes, seed, units});
  parser.addPositionalArgument(QStringLiteral("OUTPUT"),
                               QStringLiteral("Board file to write."),
                               QStringLiteral("OUTPUT..."));
  parser.process(app);

  bool ok = true;
  lw::GeneratorOptions options = lw::demoOptions();
  if (parser.isSet(probes)) {
    const int count = parser.value(probes).toInt(&ok);
    if (!ok || count < 1) {
      err << "loomwright-gen: --probes needs a whole number above 0\n";
      return 2;
    }
    options = lw::largeOptions(count);
  }
  options.seed = parser.value(seed).toULongLong(&ok);
  if (!ok) {
    err << "loomwright-gen: --seed needs a whole number\n";
    return 2;
  }
  const auto pageUnits = unitsNamed(parser.value(units));
  if (!pageUnits) {
    err << "loomwright-gen: unknown units \"" << parser.value(units) << "\"\n";
    return 2;
  }
  options.units = *pageUnits;
  if (parser.positionalArguments().isEmpty()) {
    err << "loomwright-gen: name at least one OUTPUT file\n";
    return 2;
  }

  try {
    const lw::Board board = lw::generateBoard(options);
    for (const QString& path : parser.positionalArguments()) {
      const bool gzip = QFileInfo(path).suffix().compare(
                            QLatin1String("vdz"), Qt::CaseInsensitive) == 0;
      lw::writeBoard(board, path,
                     gzip ? lw::Compression::Gzip : lw::Compression::None);
    }
  } catch (const lw::Error& e) {
    err << "loomwright-gen: " << e.message() << '\n';
    return 1;
  }
  return 0;
}
