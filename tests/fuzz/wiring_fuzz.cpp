// Any wiring state in a document: the ten stored settings as any text or
// missing, and wired marks read through probe rows whose data positions are
// any text. Restoring must not crash and must give settings the window can
// show (a zoom level 1 to 10, one surface, real check states, a quarter
// turn).

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
  board.entities.assign(in.ConsumeIntegralInRange(0, 6),
                        {.kind = lw::EntityKind::Probe, .file = 1});
  lw::BoardDocument doc(board);
  // The ten settings as stored, then any of them (and the marks) as any
  // text, the empty one standing for a missing value.
  lw::storeWiringSettings(doc, {});
  for (int keyword = 1; keyword <= 10; ++keyword)
    if (in.ConsumeBool()) doc.setAttributeValue(keyword, text());
  const int wired = doc.registerKeyword(QStringLiteral("PROBE_WIRED"));
  for (int i = 0; doc.selectEntity(1, i); ++i)
    if (in.ConsumeBool()) doc.setAttributeValue(wired, text());

  lw::GridModel grid;  // a title row and probe rows, data positions as text
  for (int r = in.ConsumeIntegralInRange(1, 8); r-- > 0;)
    grid.appendRow(QString(lw::probe_grid::kDataPosition, u'\t') + text());
  lw::restoreWiredMarks(doc, grid, 1);

  const lw::WiringSettings s = lw::restoreWiringSettings(doc, {});
  if (s.zoomLevel < 1 || s.zoomLevel > 10 || s.surfaceTop == s.surfaceBottom ||
      !std::all_of(s.classes.begin(), s.classes.end(),
                   [](int c) { return c >= 0 && c <= Qt::Checked; }) ||
      s.rotation % 90 != 0 || s.rotation < 0 || s.rotation >= 360)
    std::abort();
  return 0;
}
