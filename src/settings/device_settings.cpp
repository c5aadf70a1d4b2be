#include "settings/device_settings.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <QSettings>
#include <QStandardPaths>
#include <filesystem>
#include <functional>
#include <optional>

#include "engine/file_reading.h"
#include "engine/syx_writer.h"
#include "settings/settings_text.h"

namespace quillon {

namespace {

std::optional<int> integerValue(const QSettings& store, QLatin1StringView name) {
  const QVariant value = store.value(name);
  if (!value.isValid()) return std::nullopt;
  bool ok = false;
  const int number = value.toInt(&ok);
  return ok ? std::optional<int>(number) : std::nullopt;
}

bool anyValue(int) { return true; }

// Where the native store is a file, the one QSettings would use for the user's scope.
#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN)
constexpr bool NativeStoreIsAFile = true;
#else
constexpr bool NativeStoreIsAFile = false;
#endif

QString joinedErrors(const QString& first, const QString& second) {
  if (first.isEmpty()) return second;
  if (second.isEmpty()) return first;
  return first + QLatin1Char('\n') + second;
}

// A settings file is a few KB; one far larger is no settings file.
constexpr std::uintmax_t MaxSettingsFileSize = 1u << 20;
constexpr int MaxCopyNameTries = 100;

// Store files that could not be read in this run: nothing rewrites them whole.
QSet<QString>& unreadableStores() {
  static QSet<QString> files;
  return files;
}

// A copy of `file` beside it, named with the date and time; empty when none could be made.
QString keepDatedCopy(const QString& file) {
  const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd-HHmmss"));
  for (int n = 1; n <= MaxCopyNameTries; ++n) {
    const QString copy =
        file + QStringLiteral(".unreadable-") + stamp + (n > 1 ? QStringLiteral("-%1").arg(n) : QString());
    std::error_code ec;
    if (std::filesystem::copy_file(file.toStdString(), copy.toStdString(), std::filesystem::copy_options::none, ec))
      return copy;
    if (ec != std::errc::file_exists) return {};
  }
  return {};
}

QString keptCopyText(const QString& copy) {
  return copy.isEmpty() ? QStringLiteral("No copy of it could be made.")
                        : QStringLiteral("The file as it was is kept as \"%1\".").arg(copy);
}

}  // namespace

QString settingsReadFailedMessage(const QStringList& fallbacks) {
  return QStringLiteral(
             "Could not read registery Ok.\nPlease Make Midi and Exp settings first.\n"
             "Back at the default: %1; the other settings are as stored.")
      .arg(fallbacks.join(QStringLiteral(", ")));
}

// One value of the store: its name, how to read and set the field, what it accepts.
struct DeviceSettings::Field {
  QLatin1StringView name;
  std::function<int()> get;
  std::function<void(int)> set;
  std::function<bool(int)> accepts;
};

SettingsLocation SettingsLocation::iniFile(QString file) {
  SettingsLocation location;
  location.iniFile_ = std::move(file);
  return location;
}

QString SettingsLocation::fileName() const {
  if (!iniFile_.isEmpty()) return iniFile_;
  if (!NativeStoreIsAFile) return {};
  return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QLatin1Char('/') +
         SettingsOrganization + QLatin1Char('/') + SettingsApplication + QStringLiteral(".conf");
}

QString SettingsLocation::problem() const {
  const QString file = fileName();
  const QFileInfo info(file);
  if (file.isEmpty() || !info.exists() || info.isFile()) return {};
  return QStringLiteral(
             "The settings path \"%1\" is not a regular file: Quillon does not open it.\n"
             "Remove or rename it, then make the Midi and Exp settings again.")
      .arg(file);
}

bool SettingsLocation::mayRewrite() const { return !unreadableStores().contains(fileName()); }

std::unique_ptr<QSettings> SettingsLocation::open() const {
  // The file named outright, so the one checked by problem() is the one opened.
  const QString file = fileName();
  auto store = file.isEmpty()       ? std::make_unique<QSettings>(SettingsOrganization, SettingsApplication)
               : iniFile_.isEmpty() ? std::make_unique<QSettings>(file, QSettings::NativeFormat)
                                    : std::make_unique<QSettings>(file, QSettings::IniFormat);
  // Only our own key counts, not an organisation-wide or system-wide one.
  store->setFallbacksEnabled(false);
  return store;
}

DeviceSettings::DeviceSettings(SettingsLocation location, QString path)
    : Path(std::move(path)), location_(std::move(location)) {}

QString DeviceSettings::currentFolderPath() {
  QString folder = QDir::toNativeSeparators(QDir::currentPath());
  if (!folder.endsWith(QDir::separator())) folder += QDir::separator();
  return folder;
}

std::filesystem::path DeviceSettings::dataFolder() const { return std::filesystem::path(Path.toStdU16String()); }

std::vector<DeviceSettings::Field> DeviceSettings::fieldsInReadOrder() {
  namespace v = settings_value;
  const auto integer = [](QLatin1StringView name, int& field, std::function<bool(int)> accepts) {
    return Field{name, [&field] { return field; }, [&field](int n) { field = n; }, std::move(accepts)};
  };
  const auto flag = [](QLatin1StringView name, bool& field) {
    return Field{name, [&field] { return field ? 1 : 0; }, [&field](int n) { field = n != 0; }, anyValue};
  };
  // A board is named by its patch group ID, one data byte. The name lists may
  // lack it (another folder, an edited file); the choice stays all the same.
  const auto isBoardChoice = [](int choice) { return choice >= 0 && choice <= MaxBoardId; };

  // A size is first checked alone against the lengths some module has; whether
  // it is the pair of the stored type is settled once all three are read.
  const auto isSomeCommonEnd = [](int eoc) { return eoc == StandardBlockSizes.eoc || eoc == JV2080BlockSizes.eoc; };
  const auto isSomePartEnd = [](int eop) { return eop == StandardBlockSizes.eop || eop == JV2080BlockSizes.eop; };

  std::vector<Field> fields{
      integer(v::JVID, engine.unitId, isValidUnitId),
      integer(v::JVtype, JVtype, isValidModuleType),
      integer(v::EOC, EOC, isSomeCommonEnd),
      integer(v::EOP, EOP, isSomePartEnd),
      integer(v::Midi_In2, Midi_In2, anyValue),
      integer(v::Midi_In1, Midi_In1, anyValue),
      integer(v::Midi_Out, Midi_Out, anyValue),
      flag(v::SepKB, SepKB),
      flag(v::NoteOn, engine.noteOn),
      integer(v::SysDly, engine.sysDly, isValidSysDly),
      integer(v::ExpMax, ExpMax, isValidExpMax),
  };
  for (int slot = 0; slot < ExpansionSlotCount; ++slot)
    fields.push_back(integer(v::Exp[slot], Exp[slot], isBoardChoice));
  return fields;
}

// Reads every value in the store's order. One that is missing or cannot be
// used falls back to its default alone; the names of those are returned.
QStringList DeviceSettings::readFields(const QSettings& store) {
  DeviceSettings defaults;
  const std::vector<Field> fields = fieldsInReadOrder();
  const std::vector<Field> fallbacks = defaults.fieldsInReadOrder();
  QStringList bad;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    const auto value = integerValue(store, fields[i].name);
    const bool usable = value && fields[i].accepts(*value);
    fields[i].set(usable ? *value : fallbacks[i].get());
    if (!usable) bad << QString(fields[i].name);
  }
  matchBlockSizesToType(bad);
  return bad;
}

