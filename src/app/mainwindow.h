#pragma once

// The main window: one open document, owned here and read once, shown in
// the probe grid, the board view and the magnified probe view (both draw
// one shared picture of it), and every command of the wiring work. The
// rules live in Qt Core rooms (probes, view, wiring); this class connects
// them to controls. Handlers keep the names the wiring team knows them by
// (cmdWired, ...).

#include "boarddocument.h"
#include "boardscene.h"
#include "documentstate.h"
#include "journal.h"
#include "probegridhost.h"
#include "regional.h"
#include "stationlock.h"
#include "wiringstate.h"

#include <QMainWindow>

#include <future>
#include <memory>
#include <optional>

class QCheckBox;
class QGridLayout;
class QLabel;
class QLineEdit;
class QMenu;
class QUndoStack;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QSettings;
class QSlider;

namespace lw {

class BoardPicture;
class BoardView;
class BusyWindow;
class GridView;
class Prompts;
struct PageHeader;

struct MainWindowSetup {
  Prompts* prompts = nullptr;     // message boxes and file dialogs
  QSettings* settings = nullptr;  // the per-user zoom level
  // Where the rules file is read and written (see rules/rulesfile.h).
  QString userRulesPath;
  QString shippedRulesPath;
  // The user's own data folder: recovery journals and, for documents in
  // folders that take no new files, station locks. Empty: no journal.
  QString dataFolder;
};

class MainWindow : public QMainWindow, public ProbeGridHost {
  Q_OBJECT

 public:
  explicit MainWindow(const MainWindowSetup& setup, QWidget* parent = nullptr);
  ~MainWindow() override;

  // Start-up: the per-user zoom level, the regional format, and the
  // document commands disabled until a document is loaded.
  void start();

  // "major.minor", from the project's version.
  static QString getVersion();
  static QString appTitle() { return QStringLiteral("Fixture Loomwright"); }

  // ProbeGridHost
  GridView& probeGridView() override { return *fgProbes; }
  GridModel& probeGrid() override;
  void recolourAndReselect() override;
  BoardDocument& boardDocument() override;
  void loadFile(const QString& fileName) override;
  Prompts& prompts() override { return *mPrompts; }
  void setBusyPointer(bool busy) override;

  // Brings both views to the current row's probe: yellow, and the probe
  // view zoomed onto it.
  void showCurrentProbe();
  // Marks the document changed (or saved): the title shows it with "*".
  void setDocumentModified(bool modified = true);
  // The file the open document lives in now; empty when none is open.
  const QString& documentPath() const { return mDocumentPath; }
  const DocumentState& state() const { return mState; }
  // Opened while another station holds the document: no wiring, no save.
  bool isReadOnly() const { return mReadOnly; }
  // Every mark and unmark since the load, for Ctrl+Z and Ctrl+Shift+Z.
  QUndoStack& undoStack() const { return *mUndo; }
  BoardPicture& picture() const { return *mPicture; }

  // Commands, public so that tests and shortcuts reach them as clicks do.
  void cmdLoad_Click();
  // "Save VD File": asks for a name, starting at the document's own file.
  // True when the document was written.
  bool cmdSave_Click();
  // Ctrl+S: writes the document to its own file without asking; asks for
  // a name only when its file's name says no form (.vd or .vdz).
  bool saveInPlace();
  void cmdWired_Click();
  void cmdNotWired_Click();
  void cmdRotate_Click();
  void cmdFilterProbes_Click();
  void cmdRenameProbes_Click();
  void cmdImport_Click();
  // Ctrl+F: the find field takes the keyboard; Enter goes to the next
  // match (goToFound), Escape back to the grid.
  void cmdFind();
  void goToFound();
  // Wire lists (exportcommand.cpp): "Export Wire List..." (Ctrl+E) and
  // "Print..." (Ctrl+P), put in fileMenu; their keys work without it.
  void addWireListActions(QMenu* fileMenu);
  void cmdExportWireList_Click();
  void cmdPrint_Click();
  // A document the desktop asks this running program to open (desktop.cpp):
  // once no dialog or long command runs, unsaved work is asked about and
  // the document loaded, as "Load VD File" does.
  void openDocument(const QString& fileName);

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void buildControls();
  void buildMenus();
  QWidget* buildFindBar();
  QWidget* buildLegend();
  QWidget* buildCommandRow();
  QWidget* buildControlPanel();
  QGridLayout* buildZoomControls();
  QGridLayout* buildCounters();
  void connectSignals();
  // Space marks wired, Backspace not wired; false for other keys.
  bool handleWiringKey(int key);

  // Load sequence (loadsequence.cpp).
  // A board read and checked, not yet shown. It stays where it was read
  // while another thread builds the views' scene from it.
  struct IncomingBoard {
    BoardDocument document;
    int pcbFile = 0;
    int selectArgument = 0;
    ExtractionTables tables;
    bool pinsLinked = false;
    bool viasLinked = false;
    // Of document, for the views; declared last, so that a refused board
    // waits for it before the document goes.
    std::future<std::unique_ptr<BoardScene>> scene;
  };
  // Reads fileName into in and extracts its probes; false when the board
  // cannot be worked (the user has been told).
  bool readAndCheck(const QString& fileName, IncomingBoard& in);
  void loadFileNow(const QString& fileName);
  bool findPcbFile(IncomingBoard& in);
  void refuseLoad(const QString& message);
  void refuseUnreadable(const QString& fileName, const QString& readerMessage);
  void closeBusyWindow();
  void applyRulesFile();
  void setControlsEnabled(bool enabled);
  // Fills the grid from the extraction tables; the views need not show
  // the board yet.
  void buildProbeTableInGrid();
  // Colours the grid's probes in the views, counts them, shows a surface.
  void showProbeTable();
  void updateTitle();

