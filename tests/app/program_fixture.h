#pragma once
// ProgramWindows as start-up builds it, on stored settings that name the
// virtual module (device 0); what leaves for the module is recorded.

#include <QApplication>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

#include "app/windows.h"
#include "app_fixture.h"
#include "midi/virtual_backend.h"
#include "settings/names/patch_evaluation.h"

namespace quillon::testing {

struct Program {
  TestContext t;
  std::unique_ptr<ProgramWindows> windows;
  std::vector<Bytes> sent;
  std::function<void(const Bytes&)> onSent;

  // `betweenRuns` may change the settings file after it was written, as
  // another program or a crash may: the program then starts from the file alone.
  explicit Program(const std::function<void(DeviceSettings&)>& adjust = {},
                   const std::function<void(const QString& settingsFile)>& betweenRuns = {}) {
    DeviceSettings& s = t.context->settings;
    s.Midi_In1Name = s.Midi_OutName = QString::fromLatin1(midi::VirtualModuleName);
    s.engine.noteOn = false;
    s.engine.sysDly = MinSysDly;
    if (adjust) adjust(s);
    s.WriteSettings();
    if (betweenRuns) {
      betweenRuns(s.location().fileName());
      static_cast<DeviceSettingsFields&>(s) = DeviceSettingsFields{};
    }
    start();
  }
  void start() {
    windows = std::make_unique<ProgramWindows>(*t.context);
    AppHost& host = t.context->host;
    host.onSendLong = [this, out = host.onSendLong](std::span<const Byte> m) {
      sent.emplace_back(m.begin(), m.end());
      if (onSent) onSent(sent.back());
      out(m);
    };
  }
  // After showAtStart: the test platform activates every window shown, the
  // start-up splash too, so the keys are the main window's once it went.
  void waitForKeysAtMainWindow() {
    QTRY_VERIFY(windows->splashScreen->isVisible());
    QTRY_VERIFY(!windows->splashScreen->isVisible());
    QVERIFY(QTest::qWaitForWindowActive(windows->mainWindow.get()));
  }
  AppContext& ctx() { return *t.context; }
  MainWindow& main() { return *windows->mainWindow; }
  int count(Byte command) const {
    return static_cast<int>(std::count_if(sent.begin(), sent.end(), [command](const Bytes& m) {
      return m.size() > roland::PosCommand && m[roland::PosCommand] == command;
    }));
  }
  QString patchCell(int part) const {
    return windows->mainWindow->patchGrid()->item(patchGridRow(part), patchGridColumn(part))->text();
  }
};

// Runs `look` on the next modal dialog of type T once it is up.
template <typename T>
void onNextDialog(std::function<void(T*)> look) {
  auto* poll = new QTimer;
  QObject::connect(poll, &QTimer::timeout, [poll, look] {
    auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget());
    if (!dialog || !dialog->isVisible()) return;
    poll->deleteLater();
    poll->stop();
    look(dialog);
  });
  poll->start(10);
}

}  // namespace quillon::testing
