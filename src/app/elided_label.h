#pragma once
// A one-line label that never widens its window: a text longer than the room is
// drawn cut with an ellipsis, and the whole text is its tooltip and its
// accessible name. text() keeps the whole text.

#include <QLabel>

namespace quillon {

class ElidedLabel : public QLabel {
  Q_OBJECT
 public:
  explicit ElidedLabel(const QString& text = {}, QWidget* parent = nullptr);

  QSize minimumSizeHint() const override;
  QSize sizeHint() const override;

 protected:
  bool event(QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  QString shown() const;
};

}  // namespace quillon
