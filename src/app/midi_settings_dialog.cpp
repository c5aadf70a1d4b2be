#include "app/midi_settings_dialog.h"
#include "app/library_feed.h"
#include "app/find_module_dialog.h"
#include "app/window_placement.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace quillon {

namespace {

const QString FirstRunText =
    QStringLiteral(" Devselect - First time Quillon run.\n Please make MIDI and EXPANSION settings first.");
const QString UnitIdText = QStringLiteral("ID out of range, Re-Enter Unit-ID.");
const QString DelayText = QStringLiteral("Delaytime should be between 20 and 500 ms.");

void fillList(QListWidget* list, const std::vector<std::string>& names) {
  list->clear();
  for (const std::string& name : names) list->addItem(QString::fromStdString(name));
}

void selectRow(QListWidget* list, int row) {
  if (row >= 0 && row < list->count()) list->setCurrentRow(row);
}

// A board list's items carry the board ID they stand for; a stored ID that the
// name list lacks gets an item of its own, shown by number, so it is kept.
void selectBoard(QComboBox* box, int board) {
  if (board < 0) return;
  int index = box->findData(board);
  if (index < 0) {
    box->addItem(QStringLiteral("Board %1").arg(board), board);
    index = box->count() - 1;
  }
  box->setCurrentIndex(index);
}

int boardOf(const QComboBox* box) {
  const QVariant id = box->currentData();
  return id.isValid() ? id.toInt() : box->currentIndex();
}

}  // namespace

MidiSettingsDialog::MidiSettingsDialog(AppContext& context, PortCallbacks ports, midi::MidiBackend& backend,
                                       QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      ctx_(context),
      ports_(std::move(ports)),
      backend_(backend) {
  setWindowTitle(QStringLiteral("Preferences:  Midi In-Out and Expansion Boards"));
  setModal(true);
  placement::keepOnScreen(this);
  buildControls();
  nameControls();
  if (ctx_.settings.FirstRun) info(FirstRunText);
  const QString readMessage = ctx_.settings.ReadSettings();
  if (!readMessage.isEmpty()) info(readMessage);
  fillFromSettings();
}

void MidiSettingsDialog::info(const QString& text) { ctx_.host.showInfo(text.toStdString()); }

void MidiSettingsDialog::fillFromSettings() {
  DeviceSettings& s = ctx_.settings;
  if (s.engine.unitId < 1) s.engine.unitId = roland::DefaultUnitId;
  unitId_->setText(QString::number(s.engine.unitId));
  sysexDelay_->setText(QString::number(s.engine.sysDly));
  fastTransfers_->setChecked(s.engine.fastTransfers);
  verifyStore_->setChecked(s.VerifyStore);

  // Boards before the type, so the type's presets land on filled lists.
  const NameList& boardList = ctx_.names.expansionBoards();
  for (int slot = 0; slot < SlotCount; ++slot) {
    QComboBox* box = boards_[slot];
    box->clear();
    // The line's key is the board ID; a list without "None" still offers it.
    if (!boardList.find("0")) box->addItem(QStringLiteral("None"), 0);
    for (const IniLine& line : boardList.lines()) {
      bool numbered = false;
      const int id = QString::fromStdString(line.key).toInt(&numbered);
      if (numbered && box->findData(id) < 0) box->addItem(QString::fromStdString(line.value), id);
    }
    choices_[slot] = s.Exp[slot + 1];
    selectBoard(box, choices_[slot]);
  }
  moduleType_->setCurrentIndex(isValidModuleType(s.JVtype) ? s.JVtype : static_cast<int>(FirstRunModuleType));
  applyModuleType(moduleType_->currentIndex());
  connect(moduleType_, &QComboBox::currentIndexChanged, this, &MidiSettingsDialog::applyModuleType);
  for (QComboBox* box : boards_) connect(box, &QComboBox::currentIndexChanged, restartNote_, &QLabel::show);
  connect(pcmCard_, &QComboBox::currentIndexChanged, restartNote_, &QLabel::show);

  if (!s.FirstRun && ports_.closePorts) ports_.closePorts();
  inputs_ = backend_.inputNames();
  outputs_ = backend_.outputNames();
  inputCount_->setText(QStringLiteral("Midi-In: %1").arg(inputs_.size()));
  outputCount_->setText(QStringLiteral("Midi-Out: %1").arg(outputs_.size()));
  fillList(moduleInputs_, inputs_);
  fillList(moduleOutputs_, outputs_);
  selectRow(moduleInputs_, findDevice(inputs_, s.Midi_In1Name, s.Midi_In1));
  selectRow(moduleOutputs_, findDevice(outputs_, s.Midi_OutName, s.Midi_Out));
  separateKeyboard_->setChecked(s.SepKB);
  setSeparateKeyboard(s.SepKB);
  connect(separateKeyboard_, &QCheckBox::toggled, this, &MidiSettingsDialog::setSeparateKeyboard);
  separateKeyboard_->setVisible(inputs_.size() >= 2);
}

void MidiSettingsDialog::applyModuleType(int index) {
  if (!isValidModuleType(index)) return;
  DeviceSettings& s = ctx_.settings;
  const auto type = static_cast<ModuleType>(index);
  const ModuleTypeSetup setup = moduleTypeSetup(type);
  s.JVtype = index;
  s.ExpMax = setup.ExpMax;
  s.EOC = setup.sizes.eoc;
  s.EOP = setup.sizes.eop;
  for (int slot = 0; slot < SlotCount; ++slot) {
    // The JV 1010 leaves A and B as they were, enabled or not.
    if (type == ModuleType::JV1010 && slot < 2) continue;
    boards_[slot]->setEnabled(slot < setup.enabledSlots);
  }
  for (std::size_t slot = 0; slot < setup.presetChoices.size(); ++slot) {
    const int choice = setup.presetChoices[slot];
    if (choice >= 0 && boards_[slot]->findData(choice) >= 0)
      boards_[slot]->setCurrentIndex(boards_[slot]->findData(choice));
  }
}

void MidiSettingsDialog::setSeparateKeyboard(bool checked) {
  DeviceSettings& s = ctx_.settings;
  s.SepKB = checked;
  if (checked) {
    fillList(keyboardInputs_, inputs_);
    selectRow(keyboardInputs_, findDevice(inputs_, s.Midi_In2Name, s.Midi_In2));
  } else {
    keyboardInputs_->clear();
  }
}

void MidiSettingsDialog::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  separateKeyboard_->setVisible(inputs_.size() >= 2);
  pcmCard_->setCurrentIndex(0);
  const int lastSlot = std::min(ctx_.settings.ExpMax, SlotCount);
  for (int slot = 0; slot < lastSlot; ++slot) selectBoard(boards_[slot], choices_[slot]);
  placement::centreOnScreen(this, parentWidget());
  if (ports_.closePorts) ports_.closePorts();
}

