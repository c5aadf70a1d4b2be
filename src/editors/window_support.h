#pragma once
// Small helpers every editing window uses.

#include <QString>
#include <QWidget>
#include <functional>

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

// Runs `refill` when `window` is shown and each time the user comes back to
// it, so that edits made in other windows (or by the module) show before the
// next input. One event filter serves every window, whatever its Qt base
// class (main window, dialog or plain widget); it lives as long as the window.
void refillOnReturn(QWidget* window, std::function<void()> refill);

}  // namespace quillon
