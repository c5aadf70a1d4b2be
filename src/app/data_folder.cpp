#include "app/data_folder.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QStandardPaths>

#include <array>
#include <cstdio>
#include <string_view>

#include "settings/device_settings.h"
#include "settings/names/patch_name_library.h"

namespace quillon {

namespace {
const char* const UserDataOption = "user-data";
const char* const PartialSuffix = ".part";
constexpr std::array<std::string_view, 3> NameLists{names_file::Preset, names_file::User, names_file::Expansion};

QString listName(std::string_view name) { return QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())); }
}  // namespace

DataFolder::DataFolder(QCommandLineParser& parser) {
  parser.addOption(QCommandLineOption(
      QString::fromLatin1(UserDataOption),
      QStringLiteral(
          "Use the per-user data folder, seeded with the installed name lists, whatever the current folder.")));
}

QString DataFolder::userFolder() {
  // Named like the settings store: ~/.config/Harborlab/Quillon.conf beside ~/.local/share/Harborlab/Quillon.
  return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QLatin1Char('/') +
         SettingsOrganization + QLatin1Char('/') + SettingsApplication;
}

QString DataFolder::shippedFolder() {
  const QString folder =
      QDir::cleanPath(QCoreApplication::applicationDirPath() + QLatin1Char('/') + QLatin1String(QUILLON_SHIPPED_DATA));
  return holdsNameLists(folder) ? folder : QString();
}

bool DataFolder::holdsNameLists(const QString& folder) {
  const QDir dir(folder);
  for (std::string_view list : NameLists)
    if (dir.exists(listName(list))) return true;
  return false;
}

// Each list is copied beside its place and then renamed, so that a copy cut short never
// stands as the user's list (which would then never be seeded again); the rename does not
// replace a list that another start put there meanwhile.
QString DataFolder::seed(const QString& from, const QString& to) {
  if (!QDir().mkpath(to)) return QStringLiteral("Cannot create the data folder %1.").arg(to);
  const QDir source(from), target(to);
  for (std::string_view list : NameLists) {
    const QString name = listName(list);
    const QString destination = target.filePath(name);
    if (QFileInfo::exists(destination) || !source.exists(name)) continue;
    const QString partial = destination + QLatin1String(PartialSuffix);
    QFile::remove(partial);
    if (!QFile::copy(source.filePath(name), partial))
      return QStringLiteral("Cannot copy %1 into the data folder %2.").arg(name, to);
    if (!QFile::rename(partial, destination)) {
      QFile::remove(partial);
      if (!QFileInfo::exists(destination))
        return QStringLiteral("Cannot write %1 in the data folder %2.").arg(name, to);
    }
  }
  return {};
}

QStringList DataFolder::enter(const QCommandLineParser& parser) const {
  QStringList files;
  for (const QString& file : parser.positionalArguments()) files << QFileInfo(file).absoluteFilePath();

  const QString shipped = shippedFolder();
  const bool forced = parser.isSet(QString::fromLatin1(UserDataOption));
  if (!forced && (shipped.isEmpty() || holdsNameLists(QDir::currentPath()))) return files;

  const QString folder = userFolder();
  QString error = shipped.isEmpty() ? QString() : seed(shipped, folder);
  // A folder seeded only in part is still the user's: enter it whenever it is there.
  if (!QDir().mkpath(folder) || !QDir::setCurrent(folder))
    error = QStringLiteral("Cannot enter the data folder %1.").arg(folder);
  if (!error.isEmpty()) {
    std::fprintf(stderr, "quillon: %s\n", qPrintable(error));
    QMessageBox::warning(nullptr, QCoreApplication::applicationName(),
                         error + QStringLiteral("\nPatch names may be missing."));
  }
  return files;
}

}  // namespace quillon