void MidiSettingsDialog::checkUnitId() {
  const auto id = typedNumber(unitId_->text());
  if (id && isValidUnitId(*id)) {
    ctx_.settings.engine.unitId = *id;
    return;
  }
  info(UnitIdText);
  ctx_.settings.engine.unitId = roland::DefaultUnitId;
  unitId_->setText(QString::number(roland::DefaultUnitId));
}

void MidiSettingsDialog::checkSysDelay() {
  const auto delay = typedNumber(sysexDelay_->text());
  if (delay && isValidSysDly(*delay)) {
    ctx_.settings.engine.sysDly = *delay;
    return;
  }
  if (delay) info(DelayText);  // text that is no number is reset without a word
  ctx_.settings.engine.sysDly = FallbackSysDly;
  sysexDelay_->setText(QString::number(FallbackSysDly));
}

SettingsPorts MidiSettingsDialog::selectedPorts() const {
  const auto choice = [](const QListWidget* list, const std::vector<std::string>& names, int fallback) {
    const int row = list->currentRow();
    if (row < 0 || row >= static_cast<int>(names.size())) return PortChoice{fallback, {}};
    return PortChoice{row, names[static_cast<std::size_t>(row)]};
  };
  SettingsPorts ports{choice(moduleOutputs_, outputs_, 0), choice(moduleInputs_, inputs_, 0), {}};
  if (separateKeyboard_->isChecked()) ports.keyboard = choice(keyboardInputs_, inputs_, 0);
  return ports;
}

