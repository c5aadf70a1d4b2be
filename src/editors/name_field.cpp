#include "editors/name_field.h"

#include <QAction>
#include <QLineEdit>

#include <algorithm>
#include <utility>

#include "engine/store.h"

namespace quillon {

namespace {
QChar shownByModule(QChar c) {
  const char16_t u = c.unicode();
  return u > 0xFF ? QChar(u' ') : QChar(sanitizeNameChar(static_cast<Byte>(u)));
}
}  // namespace

QValidator::State ModuleNameValidator::validate(QString& input, int& /*pos*/) const {
  fixup(input);
  return Acceptable;
}

void ModuleNameValidator::fixup(QString& input) const {
  for (QChar& c : input) c = shownByModule(c);
}

NameBytes moduleNameBytes(const QString& text) {
  NameBytes bytes;
  bytes.fill(' ');
  const int length = std::min<int>(PerformanceNameLength, static_cast<int>(text.size()));
  for (int k = 0; k < length; ++k)
    bytes[static_cast<std::size_t>(k)] = static_cast<Byte>(shownByModule(text.at(k)).unicode());
  return bytes;
}

QString nameFieldText(const PerfCommonRecord& common) {
  QString name;
  for (int k = 0; k < PerformanceNameLength; ++k) name += QChar(common[static_cast<std::size_t>(common::Name + k)]);
  return name;
}

void makeModuleNameField(QLineEdit* field) {
  field->setMaxLength(PerformanceNameLength);
  field->setValidator(new ModuleNameValidator(field));
}

PerformanceNameEdit::PerformanceNameEdit(QLineEdit* field, EditingContext& context)
    : QObject(field), field_(field), ctx_(context) {
  makeModuleNameField(field_);
  connect(field_, &QLineEdit::textEdited, this, &PerformanceNameEdit::edited);
  connect(field_, &QLineEdit::editingFinished, this, &PerformanceNameEdit::left);
}

void PerformanceNameEdit::showStored() {
  const PerfCommonRecord& stored = ctx_.store.TempPerformance.common;
  const NameBytes typed = moduleNameBytes(field_->text());
  if (!std::equal(typed.begin(), typed.end(), stored.begin() + common::Name)) field_->setText(nameFieldText(stored));
}

void PerformanceNameEdit::edited(const QString& text) {
  if (!changeNameAlways_ || !changeNameAlways_->isChecked() || text.isEmpty()) return;
  send();
}

void PerformanceNameEdit::left() {
  send();
  ctx_.edit.closeGroup(std::exchange(group_, NoGroup));
}

void PerformanceNameEdit::send() {
  const NameBytes bytes = moduleNameBytes(field_->text());
  const auto& stored = ctx_.store.TempPerformance.common;
  if (std::equal(bytes.begin(), bytes.end(), stored.begin() + common::Name)) return;
  if (group_ == NoGroup) group_ = ctx_.edit.openGroup();
  const PerformanceEdit::Scope typing(ctx_.edit, group_);
  // Sent like every edit: the sender mirrors it into the Temporary Performance and the list entry.
  ctx_.edit.setBytes(ParamBlock::Common, 0, common::Name, bytes, SendGuard::FormFilling);
}

}  // namespace quillon
