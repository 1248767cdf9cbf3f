#include "cli.h"

#include "commands.h"
#include "error.h"

#include <algorithm>
#include <array>
#include <new>

namespace lw {

namespace {

struct Command {
  QLatin1StringView name;
  QLatin1StringView operands;  // as the usage shows them
  int operandCount;            // -1: the command reads its own options
  QLatin1StringView summary;
  int (*run)(const QStringList&, QTextStream&, QTextStream&);
};

// A new command is one more row.
const std::array kCommands{
    Command{QLatin1StringView("info"), QLatin1StringView("FILE [--json]"), -1,
            QLatin1StringView("Show units, files, layers, entity counts and "
                              "wiring progress."),
            infoCommand},
    Command{QLatin1StringView("validate"), QLatin1StringView("FILE"), 1,
            QLatin1StringView("Check that Loomwright can load a board."),
            validateCommand},
    Command{QLatin1StringView("convert"), QLatin1StringView("IN OUT"), 2,
            QLatin1StringView(
                "Convert IN to OUT's format: .vd plain, .vdz compressed."),
            convertCommand},
    Command{QLatin1StringView("import"),
            QLatin1StringView("FILE.ipc -o OUT.vd|OUT.vdz [--side bottom|top|"
                              "both] [--probe-size auto|100|75|50|39] "
                              "[--unplaced] [--strict]"),
            -1,
            QLatin1StringView("Turn an IPC-D-356 netlist into a board with "
                              "probes placed."),
            importCommand},
    Command{QLatin1StringView("export"),
            QLatin1StringView("FILE -o OUT.csv|OUT.pdf [--surface top|"
                              "bottom|both] [--unwired]"),
            -1,
            QLatin1StringView("Write the wire list as CSV, or as PDF with a "
                              "probe map per surface."),
            exportCommand},
};

constexpr QLatin1StringView kProgram("loomwright-cli");

void printUsage(QTextStream& to) {
  to << "Usage: " << kProgram << " COMMAND ARGUMENTS...\n\nCommands:\n";
  for (const Command& c : kCommands) {
    const QString call = QString(c.name) + QLatin1Char(' ') + c.operands;
    to << "  " << call.leftJustified(16) << "  " << c.summary << '\n';
  }
  to << "\nOptions:\n"
        "  -h, --help        Show this help.\n"
        "  -v, --version     Show the version.\n"
        "\nExit status: 0 done; 1 a file could not be read, written or used;\n"
        "2 wrong command line.\n";
}

bool isHelp(const QString& arg) {
  return arg == QLatin1String("--help") || arg == QLatin1String("-h");
}

}  // namespace

int runCli(const QStringList& args, QTextStream& out, QTextStream& err) {
  if (args.isEmpty()) {
    printUsage(err);
    return kExitUsage;
  }
  const QString& first = args.front();
  if (isHelp(first) || first == QLatin1String("help")) {
    printUsage(out);
    return kExitOk;
  }
  if (first == QLatin1String("--version") || first == QLatin1String("-v")) {
    out << kProgram << ' ' << LW_VERSION << '\n';
    return kExitOk;
  }
  const auto command =
      std::find_if(kCommands.begin(), kCommands.end(),
                   [&](const Command& c) { return c.name == first; });
  if (command == kCommands.end()) {
    err << kProgram << ": unknown command \"" << first << "\"; try " << kProgram
        << " --help\n";
    return kExitUsage;
  }
  const QStringList operands = args.mid(1);
  if (operands.size() == 1 && isHelp(operands.front())) {
    out << "Usage: " << kProgram << ' ' << command->name << ' '
        << command->operands << "\n  " << command->summary << '\n';
    return kExitOk;
  }
  if (command->operandCount >= 0 && operands.size() != command->operandCount) {
    err << "Usage: " << kProgram << ' ' << command->name << ' '
        << command->operands << '\n';
    return kExitUsage;
  }
  try {
    return command->run(operands, out, err);
  } catch (const Error& e) {
    err << kProgram << ": " << e.message() << '\n';
  } catch (const std::bad_alloc&) {
    err << kProgram << ": not enough memory for " << command->name << ' '
        << operands.join(QLatin1Char(' ')) << '\n';
  }
  return kExitFailed;
}

}  // namespace lw
