#pragma once
// One adapter per kind of control: how to show a value in it, read it back,
// and hear the user's settled change and each step of a drag. Bindings speak
// only to adapters, so a window's control kinds can differ freely.

#include <functional>
#include <memory>
#include <span>
#include <string_view>

#include "controls/typed_entry.h"

class QWidget;

namespace quillon {

class ControlAdapter {
 public:
  virtual ~ControlAdapter() = default;
  virtual QWidget* widget() const = 0;
  // Puts a value into the control; the control may raise its own events.
  virtual void show(int value) = 0;
  virtual int value() const = 0;
  virtual void setRange(int minimum, int maximum) = 0;
  // Item texts of list controls; other kinds ignore them.
  virtual void setTexts(std::span<const std::string_view> /*texts*/, int /*minimum*/) {}
  // The text of any value, for a value typed by its text; kinds without typing ignore it.
  virtual void setTextOf(ValueTextOf /*textOf*/) {}

  std::function<void(int)> settled;   // a value the user settled on
  std::function<void(int)> changing;  // one step of a drag
};

// The adapter for `control`: ValueFader/TextFader, RollSpinBox, QSpinBox,
// QComboBox, QCheckBox, QAbstractSlider (scroll bar), or a checkable button.
// Returns nothing for a kind no adapter knows.
std::unique_ptr<ControlAdapter> adapterFor(QWidget* control);

}  // namespace quillon
