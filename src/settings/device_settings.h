#pragma once
// The device settings in the user's settings store ("\Software\Harborlab\Quillon":
// the registry on Windows, ~/.config/Harborlab/Quillon.conf on Linux), and the
// window positions in "windpos.ini" in the data folder.

#include <QLatin1StringView>
#include <QString>
#include <QStringList>
#include <array>
#include <filesystem>
#include <memory>
#include <optional>
#include <vector>

#include "engine/engine_settings.h"
#include "engine/sysex.h"
#include "settings/names/patch_name_library.h"
#include "settings/window_positions.h"

class QSettings;

namespace quillon {

// Value names in the store.
namespace settings_value {
inline constexpr QLatin1StringView Path{"Path"};
inline constexpr QLatin1StringView JVID{"JVID"};
inline constexpr QLatin1StringView JVtype{"JVtype"};
inline constexpr QLatin1StringView EOC{"EOC"};
inline constexpr QLatin1StringView EOP{"EOP"};
inline constexpr QLatin1StringView Midi_In1{"Midi_In1"};
inline constexpr QLatin1StringView Midi_In2{"Midi_In2"};
inline constexpr QLatin1StringView Midi_Out{"Midi_Out"};
inline constexpr QLatin1StringView SepKB{"SepKB"};
inline constexpr QLatin1StringView NoteOn{"NoteOn"};
inline constexpr QLatin1StringView SysDly{"SysDly"};
inline constexpr QLatin1StringView ExpMax{"ExpMax"};
// The device names beside the numbers: USB interfaces change number between
// sessions, so the name is looked up first.
inline constexpr QLatin1StringView Midi_In1Name{"Midi_In1Name"};
inline constexpr QLatin1StringView Midi_In2Name{"Midi_In2Name"};
inline constexpr QLatin1StringView Midi_OutName{"Midi_OutName"};
// 1: after storing a performance into a memory slot, read the slot back and compare.
inline constexpr QLatin1StringView VerifyStore{"VerifyStore"};
// Fast transfers (0 or 1), optional: a store of an older version reads as off.
inline constexpr QLatin1StringView FastTransfers{"FastTransfers"};
// The PCM card slot first, then slots A..H.
inline constexpr std::array<QLatin1StringView, ExpansionSlotCount> Exp{
    QLatin1StringView{"ExpP"}, QLatin1StringView{"ExpA"}, QLatin1StringView{"ExpB"},
    QLatin1StringView{"ExpC"}, QLatin1StringView{"ExpD"}, QLatin1StringView{"ExpE"},
    QLatin1StringView{"ExpF"}, QLatin1StringView{"ExpG"}, QLatin1StringView{"ExpH"}};
}  // namespace settings_value

inline constexpr QLatin1StringView SettingsOrganization{"Harborlab"};
inline constexpr QLatin1StringView SettingsApplication{"Quillon"};

inline constexpr int DefaultExpMax = 2;
// The first run's type must match its block sizes, or every transfer asks for the wrong lengths.
inline constexpr ModuleType FirstRunModuleType = ModuleType::JV1080;

constexpr bool isValidSysDly(int ms) { return ms >= MinSysDly && ms <= MaxSysDly; }
constexpr bool isValidModuleType(int index) { return index >= 0 && index < ModuleTypeCount; }
constexpr bool isValidExpMax(int slot) { return slot >= 0 && slot <= LastExpansionSlot; }

// A board choice is a patch group ID: one data byte.
inline constexpr int MaxBoardId = midi_byte::DataMask;

// What ReadSettings asks the caller to show when values cannot be used; it
// names the values that fell back to their defaults.
QString settingsReadFailedMessage(const QStringList& fallbacks);

// The values kept in the store, with their first-run defaults.
struct DeviceSettingsFields {
  // What the engine reads (unit ID "JVID", "NoteOn", "SysDly", "FastTransfers"),
  // kept here once: the engine reads this very struct. Its module type and
  // block sizes follow JVtype and the boards (DeviceSettings::deriveEngineSettings).
  EngineSettings engine{.noteOn = true, .fastTransfers = true};
  int JVtype = static_cast<int>(FirstRunModuleType);
  int EOC = blockSizesFor(FirstRunModuleType).eoc;
  int EOP = blockSizesFor(FirstRunModuleType).eop;
  int Midi_In1 = 0;
  int Midi_In2 = 0;
  int Midi_Out = 0;
  bool SepKB = false;
  int ExpMax = DefaultExpMax;
  std::array<int, ExpansionSlotCount> Exp{};  // board choices: ExpP, then ExpA .. ExpH
  // Names of the chosen devices; empty when unknown (a store of an older version).
  QString Midi_In1Name;
  QString Midi_In2Name;
  QString Midi_OutName;
  // The module acknowledges no data set: read a stored slot back to be sure.
  bool VerifyStore = false;
  bool operator==(const DeviceSettingsFields&) const = default;
};

// Where the store is: the user's own by default; tests name an ini file instead.
class SettingsLocation {
 public:
  static SettingsLocation userStore() { return SettingsLocation{}; }
  static SettingsLocation iniFile(QString file);
  std::unique_ptr<QSettings> open() const;
  // The file that holds the store; empty where the store is no file (the registry).
  QString fileName() const;
  // Why the store cannot be opened, empty when it can: a path that is not a
  // regular file (a FIFO would block the settings library's open for good).
  QString problem() const;
  // False while the store's file could not be read: the settings library
  // would write back only what it read, and everything else would be lost.
  // Values kept beside the device settings (recent files) are not written then.
  bool mayRewrite() const;

