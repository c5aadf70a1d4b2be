#pragma once
// The performance name as the module takes it: 12 characters of 20h..7Dh.
// The name field accepts only those, so the store never holds a byte the
// module cannot show (or a MIDI status byte, which no message could carry).

#include <QString>
#include <QValidator>

#include "engine/performance.h"

class QLineEdit;

namespace quillon {

// Replaces every character the module cannot show by a blank as it is typed or pasted.
class ModuleNameValidator : public QValidator {
 public:
  using QValidator::QValidator;
  State validate(QString& input, int& pos) const override;
  void fixup(QString& input) const override;
};

// The 12 name bytes for the module: the text's characters, each outside what
// the module shows a blank, padded with blanks.
NameBytes moduleNameBytes(const QString& text);
// The name bytes of a common record as text for the field.
QString nameFieldText(const PerfCommonRecord& common);
// A name field: at most 12 characters, each one the module can show.
void makeModuleNameField(QLineEdit* field);

}  // namespace quillon
