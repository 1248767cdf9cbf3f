// loomwright-cli info: what a board holds and how far its wiring has come,
// as text for people or as JSON for scripts.

#include "boardsheet.h"
#include "cli.h"
#include "commands.h"
#include "probetable.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <array>

namespace lw {

namespace {

struct Name {
  const char* text;  // for people
  const char* key;   // for scripts
};

Name unitsName(PageUnits units) {
  switch (units) {
    case PageUnits::Inch:
      return {"inch", "inch"};
    case PageUnits::Mil:
      return {"mil", "mil"};
    case PageUnits::Millimetre:
      return {"mm", "mm"};
    case PageUnits::Tenth:
      return {"tenth (1/1012 inch)", "tenth"};
    case PageUnits::Micron:
      return {"micron", "micron"};
  }
  return {"unknown", "unknown"};
}

constexpr std::array<Name, kEntityKindCount> kKinds{{
    {"", ""},
    {"Via", "via"},
    {"Pin", "pin"},
    {"Component", "component"},
    {"Mechanical part", "mechanicalPart"},
    {"Mechanical hole", "mechanicalHole"},
    {"Access point", "accessPoint"},
    {"Fiducial", "fiducial"},
    {"Tooling hole", "toolingHole"},
    {"Probe", "probe"},
    {"Outline", "outline"},
}};

struct Wiring {
  QString problem;  // why the board has no wiring to speak of
  SurfaceCounts probes;
  SurfaceCounts wired;
  bool saved = false;
};

// As a load sees it: placed probes of the visible PCB file only.
Wiring wiringOf(BoardDocument document) {
  Wiring w;
  try {
    const BoardSheet sheet(std::move(document), RegionalFormat{});
    w.probes = probeCounts(sheet.grid());
    w.wired = wiredCounts(sheet.grid());
    w.saved = sheet.hasStoredMarks();
  } catch (const Error& e) {
    w.problem = e.message();
  }
  return w;
}

std::array<int, kEntityKindCount> countKinds(const Board& board) {
  std::array<int, kEntityKindCount> counts{};
  for (const Entity& e : board.entities) {
    const int kind = static_cast<int>(e.kind);
    if (kind > 0 && kind < kEntityKindCount) ++counts[size_t(kind)];
  }
  return counts;
}

QString quoted(const QString& text) {
  return QLatin1Char('"') + text + QLatin1Char('"');
}

QString fraction(int done, int total) {
  QString s = QStringLiteral("%1 / %2").arg(done).arg(total);
  // Whole percent rounded down: 100% only when all is done.
  if (total > 0) s += QStringLiteral(" (%1%)").arg(100LL * done / total);
  return s;
}

void printFacts(const QString& path, const Board& board, QTextStream& out) {
  out << "File: " << path << '\n';
  out << "Units: " << unitsName(board.units).text << '\n';
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
  const auto counts = countKinds(board);
  out << "Entities: " << board.entities.size() << '\n';
  for (int kind = 1; kind < kEntityKindCount; ++kind)
    out << "  " << kKinds[size_t(kind)].text << ": " << counts[size_t(kind)]
        << '\n';
}

void printWiring(const Wiring& w, QTextStream& out) {
  if (!w.problem.isEmpty()) {
    out << "Wiring: none, " << w.problem << '\n';
    return;
  }
  out << "Wiring: "
      << fraction(w.wired.top + w.wired.bottom, w.probes.top + w.probes.bottom)
      << " probes wired\n";
  out << "  Top: " << fraction(w.wired.top, w.probes.top) << '\n';
  out << "  Bottom: " << fraction(w.wired.bottom, w.probes.bottom) << '\n';
  out << "  Saved wiring state: " << (w.saved ? "yes" : "no") << '\n';
}

QJsonObject progressJson(int wired, int total) {
  return {{"wired", wired}, {"total", total}};
}

QJsonObject factsJson(const QString& path, const Board& board) {
  QJsonArray files;
  for (const BoardFile& f : board.files)
    files.append(QJsonObject{{"number", f.number},
                             {"name", f.name},
                             {"pcb", f.isPcb},
                             {"visible", f.visible}});
  QJsonArray layers;
  for (const Layer& l : board.layers)
    layers.append(QJsonObject{{"index", l.index},
                              {"name", l.name},
                              {"type", l.type},
                              {"visible", l.visible}});
  const auto counts = countKinds(board);
  QJsonObject entities{{"total", qint64(board.entities.size())}};
  for (int kind = 1; kind < kEntityKindCount; ++kind)
    entities.insert(QLatin1StringView(kKinds[size_t(kind)].key),
                    counts[size_t(kind)]);
  return {{"file", path},
          {"units", unitsName(board.units).key},
          {"files", files},
          {"layers", layers},
          {"entities", entities}};
}

QJsonObject wiringJson(const Wiring& w) {
  QJsonObject wiring{{"available", w.problem.isEmpty()}};
  if (!w.problem.isEmpty()) {
    wiring.insert("problem", w.problem);
  } else {
    wiring.insert("top", progressJson(w.wired.top, w.probes.top));
    wiring.insert("bottom", progressJson(w.wired.bottom, w.probes.bottom));
    wiring.insert("overall", progressJson(w.wired.top + w.wired.bottom,
                                          w.probes.top + w.probes.bottom));
    wiring.insert("savedState", w.saved);
  }
  return wiring;
}

}  // namespace

int infoCommand(const QStringList& operands, QTextStream& out,
                QTextStream& err) {
  QString path;
  bool json = false;
  for (const QString& arg : operands) {
    if (arg == QLatin1StringView("--json")) {
      json = true;
    } else if (arg.startsWith(QLatin1Char('-')) || !path.isEmpty()) {
      err << "loomwright-cli info: unexpected \"" << arg
          << "\"\nUsage: loomwright-cli info FILE [--json]\n";
      return kExitUsage;
    } else {
      path = arg;
    }
  }
  if (path.isEmpty()) {
    err << "Usage: loomwright-cli info FILE [--json]\n";
    return kExitUsage;
  }
  BoardDocument doc;
  doc.open(path);
  // The board's facts first: the wiring takes the document over.
  if (json) {
    QJsonObject info = factsJson(path, doc.board());
    info.insert("wiring", wiringJson(wiringOf(std::move(doc))));
    out << QString::fromUtf8(
        QJsonDocument(info).toJson(QJsonDocument::Indented));
  } else {
    printFacts(path, doc.board(), out);
    printWiring(wiringOf(std::move(doc)), out);
  }
  return kExitOk;
}

}  // namespace lw
