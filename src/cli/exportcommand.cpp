// loomwright-cli export: the wire list a window would export, for a test
// engineer's script: the board read as a load reads it, with the user's
// rules file, as CSV or as the printable PDF.

#include "boardsheet.h"
#include "cli.h"
#include "commands.h"
#include "probemaps.h"
#include "ruleslocations.h"
#include "wirelistcsv.h"
#include "wirelistpages.h"

#include <QCoreApplication>
#include <QDate>
#include <QFileInfo>
#include <QLocale>

namespace lw {

namespace {

int usage(QTextStream& err, const QString& problem) {
  err << "loomwright-cli export: " << problem
      << "\nUsage: loomwright-cli export FILE -o OUT.csv|OUT.pdf "
         "[--surface top|bottom|both] [--unwired]\n";
  return kExitUsage;
}

}  // namespace

int exportCommand(const QStringList& operands, QTextStream& out,
                  QTextStream& err) {
  QString source, target;
  WireListChoice choice;
  for (qsizetype i = 0; i < operands.size(); ++i) {
    const QString& arg = operands[i];
    const bool hasValue = i + 1 < operands.size();
    if (arg == QLatin1StringView("-o") ||
        arg == QLatin1StringView("--output")) {
      if (!hasValue) return usage(err, QStringLiteral("-o needs a file name"));
      target = operands[++i];
    } else if (arg == QLatin1StringView("--surface")) {
      const auto surfaces =
          hasValue ? wireSurfacesFromText(operands[++i]) : std::nullopt;
      if (!surfaces)
        return usage(err, QStringLiteral("--surface takes top, bottom or "
                                         "both"));
      choice.surfaces = *surfaces;
    } else if (arg == QLatin1StringView("--unwired")) {
      choice.unwiredOnly = true;
    } else if (arg.startsWith(QLatin1Char('-')) || !source.isEmpty()) {
      return usage(err, QStringLiteral("unexpected \"%1\"").arg(arg));
    } else {
      source = arg;
    }
  }
  if (source.isEmpty()) return usage(err, QStringLiteral("no board given"));
  if (target.isEmpty()) return usage(err, QStringLiteral("no -o OUT given"));
  const std::optional<WireListFormat> format = wireListFormatForName(target);
  if (!format)
    return usage(err, target + QStringLiteral(": the output name must end in "
                                              ".csv or .pdf."));

  BoardDocument document;
  document.open(source);
  const RegionalFormat regional = initRegionalFormat(QLocale());
  std::unique_ptr<BoardSheet> sheet;
  try {
    sheet = std::make_unique<BoardSheet>(std::move(document), regional);
  } catch (const Error& e) {
    throw Error(source + QStringLiteral(": ") + e.message());
  }
  const QString rulesProblem = sheet->applyRules(
      standardRulesLocations(QCoreApplication::applicationDirPath()));
  if (!rulesProblem.isEmpty())
    err << "loomwright-cli export: warning: " << rulesProblem
        << " The shipped rules were used.\n";
  const WireList list(sheet->grid(), choice, regional);
  if (*format == WireListFormat::Csv) {
    exportWireListCsv(list, target);
  } else {
    // The map shows the classes the wirer left shown when saving.
    const WiringSettings settings =
        restoreWiringSettings(sheet->document(), WiringSettings{});
    ProbeMaps maps(sheet->document(), sheet->grid(), shownClasses(settings));
    const PageHeader header{
        QFileInfo(source).fileName(),
        QLocale().toString(QDate::currentDate(), QLocale::ShortFormat)};
    exportWireListPdf(WireListPages(list, &maps, header), target,
                      wireListPageLayout(QLocale()));
  }
  out << source << " -> " << target << " (" << list.rowCount()
      << (list.rowCount() == 1 ? " probe" : " probes") << ")\n";
  return kExitOk;
}

}  // namespace lw
