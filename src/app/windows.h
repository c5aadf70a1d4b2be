#pragma once
// Every window of the program, created once in start-up order (each may rely
// on what the windows before it prepared) and destroyed in reverse.

#include <QWidget>

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "app/app_context.h"
#include "app/compare_window.h"
#include "app/debug_window.h"
#include "app/dump_receiver_window.h"
#include "app/library_window.h"
#include "app/monitor_window.h"
#include "app/message_log_window.h"
#include "app/performance_kind_dialog.h"
#include "app/save_choice_dialog.h"
#include "app/sheet_output.h"
#include "app/store_to_module_dialog.h"
#include "app/splash_screen.h"
#include "app/main_window.h"
#include "app/transfer_progress_dialog.h"
#include "editors/performance_editor.h"
#include "editors/key_range_window.h"
#include "editors/midi_mixer.h"
#include "editors/part_switches_window.h"
#include "effects/chorus_reverb_window.h"
#include "effects/efx_window.h"
#include "midi/module_link.h"
#include "patches/patch_finder.h"
#include "patches/patch_select_window.h"

namespace quillon {

class ProgramWindows {
 public:
  explicit ProgramWindows(AppContext& context);
  ~ProgramWindows();

  // Shows the main window and the monitor beside it.
  void showAtStart();
  // A run that writes its output and quits (--export-sheets): no box or dialog
  // waits for a user, messages go to stderr, and a first run leaves its
  // settings questions for the next run with a user.
  void runUnattended();

  // Members are declared in creation order; destruction runs backwards. The
  // windows have no Qt parent: this list is their one owner.
  std::unique_ptr<MainWindow> mainWindow;
  std::unique_ptr<TransferProgressDialog> progressDialog;
  std::unique_ptr<SplashScreen> splashScreen;
  std::unique_ptr<DebugWindow> debugWindow;
  std::unique_ptr<MonitorWindow> monitorWindow;  // shows the MIDI ports' state
  std::unique_ptr<MessageLogWindow> messageLog;
  std::unique_ptr<SaveChoiceDialog> saveDialog;
  std::unique_ptr<StoreToModuleDialog> storeDialog;
  std::unique_ptr<PerformanceKindDialog> kindDialog;
  std::unique_ptr<DumpReceiverWindow> dumpReceiver;  // listens at the program's ports
  std::unique_ptr<LibraryWindow> libraryWindow;      // on the main window's library and commands
  // Editing windows.
  std::unique_ptr<PerformanceEditor> performanceEditor;
  std::unique_ptr<PartSwitchesWindow> partSwitches;
  std::unique_ptr<KeyRangeWindow> keyRange;
  std::unique_ptr<MidiMixer> mixer;
  std::unique_ptr<EfxWindow> efxWindow;
  std::unique_ptr<ChorusReverbWindow> chorusReverbWindow;
  // Patch choice: the finder first, since the select window opens it.
  std::unique_ptr<PatchFinder> patchFinder;
  std::unique_ptr<PatchSelectWindow> patchSelect;
  // Two performances compared. The library window hands it a performance by
  // CompareWindow::addOutside and shows it with CompareWindow::compare.
  std::unique_ptr<CompareWindow> compareWindow;
  // Performance sheets printed and exported (no window of its own: the platform's dialogs).
  std::unique_ptr<SheetOutput> sheets;

  // Every top-level window the program made, for finding one by its name.
  std::vector<QWidget*> allWindows() const;

  // How the settings dialog reopens and closes the ports (the context's).
  std::function<std::string(const PortChoice& out, const PortChoice& in, std::optional<PortChoice> keyboard)>
      reopenPorts;
  std::function<void()> closePorts;

  // Creates the settings dialog afresh and runs it modally.
  void openSettingsDialog();
  // A new install: the ports are open on the virtual module already; the
  // monitor says to make the settings, then the dialog comes.
  void runFirstTimeSettings();
  // The module stayed silent the first time: Find Module is offered. The
  // ports open now come back unless the user takes a module found.
  void offerFindModule();

 private:
  bool unattended_ = false;
  void connectHost(AppContext& context);
  void connectDumpReceiver();
  void connectLibraryWindow();
  // Main window and monitor wholly on the screen, side by side at first.
  void placeAtStart();
  // No larger than the screen, no smaller than its minimum.
  static void fitInto(QWidget* window, const QRect& area);
  static constexpr int WindowGap = 8;
  void routePortsToContext();
  void connectPerformanceEditor();
  void connectEditingWindows();
  void connectPatchWindows();
  void connectCompareWindow();
  void connectSheets();
  void playNoteSet(bool on);
  // Before an edit: the module's Temporary Performance is to hold what the
  // windows show. A listed performance it does not hold yet is sent there
  // first, as "Edit" does; false when that could not be done.
  bool tempHoldsShownPerformance();

  AppContext& context_;
  bool findOffered_ = false;
};

}  // namespace quillon
