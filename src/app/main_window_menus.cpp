#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>

#include <vector>

#include "app/app_context.h"
#include "app/keyboard_map_window.h"
#include "app/main_window.h"
#include "app/main_window_parts.h"
#include "app/message_log_window.h"
#include "app/splash_screen.h"

// The main window's menus and the windows only they open.
namespace quillon {

void MainWindow::buildMenus() {
  const auto item = [this](QMenu* menu, const QString& text, auto slot, QKeySequence key = {}) {
    QAction* a = menu->addAction(text);
    if (!key.isEmpty()) a->setShortcut(key);
    connect(a, &QAction::triggered, this, slot);
    return a;
  };
  const auto inert = [](QMenu* menu, const QString& text) { return menu->addAction(text); };

  QMenu* file = menuBar()->addMenu(QStringLiteral("File"));
  item(file, QStringLiteral("Open Syx"), &MainWindow::openFile, QKeySequence(QKeySequence::Open));
  recentMenu_ = file->addMenu(QStringLiteral("Open Recent"));
  recentMenu_->setObjectName(QStringLiteral("MOpenRecent"));
  rebuildRecentMenu();
  item(file, QStringLiteral("Import Folder..."), &MainWindow::importFolder)
      ->setObjectName(QStringLiteral("MImportFolder"));
  item(file, QStringLiteral("Library..."), &MainWindow::libraryRequested, QKeySequence(Qt::CTRL | Qt::Key_L))
      ->setObjectName(QStringLiteral("MLibrary"));
  item(file, QStringLiteral("Receive Dump..."), &MainWindow::receiveDumpRequested)
      ->setObjectName(QStringLiteral("MReceiveDump"));
  item(file, QStringLiteral("Save Syx"), &MainWindow::saveFile, QKeySequence(QKeySequence::Save));
  // The sheet of the chosen performance, or of the whole list, one performance a page.
  const auto chosen = [this](void (MainWindow::*signal)(int)) {
    return [this, signal] {
      if (!ctx_.store.NoPerformance) (this->*signal)(ctx_.store.SelectedIndex);
    };
  };
  item(file, QStringLiteral("Print Sheet..."), chosen(&MainWindow::printRequested),
       QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_P))
      ->setObjectName(QStringLiteral("MPrint"));
  item(file, QStringLiteral("Print List..."), &MainWindow::printListRequested)
      ->setObjectName(QStringLiteral("MPrintList"));
  item(file, QStringLiteral("Export Sheet..."), chosen(&MainWindow::exportRequested))
      ->setObjectName(QStringLiteral("MExport"));
  item(file, QStringLiteral("Export List..."), &MainWindow::exportListRequested)
      ->setObjectName(QStringLiteral("MExportList"));
  item(file, QStringLiteral("Save To JV XP"), &MainWindow::storeToModule);
  item(file, QStringLiteral("Temp / User / Card"), &MainWindow::chooseKind);
  item(file, QStringLiteral("Exit"), &QWidget::close, QKeySequence(Qt::Key_F12));

  ctx_.history.addEditMenu(menuBar(), this);

  QMenu* retrieve = menuBar()->addMenu(QStringLiteral("Retrieve"));
  item(retrieve, QStringLiteral("Get Temp"), &MainWindow::getTempRequested);
  item(retrieve, QStringLiteral("Get User All"), [this] { getBank(BankArea::User); });
  item(retrieve, QStringLiteral("Get Card All"), [this] { getBank(BankArea::Card); });

  QMenu* send = menuBar()->addMenu(QStringLiteral("Send"));
  item(send, QStringLiteral("Send Temp"), &MainWindow::sendTempRequested);
  sendBankActions_ = {item(send, QStringLiteral("Send User All"), [this] { sendBank(BankArea::User); }),
                      item(send, QStringLiteral("Send Card All"), [this] { sendBank(BankArea::Card); })};
  send->setToolTipsVisible(true);
  updateBankSendCommands();
  item(send, QStringLiteral("Save To JV"), &MainWindow::storeToModule);

  QMenu* options = menuBar()->addMenu(QStringLiteral("Options"));
  item(options, QStringLiteral("Settings Midi Exp Dly"), &MainWindow::settingsRequested);
  item(options, QStringLiteral("Get Usernames"), [this] { getPatchNames(BankArea::User); });
  item(options, QStringLiteral("Get Cardnames"), [this] { getPatchNames(BankArea::Card); });
  QAction* monitor = item(options, QStringLiteral("Note CTRL View"), [this] {
    if (windows.monitor) windows.monitor->show(), windows.monitor->raise();
  });
  monitor->setShortcut(Qt::Key_F10);
  QAction* log = item(options, QStringLiteral("Syx Message View"), [this] {
    if (windows.log) windows.log->show(), windows.log->raise();
  });
  log->setShortcut(Qt::Key_F2);
  playNote_ = item(options, QStringLiteral("Play Note On/Off"), [this] {
    ctx_.settings.engine.noteOn = !ctx_.settings.engine.noteOn;
    playNote_->setChecked(ctx_.settings.engine.noteOn);
  });
  playNote_->setObjectName(QStringLiteral("PlayNoteOnOff"));
  playNote_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
  playNote_->setCheckable(true);
  midiThru_ = inert(options, QStringLiteral("Midi True  On/Off"));
  midiThru_->setObjectName(QStringLiteral("MMidiTrue"));
  midiThru_->setCheckable(true);
  midiThru_->setChecked(monitor_default::MidiThru);
  changeNameAlways_ = inert(options, QStringLiteral("Change Name Always"));
  changeNameAlways_->setCheckable(true);

  QMenu* help = menuBar()->addMenu(QStringLiteral("Help"));
  item(help, QStringLiteral("Keyboard"), &MainWindow::showKeyboardMap, QKeySequence(QKeySequence::HelpContents))
      ->setObjectName(QStringLiteral("MKeyboard"));
  item(help, QStringLiteral("About"), &MainWindow::showAbout);
}

void MainWindow::showAbout() {
  if (windows.splash) windows.splash->showAbout(this);
}

void MainWindow::showKeyboardMap() {
  if (!keyboardMap_) keyboardMap_ = new KeyboardMapWindow(this);
  std::vector<QWidget*> open;
  for (QWidget* w : QApplication::topLevelWidgets())
    if (w != keyboardMap_) open.push_back(w);
  keyboardMap_->fill(open);
  keyboardMap_->show();
  keyboardMap_->raise();
  keyboardMap_->activateWindow();
}

}  // namespace quillon