// The module type and its two block sizes belong together, or every transfer
// would ask for, and write, lengths no module has. The type is the user's
// choice and decides: a size that is not the type's is replaced by it and
// named, unless the type itself fell back (then the sizes simply follow it).
void DeviceSettings::matchBlockSizesToType(QStringList& bad) {
  namespace v = settings_value;
  const BlockSizes typeSizes = blockSizesFor(moduleType());
  const bool typeFellBack = bad.contains(QString(v::JVtype));
  const auto take = [&](QLatin1StringView name, int& field, int typeValue) {
    if (field == typeValue) return;
    field = typeValue;
    if (!typeFellBack && !bad.contains(QString(name))) bad << QString(name);
  };
  take(v::EOC, EOC, typeSizes.eoc);
  take(v::EOP, EOP, typeSizes.eop);
}

// The names are optional: a store without them still reads, and the numbers alone count.
void DeviceSettings::readDeviceNames(const QSettings& store) {
  namespace v = settings_value;
  const std::array<std::pair<QLatin1StringView, QString*>, 3> names{
      {{v::Midi_In1Name, &Midi_In1Name}, {v::Midi_In2Name, &Midi_In2Name}, {v::Midi_OutName, &Midi_OutName}}};
  for (const auto& [name, field] : names) *field = store.value(name).toString();
}

