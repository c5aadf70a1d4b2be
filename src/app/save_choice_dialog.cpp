#include "app/save_choice_dialog.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QVBoxLayout>

#include "app/window_placement.h"
#include "engine/bank_transfer.h"
#include "engine/store.h"

namespace quillon {

namespace {
struct ChoiceRow {
  const char* name;
  const char* caption;
};
// In the order of SaveChoiceDialog::Choice.
constexpr ChoiceRow Rows[] = {
    {"RBSaveSelJV", "Save selected to JV - XP memory"},     {"RBSaveAllToJV", "Save All to JV - XP   int. memory"},
    {"RBsaveAllcard", "Save All to JV - XP card memory"},   {"RBSaveSelFile", "Save selected to new single File"},
    {"RBSaveNew32File", "Save to new 32 Perfomance  File"},
};
}  // namespace

SaveChoiceDialog::SaveChoiceDialog(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      text_(new QLabel) {
  setObjectName(QStringLiteral("SaveChoiceDialog"));
  setWindowTitle(QStringLiteral(" Save To"));
  text_->setObjectName(QStringLiteral("LAttention"));
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(text_);
  for (std::size_t i = 0; i < std::size(Rows); ++i) {
    buttons_[i] = new QRadioButton(QString::fromLatin1(Rows[i].caption));
    buttons_[i]->setObjectName(QString::fromLatin1(Rows[i].name));
    layout->addWidget(buttons_[i]);
  }
  auto* ok = new QPushButton(QStringLiteral("Ok,  Save"));
  ok->setObjectName(QStringLiteral("BokSave"));
  ok->setDefault(true);
  auto* cancel = new QPushButton(QStringLiteral("Cancel"));
  cancel->setObjectName(QStringLiteral("Bcancel"));
  cancel->setToolTip(QStringLiteral("Go Back To Editor"));
  auto* discard = new QPushButton(QStringLiteral("Discard"));
  discard->setObjectName(QStringLiteral("Bdiscard"));
  discard->setToolTip(QStringLiteral("Don't Save"));
  auto* row = new QHBoxLayout;
  row->addWidget(ok);
  row->addWidget(cancel);
  row->addWidget(discard);
  layout->addLayout(row);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  connect(discard, &QPushButton::clicked, this, [this] { done(Discarded); });
  setChoice(Choice::SaveListFile);
}

QRadioButton* SaveChoiceDialog::button(Choice c) const { return buttons_[static_cast<int>(c)]; }

void SaveChoiceDialog::setChoice(Choice c) { button(c)->setChecked(true); }

SaveChoiceDialog::Choice SaveChoiceDialog::choice() const {
  for (int i = 0; i < static_cast<int>(std::size(Rows)); ++i)
    if (buttons_[i]->isChecked()) return static_cast<Choice>(i);
  return Choice::SaveListFile;
}

void SaveChoiceDialog::preselect(const PerformanceStore& store) {
  // Writing into the module is never the default, and the card is not written at all.
  const std::string why = whyBankUnsendable(store);
  button(Choice::SaveAllToModule)->setEnabled(why.empty());
  button(Choice::SaveAllToModule)->setToolTip(QString::fromStdString(why));
  button(Choice::SaveAllToCard)->setEnabled(false);
  setChoice(store.FromTemp ? Choice::SaveSelectedFile : Choice::SaveListFile);
}

int SaveChoiceDialog::ask(const PerformanceStore& store, const QString& warning) {
  QString text = QStringLiteral("Attention, Performance has changed.");
  if (!warning.isEmpty()) text += QLatin1Char('\n') + warning;
  text_->setText(text);
  preselect(store);
  adjustSize();
  placement::centreOnScreen(this, parentWidget());
  QApplication::beep();
  return exec();
}

bool confirmReplacingReadOnly(QWidget* parent, const QString& path) {
  QMessageBox box(QMessageBox::Question, QStringLiteral("Quillon"),
                  QStringLiteral("\"%1\" is read-only.\nReplace it all the same? It stays read-only.").arg(path),
                  QMessageBox::NoButton, parent);
  box.setObjectName(QStringLiteral("ReadOnlyQuestion"));
  QPushButton* replace = box.addButton(QStringLiteral("Replace"), QMessageBox::AcceptRole);
  box.setDefaultButton(box.addButton(QMessageBox::Cancel));
  box.exec();
  return box.clickedButton() == replace;
}

std::optional<SaveConsent> askSaveConsent(QWidget* parent, const std::string& path) {
  SaveConsent consent;
  if (!isReadOnlyFile(path)) return consent;
  consent.replaceReadOnly = confirmReplacingReadOnly(parent, QString::fromStdString(path));
  if (!consent.replaceReadOnly) return std::nullopt;
  return consent;
}

}  // namespace quillon
