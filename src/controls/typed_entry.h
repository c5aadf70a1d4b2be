#pragma once
// Typing a value into a value control (fader, spin field). A digit, a sign or a
// letter opens a small field over the control holding that character; Enter sets
// the typed value, Escape or leaving the field keeps the old one. A value is a
// number in the control's range or, where the control shows words, one of its
// texts ("L64", "Rotary"), in any case and spacing, a unit ("Hz") optional. Anything else is said at the
// field, which stays open with the typing in it to be corrected.

#include <QString>

#include <functional>
#include <optional>

class QHelpEvent;
class QKeyEvent;
class QWidget;

namespace quillon {

// The text a control shows for a value; empty when it shows the bare number.
using ValueTextOf = std::function<QString(int)>;

// The value `typed` names within minimum..maximum, if any.
std::optional<int> parseTypedValue(const QString& typed, int minimum, int maximum, const ValueTextOf& textOf);

// True when `event` is a key that starts typing a value (no step key, no shortcut).
bool startsTypedEntry(const QKeyEvent& event);

// Opens the typing field over `control`, starting with `first`; `apply` gets the value.
void openTypedEntry(QWidget* control, const QString& first, int minimum, int maximum, ValueTextOf textOf,
                    std::function<void(int)> apply);

// The keys a value control takes, for its tooltip and its accessible description.
QString valueKeysHint();
// Shows the control's own tooltip followed by the keys it takes.
void showValueToolTip(QWidget* control, const QHelpEvent& event);

}  // namespace quillon