void MidiSettingsDialog::storeControls(DeviceSettings& target) const {
  const auto store = [](const QListWidget* list, const std::vector<std::string>& names, int& number, QString& name) {
    number = list->currentRow();
    name = number >= 0 && number < static_cast<int>(names.size())
               ? QString::fromStdString(names[static_cast<std::size_t>(number)])
               : QString();
  };
  if (const auto id = typedNumber(unitId_->text())) target.engine.unitId = *id;
  store(moduleInputs_, inputs_, target.Midi_In1, target.Midi_In1Name);
  store(keyboardInputs_, inputs_, target.Midi_In2, target.Midi_In2Name);
  store(moduleOutputs_, outputs_, target.Midi_Out, target.Midi_OutName);
  // Slot 0 (the PCM card) keeps its choice: the PCM list offers none.
  for (int slot = 0; slot < SlotCount; ++slot) {
    const int choice = boardOf(boards_[slot]);
    if (choice <= 0) {
      target.ExpMax = slot + 1;
      break;
    }
    target.Exp[slot + 1] = choice;
  }
  target.SepKB = separateKeyboard_->isChecked();
  target.engine.fastTransfers = fastTransfers_->isChecked();
  target.VerifyStore = verifyStore_->isChecked();
}

void MidiSettingsDialog::findModule() {
  checkSysDelay();
  // The dialog keeps the ports closed, so the search has every port to itself.
  std::optional<int> only;
  if (findOneOutput_->isChecked() && moduleOutputs_->currentRow() >= 0) only = moduleOutputs_->currentRow();
  FindModuleDialog search(ctx_, backend_, this);
  const auto chosen = search.findAndOffer(ctx_.settings.engine.sysDly, only);
  if (!chosen) return;
  inputs_ = backend_.inputNames();
  outputs_ = backend_.outputNames();
  fillList(moduleInputs_, inputs_);
  fillList(moduleOutputs_, outputs_);
  selectRow(moduleOutputs_, findDevice(outputs_, QString::fromStdString(chosen->out.name), chosen->out.number));
  selectRow(moduleInputs_, findDevice(inputs_, QString::fromStdString(chosen->in.name), chosen->in.number));
  unitId_->setText(QString::number(chosen->unitId));
  ctx_.settings.engine.unitId = chosen->unitId;
}

void MidiSettingsDialog::saveSettings() {
  storeControls(ctx_.settings);
  const QString error = ctx_.settings.WriteSettings();
  if (!error.isEmpty()) info(error);
  storeLibraryImport(*libraryImport_, ctx_.settings);
}

void MidiSettingsDialog::applyAndClose() {
  checkUnitId();
  checkSysDelay();
  // The choices are tried on a copy: ports that do not open leave the stored settings as they were.
  DeviceSettings chosen = ctx_.settings;
  storeControls(chosen);
  if (ports_.closePorts) ports_.closePorts();
  const SettingsPorts ports = selectedPorts();
  const std::string error =
      ports_.reopenPorts ? ports_.reopenPorts(ports.out, ports.in, ports.keyboard) : std::string();
  if (!error.empty()) {
    portError_->setText(QStringLiteral("The MIDI ports did not open: %1").arg(QString::fromStdString(error)));
    portError_->show();
    return;
  }
  chosen.FirstRun = false;
  ctx_.settings = chosen;
  const QString writeError = ctx_.settings.WriteSettings();
  if (!writeError.isEmpty()) info(writeError);
  storeLibraryImport(*libraryImport_, ctx_.settings);
  ctx_.applySettings();
  accept();
  if (QWidget* main = parentWidget()) {
    main->raise();
    main->activateWindow();
  }
}

void MidiSettingsDialog::reject() {
  // Cancel keeps what was stored, so the ports it reopens are the stored ones.
  const QString readMessage = ctx_.settings.ReadSettings();
  if (!readMessage.isEmpty()) info(readMessage);
  const SettingsPorts ports = settingsPorts(ctx_.settings);
  if (ports_.reopenPorts) {
    const std::string error = ports_.reopenPorts(ports.out, ports.in, ports.keyboard);
    if (!error.empty()) info(QStringLiteral("The MIDI ports did not open: %1").arg(QString::fromStdString(error)));
  }
  QDialog::reject();
}

}  // namespace quillon
