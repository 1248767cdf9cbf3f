// Any wiring state in a document: the ten stored settings as any text or
// missing, and wired marks read through probe rows whose data positions are
// any text. Restoring must not crash and must give settings the window can
// show (a zoom level 1 to 10, one surface, real check states, a quarter
// turn), which store and restore unchanged.

#include "boarddocument.h"
#include "gridmodel.h"
#include "probetable.h"
#include "wiringstate.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  FuzzedDataProvider in(data, size);
  const auto text = [&in] {
    return QString::fromStdString(in.ConsumeRandomLengthString(24));
  };
  lw::Board board;
  board.files.push_back({1, "PCB", true, true, 1, 0});
  lw::Entity probe;
  probe.kind = lw::EntityKind::Probe;
  probe.file = 1;
  board.entities.assign(in.ConsumeIntegralInRange(0, 6), probe);
  lw::BoardDocument doc(board);
  const int wired = doc.registerKeyword(QStringLiteral("PROBE_WIRED"));
  for (int i = 0; doc.selectEntity(1, i); ++i)
    if (in.ConsumeBool()) doc.setAttributeValue(wired, text());
  doc.selectDocumentAttributes();
  for (const char* name :
       {"WIRING_ZOOM_LEVEL", "WIRING_SURFACE_TOP", "WIRING_SURFACE_BOTTOM",
        "WIRING_MECH", "WIRING_TOOLING", "WIRING_FIDUCIALS", "WIRING_VIAS",
        "WIRING_COMPS", "WIRING_PINS", "WIRING_ROT"})
    if (in.ConsumeBool())
      doc.setAttributeValue(doc.registerKeyword(QLatin1StringView(name)),
                            text());

  lw::GridModel grid;
  grid.setColumns(lw::probe_grid::kDataPosition + 1);
  grid.setRows(in.ConsumeIntegralInRange(1, 8));
  for (int r = 1; r < grid.rows(); ++r)
    grid.setText(r, lw::probe_grid::kDataPosition, text());
  lw::restoreWiredMarks(doc, grid, 1);

  const lw::WiringSettings s = lw::restoreWiringSettings(doc, {});
  const auto real = [](Qt::CheckState c) {
    return c == Qt::Unchecked || c == Qt::PartiallyChecked || c == Qt::Checked;
  };
  if (s.zoomLevel < 1 || s.zoomLevel > 10 || s.surfaceTop == s.surfaceBottom ||
      !std::all_of(s.classes.begin(), s.classes.end(), real) ||
      s.rotation % 90 != 0 || s.rotation < 0 || s.rotation >= 360)
    std::abort();
  lw::BoardDocument saved(board);
  lw::storeWiringSettings(saved, s);
  if (!(lw::restoreWiringSettings(saved, {}) == s)) std::abort();
  return 0;
}
