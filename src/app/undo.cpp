// Undo and redo of wiring marks: each mark or unmark is a command on Qt's
// undo stack; the document counts as changed while the stack is away from
// its saved state or something outside it changed.

#include "gridview.h"
#include "mainwindow.h"
#include "probetable.h"

#include <QRadioButton>
#include <QUndoStack>

#include <functional>

namespace lw {

namespace {

class MarkCommand final : public QUndoCommand {
 public:
  using Apply = std::function<void(int dataPosition, bool wired, bool replay)>;

  MarkCommand(int dataPosition, const QString& probe, bool wired, Apply apply)
      : QUndoCommand((wired ? QStringLiteral("Probe Wired %1")
                            : QStringLiteral("Probe Not Wired %1"))
                         .arg(probe)),
        mPosition(dataPosition),
        mWired(wired),
        mApply(std::move(apply)) {}

  void undo() override { mApply(mPosition, !mWired, true); }
  void redo() override {
    mApply(mPosition, mWired, mPushed);
    mPushed = true;  // later redos are replays
  }

 private:
  int mPosition;
  bool mWired;
  bool mPushed = false;
  Apply mApply;
};

}  // namespace

void MainWindow::pushMark(int row, bool wired) {
  const GridModel& grid = probeGrid();
  mUndo->push(new MarkCommand(dataPositionOf(grid, row),
                              grid.text(row, probe_grid::kProbe), wired,
                              [this](int position, bool on, bool replay) {
                                applyMark(position, on, replay);
                              }));
}

void MainWindow::applyMark(int dataPosition, bool wired, bool replay) {
  GridModel& grid = probeGrid();
  int row = grid.currentRow();
  if (row < 1 || dataPositionOf(grid, row) != dataPosition)
    row = rowOfDataPosition(grid, dataPosition);
  if (row < 1) return;
  mState.wired -= wiredCount(grid, row);
  grid.setText(row, probe_grid::kWired,
               wired ? QStringLiteral("1") : QString());
  mState.wired += wiredCount(grid, row);
  journalMark(row, wired);
  if (replay) {
    // The probe comes back as the current one, on its own surface.
    if (grid.isRowHidden(row))
      (grid.text(row, probe_grid::kSurface) == QLatin1StringView("T") ? optTop
                                                                      : optBot)
          ->setChecked(true);
    if (grid.currentRow() == row)
      showCurrentProbe();
    else
      grid.setCurrentRow(row);
    if (wired) {  // a redone "Probe Wired" moves on as the press did
      const int next = findNextUnwiredRow(grid);
      if (next > 0) grid.setCurrentRow(next);
    }
    fgProbes->showCell(grid.currentRow(), 0);
  }
  updateWiredCounters();
}

void MainWindow::updateModified() {
  // Read-only, nothing can be saved, so nothing is asked on leaving.
  mState.documentModified = (mOtherChanges || !mUndo->isClean()) && !mReadOnly;
  updateTitle();
}

void MainWindow::setDocumentModified(bool modified) {
  mOtherChanges = modified;
  if (!modified) mUndo->setClean();
  updateModified();
}

}  // namespace lw
