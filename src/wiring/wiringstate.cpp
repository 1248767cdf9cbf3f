#include "wiringstate.h"

#include "boarddocument.h"
#include "gridmodel.h"
#include "probetable.h"
#include "zoom.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <optional>

namespace lw {
namespace {

const QString kWiredKeyword = QStringLiteral("PROBE_WIRED");

constexpr const char* kClassNames[kClassBoxCount] = {
    "WIRING_MECH", "WIRING_TOOLING", "WIRING_FIDUCIALS",
    "WIRING_VIAS", "WIRING_COMPS",   "WIRING_PINS"};

// Documents number check states 0 clear, 1 ticked, 2 greyed; Qt numbers
// ticked and greyed the other way round.
constexpr Qt::CheckState kStoredChecks[] = {Qt::Unchecked, Qt::Checked,
                                            Qt::PartiallyChecked};

std::optional<Qt::CheckState> readCheck(const QString& text) {
  bool ok = false;
  const int v = text.trimmed().toInt(&ok);
  if (!ok || v < 0 || v > 2) return std::nullopt;
  return kStoredChecks[v];
}

QString checkText(Qt::CheckState state) {
  const auto* stored =
      std::find(std::begin(kStoredChecks), std::end(kStoredChecks), state);
  return QString::number(stored - std::begin(kStoredChecks));
}

std::optional<bool> readBoolean(const QString& text) {
  const QString t = text.trimmed();
  if (t.compare(QLatin1StringView("true"), Qt::CaseInsensitive) == 0)
    return true;
  if (t.compare(QLatin1StringView("false"), Qt::CaseInsensitive) == 0)
    return false;
  bool ok = false;
  const double v = t.toDouble(&ok);
  if (ok) return v != 0;
  return std::nullopt;
}

QString booleanText(bool value) {
  return value ? QStringLiteral("True") : QStringLiteral("False");
}

int dataPosition(const GridModel& grid, int row, bool* ok) {
  return grid.text(row, probe_grid::kDataPosition).trimmed().toInt(ok);
}

// Reads the stored settings in order; false at the first that does not
// read, with everything before it applied.
bool readSettings(BoardDocument& doc, WiringSettings& s) {
  const auto value = [&doc](const char* name) {
    return doc.attributeValue(doc.lookUpKeyword(QLatin1StringView(name)));
  };
  bool ok = false;
  const double level = value("WIRING_ZOOM_LEVEL").trimmed().toDouble(&ok);
  if (!ok || !std::isfinite(level)) return false;
  s.zoomLevel = static_cast<int>(std::clamp(std::floor(level), 1.0, 10.0));

  for (const auto& [name, surface] :
       {std::pair{"WIRING_SURFACE_TOP", &s.surfaceTop},
        std::pair{"WIRING_SURFACE_BOTTOM", &s.surfaceBottom}}) {
    const auto selected = readBoolean(value(name));
    if (!selected) return false;
    // The two are one choice: the later one that is set wins.
    if (*selected) {
      s.surfaceTop = surface == &s.surfaceTop;
      s.surfaceBottom = !s.surfaceTop;
    }
  }
  for (int box = 0; box < kClassBoxCount; ++box) {
    const auto state = readCheck(value(kClassNames[box]));
    if (!state) return false;
    s.classes[box] = *state;
  }
  s.rotation = rotationFromCaption(value("WIRING_ROT"), s.rotation);
  return true;
}

}  // namespace

void storeWiringSettings(BoardDocument& doc, const WiringSettings& s) {
  doc.selectDocumentAttributes();
  const auto put = [&doc](const char* name, const QString& text) {
    doc.setAttributeValue(doc.registerKeyword(QLatin1StringView(name)), text);
  };
  put("WIRING_ZOOM_LEVEL", QString::number(s.zoomLevel));
  put("WIRING_SURFACE_TOP", booleanText(s.surfaceTop));
  put("WIRING_SURFACE_BOTTOM", booleanText(s.surfaceBottom));
  for (int box = 0; box < kClassBoxCount; ++box)
    put(kClassNames[box], checkText(s.classes[box]));
  put("WIRING_ROT", rotateCaption(s.rotation));
}

WiringSettings restoreWiringSettings(BoardDocument& doc,
                                     WiringSettings current) {
  doc.selectDocumentAttributes();
  readSettings(doc, current);
  return current;
}

void storeWiredMarks(BoardDocument& doc, const GridModel& grid,
                     int selectArgument) {
  const int wired = doc.registerKeyword(kWiredKeyword);
  for (int r = 1; r < grid.rows(); ++r) {
    bool ok = false;
    const int position = dataPosition(grid, r, &ok);
    if (!ok || !doc.selectEntity(selectArgument, position)) continue;
    const QString& mark = grid.text(r, probe_grid::kWired);
    doc.setAttributeValue(wired, mark.isEmpty() ? QStringLiteral("0") : mark);
  }
}

void restoreWiredMarks(BoardDocument& doc, GridModel& grid,
                       int selectArgument) {
  const int wired = doc.lookUpKeyword(kWiredKeyword);
  if (wired <= 0) return;
  for (int r = 1; r < grid.rows(); ++r) {
    bool ok = false;
    const int position = dataPosition(grid, r, &ok);
    if (!ok || !doc.selectEntity(selectArgument, position)) continue;
    grid.setText(r, probe_grid::kWired, doc.attributeValue(wired));
  }
}

bool hasStoredWiredMarks(const BoardDocument& doc) {
  return doc.lookUpKeyword(kWiredKeyword) > 0;
}

}  // namespace lw