void DeviceSettings::readStoreCheck(const QSettings& store) {
  VerifyStore = integerValue(store, settings_value::VerifyStore).value_or(DeviceSettingsFields{}.VerifyStore) != 0;
}

void DeviceSettings::writeStoreCheck(QSettings& store) const {
  store.setValue(settings_value::VerifyStore, VerifyStore ? 1 : 0);
}

// Settings added later: missing means their default, with nothing to tell the user.
void DeviceSettings::readOptionalFlags(const QSettings& store) {
  const bool fastByDefault = DeviceSettingsFields{}.engine.fastTransfers;
  engine.fastTransfers = store.value(settings_value::FastTransfers, fastByDefault ? 1 : 0).toInt() != 0;
}

// Lines the settings library would refuse make it call the whole file a
// format error. They are taken out of the file before it reads it; the file
// as it was stays beside it.
QString DeviceSettings::repairStoreFile() {
  const QString file = location_.fileName();
  if (file.isEmpty()) return {};
  const FileBytes read = readRegularFile(file.toStdString(), MaxSettingsFileSize);
  if (read.missing) return {};
  if (!read.ok()) return storeUnreadable(QString::fromStdString(read.error));
  const SettingsTextRepair repair =
      repairedSettingsText(std::string_view(reinterpret_cast<const char*>(read.bytes.data()), read.bytes.size()));
  if (!repair.changed()) return {};
  QStringList removed;
  for (const std::string& what : repair.removed) removed << QString::fromStdString(what);
  const QString copy = keepDatedCopy(file);
  const auto* text = reinterpret_cast<const Byte*>(repair.text.data());
  if (copy.isEmpty()) return storeUnreadable(QStringLiteral("it holds %1").arg(removed.join(", ")), copy);
  if (const std::string error = writeFileAtomically(file.toStdString(), std::span(text, repair.text.size()));
      !error.empty())
    return storeUnreadable(QStringLiteral("it holds %1, and it could not be corrected: %2")
                               .arg(removed.join(", "), QString::fromStdString(error)),
                           copy);
  return QStringLiteral(
             "The settings file \"%1\" held what the settings cannot read: %2. That was left out, "
             "the settings are read as stored. %3")
      .arg(file, removed.join(QStringLiteral(", ")), keptCopyText(copy));
}

// Every value stays at its default, and the file is kept from being written
// over with them.
QString DeviceSettings::storeUnreadable(const QString& why, std::optional<QString> copyMade) {
  storeUnreadable_ = true;
  const QString file = location_.fileName();
  unreadableStores().insert(file);
  const QString copy = copyMade ? *copyMade : keepDatedCopy(file);
  return QStringLiteral(
             "The settings file \"%1\" cannot be read (%2).\nEvery setting is at its default for now; the "
             "file is left as it is, and a setting you change is written into it alone. %3")
      .arg(file, why, keptCopyText(copy));
}

void DeviceSettings::deriveEngineSettings() {
  engine.sizes = blockSizes();
  engine.type = isValidModuleType(JVtype) ? moduleType() : FirstRunModuleType;
}

QString DeviceSettings::ReadSettings() {
  if (QString problem = location_.problem(); !problem.isEmpty()) {
    FirstRun = true;
    return joinedErrors(problem, ReadWindowPositions());
  }
  storeUnreadable_ = false;
  unreadableStores().remove(location_.fileName());
  QString message = repairStoreFile();
  if (!storeUnreadable_) {
    const auto store = location_.open();
    // Only the device values count: other program state lives in groups of its own.
    if (store->status() == QSettings::NoError && store->childKeys().isEmpty()) {
      FirstRun = true;
    } else if (store->status() != QSettings::NoError) {
      // Unreadable is not empty: writing the first-run defaults over it could lose it.
      message = joinedErrors(message, storeUnreadable(QStringLiteral("the settings library cannot read it")));
    } else {
      // A bad value is no first run: the defaults written then would wipe what was stored.
      if (const QStringList bad = readFields(*store); !bad.isEmpty())
        message = joinedErrors(message, settingsReadFailedMessage(bad));
      readDeviceNames(*store);
      readStoreCheck(*store);
      readOptionalFlags(*store);
    }
  }
  deriveEngineSettings();
  asRead_ = *this;
  return joinedErrors(message, ReadWindowPositions());
}

