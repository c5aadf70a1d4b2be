#include "controls/accessible_controls.h"

#include <QAccessible>
#include <QAccessibleValueInterface>
#include <QAccessibleWidget>
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
}

void notifyAccessibleValue(QObject* control, int value) {
  if (!QAccessible::isActive()) return;
  QAccessibleValueChangeEvent event(control, value);
  QAccessible::updateAccessibility(&event);
}

}  // namespace quillon
