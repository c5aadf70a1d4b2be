#include "editors/name_field.h"

#include <QLineEdit>

#include <algorithm>

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

}  // namespace quillon
