#include "settings/device_settings.h"
#include "settings/settings_text.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <functional>
#include <tuple>

namespace quillon {
namespace {

namespace v = settings_value;

QString readAll(const QString& file) {
  QFile f(file);
  return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

void writeAll(const QString& file, const QByteArray& bytes) {
  QFile f(file);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate)) << file.toStdString();
  f.write(bytes);
}

// A store file and a data folder (with the shipped board list) of their own.
class SettingsStore : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(temp.isValid());
    ASSERT_TRUE(QDir(temp.path()).mkdir("data"));
    ASSERT_TRUE(QFile::copy(QStringLiteral(QUILLON_DATA_DIR "/Expansion.ini"), dataFolder() + "Expansion.ini"));
  }

  QString storeFile() const { return temp.filePath("Quillon.conf"); }
  QString dataFolder() const { return QDir::toNativeSeparators(temp.filePath("data")) + QDir::separator(); }
  DeviceSettings settings() const { return DeviceSettings(SettingsLocation::iniFile(storeFile()), dataFolder()); }

  // A complete store whose every value differs from its default.
  void writeChangedValues() {
    QSettings store(storeFile(), QSettings::IniFormat);
    store.setValue(v::JVID, 20);
    store.setValue(v::JVtype, 2);
    store.setValue(v::EOC, 67);
    store.setValue(v::EOP, 25);
    store.setValue(v::Midi_In1, 3);
    store.setValue(v::Midi_In2, 4);
    store.setValue(v::Midi_Out, 5);
    store.setValue(v::SepKB, 1);
    store.setValue(v::NoteOn, 0);
    store.setValue(v::SysDly, 120);
    store.setValue(v::ExpMax, 8);
    for (int slot = 0; slot < ExpansionSlotCount; ++slot) store.setValue(v::Exp[slot], slot + 1);
  }

  void setStoreValue(QLatin1StringView name, const QVariant& value) {
    QSettings store(storeFile(), QSettings::IniFormat);
    store.setValue(name, value);
  }

  QTemporaryDir temp;
};

TEST_F(SettingsStore, NoStoreMeansFirstRunWithoutAMessage) {
  DeviceSettings s = settings();
  EXPECT_EQ(s.ReadSettings(), "");
  EXPECT_TRUE(s.FirstRun);
  EXPECT_EQ(static_cast<const DeviceSettingsFields&>(s), DeviceSettingsFields{});
  EXPECT_EQ(s.windowPositions, WindowPositions{}) << "no windpos.ini: every position is 0";
  EXPECT_TRUE(DeviceSettings::currentFolderPath().endsWith(QDir::separator()));
}

TEST_F(SettingsStore, WrittenSettingsReadBackAndHoldEachValueOnce) {
  DeviceSettings written = settings();
  written.engine.unitId = 32;
  written.JVtype = static_cast<int>(ModuleType::XP30);
  written.engine.sysDly = MaxSysDly;
  written.SepKB = true;
  written.engine.noteOn = false;
  written.Midi_In1 = -1;
  written.ExpMax = 5;
  written.Exp = {0, 9, 2, 11, 0, 0, 0, 0, 19};  // 19: the last board of the list
  written.deriveEngineSettings();               // the engine's type follows JVtype, as a read makes it
  ASSERT_EQ(written.WriteSettings(), "");

  DeviceSettings read = settings();
  EXPECT_EQ(read.ReadSettings(), "");
  EXPECT_FALSE(read.FirstRun);
  EXPECT_EQ(static_cast<const DeviceSettingsFields&>(read), static_cast<const DeviceSettingsFields&>(written));

  const QString text = readAll(storeFile());
  EXPECT_EQ(text.count(QStringLiteral("SysDly=")), 1);
  EXPECT_EQ(QSettings(storeFile(), QSettings::IniFormat).value(v::Path).toString(), dataFolder());
}

