#include "app/recent_files.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

namespace quillon {

namespace {
QString absolute(const QString& path) { return QFileInfo(path).absoluteFilePath(); }
}  // namespace

RecentFiles::RecentFiles(SettingsLocation location) : location_(std::move(location)) {
  const auto store = location_.open();
  files_ = store->value(recent_value::Files).toStringList();
  files_.removeAll(QString());
  while (files_.size() > MaxFiles) files_.removeLast();
  folder_ = store->value(recent_value::Folder).toString();
}

QString RecentFiles::folder() const {
  if (!folder_.isEmpty() && QFileInfo(folder_).isDir()) return folder_;
  const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
  return QFileInfo(documents).isDir() ? documents : QDir::homePath();
}

void RecentFiles::add(const QString& path) {
  const QString file = absolute(path);
  files_.removeAll(file);
  files_.prepend(file);
  while (files_.size() > MaxFiles) files_.removeLast();
  folder_ = QFileInfo(file).absolutePath();
  write();
}

void RecentFiles::useFolderOf(const QString& path) {
  folder_ = QFileInfo(absolute(path)).absolutePath();
  write();
}

void RecentFiles::remove(const QString& path) {
  files_.removeAll(absolute(path));
  write();
}

void RecentFiles::write() const {
  // The list waits in memory while the settings file could not be read.
  if (!location_.mayRewrite()) return;
  const auto store = location_.open();
  store->setValue(recent_value::Files, files_);
  store->setValue(recent_value::Folder, folder_);
}

}  // namespace quillon
