// Where the windows appear, frames included. CTest runs this on a 1366 x 768
// screen at scale 1 and on a 1600 x 1000 screen at scale 2, with frames.

#include <QAction>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QToolButton>

#include <QTableWidget>

#include "app/keyboard_map_window.h"
#include "app/main_window.h"
#include "app/midi_settings_dialog.h"
#include "app/splash_screen.h"
#include "program_fixture.h"

using namespace quillon;
using testing::onNextDialog;
using testing::Program;

namespace {

// Empty when the window's frame (once the platform has framed it) is wholly on the screen, else what it is.
QString offScreen(const QWidget* w) {
  const QRect f = w->frameGeometry(), a = QGuiApplication::primaryScreen()->availableGeometry();
  const bool framed = f != w->geometry() || w->windowFlags().testFlag(Qt::FramelessWindowHint);
  if (a.contains(f) && framed) return {};
  return QStringLiteral("%1 frame %2,%3 %4x%5 on %6x%7")
      .arg(QLatin1String(w->metaObject()->className()))
      .arg(f.x())
      .arg(f.y())
      .arg(f.width())
      .arg(f.height())
      .arg(a.width())
      .arg(a.height());
}

// The window lies on the screen, and Tab brings its button `name` into view,
// wholly inside the window and the screen.
void buttonInReach(QWidget* window, const char* name) {
  QTRY_COMPARE(offScreen(window), QString());
  window->activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(window));
  auto* button = window->findChild<QPushButton*>(QLatin1String(name));
  QVERIFY2(button, name);
  // The window's own focus: the test platform may leave a child dialog's parent active.
  for (int tabs = 0; tabs < 400 && window->focusWidget() != button; ++tabs)
    QTest::keyClick(window->focusWidget() ? window->focusWidget() : window, Qt::Key_Tab);
  QCOMPARE(window->focusWidget(), button);
  const QRect at(button->mapToGlobal(QPoint(0, 0)), button->size());
  QVERIFY2(QGuiApplication::primaryScreen()->availableGeometry().contains(at) && window->geometry().contains(at),
           qPrintable(window->objectName()));
}

}  // namespace

class WindowPlacementTest : public QObject {
  Q_OBJECT
 private slots:
  void windowsAppearWhollyOnTheScreen() {
    Program p;
    p.windows->showAtStart();
    QWidget& main = p.main();
    QWidget& monitor = *p.windows->monitorWindow;
    QTRY_COMPARE(offScreen(&main), QString());
    QCOMPARE(offScreen(&monitor), QString());
    QVERIFY2(!main.frameGeometry().intersects(monitor.frameGeometry()), "at first placement none overlap");
    QTRY_VERIFY(p.windows->splashScreen->isVisible());
    QCOMPARE(offScreen(p.windows->splashScreen.get()), QString());

    QString settings = QStringLiteral("not seen"), save = settings, wait = settings;
    onNextDialog<MidiSettingsDialog>([&](MidiSettingsDialog* d) {
      QTRY_COMPARE(settings = offScreen(d), QString());
      testing::childNamed<QPushButton>(*d, "BCan1")->click();
    });
    p.windows->openSettingsDialog();
    QCOMPARE(settings, QString());
    onNextDialog<SaveChoiceDialog>([&](SaveChoiceDialog* d) {
      QTRY_COMPARE(save = offScreen(d), QString());
      d->findChild<QPushButton*>(QStringLiteral("Bcancel"))->click();
    });
    p.windows->saveDialog->ask(p.ctx().store, QStringLiteral("Only 3 of 17 blocks arrived."));
    QCOMPARE(save, QString());
    // The wait window beside a main window in the screen's far corner.
    main.move(QGuiApplication::primaryScreen()->availableGeometry().bottomRight() - QPoint(40, 40));
    p.onSent = [&](const Bytes&) { wait = offScreen(p.windows->progressDialog.get()); };
    p.main().getTemp();
    QCOMPARE(wait, QString());
  }