// Only the bad value falls back, and the message names it; the rest is read as
// stored and no first run follows (its defaults would overwrite everything).
TEST_F(SettingsStore, AMissingValueFallsBackAloneAndIsNamed) {
  writeChangedValues();
  QSettings(storeFile(), QSettings::IniFormat).remove(v::SysDly);
  DeviceSettings s = settings();
  const QString message = s.ReadSettings();
  EXPECT_EQ(message, settingsReadFailedMessage({"SysDly"}));
  EXPECT_TRUE(message.contains("SysDly")) << message.toStdString();
  EXPECT_FALSE(s.FirstRun);
  EXPECT_EQ(s.engine.unitId, 20);
  EXPECT_EQ(s.EOC, 67);
  EXPECT_EQ(s.Midi_In2, 4);
  EXPECT_FALSE(s.engine.noteOn);
  EXPECT_EQ(s.engine.sysDly, DeviceSettingsFields{}.engine.sysDly);
  EXPECT_EQ(s.ExpMax, 8);
  EXPECT_EQ(s.Exp[8], 9);
}

struct BadValue {
  const char* name;
  QVariant value;
  std::function<int(const DeviceSettingsFields&)> field;
};

void PrintTo(const BadValue& bad, std::ostream* os) { *os << bad.name << "=" << bad.value.toString().toStdString(); }

class OutOfRange : public SettingsStore, public ::testing::WithParamInterface<BadValue> {};

// Every value the engine uses as a length, index or wait is refused: it alone
// falls back to its default, and is named.
TEST_P(OutOfRange, FallsBackAloneAndIsNamed) {
  const BadValue& bad = GetParam();
  writeChangedValues();
  setStoreValue(QLatin1StringView(bad.name), bad.value);
  DeviceSettings s = settings();
  EXPECT_EQ(s.ReadSettings(), settingsReadFailedMessage({bad.name}));
  EXPECT_FALSE(s.FirstRun);
  EXPECT_EQ(bad.field(s), bad.field(DeviceSettingsFields{}));
  EXPECT_EQ(s.Midi_Out, 5) << "the other values are read as stored";
}

int slotA(const DeviceSettingsFields& f) { return f.Exp[1]; }
int slotH(const DeviceSettingsFields& f) { return f.Exp[8]; }
int unitId(const DeviceSettingsFields& f) { return f.engine.unitId; }
int sysDly(const DeviceSettingsFields& f) { return f.engine.sysDly; }

INSTANTIATE_TEST_SUITE_P(Settings, OutOfRange,
                         ::testing::Values(BadValue{"JVID", 16, unitId}, BadValue{"JVID", 33, unitId},
                                           BadValue{"JVID", "x17", unitId},  // a value of the wrong type
                                           BadValue{"JVtype", -1, &DeviceSettingsFields::JVtype},
                                           BadValue{"JVtype", 7, &DeviceSettingsFields::JVtype},
                                           BadValue{"SysDly", 19, sysDly}, BadValue{"SysDly", 501, sysDly},
                                           BadValue{"SysDly", "fifty", sysDly},
                                           BadValue{"ExpMax", 9, &DeviceSettingsFields::ExpMax},
                                           BadValue{"ExpMax", -1, &DeviceSettingsFields::ExpMax},
                                           BadValue{"ExpA", 128, slotA}, BadValue{"ExpH", -1, slotH}));

// The sizes are the pair of the type read with them, or every transfer would
// ask for, and write, lengths no module has: the type decides, and each size
// that disagrees with it is named.
TEST_F(SettingsStore, BlockSizesFollowTheStoredType) {
  for (const auto& [type, eoc, eop, named] :
       {std::tuple{2, 63, 25, QStringList{"EOC"}}, std::tuple{2, 67, 18, QStringList{"EOP"}},
        std::tuple{1, 67, 25, QStringList{"EOC", "EOP"}}}) {
    writeChangedValues();
    setStoreValue(v::JVtype, type);
    setStoreValue(v::EOC, eoc);
    setStoreValue(v::EOP, eop);
    DeviceSettings s = settings();
    EXPECT_EQ(s.ReadSettings(), settingsReadFailedMessage(named)) << eoc << "/" << eop;
    EXPECT_EQ(s.moduleType(), static_cast<ModuleType>(type));
    EXPECT_EQ(s.blockSizes(), blockSizesFor(static_cast<ModuleType>(type)));
    EXPECT_EQ(s.engine.unitId, 20);  // the other values stay as stored
  }
}

