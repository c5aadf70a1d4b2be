#include "app/windows.h"

#include <QAction>
#include <QTimer>

#include "app/midi_settings_dialog.h"

namespace quillon {

ProgramWindows::ProgramWindows(AppContext& context)
    : mainWindow(std::make_unique<MainWindow>(context)),
      progressDialog(std::make_unique<TransferProgressDialog>()),
      splashScreen(std::make_unique<SplashScreen>()),
      debugWindow(std::make_unique<DebugWindow>()),
      monitorWindow(std::make_unique<MonitorWindow>(
          context, [this](int panel, const QString& text) { mainWindow->setStatusPanel(panel, text); })),
      messageLog(std::make_unique<MessageLogWindow>()),
      saveDialog(std::make_unique<SaveChoiceDialog>()),
      performanceEditor(std::make_unique<PerformanceEditor>(context.editing)),
      partSwitches(std::make_unique<PartSwitchesWindow>(context.editing)),
      keyRange(std::make_unique<KeyRangeWindow>(context.editing)),
      mixer(std::make_unique<MidiMixer>(context.editing)),
      efxWindow(std::make_unique<EfxWindow>(context.editing)),
      chorusReverbWindow(std::make_unique<ChorusReverbWindow>(context.editing)),
      context_(context) {
  mainWindow->windows = {progressDialog.get(), splashScreen.get(), debugWindow.get(), monitorWindow.get(), messageLog.get(),
                        saveDialog.get()};
  connectHost(context);
  routePortsToMonitor();
  context.host.onMixerControlChange = [this](Byte s, Byte d1, Byte d2) { mixer->controlChangeArrived(s, d1, d2); };
  QObject::connect(mainWindow.get(), &MainWindow::mixerRequested, mixer.get(), &MidiMixer::showAndRaise);
  connectPerformanceEditor();
  connectEditingWindows();
  // Queued: the first activation asks from inside an event handler.
  QObject::connect(mainWindow.get(), &MainWindow::settingsRequested, mainWindow.get(),
                   [this] { openSettingsDialog(); }, Qt::QueuedConnection);
}

void ProgramWindows::routePortsToMonitor() {
  // The monitor owns the ports; the settings dialog closes and reopens them there.
  reopenPorts = [this](const PortChoice& out, const PortChoice& in, std::optional<PortChoice> keyboard) {
    return monitorWindow->reopenPorts(out, in, keyboard);
  };
  closePorts = [this] { monitorWindow->link().close(); };
}

void ProgramWindows::connectPerformanceEditor() {
  PerformanceEditor* editor = performanceEditor.get();
  MainWindow* main = mainWindow.get();
  QObject::connect(main, &MainWindow::editRequested, editor, &PerformanceEditor::showEditor);
  QObject::connect(editor, &PerformanceEditor::closed, main, [main] {
    main->showPatchesUsed();
    main->show();
    main->raise();
  });
  QObject::connect(editor, &PerformanceEditor::reloadTempRequested, main, &MainWindow::getTempRequested);
  QObject::connect(editor, &PerformanceEditor::noteMonitorRequested, monitorWindow.get(), [this] {
    monitorWindow->show();
    monitorWindow->raise();
  });
  // The editor's SpPlay and the menu's "Play Note On/Off" are one setting.
  QObject::connect(editor, &PerformanceEditor::playNoteChanged, main, [this, main](bool on) {
    context_.applySettings();
    main->playNoteAction()->setChecked(on);
  });
  QObject::connect(main->playNoteAction(), &QAction::toggled, editor, &PerformanceEditor::showPlayNote);
  editor->setChangeNameAlwaysItem(main->changeNameAlwaysAction());
  QObject::connect(editor, &PerformanceEditor::switchesRequested, partSwitches.get(), &PartSwitchesWindow::showAndRaise);
  QObject::connect(editor, &PerformanceEditor::keyRangeRequested, keyRange.get(), &KeyRangeWindow::showAndRaise);
  QObject::connect(editor, &PerformanceEditor::done, partSwitches.get(), &QWidget::hide);
}

void ProgramWindows::openSettingsDialog() {
  MidiSettingsDialog dialog(context_, {reopenPorts, closePorts}, midi::systemMidiBackend(), mainWindow.get());
  dialog.exec();
}

void ProgramWindows::connectEditingWindows() {
  // The effect windows open each other; the main window and the performance editor open both.
  QObject::connect(mainWindow.get(), &MainWindow::efxRequested, efxWindow.get(), &EfxWindow::showAndRaise);
  QObject::connect(mainWindow.get(), &MainWindow::chorusReverbRequested, chorusReverbWindow.get(),
                   &ChorusReverbWindow::showAndRaise);
  QObject::connect(performanceEditor.get(), &PerformanceEditor::efxRequested, efxWindow.get(),
                   &EfxWindow::showAndRaise);
  QObject::connect(performanceEditor.get(), &PerformanceEditor::chorusReverbRequested, chorusReverbWindow.get(),
                   &ChorusReverbWindow::showAndRaise);
  QObject::connect(efxWindow.get(), &EfxWindow::chorusReverbRequested, chorusReverbWindow.get(),
                   &ChorusReverbWindow::showAndRaise);
  QObject::connect(chorusReverbWindow.get(), &ChorusReverbWindow::efxRequested, efxWindow.get(),
                   &EfxWindow::showAndRaise);
}

std::vector<QWidget*> ProgramWindows::allWindows() const {
  return {mainWindow.get(), progressDialog.get(), splashScreen.get(), debugWindow.get(), monitorWindow.get(),
          messageLog.get(), saveDialog.get(), performanceEditor.get(), partSwitches.get(), keyRange.get(),
          mixer.get(), efxWindow.get(), chorusReverbWindow.get()};
}

ProgramWindows::~ProgramWindows() {
  // Each window is owned here alone (none has a Qt parent); the main window goes last.
  chorusReverbWindow.reset();
  efxWindow.reset();
  context_.host.onMixerControlChange = nullptr;
  mixer.reset();
  keyRange.reset();
  partSwitches.reset();
  performanceEditor.reset();
  saveDialog.reset();
  messageLog.reset();
  monitorWindow.reset();
  debugWindow.reset();
  splashScreen.reset();
  progressDialog.reset();
  mainWindow.reset();
}

void ProgramWindows::connectHost(AppContext& context) {
  AppHost& host = context.host;
  host.attachLog(messageLog.get());
  host.attachDebug(debugWindow.get());
  host.setInfoParent(mainWindow.get());
  QObject::connect(messageLog.get(), &MessageLogWindow::cleared, [&context] {
    context.log.SendLogCount = context.log.ReceiveLogCount = 0;
  });
  QObject::connect(messageLog.get(), &MessageLogWindow::closedByUser, [&context] { context.store.LogEnabled = false; });
  TransferProgressDialog* waiting = progressDialog.get();
  // The menu's MIDI-thru item and the monitor's check box are one switch.
  QAction* thruItem = mainWindow->midiThruAction();
  thruItem->setChecked(monitorWindow->midiThru());
  QObject::connect(thruItem, &QAction::toggled, monitorWindow.get(), &MonitorWindow::setMidiThru);
  QObject::connect(monitorWindow.get(), &MonitorWindow::midiThruChanged, thruItem, &QAction::setChecked);
  // The module's input (lime) also lights the wait window's in-lamp.
  host.onLightIn = [waiting, monitorIn = host.onLightIn](LedColour colour) {
    if (monitorIn) monitorIn(colour);
    if (colour == LedColour::Lime) waiting->lightIn();
  };
  host.onStartResponseTimer = [this] { mainWindow->startResponseTimer(); };
  host.onStopResponseTimer = [this] { mainWindow->timerMidiIn()->stop(); };
}

void ProgramWindows::showAtStart() {
  mainWindow->show();
  mainWindow->activateWindow();
  monitorWindow->show();
  QTimer::singleShot(0, mainWindow.get(), &MainWindow::ensureActivated);
}

}  // namespace quillon
