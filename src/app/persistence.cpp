// The wiring state inside the document, saving, and the question before
// unsaved work would be lost.

#include "boardview.h"
#include "gridview.h"
#include "mainwindow.h"
#include "probetable.h"
#include "prompts.h"
#include "savename.h"

#include <QCheckBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>

#include <cmath>
#include <optional>

namespace lw {

namespace {

const QString kWiredKeyword = QStringLiteral("PROBE_WIRED");

// Check box states as documents store them: 0 clear, 1 ticked, 2 greyed.
QString checkText(const QCheckBox* box) {
  switch (box->checkState()) {
    case Qt::Unchecked:
      return QStringLiteral("0");
    case Qt::Checked:
      return QStringLiteral("1");
    case Qt::PartiallyChecked:
      return QStringLiteral("2");
  }
  return QStringLiteral("1");
}

std::optional<Qt::CheckState> readCheck(const QString& text) {
  bool ok = false;
  const int v = text.trimmed().toInt(&ok);
  if (!ok) return std::nullopt;
  switch (v) {
    case 0:
      return Qt::Unchecked;
    case 1:
      return Qt::Checked;
    case 2:
      return Qt::PartiallyChecked;
    default:
      return std::nullopt;
  }
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

}  // namespace

void MainWindow::storeWiringState() {
  BoardDocument& doc = VDEditor->editDocument();
  const GridModel& grid = probeGrid();
  // Each mark goes to its own probe by data position: names may repeat.
  const int wired = doc.registerKeyword(kWiredKeyword);
  for (int r = 1; r < grid.rows(); ++r) {
    bool ok = false;
    const int position =
        grid.text(r, probe_grid::kDataPosition).trimmed().toInt(&ok);
    if (!ok || !doc.selectEntity(mState.pcbSelectArgument, position)) continue;
    const QString& mark = grid.text(r, probe_grid::kWired);
    doc.setAttributeValue(wired, mark.isEmpty() ? QStringLiteral("0") : mark);
  }

  doc.selectDocumentAttributes();
  const std::pair<const char*, QString> settings[] = {
      {"WIRING_ZOOM_LEVEL", QString::number(slider->value())},
      {"WIRING_SURFACE_TOP", booleanText(optTop->isChecked())},
      {"WIRING_SURFACE_BOTTOM", booleanText(optBot->isChecked())},
      {"WIRING_MECH", checkText(chkMech)},
      {"WIRING_TOOLING", checkText(chkToolingHoles)},
      {"WIRING_FIDUCIALS", checkText(chkFiducials)},
      {"WIRING_VIAS", checkText(chkVias)},
      {"WIRING_COMPS", checkText(chkPCBcomps)},
      {"WIRING_PINS", checkText(chkComponentPins)},
      {"WIRING_ROT", cmdRotate->text()},
  };
  for (const auto& [name, text] : settings)
    doc.setAttributeValue(doc.registerKeyword(QLatin1StringView(name)), text);
}

void MainWindow::restoreWiringState() {
  BoardDocument& doc = VDEditor->editDocument();
  GridModel& grid = probeGrid();
  const int wired = doc.lookUpKeyword(kWiredKeyword);
  if (wired > 0) {
    for (int r = 1; r < grid.rows(); ++r) {
      bool ok = false;
      const int position =
          grid.text(r, probe_grid::kDataPosition).trimmed().toInt(&ok);
      if (!ok) return;  // a value that does not convert ends the restore
      doc.selectEntity(mState.pcbSelectArgument, position);
      grid.setText(r, probe_grid::kWired, doc.attributeValue(wired));
      if (isWired(grid, r))
        colourProbe(grid.text(r, probe_grid::kProbe), kWiredColour);
    }
  }
  updateWiredCounters();

  int row = 1;
  while (row < grid.rows() && (grid.isRowHidden(row) || isWired(grid, row)))
    ++row;
  if (row < grid.rows()) grid.setCurrentRow(row);
  if (grid.currentRow() > 0) fgProbes->showCell(grid.currentRow(), 0);

  doc.selectDocumentAttributes();
  const auto value = [&doc](const char* name) {
    return doc.attributeValue(doc.lookUpKeyword(QLatin1StringView(name)));
  };
  bool ok = false;
  const double level = value("WIRING_ZOOM_LEVEL").trimmed().toDouble(&ok);
  if (!ok || !std::isfinite(level)) return;
  slider->setValue(static_cast<int>(std::floor(level)));

  for (const auto& [name, option] :
       {std::pair{"WIRING_SURFACE_TOP", optTop},
        std::pair{"WIRING_SURFACE_BOTTOM", optBot}}) {
    const auto selected = readBoolean(value(name));
    if (!selected) return;
    if (*selected) option->setChecked(true);
  }
  for (const auto& [name, box] : {std::pair{"WIRING_MECH", chkMech},
                                  std::pair{"WIRING_TOOLING", chkToolingHoles},
                                  std::pair{"WIRING_FIDUCIALS", chkFiducials},
                                  std::pair{"WIRING_VIAS", chkVias},
                                  std::pair{"WIRING_COMPS", chkPCBcomps},
                                  std::pair{"WIRING_PINS", chkComponentPins}}) {
    const auto state = readCheck(value(name));
    if (!state) return;
    box->setCheckState(*state);
  }
  const QString caption = value("WIRING_ROT");
  cmdRotate->setText(caption);
  mState.boardRotation = rotationFromCaption(caption, mState.boardRotation);
}

bool MainWindow::cmdSave_Click() {
  const QString name = mPrompts->saveFileName(
      this, QStringLiteral("VELDRA VD File (*.vd *.vdz)"), mLastFileName);
  if (name.isEmpty()) return false;  // cancelled: still modified
  mLastFileName = name;
  setBusyPointer(true);
  storeWiringState();
  const SaveTarget target = saveTargetFor(name);
  try {
    if (target.compressed)
      VDEditor->document().saveCompressed(target.path);
    else
      VDEditor->document().save(target.path);
  } catch (const Error& e) {
    setBusyPointer(false);
    mPrompts->message(this, QStringLiteral("Loomwright"), e.message(),
                      Prompts::Icon::Stop, Prompts::Buttons::Ok);
    keepGridFocus();
    return false;
  }
  mState.documentModified = false;
  setBusyPointer(false);
  keepGridFocus();
  return true;
}

bool MainWindow::askToSaveChanges() {
  if (!mState.documentModified) return true;
  const Prompts::Answer answer = mPrompts->message(
      this, QStringLiteral("Loomwright"),
      QStringLiteral("There is currently a file loaded which has been "
                     "modified since your last save.\r\n\r\nWould you like to "
                     "save this file before Loomwright closes?"),
      Prompts::Icon::Information, Prompts::Buttons::YesNoCancel);
  switch (answer) {
    case Prompts::Answer::Yes:
      return cmdSave_Click();
    case Prompts::Answer::No:
      return true;
    default:
      return false;
  }
}

}  // namespace lw