// A size no module has falls back alone, to the stored type's own size.
TEST_F(SettingsStore, ASizeNoModuleHasTakesTheStoredTypesSize) {
  for (const auto& [name, value] :
       {std::pair{v::EOC, 64}, std::pair{v::EOC, 319}, std::pair{v::EOP, 26}, std::pair{v::EOP, 0}}) {
    writeChangedValues();  // a JV 2080 with its sizes
    setStoreValue(name, value);
    DeviceSettings s = settings();
    EXPECT_EQ(s.ReadSettings(), settingsReadFailedMessage({QString(name)})) << value;
    EXPECT_EQ(s.moduleType(), ModuleType::JV2080);
    EXPECT_EQ(s.blockSizes(), JV2080BlockSizes);
  }
}

// A board is checked against what a board number can be, not against the name
// list of the folder the program happens to start in.
TEST_F(SettingsStore, BoardChoicesDoNotDependOnTheNameLists) {
  writeChangedValues();
  setStoreValue(v::Exp[2], 100);  // a board no list names
  ASSERT_TRUE(QFile::remove(dataFolder() + "Expansion.ini"));
  DeviceSettings s = settings();
  EXPECT_EQ(s.ReadSettings(), "");
  EXPECT_FALSE(s.FirstRun);
  EXPECT_EQ(s.Exp[2], 100);
  EXPECT_EQ(s.Exp[8], 9);
  EXPECT_EQ(s.engine.unitId, 20);
}

// Other program state kept in the store does not make it a store of settings.
TEST_F(SettingsStore, OnlyDeviceValuesEndTheFirstRun) {
  setStoreValue(QLatin1StringView("Files/Recent"), QStringList{"/tmp/a.syx"});
  DeviceSettings s = settings();
  EXPECT_EQ(s.ReadSettings(), "");
  EXPECT_TRUE(s.FirstRun);
}

TEST_F(SettingsStore, FirstRunDefaultsAgreeOnModuleTypeAndBlockSizes) {
  DeviceSettings s = settings();
  s.engine.unitId = 25;
  s.engine.sysDly = 300;
  s.FirstRun = true;
  ASSERT_EQ(s.WriteDefaultSettings(), "");
  EXPECT_TRUE(s.FirstRun) << "only the settings dialog clears it";
  EXPECT_EQ(s.moduleType(), ModuleType::JV1080);
  EXPECT_EQ(s.blockSizes(), blockSizesFor(s.moduleType()));

  // Spelled out here, so a misspelt value name cannot pass unnoticed.
  const std::vector<std::pair<const char*, int>> expected{
      {"JVID", 17}, {"JVtype", 1}, {"EOC", 63},    {"EOP", 18},   {"Midi_In1", 0}, {"Midi_In2", 0}, {"Midi_Out", 0},
      {"SepKB", 0}, {"NoteOn", 1}, {"SysDly", 50}, {"ExpMax", 2}, {"ExpP", 0},     {"ExpA", 0},     {"ExpB", 0},
      {"ExpC", 0},  {"ExpD", 0},   {"ExpE", 0},    {"ExpF", 0},   {"ExpG", 0},     {"ExpH", 0}};
  QSettings store(storeFile(), QSettings::IniFormat);
  for (const auto& [name, value] : expected) EXPECT_EQ(store.value(name).toInt(), value) << name;
  EXPECT_EQ(store.value("Path").toString(), dataFolder());
  // The device names go with the numbers; the defaults know none.
  const std::vector<const char*> names{"Midi_In1Name", "Midi_In2Name", "Midi_OutName"};
  for (const char* name : names) {
    EXPECT_TRUE(store.contains(name)) << name;
    EXPECT_EQ(store.value(name).toString(), "") << name;
  }
  // Fetches go as fast as the module answers; the read-back after a store starts off.
  const std::vector<const char*> options{"FastTransfers", "VerifyStore"};
  EXPECT_EQ(store.value("FastTransfers", -1).toInt(), 1);
  EXPECT_EQ(store.value("VerifyStore", -1).toInt(), 0);
  EXPECT_EQ(store.allKeys().size(), static_cast<int>(expected.size() + names.size() + options.size()) + 1)
      << "no other values, SysDly once";
  EXPECT_FALSE(QFile::exists(dataFolder() + "windpos.ini")) << "defaults touch only the store";
}

