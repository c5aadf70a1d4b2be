#pragma once
// Small helpers every editing window uses.

#include <QString>
#include <QWidget>

namespace quillon {

// Gives a control the name the tests and the issues know it by.
template <typename W>
W* named(W* widget, const QString& name) {
  widget->setObjectName(name);
  return widget;
}
template <typename W>
W* named(W* widget, const char* name) {
  return named(widget, QString::fromLatin1(name));
}

// Shows a window without waiting for it and brings it to the front.
inline void showWindow(QWidget* window) {
  window->show();
  window->raise();
  window->activateWindow();
}

}  // namespace quillon
