// Keeping a shift's work safe: one station per document (the lock), and
// every change since the last save kept for recovery (the journal).

#include "gridview.h"
#include "mainwindow.h"
#include "probetable.h"
#include "prompts.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QLocale>
#include <QPushButton>

namespace lw {

namespace {

const QString kTitle = QStringLiteral("Loomwright");

bool samePath(const QString& a, const QString& b) {
  return !a.isEmpty() && !b.isEmpty() &&
         QFileInfo(a).absoluteFilePath() == QFileInfo(b).absoluteFilePath();
}

QString holderText(const QString& fileName, const LockHolder& h) {
  return QStringLiteral("%1 is open in Loomwright on %2 by %3 since %4.")
      .arg(QFileInfo(fileName).fileName(),
           h.host.isEmpty() ? QStringLiteral("another computer") : h.host,
           h.user.isEmpty() ? QStringLiteral("another user") : h.user,
           QLocale().toString(h.since, QLocale::ShortFormat));
}

}  // namespace

bool MainWindow::lockBeforeLoad(const QString& fileName,
                                std::unique_ptr<StationLock>& lock,
                                bool& readOnly) {
  if (mLock && samePath(fileName, mDocumentPath)) {
    lock = std::move(mLock);  // this window holds it already
    return true;
  }
  lock = std::make_unique<StationLock>(
      fileName, QDir(mSetup.dataFolder).filePath(QStringLiteral("locks")));
  if (lock->tryTake()) return true;
  const QString text =
      holderText(fileName, lock->holder()) +
      QStringLiteral(
          "\n\nTwo stations saving one board would overwrite each "
          "other's marks. Open it read-only to look without "
          "wiring or saving.");
  lock.reset();
  readOnly = true;
  return mPrompts->message(this, kTitle, text, Prompts::Icon::Warning,
                           Prompts::Buttons::ReadOnlyCancel) ==
         Prompts::Answer::ReadOnly;
}

bool MainWindow::lockSaveTarget(const QString& path,
                                std::unique_ptr<StationLock>& lock) {
  if (samePath(path, mDocumentPath)) return true;
  lock = std::make_unique<StationLock>(
      path, QDir(mSetup.dataFolder).filePath(QStringLiteral("locks")));
  if (lock->tryTake()) return true;
  mPrompts->message(this, kTitle,
                    holderText(path, lock->holder()) +
                        QStringLiteral("\n\nSave under another name."),
                    Prompts::Icon::Stop, Prompts::Buttons::Ok);
  lock.reset();
  keepGridFocus();
  return false;
}

void MainWindow::applyReadOnly() {
  if (mReadOnly)
    for (QWidget* w : std::initializer_list<QWidget*>{
             cmdSave, cmdWired, cmdNotWired, cmdRenameProbes})
      w->setEnabled(false);
  updateTitle();
}

std::vector<StampedProbe> MainWindow::stampedProbes() const {
  const GridModel& grid = *fgProbes->grid();
  std::vector<StampedProbe> probes;
  probes.reserve(size_t(grid.rows()));
  for (int r = 1; r < grid.rows(); ++r)
    probes.push_back(
        {dataPositionOf(grid, r), grid.text(r, probe_grid::kProbe)});
  return probes;
}

void MainWindow::startJournal(DocumentStamp stamp) {
  mJournalWarned = false;
  if (mReadOnly || mSetup.dataFolder.isEmpty()) return;
  mJournal = std::make_unique<WiringJournal>(
      QDir(mSetup.dataFolder).filePath(QStringLiteral("journals")),
      std::move(stamp));
  mJournaledSettings = settingsShown();
  offerRecovery();
}

void MainWindow::offerRecovery() {
  const JournalContents found = mJournal->read();
  if (!found.mismatch.isEmpty()) return refuseJournal(found.mismatch);
  if (found.entries.empty()) return;
  const QString question =
      QStringLiteral(
          "Recover %1 wiring changes made after the last save of "
          "%2?")
          .arg(found.entries.size())
          .arg(QFileInfo(mDocumentPath).fileName());
  if (mPrompts->message(this, kTitle, question, Prompts::Icon::Warning,
                        Prompts::Buttons::YesNo) != Prompts::Answer::Yes) {
    mJournal->restart(mDocumentPath);
    return keepGridFocus();
  }
  if (!applyRecovered(found.entries))
    return refuseJournal(
        QStringLiteral("they name probes that %1 does not hold.")
            .arg(QFileInfo(mDocumentPath).fileName()));
  if (!mJournal->continueExisting()) warnJournalFailed();
  setDocumentModified();
  keepGridFocus();
}

bool MainWindow::applyRecovered(const std::vector<JournalEntry>& entries) {
  GridModel& grid = probeGrid();
  QHash<int, int> rowAt;  // data position -> row
  for (int r = 1; r < grid.rows(); ++r)
    rowAt.insert(dataPositionOf(grid, r), r);
  // Every change is checked before any is applied: never half a journal.
  std::optional<WiringSettings> settings;
  for (const JournalEntry& e : entries) {
    if (e.kind == JournalEntry::Kind::Settings) continue;
    const int row = rowAt.value(e.dataPosition, -1);
    if (row < 1 || grid.text(row, probe_grid::kProbe) != e.probe) return false;
  }
  for (const JournalEntry& e : entries) {
    if (e.kind == JournalEntry::Kind::Settings) {
      settings = e.settings;
      continue;
    }
    const bool wired = e.kind == JournalEntry::Kind::Wired;
    const int row = rowAt.value(e.dataPosition);
    grid.setText(row, probe_grid::kWired,
                 wired ? QStringLiteral("1") : QString());
    colourProbe(e.probe, wired ? kWiredColour : kNotWiredColour);
  }
  if (settings) {
    showSettings(*settings);  // the shown rotation is the placement's
    turnBoardTo(settings->rotation);
  }
  mJournaledSettings = settingsShown();
  recountWired();
  selectFirstUnwiredRow();
  showCurrentProbe();
  return true;
}

void MainWindow::refuseJournal(const QString& reason) {
  const QString aside = mJournal->keepAside();
  mPrompts->message(
      this, kTitle,
      QStringLiteral("The wiring changes kept for %1 cannot be recovered: "
                     "%2\n\nThey were set aside in %3.")
          .arg(QFileInfo(mDocumentPath).fileName(), reason,
               QDir::toNativeSeparators(aside)),
      Prompts::Icon::Warning, Prompts::Buttons::Ok);
  keepGridFocus();
}

void MainWindow::journalMark(int row, bool wired) {
  if (!mJournal) return;
  journalSettings();  // the view the mark was made in comes first
  const GridModel& grid = probeGrid();
  JournalEntry e;
  e.kind = wired ? JournalEntry::Kind::Wired : JournalEntry::Kind::NotWired;
  e.dataPosition = dataPositionOf(grid, row);
  e.probe = grid.text(row, probe_grid::kProbe);
  journal(e);
}

void MainWindow::journalSettings() {
  if (!mJournal) return;
  const WiringSettings shown = settingsShown();
  if (shown == mJournaledSettings) return;
  mJournaledSettings = shown;
  JournalEntry e;
  e.kind = JournalEntry::Kind::Settings;
  e.settings = shown;
  journal(e);
}

void MainWindow::journal(const JournalEntry& entry) {
  if (!mJournal->append(entry)) warnJournalFailed();
}

void MainWindow::warnJournalFailed() {
  if (mJournalWarned) return;
  mJournalWarned = true;
  mPrompts->message(
      this, kTitle,
      QStringLiteral("Wiring changes cannot be kept for recovery after a "
                     "crash: %1\n\nYour marks are safe once saved: save "
                     "often (Ctrl+S).")
          .arg(mJournal->errorString()),
      Prompts::Icon::Warning, Prompts::Buttons::Ok);
}

}  // namespace lw