TEST_F(SettingsStore, WindowPositionsGoToWindposIniKeepingTheRestOfTheFile) {
  writeAll(dataFolder() + "windpos.ini",
           "; placed by hand\r\n[windowpos]\r\n01-NoteOutForm-x=oops\r\n01-NoteOutForm-y=77\r\n\r\n[other]\r\nk=v\r\n");
  DeviceSettings s = settings();
  s.ReadSettings();
  EXPECT_EQ(s.windowPositions[NoteOutFormPosition], (WindowPosition{0, 77, 0, 0})) << "bad or missing keys read 0";

  for (int i = 0; i < WindowPositionCount; ++i) s.windowPositions[i] = {i * 10 - 50, i, 300 + i, 400 + i};
  ASSERT_EQ(s.WriteSettings(), "");
  const QString text = readAll(dataFolder() + "windpos.ini");
  EXPECT_TRUE(text.startsWith("; placed by hand\r\n[windowpos]\r\n00-Startform-x=-50\r\n")) << text.toStdString();
  EXPECT_TRUE(text.contains("\r\n01-NoteOutForm-x=-40\r\n01-NoteOutForm-y=1\r\n01-NoteOutForm-h=301\r\n"));
  EXPECT_TRUE(text.endsWith("\r\n13-savedialog-w=413\r\n\r\n[other]\r\nk=v\r\n"));

  DeviceSettings read = settings();
  read.ReadWindowPositions();
  EXPECT_EQ(read.windowPositions, s.windowPositions);
}

TEST_F(SettingsStore, AMissingDataFolderIsReportedAndTheStoreStillWritten) {
  DeviceSettings s(SettingsLocation::iniFile(storeFile()), temp.filePath("absent") + QDir::separator());
  const QString error = s.WriteSettings();
  EXPECT_TRUE(error.contains("windpos.ini")) << error.toStdString();
  EXPECT_EQ(QSettings(storeFile(), QSettings::IniFormat).value(v::JVID).toInt(), 17);
}

// The user's own store, moved to a temporary folder: only Linux reads the
// native format from files, so elsewhere this would touch the real settings.
TEST(UserStore, IsHarborlabQuillonInTheNativeFormat) {
#if defined(Q_OS_LINUX)
  QTemporaryDir temp;
  ASSERT_TRUE(temp.isValid());
  const QByteArray configHome = qgetenv("XDG_CONFIG_HOME");
  qputenv("XDG_CONFIG_HOME", temp.path().toLocal8Bit());
  DeviceSettings s(SettingsLocation::userStore(), temp.path() + "/");
  EXPECT_EQ(s.ReadSettings(), "");
  EXPECT_TRUE(s.FirstRun);
  ASSERT_EQ(s.WriteDefaultSettings(), "");
  EXPECT_TRUE(QFile::exists(temp.filePath("Harborlab/Quillon.conf")));

  DeviceSettings again(SettingsLocation::userStore(), temp.path() + "/");
  EXPECT_EQ(again.ReadSettings(), "");
  EXPECT_FALSE(again.FirstRun);
  qputenv("XDG_CONFIG_HOME", configHome);
#else
  GTEST_SKIP() << "the native store is not a file here";
#endif
}