// The store's file could not be read: each value changed since is set on its
// own line, and every other byte of the file stays.
QString DeviceSettings::writeChangedValuesOnly() {
  DeviceSettings before = *this;
  static_cast<DeviceSettingsFields&>(before) = asRead_;
  std::vector<std::pair<QString, QString>> changed;
  const std::vector<Field> now = fieldsInReadOrder();
  const std::vector<Field> then = before.fieldsInReadOrder();
  for (std::size_t i = 0; i < now.size(); ++i)
    if (now[i].get() != then[i].get()) changed.emplace_back(QString(now[i].name), QString::number(now[i].get()));
  namespace v = settings_value;
  const auto text = [&](QLatin1StringView name, const QString& value, const QString& old) {
    if (value != old) changed.emplace_back(QString(name), value);
  };
  const auto flag = [](bool on) { return on ? QStringLiteral("1") : QStringLiteral("0"); };
  text(v::Midi_In1Name, Midi_In1Name, asRead_.Midi_In1Name);
  text(v::Midi_In2Name, Midi_In2Name, asRead_.Midi_In2Name);
  text(v::Midi_OutName, Midi_OutName, asRead_.Midi_OutName);
  text(v::VerifyStore, flag(VerifyStore), flag(asRead_.VerifyStore));
  text(v::FastTransfers, flag(engine.fastTransfers), flag(asRead_.engine.fastTransfers));
  if (changed.empty()) return {};

  const QString file = location_.fileName();
  QStringList names;
  for (const auto& [name, value] : changed) names << name;
  // Read as bytes only, to keep them: a file too large to be taken as settings still is.
  const FileBytes read = readRegularFile(file.toStdString());
  if (!read.ok() && !read.missing)
    return QStringLiteral(
               "The settings file \"%1\" cannot be read, so the settings changed (%2) are not written to it.")
        .arg(file, names.join(QStringLiteral(", ")));
  std::string updated(read.bytes.begin(), read.bytes.end());
  for (const auto& [name, value] : changed) updated = withGeneralKey(updated, name.toStdString(), value.toStdString());
  const auto* bytes = reinterpret_cast<const Byte*>(updated.data());
  if (const std::string error = writeFileAtomically(file.toStdString(), std::span(bytes, updated.size()));
      !error.empty())
    return QString::fromStdString(error);
  asRead_ = *this;
  return {};
}

QString DeviceSettings::writeFields() {
  if (QString problem = location_.problem(); !problem.isEmpty()) return problem;
  if (storeUnreadable_) return writeChangedValuesOnly();
  const auto store = location_.open();
  store->setValue(settings_value::Path, Path);
  // Each value is written once: a second write of the same name would only repeat it.
  for (const Field& field : fieldsInReadOrder()) store->setValue(field.name, field.get());
  store->setValue(settings_value::Midi_In1Name, Midi_In1Name);
  store->setValue(settings_value::Midi_In2Name, Midi_In2Name);
  store->setValue(settings_value::Midi_OutName, Midi_OutName);
  writeStoreCheck(*store);
  store->setValue(settings_value::FastTransfers, engine.fastTransfers ? 1 : 0);
  store->sync();
  if (store->status() == QSettings::NoError) return {};
  return QStringLiteral("Cannot write the settings to \"%1\".").arg(store->fileName());
}

QString DeviceSettings::WriteSettings() { return joinedErrors(writeFields(), WriteWindowPositions()); }

QString DeviceSettings::WriteDefaultSettings() {
  static_cast<DeviceSettingsFields&>(*this) = DeviceSettingsFields{};
  return writeFields();
}

QString DeviceSettings::ReadWindowPositions() {
  std::string problem;
  windowPositions = readWindowPositions(dataFolder() / WindowPositionsFile, &problem);
  return QString::fromStdString(problem);
}

QString DeviceSettings::WriteWindowPositions() const {
  return QString::fromStdString(writeWindowPositions(dataFolder() / WindowPositionsFile, windowPositions));
}

QString DeviceSettings::extraValue(const QString& key) const {
  const auto store = location_.open();
  return store ? store->value(key).toString() : QString();
}

void DeviceSettings::setExtraValue(const QString& key, const QString& value) const {
  if (!location_.mayRewrite()) return;
  if (const auto store = location_.open()) store->setValue(key, value);
}

}  // namespace quillon