  // The splash is no modal loop: a file given at start is read and shown
  // while the splash is still up, as the program's start opens it.
  void aFileGivenAtStartShowsWhileTheSplashIsUp() {
    Program p;
    const QString file = p.t.path(QStringLiteral("start.syx"));
    testing::writeBytes(file,
                        testing::bankBytes(address::AreaUserPerformance, 2, StandardBlockSizes,
                                           [](PerformanceRecord& r) { setPerformanceName(r.common, "At Start"); }));
    p.windows->showAtStart();
    p.main().openPath(file);
    QVERIFY(p.windows->splashScreen->isVisible());
    QVERIFY(p.main().performanceGrid()->item(0, 0)->text().contains(QStringLiteral("At Start")));
  }

  // Every editing window, opened as the user opens it, lies on the screen and its
  // Done button is in reach: Tab brings it into view, wholly on the screen.
  void everyWindowsDoneIsInReach() {
    Program p;
    p.windows->showAtStart();
    const auto press = [](QWidget* window, const char* button) {
      window->findChild<QPushButton*>(QLatin1String(button))->click();
    };
    press(&p.main(), "BGetJV");
    press(&p.main(), "Beditp");
    QWidget* editor = p.windows->performanceEditor.get();
    const std::pair<QWidget*, const char*> opened[] = {
        {editor, "Bswitch"}, {editor, "BKeyRange"}, {editor, "Bchorev"}, {editor, "Befx"}, {&p.main(), "Bmidimix"}};
    for (const auto& [window, button] : opened) press(window, button);
    p.windows->patchSelect->showForPart(0);
    editor->findChild<QAction*>(QStringLiteral("MEditorCompare"))->trigger();
    const std::pair<QWidget*, const char*> dones[] = {{editor, "Bdone"},
                                                      {p.windows->compareWindow.get(), "BClose"},
                                                      {p.windows->partSwitches.get(), "Bdone"},
                                                      {p.windows->keyRange.get(), "Bdone"},
                                                      {p.windows->chorusReverbWindow.get(), "Bdone"},
                                                      {p.windows->efxWindow.get(), "SpeedButton1"},
                                                      {p.windows->patchSelect.get(), "Bdone"},
                                                      {p.windows->mixer.get(), "Bclear"}};
    std::vector<QPoint> corners;
    for (const auto& [window, name] : dones) {
      QVERIFY2(window->isVisible(), window->metaObject()->className());
      buttonInReach(window, name);
      if (QTest::currentTestFailed()) return;
      corners.push_back(window->frameGeometry().topLeft());
    }
    // The switch window on parts 9 to 16, with their longer names, stays on the screen too.
    press(p.windows->partSwitches.get(), "B18916");
    QCoreApplication::processEvents();
    QTRY_COMPARE(offScreen(p.windows->partSwitches.get()), QString());
    std::sort(corners.begin(), corners.end(),
              [](QPoint a, QPoint b) { return a.x() < b.x() || (a.x() == b.x() && a.y() < b.y()); });
    QVERIFY2(std::adjacent_find(corners.begin(), corners.end()) == corners.end(), "no two windows on one place");
  }

  // The patch finder (modal, from the select window's Find) and Help > Keyboard, as the user opens them.
  void theFinderAndTheKeyboardMapAreInReach() {
    Program p;
    p.windows->showAtStart();
    p.waitForKeysAtMainWindow();
    p.main().findChild<QAction*>(QStringLiteral("MKeyboard"))->trigger();
    auto* map = p.main().findChild<KeyboardMapWindow*>();
    QVERIFY(map && map->isVisible());
    buttonInReach(map, "BClose");
    if (QTest::currentTestFailed()) return;
    map->close();
    bool seen = false;
    onNextDialog<PatchFinder>([&](PatchFinder* finder) {
      seen = true;
      buttonInReach(finder, "Bdone");
      buttonInReach(finder, "bcan");
      finder->reject();
    });
    p.windows->patchSelect->showForPart(0);
    p.windows->patchSelect->findChild<QToolButton*>(QStringLiteral("SpFind"))->click();
    QVERIFY(seen);
  }

  void aStoredPlaceOffTheScreenIsBroughtBack() {
    Program p([](DeviceSettings& s) { s.windowPositions[NoteOutFormPosition] = {5000, -400, 0, 0}; });
    p.windows->monitorWindow->show();
    QTRY_COMPARE(offScreen(p.windows->monitorWindow.get()), QString());
  }
};

QTEST_MAIN(WindowPlacementTest)
#include "window_placement_test.moc"