TEST_F(SettingsStore, DeviceNamesAreKeptBesideTheNumbers) {
  DeviceSettings written = settings();
  written.Midi_In1 = 3;
  written.Midi_In1Name = QStringLiteral("UM-ONE:UM-ONE MIDI 1 24:0");
  written.Midi_In2Name = QStringLiteral("Keys");
  written.Midi_OutName = QStringLiteral("UM-ONE:UM-ONE MIDI 1 24:0");
  ASSERT_EQ(written.WriteSettings(), "");
  DeviceSettings read = settings();
  EXPECT_EQ(read.ReadSettings(), "");
  EXPECT_EQ(read.Midi_In1Name, written.Midi_In1Name);
  EXPECT_EQ(read.Midi_In2Name, QStringLiteral("Keys"));
  EXPECT_EQ(read.Midi_OutName, written.Midi_OutName);
  EXPECT_EQ(read.Midi_In1, 3);

  // Restoring the defaults forgets the names with the numbers.
  ASSERT_EQ(read.WriteDefaultSettings(), "");
  EXPECT_TRUE(read.Midi_OutName.isEmpty());
  DeviceSettings again = settings();
  again.ReadSettings();
  EXPECT_TRUE(again.Midi_In1Name.isEmpty());
}

TEST_F(SettingsStore, AStoreWithoutDeviceNamesStillReads) {
  writeChangedValues();  // as an older version wrote it: numbers only
  DeviceSettings s = settings();
  s.Midi_OutName = QStringLiteral("stale");
  EXPECT_EQ(s.ReadSettings(), "");
  EXPECT_FALSE(s.FirstRun);
  EXPECT_EQ(s.Midi_Out, 5);
  EXPECT_TRUE(s.Midi_OutName.isEmpty()) << "no stored name: the number alone counts";
}

TEST_F(SettingsStore, FastTransfersAreOnUnlessAStoredChoiceTurnedThemOff) {
  writeChangedValues();  // no FastTransfers value, as an older version wrote it
  DeviceSettings s = settings();
  s.engine.fastTransfers = false;
  EXPECT_EQ(s.ReadSettings(), "") << "a value added later is no fallback to report";
  EXPECT_TRUE(s.engine.fastTransfers);
  s.engine.fastTransfers = false;
  ASSERT_EQ(s.WriteSettings(), "");
  DeviceSettings read = settings();
  read.ReadSettings();
  EXPECT_FALSE(read.engine.fastTransfers);
}

// What is set in a file the settings library cannot read reads back as it
// was meant once the file can be read again: a device name with a comma
// (else a list) or a quote, a key in a later section, a file without the section.
TEST_F(SettingsStore, AKeySetInAnUnreadableFileReadsBackAsMeant) {
  const std::string text = "[General]\r\nJVID=23\r\ngarbage\r\n[Other]\r\nJVID=5\r\n";
  std::string updated = withGeneralKey(text, "Midi_OutName", "Port, \"A\" \\ 1");
  updated = withGeneralKey(updated, "JVID", "24");
  EXPECT_EQ(updated,
            "[General]\r\nJVID=24\r\ngarbage\r\nMidi_OutName=\"Port, \\\"A\\\" \\\\ 1\"\r\n[Other]\r\nJVID=5\r\n");
  writeAll(storeFile(), QByteArray::fromStdString(repairedSettingsText(updated).text));
  QSettings store(storeFile(), QSettings::IniFormat);
  EXPECT_EQ(store.status(), QSettings::NoError);
  EXPECT_EQ(store.value(v::Midi_OutName).toString(), QStringLiteral("Port, \"A\" \\ 1"));
  EXPECT_EQ(store.value(v::JVID).toInt(), 24);
  EXPECT_EQ(withGeneralKey("; only a comment", "SysDly", "120"), "; only a comment\n[General]\nSysDly=120\n");
}

}  // namespace
}  // namespace quillon
