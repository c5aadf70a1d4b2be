#pragma once
// The MIDI and expansion settings dialog: ports, unit ID, module type, boards
// and SysEx delay. It edits the device settings and reopens the ports through
// callbacks, so it does not care which window owns them.

#include <QDialog>

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/app_context.h"
#include "midi/midi_backend.h"
#include "app/module_ports.h"
#include "engine/module_types.h"
#include "midi/module_link.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace quillon {

// "CbExpA" .. "CbExpH": the board choice of expansion slot `slot` (0..7).
QString boardObjectName(int slot);

// A whole number typed into a field; nothing when the text is none.
std::optional<int> typedNumber(const QString& text);

// The row of `name` in `names`, or with no name stored `number`; -1 when it is not there.
int findDevice(const std::vector<std::string>& names, const QString& name, int number);

struct PortCallbacks {
  // Opens the ports; returns the platform's error text, empty when they opened.
  std::function<std::string(const PortChoice& out, const PortChoice& in, std::optional<PortChoice> keyboard)>
      reopenPorts;
  std::function<void()> closePorts;
};

class MidiSettingsDialog : public QDialog {
  Q_OBJECT
 public:
  static constexpr int FallbackSysDly = 40;  // what a refused delay becomes
  static constexpr int SlotCount = 8;        // A..H

  MidiSettingsDialog(AppContext& context, PortCallbacks ports, midi::MidiBackend& backend = midi::systemMidiBackend(),
                     QWidget* parent = nullptr);

  // The "Ok" button: checks, stores, reopens the ports. Stays open (and
  // stores nothing) when the ports do not open.
  void applyAndClose();
  // Cancel (also Escape): reopens the ports of the stored settings and closes.
  void reject() override;
  // The hidden "Save to ini": the controls into the settings, then written.
  void saveSettings();

  // The unit-ID and delay checks run when a value is committed.
  void checkUnitId();
  void checkSysDelay();

  // "Find Module": a find the user takes goes into the controls; "Ok" applies it.
  void findModule();

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void buildControls();
  void nameControls();
  void fillFromSettings();
  void applyModuleType(int index);
  void setSeparateKeyboard(bool checked);
  // The controls into `target` as "Ok" stores them.
  void storeControls(DeviceSettings& target) const;
  SettingsPorts selectedPorts() const;
  void info(const QString& text);

  AppContext& ctx_;
  PortCallbacks ports_;
  midi::MidiBackend& backend_;
  std::vector<std::string> inputs_;
  std::vector<std::string> outputs_;
  std::array<int, SlotCount> choices_{};  // each slot's board choice as read

  // Named for their role; each control's object name is the name the tests and the issues know it by.
  QListWidget* moduleInputs_ = nullptr;
  QListWidget* moduleOutputs_ = nullptr;
  QListWidget* keyboardInputs_ = nullptr;
  QCheckBox* separateKeyboard_ = nullptr;
  QLabel* inputCount_ = nullptr;
  QLabel* outputCount_ = nullptr;
  QLineEdit* unitId_ = nullptr;
  QComboBox* moduleType_ = nullptr;
  std::array<QComboBox*, SlotCount> boards_{};  // CbExpA .. CbExpH
  QComboBox* pcmCard_ = nullptr;
  QLineEdit* sysexDelay_ = nullptr;
  QCheckBox* fastTransfers_ = nullptr;  // a fetch goes on as soon as each answer is in
  QCheckBox* verifyStore_ = nullptr;    // read a stored memory slot back and compare
  QCheckBox* libraryImport_ = nullptr;  // the performance library is fed
  QLabel* restartNote_ = nullptr;
  QLabel* portError_ = nullptr;  // why the ports did not open
  QPushButton* ok_ = nullptr;
  QPushButton* cancel_ = nullptr;
  QPushButton* saveIni_ = nullptr;
  QPushButton* findModule_ = nullptr;   // asks every port and unit ID for the module
  QCheckBox* findOneOutput_ = nullptr;  // Find Module asks only the selected output
};

}  // namespace quillon
