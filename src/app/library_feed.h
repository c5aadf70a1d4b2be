#pragma once
// What the program hands to the performance library: every file opened or
// saved, every whole performance fetched, and the folders the user imports.
// The library opens on first use, so a library that cannot be used costs the
// program nothing but one message.

#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "library/library_import.h"

class QCheckBox;
class QWidget;

namespace quillon {

class AppContext;
class DeviceSettings;

// The setting that turns the feeding off ("0"); on when absent.
inline constexpr const char* LibraryImportSetting = "LibraryImport";

// The setting as the settings dialog shows it: a check box, checked when on.
QCheckBox* libraryImportCheckBox(const DeviceSettings& settings);
// Written at once when the dialog's choices are taken.
void storeLibraryImport(const QCheckBox& box, const DeviceSettings& settings);

class LibraryFeed {
 public:
  explicit LibraryFeed(AppContext& ctx);
  ~LibraryFeed();

  bool enabled() const;
  QString libraryPath() const;

  void fileSeen(const std::string& path);
  void fetched(PerformanceKind kind, const std::vector<library::Fetched>& performances);
  // As fetched, whatever the setting says: a backup taken before the module's bank is overwritten.
  void keep(PerformanceKind kind, const std::vector<library::Fetched>& performances);
  // Walks `folder` under a cancellable progress window; says at the end what was found and what was not taken.
  void importFolder(QWidget* parent, const QString& folder);

  // The library, opened at the first call; nullptr when it cannot be used (the user was told once).
  library::LibraryStore* store();

 private:
  library::ImportOptions options() const;

  AppContext& ctx_;
  std::unique_ptr<library::LibraryStore> store_;
};

}  // namespace quillon