  // Selection and wiring (selection.cpp).
  void onBeforeMove(int oldRow);
  void onBeforeSort();
  void onAfterSort(int column);
  // Shows the wired counts kept in the state; recountWired counts them
  // again, after marks came back from a file or a journal.
  void updateWiredCounters();
  void recountWired();
  // A mark changed through the undo stack (undo.cpp); replay is true for
  // undo and redo, which bring the probe back as the current one.
  void pushMark(int row, bool wired);
  void applyMark(int dataPosition, bool wired, bool replay);
  void updateModified();
  void colourProbe(const QString& name, Rgb colour);
  // The probe's position on the document, from the model's own numbers.
  std::optional<QPointF> probePosition(int row) const;
  void centreMainViewOnProbe();
  void applySurfaceFilter();
  void keepGridFocus();

  // Layers, surfaces, zoom and view events (surfaces.cpp).
  void buildLayerTable();
  void applyLayerTable();
  void switchSurface(const QString& surface);
  void onClassBoxChanged(QCheckBox* box);
  void updateZoomWindow();
  void onSliderMoved();
  void turnBoardTo(int degrees);
  void onEntityPicked(BoardView* view, const QString& name);
  void onRecentreRequest();

  // Wiring state and saving (persistence.cpp).
  WiringSettings settingsShown() const;
  void showSettings(const WiringSettings& settings);
  void restoreWiringState();
  bool saveTo(const QString& path, bool compressed);
  // Before unsaved work would be dropped: Yes saves in place, No goes on,
  // Cancel (false) stops. The question names what is about to happen.
  enum class Leaving { Closing, OpeningAnother };
  bool askToSaveChanges(Leaving leaving);
  void storeWiringState();
  void selectFirstUnwiredRow();

  // Wire lists and documents from the desktop (exportcommand.cpp,
  // desktop.cpp).
  PageHeader wireListHeader() const;
  void openNextRequest();

  // Station lock and recovery journal (safety.cpp).
  // Takes fileName's lock into lock before it is read, or asks whether to
  // open it read-only; false when the user cancels.
  bool lockBeforeLoad(const QString& fileName,
                      std::unique_ptr<StationLock>& lock, bool& readOnly);
  // A save to path needs its lock too: false (the user told) when another
  // station holds it.
  bool lockSaveTarget(const QString& path, std::unique_ptr<StationLock>& lock);
  void applyReadOnly();
  // The grid's probes as the journal's stamp names them.
  std::vector<StampedProbe> stampedProbes() const;
  void startJournal(DocumentStamp stamp);
  void offerRecovery();
  bool applyRecovered(const std::vector<JournalEntry>& entries);
  void refuseJournal(const QString& reason);
  void journalMark(int row, bool wired);
  void journalSettings();
  void journal(const JournalEntry& entry);
  void warnJournalFailed();

  Prompts* mPrompts;
  QSettings* mSettings;
  MainWindowSetup mSetup;
  BoardDocument mDocument;  // the one open board, drawn through mPicture
  BoardPicture* mPicture = nullptr;
  DocumentState mState;
  RegionalFormat mRegional;
  QString mLastFileName;  // the open dialogs start from the last choice
  QString mDocumentPath;  // where the open document lives
  std::unique_ptr<StationLock> mLock;  // held while the document is open
  bool mReadOnly = false;
  // Changes since the last save, for recovery; none when read-only.
  std::unique_ptr<WiringJournal> mJournal;
  WiringSettings mJournaledSettings;
  bool mJournalWarned = false;  // a journal that fails is reported once
  QUndoStack* mUndo = nullptr;
  bool mOtherChanges = false;  // unsaved changes the undo stack does not hold
  bool mLoading = false;       // a load runs: no second one inside it
  QStringList mOpenRequests;   // from the desktop, oldest first

 public:
  // Controls, named as the wiring team knows them.
  GridView* fgProbes = nullptr;
  BoardView* VDEditor = nullptr;
  BoardView* VDProbeView = nullptr;
  QPushButton* cmdLoad = nullptr;
  QPushButton* cmdSave = nullptr;
  QPushButton* cmdImport = nullptr;
  QPushButton* cmdFilterProbes = nullptr;
  QPushButton* cmdRenameProbes = nullptr;
  QPushButton* cmdWired = nullptr;
  QPushButton* cmdNotWired = nullptr;
  QPushButton* cmdRotate = nullptr;
  QRadioButton* optTop = nullptr;
  QRadioButton* optBot = nullptr;
  QCheckBox* chkComponentPins = nullptr;
  QCheckBox* chkPCBcomps = nullptr;
  QCheckBox* chkVias = nullptr;
  QCheckBox* chkFiducials = nullptr;
  QCheckBox* chkToolingHoles = nullptr;
  QCheckBox* chkMech = nullptr;
  QSlider* slider = nullptr;
  QProgressBar* pbWired = nullptr;
  QLabel* lblTopProbeCount = nullptr;
  QLabel* lblTopWired = nullptr;
  QLabel* lblBotProbeCount = nullptr;
  QLabel* lblBotWired = nullptr;
  QLabel* lblTotal = nullptr;  // progress over both surfaces
  QLineEdit* txtFind = nullptr;
  BusyWindow* frmBusy = nullptr;
};

}  // namespace lw
