#include "app/keyboard_map_window.h"

#include <QAction>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QMenu>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <set>
#include <utility>

#include "controls/typed_entry.h"

namespace quillon {

namespace {

constexpr int MapWidth = 560;
constexpr int MapHeight = 420;

struct ControlKeys {
  const char* keys;
  const char* what;
};

// What the controls take, whatever window they are in.
const ControlKeys ControlKeyRows[] = {
    {"Tab / Shift+Tab", "Next / previous control"},
    {"Space or Enter", "Press the button in focus; on a check or toggle button, switch it"},
    {"Up / Down, Page Up / Page Down", "Value fields and faders: one step / a big step"},
    {"Home / End", "Value fields and faders: lowest / highest value"},
    {"Insert", "Value fields and faders: the centre value"},
    {"A digit, a sign or a letter", "Value fields and faders: type a value, Enter sets it, Escape leaves it"},
    {"Left / Right, Page Down / Page Up", "Key Range bars: one key / one octave"},
    {"Arrow keys, then Enter or Space", "Main window performance table: choose a performance and open it"},
    {"Escape", "Wait window: Cancel the transfer; dialogs: close without a change"},
};

QString plain(QString text) { return text.remove(QLatin1Char('&')); }

// "Window: Menu > Item" of an action found in `menu` (none for a window's own action).
QString placeOf(const QAction* action, const QMenu* menu, const QWidget* window) {
  QString place = plain(action->text());
  for (const QObject* o = menu; o && o != window; o = o->parent())
    if (auto* m = qobject_cast<const QMenu*>(o)) place = plain(m->title()) + QStringLiteral(" > ") + place;
  const QString title = window->windowTitle().trimmed();
  return (title.isEmpty() ? window->objectName() : title) + QStringLiteral(": ") + place;
}

}  // namespace

KeyboardMapWindow::KeyboardMapWindow(QWidget* parent) : QDialog(parent), table_(new QTableWidget(0, 2, this)) {
  setObjectName(QStringLiteral("TKeyboardMap"));
  setWindowTitle(QStringLiteral("Keyboard"));
  table_->setObjectName(QStringLiteral("KeyTable"));
  table_->setAccessibleName(QStringLiteral("Keys and what they do"));
  table_->setHorizontalHeaderLabels({QStringLiteral("Keys"), QStringLiteral("What they do")});
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table_->setSelectionBehavior(QAbstractItemView::SelectRows);
  table_->setTabKeyNavigation(false);  // Tab leaves the table for Close
  table_->verticalHeader()->hide();
  table_->horizontalHeader()->setStretchLastSection(true);
  table_->setWordWrap(false);  // one line a key; the tooltip of a cut row holds it whole
  auto* close = new QPushButton(QStringLiteral("Close"));
  close->setObjectName(QStringLiteral("BClose"));
  connect(close, &QPushButton::clicked, this, &QDialog::close);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(close);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(table_);
  layout->addLayout(buttons);
  resize(MapWidth, MapHeight);
}

void KeyboardMapWindow::fill(const std::vector<QWidget*>& windows) {
  std::vector<std::pair<QString, QString>> rows;
  for (QWidget* window : windows) {
    // A menu is a top-level widget of its own while it is open; it is read through its window.
    if (!window || qobject_cast<QMenu*>(window)) continue;
    std::set<const QAction*> seen;  // an item in a menu and on the window is listed once
    const auto add = [&](const QAction* action, const QMenu* menu) {
      if (!seen.insert(action).second) return;
      for (const QKeySequence& key : action->shortcuts())
        rows.emplace_back(key.toString(QKeySequence::NativeText), placeOf(action, menu, window));
    };
    // Menu items may belong to an object shared by several windows: found through the menus.
    for (const QMenu* menu : window->findChildren<QMenu*>())
      for (const QAction* action : menu->actions()) add(action, menu);
    for (const QAction* action : window->actions()) add(action, nullptr);
  }
  for (const ControlKeys& k : ControlKeyRows) rows.emplace_back(QLatin1String(k.keys), QLatin1String(k.what));
  table_->setRowCount(static_cast<int>(rows.size()));
  for (int r = 0; r < table_->rowCount(); ++r) {
    table_->setItem(r, 0, new QTableWidgetItem(rows[static_cast<std::size_t>(r)].first));
    table_->setItem(r, 1, new QTableWidgetItem(rows[static_cast<std::size_t>(r)].second));
  }
  table_->resizeColumnToContents(0);
  for (int r = 0; r < table_->rowCount(); ++r) table_->item(r, 1)->setToolTip(table_->item(r, 1)->text());
  table_->setToolTip(valueKeysHint());
}

}  // namespace quillon
