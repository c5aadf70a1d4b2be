#pragma once
// Vertical fader whose display shows a text chosen by the owner (a frequency,
// a note name, an EFX value) instead of the bare position.

#include "controls/fader_base.h"

namespace quillon {

class TextFader : public FaderBase {
  Q_OBJECT
  Q_PROPERTY(QString Text READ Text WRITE setText)
  Q_PROPERTY(bool MuisDown READ MuisDown)

 public:
  static constexpr int PageStep = 12;
  static constexpr int MaxTextLength = 12;
  static constexpr int DefaultPointSize = 8;

  explicit TextFader(QWidget* parent = nullptr);

  QString Text() const { return text_; }
  // Keeps the first MaxTextLength characters and repaints at once.
  void setText(const QString& text);

  // True while a button pressed on the cap is held: lets an owner tell a drag
  // from a settled change. Read-only.
  bool MuisDown() const { return muisDown_; }

 protected:
  QString displayText() const override { return text_; }
  void dragStateChanged(bool dragging) override { muisDown_ = dragging; }

 private:
  QString text_;
  bool muisDown_ = false;
};

}  // namespace quillon
