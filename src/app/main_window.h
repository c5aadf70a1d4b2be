#pragma once
// The main window: the performances of the current file or memory bank in a
// 4 by 8 grid, the patches the chosen one uses, and the commands that open,
// save and move performances.

#include <QMainWindow>
#include <array>
#include <functional>
#include <memory>

#include "engine/bank_transfer.h"
#include "engine/store.h"
#include "app/library_feed.h"
#include "app/recent_files.h"
#include "engine/syx_reader.h"

class QAction;
class QLabel;
class QMenu;
class QProgressBar;
class QPushButton;
class QTableWidget;
class QTimer;

namespace quillon {

class AppContext;
class DebugWindow;
class KeyboardMapWindow;
class MessageLogWindow;
class SplashScreen;
class TransferProgressDialog;
class SaveChoiceDialog;
class StoreToModuleDialog;
class PerformanceKindDialog;

// The windows the main window shows or hides; filled in as start-up creates them.
struct WindowSet {
  TransferProgressDialog* waiting = nullptr;
  SplashScreen* splash = nullptr;
  DebugWindow* debug = nullptr;
  QWidget* monitor = nullptr;
  MessageLogWindow* log = nullptr;
  SaveChoiceDialog* saveDialog = nullptr;
  StoreToModuleDialog* storeDialog = nullptr;
  PerformanceKindDialog* kindDialog = nullptr;
};

inline constexpr int StatusPanelCount = 4;
inline constexpr int KindStatusPanel = 1;  // "Temp", "User" or "Card" of the chosen performance

class MainWindow : public QMainWindow {
  Q_OBJECT
 public:
  explicit MainWindow(AppContext& context, QWidget* parent = nullptr);
  ~MainWindow() override;

  WindowSet windows;

  // File dialogs, replaceable so that tests choose paths without a dialog.
  std::function<QString()> chooseOpenFile;
  std::function<QString(const QString& proposed)> chooseSaveFile;
  std::function<QString()> chooseImportFolder;
  // A yes/no question before the module's memory is overwritten; replaceable for tests.
  std::function<bool(const QString& question)> confirm;
  // Save / Discard / Cancel before a fetch replaces unsaved performances; replaceable for tests.
  std::function<int(const QString& question)> askUnsavedChanges;

  // Commands.
  void openFile();
  // The one open routine: the menu, the button, a dropped file and the
  // command line all come here.
  void openPath(const QString& path);
  // Opens `path` and chooses its entry `position` (0-based): the library's
  // "Where else is this?" goes there. False when the list did not become that file.
  bool openPathAt(const QString& path, int position);
  void saveFile();
  // File > Import Folder...: every dump in a folder tree into the performance library.
  void importFolder();
  LibraryFeed& libraryFeed() { return library_; }
  // What the library window asks of the module and the list (main_window_library.cpp).
  // Send to Temp: the module's Temporary Performance plays `record`; one undo
  // step takes it back. The list stays as it was.
  bool auditionPerformance(const PerformanceRecord& record);
  // `record` alone becomes the list, ready for the performance editor.
  bool openPerformance(const PerformanceRecord& record, const std::string& name);
  // Into the list at `slot` (0-based; the slot after the last adds one).
  bool putIntoList(const PerformanceRecord& record, int slot);
  // Build a Bank's send: the module's bank is fetched into the library first,
  // then `records` become the list and Send User / Card All sends them.
  bool sendBuiltBank(BankArea area, const std::vector<PerformanceRecord>& records);
  bool writeTempSyx();
  bool writeListSyx();
  void editPerformance();
  // Get Tmp Perf / Send to Temp, with the wait window; the response timer ends a silent wait.
  void getTemp();
  // True when the Temporary Performance went out (a cancel part way counts: it was sent as far as it went).
  bool sendTemp();
  void responseTimedOut();
  // Get User All / Get Card All: the 32 performances of the bank replace the
  // list. True when every one of them arrived whole.
  bool getBank(BankArea area);
  // Get Usernames / Get Cardnames: the bank's 128 patch names into "User.ini", when all arrived.
  void getPatchNames(BankArea area);
  // Send User All / Send Card All: every listed performance into the bank, after a question.
  void sendBank(BankArea area);
  // Save To JV-XP: the edited performance into the slot the store dialog names.
  void storeToModule();
  // Temp / User / Card: what kind of performance the list holds.
  void chooseKind();
  // A list that came without a fetch (a received dump, the library's
  // performances): `fill` puts it into the store, which then shows as after a
  // fetch. False when the user kept the list (unsaved changes) or a transfer runs.
  bool replaceListWith(const char* replacer, const std::function<void(PerformanceStore&)>& fill);
  // Cancel in the wait window: the transfer running now stops.
  void cancelTransfer();
  // A transfer runs: the commands that send or change the store wait for it.
  bool transferRunning() const;
  void setTransferRunning(bool on);
  // A request enables the response timer; one already running keeps its interval.
  void startResponseTimer();
  void showAbout();
  // Help > Keyboard: the keys of every window the program has.
  void showKeyboardMap();
  void dropFile(const QString& path);

