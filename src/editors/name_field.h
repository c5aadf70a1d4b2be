#pragma once
// The performance name as the module takes it: 12 characters of 20h..7Dh.
// The name field accepts only those, so the store never holds a byte the
// module cannot show (or a MIDI status byte, which no message could carry).

#include <QObject>
#include <QPointer>
#include <QString>
#include <QValidator>

#include "editors/binding/editing_context.h"
#include "engine/editing/performance_edit.h"
#include "engine/performance.h"

class QAction;
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

// The performance editor's name field on the edit path: leaving it (or
// Return) sends the name like any other edit, and with the main window's
// "Change Name Always" checked every keystroke does; typing and leaving are
// one undo step. The field follows a name changed elsewhere (an undo, the
// module) unless it already shows it.
class PerformanceNameEdit : public QObject {
 public:
  PerformanceNameEdit(QLineEdit* field, EditingContext& context);

  void setChangeNameAlwaysItem(QAction* item) { changeNameAlways_ = item; }
  // The stored name in the field, unless the field already shows it (trailing blanks aside).
  void showStored();

 private:
  void edited(const QString& text);
  void left();
  // The name as the field shows it, when it differs from the stored one.
  void send();

  QLineEdit* field_;
  EditingContext& ctx_;
  QPointer<QAction> changeNameAlways_;
  EditGroup group_ = NoGroup;  // the undo step the name being typed goes into
};

}  // namespace quillon
