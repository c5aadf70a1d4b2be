#include "app/performance_kind_dialog.h"

#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "app/window_placement.h"
#include "editors/window_support.h"
#include "engine/store.h"

namespace quillon {

PerformanceKindDialog::PerformanceKindDialog(PerformanceStore& store, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      store_(store),
      tempChoice_(named(new QRadioButton(QStringLiteral("Single Temp Performance")), "RBTemp")),
      userChoice_(named(new QRadioButton(QStringLiteral("User Performance")), "RBUser")),
      cardChoice_(named(new QRadioButton(QStringLiteral("Card Performance")), "RBCard")) {
  setObjectName(QStringLiteral("TUserOrCardForm"));
  setWindowTitle(QStringLiteral(" Temp, User Or Card "));
  setModal(true);
  auto* layout = new QVBoxLayout(this);
  layout->setSizeConstraint(QLayout::SetFixedSize);
  layout->addWidget(named(new QLabel(QStringLiteral("Make this performance a(n) :")), "LMake"));
  for (QRadioButton* b : {tempChoice_, userChoice_, cardChoice_}) layout->addWidget(b);
  tempChoice_->setChecked(true);
  auto* ok = named(new QPushButton(QStringLiteral("OK")), "BOK");
  ok->setDefault(true);
  layout->addWidget(ok, 0, Qt::AlignRight);
  connect(ok, &QPushButton::clicked, this, &PerformanceKindDialog::choose);
}

void PerformanceKindDialog::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  // The kind the list has now, so OK alone changes nothing.
  (store_.FromCard ? cardChoice_ : store_.FromUser ? userChoice_ : tempChoice_)->setChecked(true);
}

bool PerformanceKindDialog::ask() {
  adjustSize();
  placement::centreOnScreen(this, parentWidget());
  return exec() == QDialog::Accepted;
}

PerformanceKindDialog::Kind PerformanceKindDialog::chosen() const {
  return cardChoice_->isChecked() ? Kind::Card : userChoice_->isChecked() ? Kind::User : Kind::Temp;
}

void PerformanceKindDialog::choose() {
  const Kind kind = chosen();
  store_.FromTemp = kind == Kind::Temp;
  store_.FromUser = kind == Kind::User;
  store_.FromCard = kind == Kind::Card;
  accept();
}

}  // namespace quillon
