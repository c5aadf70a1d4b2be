#include "app/windows.h"

#include <QTimer>

#include "app/midi_dev_select.h"

namespace quillon {

ProgramWindows::ProgramWindows(AppContext& context)
    : startForm(std::make_unique<TStartform>(context)),
      waitingForm(std::make_unique<TWaitingForm>(startForm.get())),
      splashScreen(std::make_unique<TSplashScreen>(startForm.get())),
      debugForm(std::make_unique<TDebugForm>()),
      outputForm(std::make_unique<TOutputForm>()),
      saveDialog(std::make_unique<Tsavedialog>(startForm.get())),
      context_(context) {
  startForm->windows = {waitingForm.get(), splashScreen.get(), debugForm.get(), nullptr, outputForm.get(),
                        saveDialog.get()};
  connectHost(context);
  usePortsOfOwnLink();
  // Queued: the first activation asks from inside an event handler.
  QObject::connect(startForm.get(), &TStartform::settingsRequested, startForm.get(),
                   [this] { openSettingsDialog(); }, Qt::QueuedConnection);
}

void ProgramWindows::usePortsOfOwnLink() {
  reopenPorts = [this](const PortChoice& out, const PortChoice& in, std::optional<PortChoice> keyboard) {
    if (!moduleLink) moduleLink = std::make_unique<ModuleLink>(context_.store, context_.incoming);
    std::string error = moduleLink->open(out, in, keyboard);
    if (!error.empty()) return error;
    startForm->setStatusPanel(0, QStringLiteral("Midi Open"));
    startForm->setStatusPanel(1, QStringLiteral("In: ") + QString::fromStdString(moduleLink->inputName()));
    startForm->setStatusPanel(2, QStringLiteral("Out: ") + QString::fromStdString(moduleLink->outputName()));
    if (keyboard) startForm->setStatusPanel(3, QStringLiteral("In2: ") + QString::fromStdString(keyboard->name));
    return error;
  };
  closePorts = [this] {
    if (moduleLink) moduleLink->close();
    context_.store.MidiClosed = true;
  };
}

void ProgramWindows::openSettingsDialog() {
  TMidiDevSelect dialog(context_, {reopenPorts, closePorts}, midi::systemMidiBackend(), startForm.get());
  dialog.exec();
}

ProgramWindows::~ProgramWindows() {
  // Children of the main window go with their own unique_ptrs first.
  moduleLink.reset();
  saveDialog.reset();
  outputForm.reset();
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
  QObject::connect(outputForm.get(), &TOutputForm::cleared, [&context] {
    context.log.SendLogCount = context.log.ReceiveLogCount = 0;
  });
  QObject::connect(outputForm.get(), &TOutputForm::closedByUser, [&context] { context.store.LogEnabled = false; });
  TWaitingForm* waiting = waitingForm.get();
  host.onLightIn = [waiting](LedColour) { waiting->lightIn(); };
  host.onStartResponseTimer = [this] { startForm->timerMidiIn()->start(); };
  host.onStopResponseTimer = [this] { startForm->timerMidiIn()->stop(); };
}

void ProgramWindows::showAtStart() {
  startForm->show();
  startForm->activateWindow();
  QTimer::singleShot(0, startForm.get(), &TStartform::ensureActivated);
}

}  // namespace quillon
