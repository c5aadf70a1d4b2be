#pragma once
// The value controls as assistive technology sees them: a fader is a slider
// and the roll spin field a spin box, each with a current, minimum and
// maximum value that can be read and set. Setting a value there does what
// the user's hand would: the control raises its settled change. A checkable
// button's press and toggle actions are its click.

class QObject;

namespace quillon {

// Registers the accessibility factory once; the controls call it themselves,
// the program at start (so that its windows are windows to a screen reader).
void installAccessibleControls();
// Tells assistive technology that a control's value changed.
void notifyAccessibleValue(QObject* control, int value);

}  // namespace quillon
