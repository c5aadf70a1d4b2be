#include "app/elided_label.h"

#include <QHelpEvent>
#include <QPainter>
#include <QStyle>
#include <QToolTip>

namespace quillon {

namespace {
constexpr int HintChars = 12;  // what a status panel asks for before it is stretched
}

ElidedLabel::ElidedLabel(const QString& text, QWidget* parent) : QLabel(text, parent) {}

QSize ElidedLabel::minimumSizeHint() const { return {0, QLabel::minimumSizeHint().height()}; }

QSize ElidedLabel::sizeHint() const {
  return {fontMetrics().averageCharWidth() * HintChars, QLabel::sizeHint().height()};
}

QString ElidedLabel::shown() const { return fontMetrics().elidedText(text(), Qt::ElideRight, contentsRect().width()); }

bool ElidedLabel::event(QEvent* event) {
  // The whole text where it is cut, unless the owner gave a tooltip of its own.
  if (event->type() == QEvent::ToolTip && toolTip().isEmpty() && shown() != text()) {
    QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), text(), this);
    return true;
  }
  return QLabel::event(event);
}

void ElidedLabel::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  style()->drawItemText(&painter, contentsRect(), alignment() | Qt::TextSingleLine, palette(), isEnabled(), shown(),
                        foregroundRole());
}

}  // namespace quillon
