#include "controls/typed_entry.h"

#include <QHelpEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPointer>
#include <QRegularExpression>
#include <QToolTip>

#include <algorithm>

namespace quillon {

namespace {

constexpr int FieldChars = 10;  // the longest value texts ("Rotary", "Pan-Dly", "12.5kHz") fit

QString folded(const QString& text) {
  QString s = text.simplified().toLower();
  s.remove(QLatin1Char(' '));
  return s;
}

// A signed whole number, then nothing or a unit ("-12", "+5", "-15db", "98%", "4000hz");
// not a ratio, fraction or decimal ("1.5:1", "1/8", "0.5").
const QRegularExpression& numberWithUnit() {
  static const QRegularExpression re(QStringLiteral("^([+-]?\\d{1,9})(?:[%\\p{L}\\p{S}].*)?$"));
  return re;
}

std::optional<int> leadingNumber(const QString& foldedText) {
  const QRegularExpressionMatch m = numberWithUnit().match(foldedText);
  if (!m.hasMatch()) return std::nullopt;
  return m.captured(1).toInt();
}

bool isBareNumber(const QString& foldedText) {
  static const QRegularExpression re(QStringLiteral("^[+-]?\\d{1,9}$"));
  return re.match(foldedText).hasMatch();
}

// The typing field: lives over the control in the control's window and goes
// when it is done, whichever way.
class TypedEntryField : public QLineEdit {
 public:
  TypedEntryField(QWidget* control, int minimum, int maximum, ValueTextOf textOf, std::function<void(int)> apply)
      : QLineEdit(control->window()),
        control_(control),
        minimum_(minimum),
        maximum_(maximum),
        textOf_(std::move(textOf)),
        apply_(std::move(apply)) {
    setObjectName(QStringLiteral("TypedValue"));
    setAccessibleName(QStringLiteral("Type a value for %1").arg(control->accessibleName()));
    setAttribute(Qt::WA_DeleteOnClose);
    connect(this, &QLineEdit::returnPressed, this, &TypedEntryField::commit);
  }

 protected:
  void keyPressEvent(QKeyEvent* event) override {
    if (event->key() == Qt::Key_Escape) {
      event->accept();
      finish();
      return;
    }
    QLineEdit::keyPressEvent(event);
  }
  void focusOutEvent(QFocusEvent* event) override {
    QLineEdit::focusOutEvent(event);
    if (!finished_) close();  // leaving the field keeps the old value
  }

 private:
  void commit() {
    const std::optional<int> value = parseTypedValue(text(), minimum_, maximum_, textOf_);
    if (!value) {
      const QString why = QStringLiteral("\"%1\" is not a value here: type a number from %2 to %3%4, or Escape")
                              .arg(text(), shown(minimum_), shown(maximum_),
                                   textOf_ ? QStringLiteral(" or a value as shown") : QString());
      setAccessibleDescription(why);
      QToolTip::showText(mapToGlobal(QPoint(0, height())), why, this);
      return;
    }
    // Applied before the field closes: sending may run the event loop, which
    // would delete a closed field while its key and this call are still on it.
    if (control_) apply_(*value);
    finish();
  }
  // A bound of the range for the message: as shown where the control shows
  // another number for it ("-15 dB" for 0), else the number.
  QString shown(int value) const {
    const QString text = textOf_ ? textOf_(value).trimmed() : QString();
    return leadingNumber(folded(text)).value_or(value) != value ? text : QString::number(value);
  }
  void finish() {
    finished_ = true;
    if (control_) control_->setFocus(Qt::OtherFocusReason);
    close();
  }

  QPointer<QWidget> control_;
  int minimum_;
  int maximum_;
  ValueTextOf textOf_;
  std::function<void(int)> apply_;
  bool finished_ = false;
};

}  // namespace

std::optional<int> parseTypedValue(const QString& typed, int minimum, int maximum, const ValueTextOf& textOf) {
  const QString want = folded(typed);
  if (want.isEmpty()) return std::nullopt;
  // What the control shows comes first: a text may itself be a number of another value.
  if (textOf)
    for (int v = minimum; v <= maximum; ++v)
      if (folded(textOf(v)) == want) return v;
  const std::optional<int> number = leadingNumber(want);
  if (!number) return std::nullopt;
  // A number as shown, its sign or unit left out or added ("+5" for "5", "-6" for "-6 dB").
  if (textOf)
    for (int v = minimum; v <= maximum; ++v)
      if (leadingNumber(folded(textOf(v))) == number) return v;
  // The value itself, unless the control shows another number for it (a list of "-15 dB".."15 dB").
  if (!isBareNumber(want) || *number < minimum || *number > maximum) return std::nullopt;
  if (textOf && leadingNumber(folded(textOf(*number))).value_or(*number) != *number) return std::nullopt;
  return number;
}

bool startsTypedEntry(const QKeyEvent& event) {
  if (event.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier | Qt::KeypadModifier)) {
    // Keypad digits type too; its plus and minus step.
    if (!(event.modifiers() & Qt::KeypadModifier) || !(event.key() >= Qt::Key_0 && event.key() <= Qt::Key_9))
      return false;
  }
  const QString text = event.text();
  if (text.size() != 1) return false;
  const QChar c = text.front();
  return c.isLetterOrNumber() || c == QLatin1Char('-') || c == QLatin1Char('+');
}

void openTypedEntry(QWidget* control, const QString& first, int minimum, int maximum, ValueTextOf textOf,
                    std::function<void(int)> apply) {
  auto* field = new TypedEntryField(control, minimum, maximum, std::move(textOf), std::move(apply));
  const int width = std::max(control->width(), field->fontMetrics().averageCharWidth() * FieldChars);
  QWidget* window = control->window();
  QPoint at = control->mapTo(window, QPoint(0, 0));
  at.setX(std::clamp(at.x(), 0, std::max(0, window->width() - width)));  // whole inside the window
  field->setGeometry(QRect(at, QSize(width, field->sizeHint().height())));
  field->setText(first);
  field->show();
  field->raise();
  field->setFocus(Qt::OtherFocusReason);
}

QString valueKeysHint() {
  return QStringLiteral(
      "Type a value and press Enter. Up/Down: step, Page Up/Down: big step, Home: lowest, End: highest, Insert: "
      "centre");
}

void showValueToolTip(QWidget* control, const QHelpEvent& event) {
  const QString own = control->toolTip();
  QToolTip::showText(event.globalPos(), own.isEmpty() ? valueKeysHint() : own + QLatin1Char('\n') + valueKeysHint(),
                     control);
}

}  // namespace quillon
