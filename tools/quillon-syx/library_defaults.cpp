#include "library_defaults.h"

#include <cstdlib>

#ifdef QUILLON_SYX_TRANSFERS
#include <QSettings>
#include <iostream>

#include "settings/device_settings.h"
#endif

namespace quillon::cli {

namespace {

// $XDG_DATA_HOME/Harborlab/Quillon, as the program seeds it.
std::filesystem::path userDataFolder() {
  const char* xdg = std::getenv("XDG_DATA_HOME");
  const char* home = std::getenv("HOME");
  const std::filesystem::path base =
      xdg && *xdg ? std::filesystem::path(xdg) : std::filesystem::path(home ? home : ".") / ".local" / "share";
  return base / "Harborlab" / "Quillon";
}

}  // namespace

LibraryDefaults libraryDefaults() {
  LibraryDefaults d;
  d.dataFolder = userDataFolder();
#ifdef QUILLON_SYX_TRANSFERS
  DeviceSettings stored;
  const QString problem = stored.ReadSettings();
  if (!problem.isEmpty()) std::cerr << "quillon-syx: " << problem.simplified().toStdString() << "\n";
  // A store that is no regular file would block the settings library's open.
  if (!stored.FirstRun && stored.location().problem().isEmpty()) {
    d.moduleType = stored.moduleType();
    d.boards = stored.expansionChoices();
    const QString path = stored.location().open()->value(settings_value::Path).toString();
    if (!path.isEmpty()) d.dataFolder = std::filesystem::path(path.toStdU16String());
  }
#endif
  return d;
}

}  // namespace quillon::cli
