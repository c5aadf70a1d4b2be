#include "app/windows.h"

#include <QTimer>

namespace quillon {

ProgramWindows::ProgramWindows(AppContext& context)
    : startForm(std::make_unique<TStartform>(context)),
      waitingForm(std::make_unique<TWaitingForm>(startForm.get())),
      splashScreen(std::make_unique<TSplashScreen>(startForm.get())),
      debugForm(std::make_unique<TDebugForm>()),
      outputForm(std::make_unique<TOutputForm>()),
      saveDialog(std::make_unique<Tsavedialog>(startForm.get())) {
  startForm->windows = {waitingForm.get(), splashScreen.get(), debugForm.get(), nullptr, outputForm.get(),
                        saveDialog.get()};
  connectHost(context);
}

ProgramWindows::~ProgramWindows() {
  // Children of the main window go with their own unique_ptrs first.
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
  host.onStartResponseTimer = [this] { startForm->startResponseTimer(); };
  host.onStopResponseTimer = [this] { startForm->timerMidiIn()->stop(); };
}

void ProgramWindows::showAtStart() {
  startForm->show();
  startForm->activateWindow();
  QTimer::singleShot(0, startForm.get(), &TStartform::ensureActivated);
}

}  // namespace quillon