 private:
  QString iniFile_;
};

class DeviceSettings : public DeviceSettingsFields {
 public:
  // `path` is the data folder with a trailing separator, the current folder by default.
  explicit DeviceSettings(SettingsLocation location = SettingsLocation::userStore(),
                          QString path = currentFolderPath());

  // The process's current folder with the platform's trailing separator.
  static QString currentFolderPath();

  // Fills the fields from the store, then reads the window positions. No store
  // sets FirstRun. A value missing, unreadable or out of range falls back to
  // its default alone (the others are read as stored), and the returned
  // information box text names it. Empty when nothing is to show.
  // Lines of the store's file that the settings library cannot read (a
  // byte-order mark, a NUL byte, a stray line) are taken out of it first and
  // named; the file as it was is kept beside it as a dated copy. A file that
  // cannot be read at all leaves every value at its default and is kept
  // beside it too.
  QString ReadSettings();
  // Writes every field and "Path", then the window positions. Returns an error
  // text, empty on success. While the store's file cannot be read, only the
  // values changed since ReadSettings are set in it, each on its own line,
  // and the rest of the file stays as it is.
  QString WriteSettings();
  // Restores and writes the first-run defaults (not the window positions).
  // FirstRun is left as it is.
  QString WriteDefaultSettings();
  // Returns why an existing "windpos.ini" could not be read, empty when it could.
  QString ReadWindowPositions();
  QString WriteWindowPositions() const;

  // Values other windows keep with the settings (the mixer's memories); empty when none.
  QString extraValue(const QString& key) const;
  void setExtraValue(const QString& key, const QString& value) const;

  ModuleType moduleType() const { return static_cast<ModuleType>(JVtype); }
  BlockSizes blockSizes() const { return {EOC, EOP}; }
  // The engine's module type and block sizes from JVtype and the sizes read
  // (a type out of range: the first-run type); ReadSettings ends with it.
  void deriveEngineSettings();
  ExpansionChoices expansionChoices() const { return {ExpMax, Exp}; }
  std::filesystem::path dataFolder() const;
  // Where the values are kept; other program state (the recent files) is kept there too.
  const SettingsLocation& location() const { return location_; }

  QString Path;  // written to the store, never read back
  WindowPositions windowPositions{};
  bool FirstRun = false;

 private:
  struct Field;
  std::vector<Field> fieldsInReadOrder();
  QStringList readFields(const QSettings& store);
  void matchBlockSizesToType(QStringList& bad);
  void readDeviceNames(const QSettings& store);
  // Optional like the device names: a store of an older version reads without it.
  void readStoreCheck(const QSettings& store);
  void writeStoreCheck(QSettings& store) const;
  void readOptionalFlags(const QSettings& store);
  QString writeFields();
  QString repairStoreFile();
  // `copyMade`: the dated copy already made (empty when that failed); none yet when absent.
  QString storeUnreadable(const QString& why, std::optional<QString> copyMade = std::nullopt);
  QString writeChangedValuesOnly();

  SettingsLocation location_;
  // The store's file could not be read; the values as ReadSettings left them.
  bool storeUnreadable_ = false;
  DeviceSettingsFields asRead_;
};

}  // namespace quillon
