#include "app/store_to_module_dialog.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QVBoxLayout>

#include "app/window_placement.h"
#include "editors/name_field.h"
#include "editors/window_support.h"
#include "engine/store.h"

namespace quillon {

namespace {
const char* const Warning =
    "This action will overwrite the existing performance in your JV or XP. Click  [CANCEL]  when you are not sure!";

// The chosen performance's name as it is shown: bytes below 32 as blanks, no trailing blanks.
QString editedName(const PerformanceStore& store) {
  QString name;
  for (int i = 0; i < PerformanceNameLength; ++i) {
    const Byte b = store.TempPerformance.common[common::Name + i];
    name += b < 32 ? QLatin1Char(' ') : QLatin1Char(static_cast<char>(b));
  }
  while (name.endsWith(QLatin1Char(' '))) name.chop(1);
  return name;
}
}  // namespace

StoreToModuleDialog::StoreToModuleDialog(PerformanceStore& store, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      store_(store),
      rbUser_(named(new QRadioButton(QStringLiteral("Save To USER bank")), "RB_USER")),
      rbCard_(named(new QRadioButton(QStringLiteral("Save To CARD bank")), "RB_CARD")),
      sp_(named(new QSpinBox, "sp")),
      lType_(named(new QLabel(QStringLiteral("USER")), "Ltype")),
      eNewName_(named(new QLineEdit, "ENewName")),
      stCur_(named(new QLabel, "StCur")),
      bOk_(named(new QPushButton(QStringLiteral("OK,  Write Into  JV-XP Memory")), "B_OK")),
      bCancel_(named(new QPushButton(QStringLiteral("NO !  CANCEL  leave !")), "B_CANCEL")) {
  setObjectName(QStringLiteral("TSaveUser"));
  setWindowTitle(QStringLiteral(" Save Performance To JV - XP internal memory."));
  setModal(true);
  buildControls();
}

void StoreToModuleDialog::buildControls() {
  auto* layout = new QVBoxLayout(this);
  layout->setSizeConstraint(QLayout::SetFixedSize);
  auto* warning = named(new QLabel(QString::fromLatin1(Warning)), "LWarning");
  warning->setWordWrap(true);
  QFont bold = warning->font();
  bold.setBold(true);
  warning->setFont(bold);
  layout->addWidget(warning);

  auto* banks = new QHBoxLayout;
  banks->addWidget(rbUser_);
  banks->addWidget(rbCard_);
  banks->addStretch();
  layout->addLayout(banks);

  sp_->setRange(1, PerformanceListSize);
  sp_->setAccessibleName(QStringLiteral("Place number"));
  makeModuleNameField(eNewName_);
  eNewName_->setAccessibleName(QStringLiteral("New name"));
  // Room for 12 of the widest letters: a name is never cut while typed.
  eNewName_->setMinimumWidth(
      eNewName_->fontMetrics().horizontalAdvance(QString(PerformanceNameLength, QLatin1Char('W'))) + 12);
  stCur_->setAccessibleDescription(QStringLiteral("Current old name"));
  stCur_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  stCur_->setMinimumWidth(eNewName_->minimumWidth());
  auto* fields = new QGridLayout;
  const auto label = [fields](const char* text, QWidget* buddy, int row) {
    auto* l = new QLabel(QString::fromLatin1(text));
    l->setBuddy(buddy);
    fields->addWidget(l, row, 0);
  };
  label("Enter Place Number :", sp_, 0);
  auto* place = new QHBoxLayout;
  place->addWidget(sp_);
  place->addWidget(lType_);
  place->addStretch();
  fields->addLayout(place, 0, 1);
  label("New name: ", eNewName_, 1);
  fields->addWidget(eNewName_, 1, 1);
  label("Current old name: ", stCur_, 2);
  fields->addWidget(stCur_, 2, 1);
  fields->setColumnStretch(2, 1);
  layout->addLayout(fields);

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(bOk_);
  buttons->addStretch();
  buttons->addWidget(bCancel_);
  layout->addLayout(buttons);
  // Cancel is the default: Enter must never overwrite a memory slot.
  bOk_->setAutoDefault(false);
  bCancel_->setDefault(true);

  connect(bOk_, &QPushButton::clicked, this, &QDialog::accept);
  connect(bCancel_, &QPushButton::clicked, this, &QDialog::reject);
  connect(rbUser_, &QRadioButton::toggled, this, &StoreToModuleDialog::bankChosen);
  connect(sp_, &QSpinBox::valueChanged, this, &StoreToModuleDialog::showCurrentName);
}

void StoreToModuleDialog::prepare() {
  {
    const QSignalBlocker blockSlot(sp_);
    const QSignalBlocker blockBank(rbUser_);
    sp_->setValue(std::clamp(store_.SelectedIndex, 0, PerformanceListSize - 1) + 1);
    (store_.FromCard ? rbCard_ : rbUser_)->setChecked(true);
  }
  lType_->setText(toCard() ? QStringLiteral("CARD") : QStringLiteral("USER"));
  eNewName_->setText(editedName(store_));
  showCurrentName();
}

bool StoreToModuleDialog::ask() {
  prepare();
  adjustSize();
  placement::centreOnScreen(this, parentWidget());
  return exec() == QDialog::Accepted;
}

void StoreToModuleDialog::bankChosen() {
  lType_->setText(toCard() ? QStringLiteral("CARD") : QStringLiteral("USER"));
  showCurrentName();
}

void StoreToModuleDialog::showCurrentName() {
  if (reading_) {
    readAgain_ = true;
    return;
  }
  if (!readSlotName) return;
  reading_ = true;
  do {
    readAgain_ = false;
    // The read waits in the event loop, where the user may choose again.
    const std::string name = readSlotName(toCard(), slot());
    stCur_->setText(QString::fromStdString(name));
  } while (readAgain_);
  reading_ = false;
}

int StoreToModuleDialog::slot() const { return sp_->value(); }
bool StoreToModuleDialog::toCard() const { return rbCard_->isChecked(); }

std::string StoreToModuleDialog::newName() const {
  std::string name = eNewName_->text().toLatin1().toStdString();
  name.resize(PerformanceNameLength, ' ');
  return name;
}

}  // namespace quillon
