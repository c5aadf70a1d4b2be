#pragma once
// The files last opened (File > Open Recent) and the folder the file dialogs
// start in, kept in the settings store beside the device settings.

#include <QLatin1StringView>
#include <QString>
#include <QStringList>

#include "settings/device_settings.h"

namespace quillon {

namespace recent_value {
inline constexpr QLatin1StringView Files{"Files/Recent"};
inline constexpr QLatin1StringView Folder{"Files/LastFolder"};
}  // namespace recent_value

class RecentFiles {
 public:
  static constexpr int MaxFiles = 8;

  explicit RecentFiles(SettingsLocation location);

  // Newest first.
  const QStringList& files() const { return files_; }
  // The folder last used, or the user's documents folder when none is kept (or it is gone).
  QString folder() const;

  // A file was opened: it goes first in the list, and its folder becomes the dialogs' folder.
  void add(const QString& path);
  // A file was saved: only the folder is remembered.
  void useFolderOf(const QString& path);
  void remove(const QString& path);

 private:
  void write() const;

  SettingsLocation location_;
  QStringList files_;
  QString folder_;
};

}  // namespace quillon
