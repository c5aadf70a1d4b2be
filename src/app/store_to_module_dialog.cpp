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
      userChoice_(named(new QRadioButton(QStringLiteral("Save To USER bank")), "RB_USER")),
      cardChoice_(named(new QRadioButton(QStringLiteral("Save To CARD bank")), "RB_CARD")),
      slotBox_(named(new QSpinBox, "sp")),
      areaLabel_(named(new QLabel(QStringLiteral("USER")), "Ltype")),
      newNameField_(named(new QLineEdit, "ENewName")),
      currentNameLabel_(named(new QLabel, "StCur")),
      okButton_(named(new QPushButton(QStringLiteral("OK,  Write Into  JV-XP Memory")), "B_OK")),
      cancelButton_(named(new QPushButton(QStringLiteral("NO !  CANCEL  leave !")), "B_CANCEL")) {
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
  banks->addWidget(userChoice_);
  banks->addWidget(cardChoice_);
  banks->addStretch();
  layout->addLayout(banks);

  slotBox_->setRange(1, PerformanceListSize);
  slotBox_->setAccessibleName(QStringLiteral("Place number"));
  makeModuleNameField(newNameField_);
  newNameField_->setAccessibleName(QStringLiteral("New name"));
  // Room for 12 of the widest letters: a name is never cut while typed.
  newNameField_->setMinimumWidth(
      newNameField_->fontMetrics().horizontalAdvance(QString(PerformanceNameLength, QLatin1Char('W'))) + 12);
  currentNameLabel_->setAccessibleDescription(QStringLiteral("Current old name"));
  currentNameLabel_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  currentNameLabel_->setMinimumWidth(newNameField_->minimumWidth());
  auto* fields = new QGridLayout;
  const auto label = [fields](const char* text, QWidget* buddy, int row) {
    auto* l = new QLabel(QString::fromLatin1(text));
    l->setBuddy(buddy);
    fields->addWidget(l, row, 0);
  };
  label("Enter Place Number :", slotBox_, 0);
  auto* place = new QHBoxLayout;
  place->addWidget(slotBox_);
  place->addWidget(areaLabel_);
  place->addStretch();
  fields->addLayout(place, 0, 1);
  label("New name: ", newNameField_, 1);
  fields->addWidget(newNameField_, 1, 1);
  label("Current old name: ", currentNameLabel_, 2);
  fields->addWidget(currentNameLabel_, 2, 1);
  fields->setColumnStretch(2, 1);
  layout->addLayout(fields);

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(okButton_);
  buttons->addStretch();
  buttons->addWidget(cancelButton_);
  layout->addLayout(buttons);
  // Cancel is the default: Enter must never overwrite a memory slot.
  okButton_->setAutoDefault(false);
  cancelButton_->setDefault(true);

  connect(okButton_, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancelButton_, &QPushButton::clicked, this, &QDialog::reject);
  connect(userChoice_, &QRadioButton::toggled, this, &StoreToModuleDialog::bankChosen);
  connect(slotBox_, &QSpinBox::valueChanged, this, &StoreToModuleDialog::showCurrentName);
}

void StoreToModuleDialog::prepare() {
  {
    const QSignalBlocker blockSlot(slotBox_);
    const QSignalBlocker blockBank(userChoice_);
    slotBox_->setValue(std::clamp(store_.SelectedIndex, 0, PerformanceListSize - 1) + 1);
    (store_.FromCard ? cardChoice_ : userChoice_)->setChecked(true);
  }
  areaLabel_->setText(toCard() ? QStringLiteral("CARD") : QStringLiteral("USER"));
  newNameField_->setText(editedName(store_));
  showCurrentName();
}

bool StoreToModuleDialog::ask() {
  prepare();
  adjustSize();
  placement::centreOnScreen(this, parentWidget());
  return exec() == QDialog::Accepted;
}

void StoreToModuleDialog::bankChosen() {
  areaLabel_->setText(toCard() ? QStringLiteral("CARD") : QStringLiteral("USER"));
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
    currentNameLabel_->setText(QString::fromStdString(name));
  } while (readAgain_);
  reading_ = false;
}

int StoreToModuleDialog::slot() const { return slotBox_->value(); }
bool StoreToModuleDialog::toCard() const { return cardChoice_->isChecked(); }

std::string StoreToModuleDialog::newName() const {
  std::string name = newNameField_->text().toLatin1().toStdString();
  name.resize(PerformanceNameLength, ' ');
  return name;
}

}  // namespace quillon
