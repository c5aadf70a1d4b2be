#include "app/windows.h"

#include <QAction>
#include <QCheckBox>
#include <QTimer>

#include "app/midi_settings_dialog.h"

namespace quillon {

ProgramWindows::ProgramWindows(AppContext& context)
    : startForm(std::make_unique<MainWindow>(context)),
      waitingForm(std::make_unique<TransferProgressDialog>(startForm.get())),
      splashScreen(std::make_unique<SplashScreen>(startForm.get())),
      debugForm(std::make_unique<DebugWindow>()),
      noteOutForm(std::make_unique<MonitorWindow>(
          context, [this](int panel, const QString& text) { startForm->setStatusPanel(panel, text); },
          startForm.get())),
      outputForm(std::make_unique<MessageLogWindow>()),
      saveDialog(std::make_unique<SaveChoiceDialog>(startForm.get())),
      context_(context) {
  startForm->windows = {waitingForm.get(), splashScreen.get(), debugForm.get(), noteOutForm.get(), outputForm.get(),
                        saveDialog.get()};
  connectHost(context);
  routePortsToMonitor();
  // Queued: the first activation asks from inside an event handler.
  QObject::connect(startForm.get(), &MainWindow::settingsRequested, startForm.get(),
                   [this] { openSettingsDialog(); }, Qt::QueuedConnection);
}

void ProgramWindows::routePortsToMonitor() {
  // The monitor owns the ports; the settings dialog closes and reopens them there.
  reopenPorts = [this](const PortChoice& out, const PortChoice& in, std::optional<PortChoice> keyboard) {
    return noteOutForm->reopenPorts(out, in, keyboard);
  };
  closePorts = [this] { noteOutForm->link().close(); };
}

void ProgramWindows::openSettingsDialog() {
  MidiSettingsDialog dialog(context_, {reopenPorts, closePorts}, midi::systemMidiBackend(), startForm.get());
  dialog.exec();
}

ProgramWindows::~ProgramWindows() {
  // Children of the main window go with their own unique_ptrs first.
  saveDialog.reset();
  outputForm.reset();
  noteOutForm.reset();
  debugForm.reset();
  splashScreen.reset();
  waitingForm.reset();
  startForm.reset();
}

void ProgramWindows::connectHost(AppContext& context) {
  AppHost& host = context.host;
  host.attachLog(outputForm.get());
  host.attachDebug(debugForm.get());
  host.setInfoParent(startForm.get());
  QObject::connect(outputForm.get(), &MessageLogWindow::cleared, [&context] {
    context.log.SendLogCount = context.log.ReceiveLogCount = 0;
  });
  QObject::connect(outputForm.get(), &MessageLogWindow::closedByUser, [&context] { context.store.LogEnabled = false; });
  TransferProgressDialog* waiting = waitingForm.get();
  // The menu's MIDI-thru item and the monitor's check box are one switch.
  if (auto* thruItem = startForm->findChild<QAction*>(QStringLiteral("MMidiTrue"))) {
    if (auto* thruBox = noteOutForm->findChild<QCheckBox*>(QStringLiteral("CbMiditrue"))) {
      thruItem->setChecked(thruBox->isChecked());
      QObject::connect(thruItem, &QAction::toggled, thruBox, &QCheckBox::setChecked);
      QObject::connect(thruBox, &QCheckBox::toggled, thruItem, &QAction::setChecked);
    }
  }
  // The module's input (lime) also lights the wait window's in-lamp.
  host.onLightIn = [waiting, monitorIn = host.onLightIn](LedColour colour) {
    if (monitorIn) monitorIn(colour);
    if (colour == LedColour::Lime) waiting->lightIn();
  };
  host.onStartResponseTimer = [this] { startForm->startResponseTimer(); };
  host.onStopResponseTimer = [this] { startForm->timerMidiIn()->stop(); };
}

void ProgramWindows::showAtStart() {
  startForm->show();
  startForm->activateWindow();
  noteOutForm->show();
  QTimer::singleShot(0, startForm.get(), &MainWindow::ensureActivated);
}

}  // namespace quillon
