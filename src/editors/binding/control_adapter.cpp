#include "editors/binding/control_adapter.h"

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QCheckBox>
#include <QComboBox>
#include <QSpinBox>

#include "controls/fader_base.h"
#include "controls/roll_spin_box.h"

namespace quillon {

namespace {

void emitTo(const std::function<void(int)>& f, int value) {
  if (f) f(value);
}

class FaderAdapter : public ControlAdapter {
 public:
  explicit FaderAdapter(FaderBase* f) : f_(f) {
    QObject::connect(f_, &FaderBase::OnChange, f_, [this](int v) { emitTo(settled, v); });
    QObject::connect(f_, &FaderBase::OnChanging, f_, [this](int v) { emitTo(changing, v); });
  }
  QWidget* widget() const override { return f_; }
  void show(int value) override { f_->setPosition(value); }
  int value() const override { return f_->Position(); }
  void setTexts(std::span<const std::string_view> texts, int minimum) override {
    if (texts.empty()) return;
    f_->setValueTextOf([texts, minimum](int v) {
      const auto i = static_cast<std::size_t>(v - minimum);
      return i < texts.size() ? QString::fromUtf8(texts[i].data(), static_cast<qsizetype>(texts[i].size())) : QString();
    });
  }
  void setTextOf(ValueTextOf textOf) override { f_->setValueTextOf(std::move(textOf)); }
  void setRange(int minimum, int maximum) override {
    // MaxValue first: the cap keeps its place and is pulled inside the range.
    f_->setMaxValue(maximum);
    f_->setMinValue(minimum);
  }

 private:
  FaderBase* f_;
};

class RollSpinAdapter : public ControlAdapter {
 public:
  explicit RollSpinAdapter(RollSpinBox* s) : s_(s) {
    QObject::connect(s_, &RollSpinBox::OnChange, s_, [this](int v) { emitTo(settled, v); });
    QObject::connect(s_, &RollSpinBox::OnChanging, s_, [this](int v) { emitTo(changing, v); });
  }
  QWidget* widget() const override { return s_; }
  void show(int value) override { s_->setValue(value); }
  int value() const override { return s_->Value(); }
  void setTextOf(ValueTextOf textOf) override { s_->setValueTextOf(std::move(textOf)); }
  void setRange(int minimum, int maximum) override {
    s_->setMaxValue(maximum);
    s_->setMinValue(minimum);
  }

 private:
  RollSpinBox* s_;
};

class SpinBoxAdapter : public ControlAdapter {
 public:
  explicit SpinBoxAdapter(QSpinBox* s) : s_(s) {
    // A typed number settles on Enter or when the field is left, not per digit.
    s_->setKeyboardTracking(false);
    QObject::connect(s_, &QSpinBox::valueChanged, s_, [this](int v) { emitTo(settled, v); });
  }
  QWidget* widget() const override { return s_; }
  void show(int value) override { s_->setValue(value); }
  int value() const override { return s_->value(); }
  void setRange(int minimum, int maximum) override { s_->setRange(minimum, maximum); }

 private:
  QSpinBox* s_;
};

class ComboAdapter : public ControlAdapter {
 public:
  explicit ComboAdapter(QComboBox* c) : c_(c) {
    QObject::connect(c_, &QComboBox::currentIndexChanged, c_, [this](int index) {
      if (index >= 0) emitTo(settled, index + minimum_);
    });
  }
  QWidget* widget() const override { return c_; }
  void show(int value) override { c_->setCurrentIndex(value - minimum_); }
  int value() const override { return c_->currentIndex() + minimum_; }
  void setRange(int minimum, int /*maximum*/) override { minimum_ = minimum; }
  void setTexts(std::span<const std::string_view> texts, int minimum) override {
    minimum_ = minimum;
    if (c_->count() > 0 || texts.empty()) return;  // a window's own items stay
    for (std::string_view t : texts) c_->addItem(QString::fromUtf8(t.data(), static_cast<qsizetype>(t.size())));
  }

 private:
  QComboBox* c_;
  int minimum_ = 0;
};

class CheckAdapter : public ControlAdapter {
 public:
  explicit CheckAdapter(QAbstractButton* b) : b_(b) {
    QObject::connect(b_, &QAbstractButton::toggled, b_, [this](bool on) { emitTo(settled, on ? 1 : 0); });
  }
  QWidget* widget() const override { return b_; }
  void show(int value) override { b_->setChecked(value != 0); }
  int value() const override { return b_->isChecked() ? 1 : 0; }
  void setRange(int, int) override {}

 private:
  QAbstractButton* b_;
};

class SliderAdapter : public ControlAdapter {
 public:
  explicit SliderAdapter(QAbstractSlider* s) : s_(s) {
    QObject::connect(s_, &QAbstractSlider::valueChanged, s_,
                     [this](int v) { emitTo(s_->isSliderDown() ? changing : settled, v); });
    QObject::connect(s_, &QAbstractSlider::sliderReleased, s_, [this] { emitTo(settled, s_->value()); });
  }
  QWidget* widget() const override { return s_; }
  void show(int value) override { s_->setValue(value); }
  int value() const override { return s_->value(); }
  void setRange(int minimum, int maximum) override { s_->setRange(minimum, maximum); }

 private:
  QAbstractSlider* s_;
};

}  // namespace

std::unique_ptr<ControlAdapter> adapterFor(QWidget* control) {
  if (auto* f = qobject_cast<FaderBase*>(control)) return std::make_unique<FaderAdapter>(f);
  if (auto* s = qobject_cast<RollSpinBox*>(control)) return std::make_unique<RollSpinAdapter>(s);
  if (auto* s = qobject_cast<QSpinBox*>(control)) return std::make_unique<SpinBoxAdapter>(s);
  if (auto* c = qobject_cast<QComboBox*>(control)) return std::make_unique<ComboAdapter>(c);
  if (auto* s = qobject_cast<QAbstractSlider*>(control)) return std::make_unique<SliderAdapter>(s);
  if (auto* b = qobject_cast<QAbstractButton*>(control); b && b->isCheckable())
    return std::make_unique<CheckAdapter>(b);
  return nullptr;
}

}  // namespace quillon