  // The grid and the evaluation of the chosen performance.
  void selectCell(int column, int row);
  // List entry `index` (0-based) becomes the grid's current cell and the chosen performance.
  void chooseEntry(int index);
  void evaluateSelection();
  void evaluatePatchNames();
  // The "Patches Used" grid from PartPatchNames, as the editors left them.
  void showPatchesUsed();
  void fillPerformanceGrid();
  // Where the file dialogs start: the folder last used, else the documents folder.
  QString fileDialogFolder() const;
  QMenu* recentMenu() const { return recentMenu_; }
  void resetPerformanceGrid();
  void copyListEntryToTemp(int index);
  void activate();
  // Runs the first activation even where no window manager activates windows.
  void ensureActivated();

  QString statusText() const;
  void setStatus(const QString& text);
  QString statusPanel(int panel) const;
  void setStatusPanel(int panel, const QString& text);
  QTableWidget* performanceGrid() const { return performanceGrid_; }
  QTableWidget* patchGrid() const { return patchGrid_; }
  QTimer* timer1() const { return evaluationTimer_; }
  QTimer* timerMidiIn() const { return responseTimer_; }
  QAction* playNoteAction() const { return playNote_; }
  QAction* midiThruAction() const { return midiThru_; }
  QAction* changeNameAlwaysAction() const { return changeNameAlways_; }

 signals:
  // Commands whose windows or transfers are attached later.
  void getTempRequested();
  void sendTempRequested();
  void editRequested();
  void settingsRequested();
  void chorusReverbRequested();
  void efxRequested();
  void mixerRequested();
  void receiveDumpRequested();
  void libraryRequested();
  // A folder went into the library: a library window on show reads it again.
  void libraryImported();
  // The grid's context menu: entry `index` of the list against the Temporary
  // Performance; its sheet printed or exported.
  void compareRequested(int index);
  void printRequested(int index);
  void exportRequested(int index);
  // File > Print List... / Export List...: every performance of the list.
  void printListRequested();
  void exportListRequested();
  // The first activation of a new install: the monitor's message, then the settings.
  void firstRunSettingsRequested();

 protected:
  void changeEvent(QEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  // A list from the module or a dump took the old one's place: history, names, grids.
  void showReplacedList();
  void showFoundCount(int count);
  // The listed performances that arrived whole, as the library takes a fetch.
  std::vector<library::Fetched> wholeListEntries() const;
  void buildControls();
  void fitPatchGridToNames();
  void fitGridColumnsToNames();
  // After Open: selection, captions and patches from the new list.
  void showNewList();
  void rebuildRecentMenu();
  void openRecent(const QString& path);
  void buildMenus();
  void buildGridMenu();
  // The list entry of the grid's current cell, or -1.
  int currentGridEntry() const;
  QPushButton* addButton(const char* name, const QString& caption, void (MainWindow::*action)());
  void create();
  void prepareShow();
  void setGauge(int maximum, int value, bool visible);
  bool writeSyx(const std::vector<Byte>& bytes);
  QString proposedFileName() const;
  void rebuildNamesFromRecords();
  // The fetched Temporary Performance's name as entry 0 and on the Edit button.
  void showTemporaryName();
  std::string entryName(int index) const;
  void chooseFromSaveDialog();
  // The gauge follows a file read; then the grid and status show its result.
  ScanProgress readProgress();
  void showRead(const QString& path, const SyxFileResult& result);
  class WaitingView;
  std::unique_ptr<WaitingView> waitingView_;
  void createTransferView();
  TransferView& transferView();
  // True (and the status says why) when a transfer runs and the command must wait.
  bool refuseWhileTransferring();
  // Before `replacer` ("the fetch", "the file", ...) replaces the list
  // (`withTemp`: by the Temporary Performance): true when nothing unsaved is
  // lost, or the user said so.
  bool mayReplaceList(bool withTemp, const char* replacer);
  // Send User / Card All only for a bank of whole performances.
  void updateBankSendCommands();
  // What Save and closing warn of: a partial Get Temp, incomplete listed performances.
  std::string unsavedWarning() const;
  // Names the listed performances that are incomplete; empty when none is.
  std::string incompleteListText() const;
  void applyStoredName(const std::string& name);
  void setSelectedCaption(int index);
  void verifyStored(BankArea area, int slot, const QString& where);

  AppContext& ctx_;
  // Named for their role; each control's object name is the one tests and issues know it by (StGr, ldrop...).
  QTableWidget* performanceGrid_;
  QTableWidget* patchGrid_;
  QProgressBar* progressBar_;
  QLabel* status_;
  KeyboardMapWindow* keyboardMap_ = nullptr;  // made at its first showing
  QLabel* sourceLabel_;
  QLabel* selectedLabel_;
  QPushButton* editButton_ = nullptr;
  std::array<QLabel*, StatusPanelCount> panels_{};
  QTimer* evaluationTimer_;
  QTimer* responseTimer_;
  QAction* playNote_ = nullptr;
  QAction* midiThru_ = nullptr;
  QAction* changeNameAlways_ = nullptr;
  std::array<QAction*, 2> sendBankActions_{};  // Send User All, Send Card All
  QString droppedPath_;
  RecentFiles recentFiles_;
  LibraryFeed library_;
  QMenu* recentMenu_ = nullptr;
  QMenu* gridMenu_ = nullptr;
  int performanceColumnWidth_ = 0;
  bool pcmReported_ = false;  // the "PCM" box was shown for this file or fetch
  bool splashShown_ = false;
  bool activated_ = false;
  bool firstRunAsked_ = false;
};

}  // namespace quillon
