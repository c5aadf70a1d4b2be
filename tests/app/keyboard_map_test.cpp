// Keys and texts as the program wires them: Help > Keyboard lists the shortcut
// of every menu item of every window, a long status text leaves the main window
// its width, and ScaleTune, which has no window, is greyed and says so.

#include <QAction>
#include <QMenu>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

#include "program_fixture.h"

using namespace quillon;
using testing::Program;

class KeyboardMapTest : public QObject {
  Q_OBJECT
 private slots:
  void theMapListsEveryShortcut() {
    Program p;
    p.windows->showAtStart();
    auto* map = p.main().findChild<QAction*>(QStringLiteral("MKeyboard"));
    QVERIFY(map);
    map->trigger();
    auto* table = p.main().findChild<QTableWidget*>(QStringLiteral("KeyTable"));
    QVERIFY(table && table->window()->isVisible());
    QStringList listed;
    for (int r = 0; r < table->rowCount(); ++r) listed << table->item(r, 0)->text();
    int shortcuts = 0;
    for (QWidget* w : p.windows->allWindows())
      for (const QMenu* menu : w->findChildren<QMenu*>())
        for (const QAction* a : menu->actions())
          for (const QKeySequence& key : a->shortcuts()) {
            ++shortcuts;
            QVERIFY2(listed.contains(key.toString(QKeySequence::NativeText)), qPrintable(a->text()));
          }
    QVERIFY(shortcuts >= 8);  // File, Options and Help of the main window, Undo and Redo of the editors
  }

  void aLongStatusKeepsTheWidthAndScaleTuneSaysItIsNotThere() {
    Program p;
    p.windows->showAtStart();
    QTRY_VERIFY(p.main().isVisible());
    const int width = p.main().width();
    const QString longText = QStringLiteral("Only 3 of 17 blocks arrived from the module; ").repeated(6);
    p.main().setStatus(longText);
    p.main().setStatusPanel(0, longText);
    QCoreApplication::processEvents();  // the layout passes a longer text would grow the window in
    QCOMPARE(p.main().width(), width);
    QCOMPARE(p.main().statusText(), longText);
    auto* tune = p.main().findChild<QPushButton*>(QStringLiteral("Btune"));
    QVERIFY(!tune->isEnabled() && tune->toolTip().contains(QStringLiteral("not available")));
  }
};

QTEST_MAIN(KeyboardMapTest)
#include "keyboard_map_test.moc"
