#include "app/bank_builder_dialog.h"

#include <QAction>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "editors/window_support.h"

namespace quillon {

namespace {
constexpr int IdRole = Qt::UserRole;
constexpr int NameRole = Qt::UserRole + 1;
constexpr int BankSize = address::MemoryPerformanceCount;
constexpr int MinWidthChars = 40;
constexpr int ShownLines = 16;

template <typename W>
W* spoken(W* widget, const char* name, const QString& accessible) {
  named(widget, name)->setAccessibleName(accessible);
  return widget;
}
}  // namespace

BankBuilderDialog::BankBuilderDialog(QWidget* parent)
    : QDialog(parent),
      list_(spoken(new QListWidget, "LbBank", QStringLiteral("Performances of the bank, in order"))),
      user_(spoken(new QRadioButton(QStringLiteral("&User bank")), "RbUserBank", QStringLiteral("User bank"))),
      card_(spoken(new QRadioButton(QStringLiteral("&Card bank")), "RbCardBank", QStringLiteral("Card bank"))),
      save_(spoken(new QPushButton(QStringLiteral("&Save File...")), "BSaveBank", QStringLiteral("Save bank file"))),
      send_(spoken(new QPushButton(QStringLiteral("Se&nd to Module...")), "BSendBank",
                   QStringLiteral("Send bank to the module"))) {
  setObjectName(QStringLiteral("TBankBuilderForm"));
  setWindowTitle(QStringLiteral("Build a Bank"));
  list_->setDragDropMode(QAbstractItemView::InternalMove);
  list_->setDefaultDropAction(Qt::MoveAction);
  list_->setSelectionMode(QAbstractItemView::SingleSelection);
  const QFontMetrics fm(font());
  list_->setMinimumSize(fm.averageCharWidth() * MinWidthChars / 2, fm.height() * ShownLines / 2);
  user_->setChecked(true);
  auto* add = spoken(new QPushButton(QStringLiteral("&Add Chosen")), "BAddToBank",
                     QStringLiteral("Add the performances chosen in the library"));
  auto* up = spoken(new QPushButton(QStringLiteral("Move &Up")), "BBankUp", QStringLiteral("Move up"));
  auto* down = spoken(new QPushButton(QStringLiteral("Move &Down")), "BBankDown", QStringLiteral("Move down"));
  auto* remove = spoken(new QPushButton(QStringLiteral("&Remove")), "BBankRemove", QStringLiteral("Remove"));
  auto* close = spoken(new QPushButton(QStringLiteral("Close")), "BBankClose", QStringLiteral("Close"));
  up->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Up));
  down->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Down));
  remove->setShortcut(QKeySequence::Delete);
  auto* caption = new QLabel(QStringLiteral("&Order (drag, or Ctrl+Up / Ctrl+Down):"));
  caption->setBuddy(list_);
  auto* side = new QVBoxLayout;
  for (QWidget* w : std::initializer_list<QWidget*>{add, up, down, remove, user_, card_}) side->addWidget(w);
  side->addStretch(1);
  auto* bottom = new QHBoxLayout;
  bottom->addWidget(save_);
  bottom->addWidget(send_);
  bottom->addStretch(1);
  bottom->addWidget(close);
  auto* grid = new QGridLayout(this);
  grid->addWidget(caption, 0, 0, 1, 2);
  grid->addWidget(list_, 1, 0);
  grid->addLayout(side, 1, 1);
  grid->addLayout(bottom, 2, 0, 1, 2);
  connect(add, &QPushButton::clicked, this, &BankBuilderDialog::addRequested);
  connect(up, &QPushButton::clicked, this, [this] { moveCurrent(-1); });
  connect(down, &QPushButton::clicked, this, [this] { moveCurrent(1); });
  connect(remove, &QPushButton::clicked, this, &BankBuilderDialog::removeCurrent);
  connect(save_, &QPushButton::clicked, this, &BankBuilderDialog::saveRequested);
  connect(send_, &QPushButton::clicked, this, &BankBuilderDialog::sendRequested);
  connect(close, &QPushButton::clicked, this, &QDialog::hide);
  connect(list_->model(), &QAbstractItemModel::rowsInserted, this, &BankBuilderDialog::updateCount);
  connect(list_->model(), &QAbstractItemModel::rowsRemoved, this, &BankBuilderDialog::updateCount);
  connect(list_->model(), &QAbstractItemModel::rowsMoved, this, &BankBuilderDialog::updateCount);
  updateCount();
}

bool BankBuilderDialog::add(std::int64_t id, const QString& name) {
  if (list_->count() >= BankSize) return false;
  auto* item = new QListWidgetItem(name, list_);
  item->setData(IdRole, QVariant::fromValue<qlonglong>(id));
  item->setData(NameRole, name);
  updateCount();
  list_->setCurrentItem(item);
  return true;
}

std::vector<std::int64_t> BankBuilderDialog::ids() const {
  std::vector<std::int64_t> out;
  for (int i = 0; i < list_->count(); ++i) out.push_back(list_->item(i)->data(IdRole).toLongLong());
  return out;
}

BankArea BankBuilderDialog::area() const { return card_->isChecked() ? BankArea::Card : BankArea::User; }

void BankBuilderDialog::moveCurrent(int step) {
  const int from = list_->currentRow();
  const int to = from + step;
  if (from < 0 || to < 0 || to >= list_->count()) return;
  QListWidgetItem* item = list_->takeItem(from);
  list_->insertItem(to, item);
  list_->setCurrentRow(to);
}

void BankBuilderDialog::removeCurrent() { delete list_->takeItem(list_->currentRow()); }

void BankBuilderDialog::updateCount() {
  // Slot numbers follow the order: what is saved or sent as User 1 is the first line.
  for (int i = 0; i < list_->count(); ++i) {
    QListWidgetItem* item = list_->item(i);
    item->setText(QStringLiteral("%1 %2").arg(i + 1, 2).arg(item->data(NameRole).toString()));
  }
  save_->setEnabled(list_->count() > 0);
  send_->setEnabled(list_->count() > 0);
  setWindowTitle(QStringLiteral("Build a Bank (%1 of %2)").arg(list_->count()).arg(BankSize));
}

}  // namespace quillon
