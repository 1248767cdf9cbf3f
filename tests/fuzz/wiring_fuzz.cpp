// Arbitrary wiring state in a document: the ten stored settings as any
// text or missing, and the probes' wired marks read through probe rows
// whose data positions are any text. Restoring must never crash, must give
// settings the window can show (a zoom level 1 to 10, one surface, real
// check states, a quarter turn) and what it restores must store and
// restore unchanged.

#include "boarddocument.h"
#include "gridmodel.h"
#include "probetable.h"
#include "wiringstate.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <QHash>

#include <algorithm>
#include <cstdint>
#include <cstdlib>

namespace {

constexpr const char* kSettings[] = {
    "WIRING_ZOOM_LEVEL", "WIRING_SURFACE_TOP", "WIRING_SURFACE_BOTTOM",
    "WIRING_MECH",       "WIRING_TOOLING",     "WIRING_FIDUCIALS",
    "WIRING_VIAS",       "WIRING_COMPS",       "WIRING_PINS",
    "WIRING_ROT"};

QString text(FuzzedDataProvider& in) {
  return QString::fromStdString(in.ConsumeRandomLengthString(24));
}

bool showable(const lw::WiringSettings& s) {
  const auto check = [](Qt::CheckState c) {
    return c == Qt::Unchecked || c == Qt::PartiallyChecked || c == Qt::Checked;
  };
  return s.zoomLevel >= 1 && s.zoomLevel <= 10 &&
         s.surfaceTop != s.surfaceBottom &&
         std::all_of(s.classes.begin(), s.classes.end(), check) &&
         s.rotation % 90 == 0 && s.rotation >= 0 && s.rotation < 360;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  FuzzedDataProvider in(data, size);
  lw::Board board;
  board.keywords = {QString()};
  board.files.push_back({1, "PCB", true, true, 1, 0});
  const int probes = in.ConsumeIntegralInRange(0, 6);
  for (int i = 0; i < probes; ++i) {
    lw::Entity& e = board.entities.emplace_back();
    e.kind = in.ConsumeBool() ? lw::EntityKind::Probe : lw::EntityKind::Via;
    e.file = 1;
  }
  lw::BoardDocument doc(board);
  const int wired = doc.registerKeyword(QStringLiteral("PROBE_WIRED"));
  for (int i = 0; i < probes; ++i)
    if (in.ConsumeBool() && doc.selectEntity(1, i))
      doc.setAttributeValue(wired, text(in));
  doc.selectDocumentAttributes();
  for (const char* name : kSettings)
    if (in.ConsumeBool())
      doc.setAttributeValue(doc.registerKeyword(QLatin1StringView(name)),
                            text(in));

  lw::GridModel grid;
  grid.setColumns(lw::probe_grid::kDataPosition + 1);
  grid.setRows(in.ConsumeIntegralInRange(1, 8));
  for (int r = 1; r < grid.rows(); ++r) {
    grid.setText(r, lw::probe_grid::kWired, text(in));
    grid.setText(r, lw::probe_grid::kDataPosition,
                 in.ConsumeBool() ? QString::number(in.ConsumeIntegral<int>())
                                  : text(in));
  }

  const lw::WiringSettings settings =
      lw::restoreWiringSettings(doc, lw::WiringSettings{});
  if (!showable(settings)) std::abort();
  lw::restoreWiredMarks(doc, grid, 1);

  lw::BoardDocument saved(board);
  lw::storeWiringSettings(saved, settings);
  if (!(lw::restoreWiringSettings(saved, lw::WiringSettings{}) == settings))
    std::abort();
  // Each probe keeps the mark of the last row that names it, "0" for none.
  lw::storeWiredMarks(saved, grid, 1);
  QHash<int, QString> stored;
  QList<int> positions;
  for (int r = 1; r < grid.rows(); ++r) {
    bool ok = false;
    const int p =
        grid.text(r, lw::probe_grid::kDataPosition).trimmed().toInt(&ok);
    positions << (ok && saved.selectEntity(1, p) ? p : -1);
    const QString& mark = grid.text(r, lw::probe_grid::kWired);
    if (positions.back() >= 0)
      stored[p] = mark.isEmpty() ? QStringLiteral("0") : mark;
    grid.setText(r, lw::probe_grid::kWired, QStringLiteral("?"));
  }
  lw::restoreWiredMarks(saved, grid, 1);
  for (int r = 1; r < grid.rows(); ++r)
    if (grid.text(r, lw::probe_grid::kWired) !=
        stored.value(positions[r - 1], QStringLiteral("?")))
      std::abort();
  return 0;
}
