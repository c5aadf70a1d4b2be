#include "controls/accessible_controls.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QAccessibleValueInterface>
#include <QAccessibleWidget>
#include <QCheckBox>
#include <QCoreApplication>
#include <QPointer>
#include <QRadioButton>
#include <algorithm>

#include "controls/fader_base.h"
#include "controls/roll_spin_box.h"

namespace quillon {

namespace {

// What the two control kinds share for the value interface.
template <typename Control>
class ValueControlAccessible : public QAccessibleWidget, public QAccessibleValueInterface {
 public:
  ValueControlAccessible(Control* control, QAccessible::Role role) : QAccessibleWidget(control, role) {}

  void* interface_cast(QAccessible::InterfaceType type) override {
    if (type == QAccessible::ValueInterface) return static_cast<QAccessibleValueInterface*>(this);
    return QAccessibleWidget::interface_cast(type);
  }

  QVariant currentValue() const override { return read(*control()); }
  void setCurrentValue(const QVariant& value) override {
    Control& c = *control();
    write(c, std::clamp(value.toInt(), c.MinValue(), c.MaxValue()));
  }
  QVariant maximumValue() const override { return control()->MaxValue(); }
  QVariant minimumValue() const override { return control()->MinValue(); }
  QVariant minimumStepSize() const override { return 1; }

  QString text(QAccessible::Text t) const override {
    if (t == QAccessible::Value) return valueText(*control());
    return QAccessibleWidget::text(t);
  }

 private:
  Control* control() const { return static_cast<Control*>(widget()); }
  static int read(const FaderBase& f) { return f.Position(); }
  static int read(const RollSpinBox& s) { return s.Value(); }
  static void write(FaderBase& f, int v) { f.setPosition(v); }
  static void write(RollSpinBox& s, int v) { s.setValue(v); }
  static QString valueText(const FaderBase& f) { return f.valueText(); }
  static QString valueText(const RollSpinBox& s) { return QString::number(s.Value()); }
};

// A checkable button as a screen reader drives it. Qt's own toggle action only
// flips the check mark, which runs nothing the window listens to on a click (a
// memory recall, a page change, a part's on/off); here pressing and toggling are
// both the click a hand would make, so every such button works from the keyboard
// of a screen reader the same as from the mouse.
class CheckableButtonAccessible : public QAccessibleWidget {
 public:
  explicit CheckableButtonAccessible(QAbstractButton* button) : QAccessibleWidget(button, roleOf(button)) {
    addControllingSignal(QStringLiteral("clicked(bool)"));
  }

  QString text(QAccessible::Text t) const override {
    QString s = QAccessibleWidget::text(t);
    if (t != QAccessible::Name || !s.isEmpty()) return s;
    s = button()->text();
    s.remove(QLatin1Char('&'));  // the mnemonic mark is not spoken
    return s.isEmpty() ? button()->toolTip() : s;
  }

  QAccessible::State state() const override {
    QAccessible::State s = QAccessibleWidget::state();
    s.checkable = true;
    s.checked = button()->isChecked();
    s.pressed = button()->isDown();
    return s;
  }

  QStringList actionNames() const override {
    QStringList names;
    if (widget()->isEnabled()) names << pressAction() << toggleAction();
    return names + QAccessibleWidget::actionNames();
  }

  void doAction(const QString& action) override {
    if (action == pressAction() || action == toggleAction()) {
      if (widget()->isEnabled()) button()->click();
      return;
    }
    QAccessibleWidget::doAction(action);
  }

 private:
  QAbstractButton* button() const { return static_cast<QAbstractButton*>(widget()); }
  static QAccessible::Role roleOf(QAbstractButton* b) {
    if (qobject_cast<QCheckBox*>(b)) return QAccessible::CheckBox;
    if (qobject_cast<QRadioButton*>(b)) return QAccessible::RadioButton;
    return QAccessible::Button;  // a toggle button: a push button with a check state
  }
};

// Qt's own factory answers for its button classes before an installed one is
// asked, so each checkable button gets its interface registered when it is
// first polished (before it is shown), replacing any made for it earlier.
class CheckableButtonRegistrar : public QObject {
 public:
  using QObject::QObject;
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::Polish) return false;
    auto* b = qobject_cast<QAbstractButton*>(watched);
    if (!b || !b->isCheckable()) return false;
    QAccessibleInterface* made = QAccessible::queryAccessibleInterface(b);
    if (dynamic_cast<CheckableButtonAccessible*>(made)) return false;
    if (made) QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(made));
    QAccessible::registerAccessibleInterface(new CheckableButtonAccessible(b));
    return false;
  }
};

QAccessibleInterface* controlsFactory(const QString& className, QObject* object) {
  if (auto* f = qobject_cast<FaderBase*>(object)) return new ValueControlAccessible<FaderBase>(f, QAccessible::Slider);
  if (auto* s = qobject_cast<RollSpinBox*>(object))
    return new ValueControlAccessible<RollSpinBox>(s, QAccessible::SpinBox);
  // A plain widget made a top-level window (the tool and editing windows) is a
  // window to a screen reader, not a filler.
  if (className == QLatin1String("QWidget") || !object->isWidgetType()) return nullptr;
  auto* w = static_cast<QWidget*>(object);
  const Qt::WindowType type = w->windowType();
  const bool plainWidget =
      w->metaObject()->superClass() && w->metaObject()->superClass()->className() == QByteArray("QWidget");
  if (plainWidget && (type == Qt::Window || type == Qt::Tool)) return new QAccessibleWidget(w, QAccessible::Window);
  return nullptr;
}

}  // namespace

void installAccessibleControls() {
  static const bool installed = [] {
    QAccessible::installFactory(controlsFactory);
    return true;
  }();
  (void)installed;
  static QPointer<QObject> registrar;
  if (!registrar && QCoreApplication::instance()) {
    registrar = new CheckableButtonRegistrar(QCoreApplication::instance());
    QCoreApplication::instance()->installEventFilter(registrar);
  }
}

void notifyAccessibleValue(QObject* control, int value) {
  if (!QAccessible::isActive()) return;
  QAccessibleValueChangeEvent event(control, value);
  QAccessible::updateAccessibility(&event);
}

}  // namespace quillon
