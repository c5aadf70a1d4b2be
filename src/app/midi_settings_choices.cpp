// What the settings dialog works out from the settings and the module type,
// apart from its controls (the model facts are the engine's: engine/module_types.h).

#include <algorithm>

#include "app/midi_settings_dialog.h"

namespace quillon {

QString boardObjectName(int slot) { return QStringLiteral("CbExp") + QChar(u'A' + slot); }

std::optional<int> typedNumber(const QString& text) {
  bool ok = false;
  const int n = text.trimmed().toInt(&ok);
  return ok ? std::optional<int>(n) : std::nullopt;
}

int findDevice(const std::vector<std::string>& names, const QString& name, int number) {
  if (!name.isEmpty()) {
    // A device that is gone is not stood in for by whatever has its number now.
    const auto it = std::find(names.begin(), names.end(), name.toStdString());
    return it != names.end() ? static_cast<int>(it - names.begin()) : -1;
  }
  return number >= 0 && number < static_cast<int>(names.size()) ? number : -1;
}

}  // namespace quillon
