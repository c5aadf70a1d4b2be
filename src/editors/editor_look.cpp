#include "editors/editor_look.h"

#include <QLabel>
#include <QPushButton>

namespace quillon {

void setColours(QWidget* w, const QColor& background, const QColor& text) {
  QPalette p = w->palette();
  if (w->autoFillBackground() && p.color(QPalette::Button) == background && p.color(QPalette::ButtonText) == text)
    return;
  w->setAutoFillBackground(true);
  p.setColor(QPalette::Button, background);
  p.setColor(QPalette::Window, background);
  p.setColor(QPalette::ButtonText, text);
  p.setColor(QPalette::WindowText, text);
  w->setPalette(p);
}

QPushButton* namedButton(const char* name, const QString& caption, const QString& hint) {
  auto* b = new QPushButton(caption);
  b->setObjectName(QLatin1String(name));
  if (!hint.isEmpty()) b->setToolTip(hint);
  return b;
}

QPushButton* flatCaption(const QString& name, const QString& hint) {
  auto* b = new QPushButton;
  b->setObjectName(name);
  b->setFlat(true);
  b->setFocusPolicy(Qt::StrongFocus);
  b->setToolTip(hint);
  return b;
}

QLabel* leftCaption(const QString& text) {
  auto* l = new QLabel(text);
  l->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  return l;
}

}  // namespace quillon
