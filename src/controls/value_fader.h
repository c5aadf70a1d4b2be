#pragma once
// Vertical fader with its position as a number above the track: part levels,
// sends, mixer strips, velocity and controller sliders.

#include "controls/fader_base.h"

namespace quillon {

class ValueFader : public FaderBase {
  Q_OBJECT

 public:
  static constexpr int PageStep = 10;
  static constexpr int NumberPointSize = 8;  // the number keeps a small fixed size whatever the window's font

  explicit ValueFader(QWidget* parent = nullptr);

 protected:
  QString displayText() const override;
  QFont displayFont() const override;
};

}  // namespace quillon
