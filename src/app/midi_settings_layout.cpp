// The settings dialog's controls: made inside their boxes (so each keeps its
// role for a screen reader), laid out, and named as tests and users know them.

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/library_feed.h"
#include "app/midi_settings_dialog.h"

namespace quillon {

namespace {

const QString RestartText = QStringLiteral(
    "If you select or reselect expansionboards, you'll have to exit and restart  Quillon to let changes have effect.");
constexpr int BoardListLines = 20;
constexpr int DeviceListWidth = 230;
constexpr int DeviceListHeight = 90;
const std::array<const char*, 15> PcmCards{
    "None",      "Piano Selection", "Guitar Brass",  "Rock Drums",   "Grand Piano",
    "Accordion", "Baroque",         "Orchestral FX", "Country Folk", "09",
    "10",        "Custom1",         "Custom2",       "Experience",   "Experience2"};

// The caption shown beside a control, tied to it; inside a group box a screen
// reader would otherwise hear the group's title for every control in it.
QLabel* captionFor(QWidget* control, const QString& caption, const QString& spoken) {
  auto* label = new QLabel(caption);
  label->setBuddy(control);
  control->setAccessibleName(spoken);
  return label;
}

}  // namespace

void MidiSettingsDialog::nameControls() {
  const std::pair<QWidget*, const char*> given[] = {
      {moduleInputs_, "LiJVin"},
      {moduleOutputs_, "LiJVout"},
      {keyboardInputs_, "LiKbIn"},
      {separateKeyboard_, "ChSepKB"},
      {inputCount_, "LNumInDev"},
      {outputCount_, "Lnumoutdev"},
      {unitId_, "EdJVID"},
      {moduleType_, "CbJVtype"},
      {pcmCard_, "CbPCM"},
      {sysexDelay_, "syxDelay"},
      {fastTransfers_, "ChFastTransfers"},
      {verifyStore_, "ChVerifyStore"},
      {libraryImport_, "ChLibraryImport"},
      {restartNote_, "Labelrestart"},
      {portError_, "LError"},
      {ok_, "BOk1"},
      {cancel_, "BCan1"},
      {saveIni_, "BSaveIni"},
      {findModule_, "BFindModule"},
      {findOneOutput_, "ChFindOneOut"},
  };
  for (const auto& [control, name] : given) control->setObjectName(QLatin1String(name));
  for (int slot = 0; slot < SlotCount; ++slot) boards_[slot]->setObjectName(boardObjectName(slot));
}

void MidiSettingsDialog::buildControls() {
  auto* top = new QVBoxLayout(this);
  top->setSizeConstraint(QLayout::SetFixedSize);

  auto* midi = new QGroupBox(QStringLiteral("Midi"), this);
  auto* grid = new QGridLayout(midi);
  // Each control is made inside its box: an accessible interface made for a
  // control without a parent keeps the role of a window.
  moduleInputs_ = new QListWidget(midi);
  moduleOutputs_ = new QListWidget(midi);
  keyboardInputs_ = new QListWidget(midi);
  // The three lists side by side: the dialog has to fit a small screen at scale 2.
  for (QListWidget* list : {moduleInputs_, moduleOutputs_, keyboardInputs_})
    list->setFixedSize(DeviceListWidth, DeviceListHeight);
  inputCount_ = new QLabel;
  outputCount_ = new QLabel;
  separateKeyboard_ = new QCheckBox(QStringLiteral("Separate Keyboard"), midi);
  separateKeyboard_->setToolTip(QStringLiteral("Only use this when you have more than 1 midi Input"));
  grid->addWidget(
      captionFor(moduleInputs_, QStringLiteral("Midi-In  (JV-XP)"), QStringLiteral("MIDI input from the module")), 0,
      0);
  grid->addWidget(
      captionFor(moduleOutputs_, QStringLiteral("Midi-Out  (JV-XP)"), QStringLiteral("MIDI output to the module")), 0,
      1);
  grid->addWidget(captionFor(keyboardInputs_, QStringLiteral("Instrument or Keyboard Input"),
                             QStringLiteral("Instrument or keyboard input")),
                  0, 2);
  grid->addWidget(moduleInputs_, 1, 0);
  grid->addWidget(moduleOutputs_, 1, 1);
  grid->addWidget(keyboardInputs_, 1, 2);
  grid->addWidget(inputCount_, 2, 0);
  grid->addWidget(outputCount_, 2, 1);
  grid->addWidget(separateKeyboard_, 2, 2);
  separateKeyboard_->setAccessibleName(separateKeyboard_->text());
  findModule_ = new QPushButton(QStringLiteral("Find Module"));
  findModule_->setToolTip(QStringLiteral("Ask every output at every unit ID for the module; what answers is offered"));
  findOneOutput_ = new QCheckBox(QStringLiteral("Only the selected output"), midi);
  findOneOutput_->setAccessibleName(QStringLiteral("Find Module on the selected output only"));
  grid->addWidget(findModule_, 3, 0);
  grid->addWidget(findOneOutput_, 3, 1);

  auto* moduleBox = new QGroupBox(QStringLiteral("Module"), this);
  auto* moduleGrid = new QGridLayout(moduleBox);
  unitId_ = new QLineEdit(QStringLiteral("17"), moduleBox);
  unitId_->setMaximumWidth(60);
  moduleType_ = new QComboBox(moduleBox);
  for (std::string_view name : ModuleTypeNames) moduleType_->addItem(QString::fromLatin1(name.data(), name.size()));
  sysexDelay_ = new QLineEdit(QStringLiteral("40"), moduleBox);
  sysexDelay_->setMaxLength(3);
  sysexDelay_->setMaximumWidth(60);
  moduleGrid->addWidget(captionFor(unitId_, QStringLiteral("JV-XP  ID:"), QStringLiteral("Unit ID")), 0, 0);
  moduleGrid->addWidget(unitId_, 0, 1);
  moduleGrid->addWidget(captionFor(moduleType_, QStringLiteral("JV-XP type: "), QStringLiteral("Module type")), 1, 0);
  moduleGrid->addWidget(moduleType_, 1, 1);
  moduleGrid->addWidget(captionFor(sysexDelay_, QStringLiteral("Syx Delay"), QStringLiteral("SysEx delay in ms")), 2,
                        0);
  moduleGrid->addWidget(sysexDelay_, 2, 1);
  sysexDelay_->setToolTip(QStringLiteral(
      "The gap, in ms, the module gets after each message once a MIDI cable has carried it (20 to 500)"));
  sysexDelay_->setAccessibleDescription(sysexDelay_->toolTip());
  fastTransfers_ = new QCheckBox(QStringLiteral("Fetch at full speed"), moduleBox);
  fastTransfers_->setAccessibleName(fastTransfers_->text());
  fastTransfers_->setToolTip(QStringLiteral(
      "Fetches go as fast as the module answers. Off: every request waits its cable time and the Syx Delay. "
      "Data sent to the module always keeps the Syx Delay."));
  moduleGrid->addWidget(fastTransfers_, 3, 0, 1, 3);
  verifyStore_ = new QCheckBox(QStringLiteral("Read back after Save To JV-XP"), moduleBox);
  verifyStore_->setAccessibleName(verifyStore_->text());
  verifyStore_->setToolTip(QStringLiteral("The module acknowledges nothing it stores: read the slot back and compare"));
  moduleGrid->addWidget(verifyStore_, 4, 0, 1, 3);
  libraryImport_ = libraryImportCheckBox(ctx_.settings);
  moduleGrid->addWidget(libraryImport_, 5, 0, 1, 3);
  moduleGrid->setColumnStretch(2, 1);

  auto* boards = new QGroupBox(QStringLiteral("Expansion Boards"), this);
  auto* boardGrid = new QGridLayout(boards);
  pcmCard_ = new QComboBox(boards);
  for (const char* card : PcmCards) pcmCard_->addItem(QString::fromLatin1(card));
  pcmCard_->setEnabled(false);  // no PCM card choice is offered yet
  boardGrid->addWidget(captionFor(pcmCard_, QStringLiteral("PCM Card:"), QStringLiteral("PCM card")), 0, 0);
  boardGrid->addWidget(pcmCard_, 0, 1);
  for (int slot = 0; slot < SlotCount; ++slot) {
    boards_[slot] = new QComboBox(boards);
    boards_[slot]->setMaxVisibleItems(BoardListLines);
    boards_[slot]->setMinimumWidth(170);
    const int row = 1 + slot % 4, column = slot / 4 * 2;
    const QChar letter(u'A' + slot);
    boardGrid->addWidget(captionFor(boards_[slot], QStringLiteral("ExP %1").arg(letter),
                                    QStringLiteral("Expansion board %1").arg(letter)),
                         row, column);
    boardGrid->addWidget(boards_[slot], row, column + 1);
  }
  restartNote_ = new QLabel(RestartText);
  restartNote_->setWordWrap(true);
  restartNote_->hide();
  boardGrid->addWidget(restartNote_, 5, 0, 1, 4);

  portError_ = new QLabel;
  portError_->setWordWrap(true);
  portError_->setStyleSheet(QStringLiteral("color: #b00000"));
  portError_->hide();

  ok_ = new QPushButton(QStringLiteral("Ok"));
  ok_->setDefault(true);
  cancel_ = new QPushButton(QStringLiteral("Cancel"));
  saveIni_ = new QPushButton(QStringLiteral("Save to ini"));
  saveIni_->hide();
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(saveIni_);
  buttons->addStretch(1);
  buttons->addWidget(ok_);
  buttons->addWidget(cancel_);

  top->addWidget(midi);
  auto* lower = new QHBoxLayout;
  lower->addWidget(moduleBox);
  lower->addWidget(boards, 1);
  top->addLayout(lower);
  top->addWidget(portError_);
  top->addLayout(buttons);

  connect(ok_, &QPushButton::clicked, this, &MidiSettingsDialog::applyAndClose);
  connect(cancel_, &QPushButton::clicked, this, &MidiSettingsDialog::reject);
  connect(saveIni_, &QPushButton::clicked, this, &MidiSettingsDialog::saveSettings);
  connect(findModule_, &QPushButton::clicked, this, &MidiSettingsDialog::findModule);
  connect(unitId_, &QLineEdit::textEdited, this, [this](const QString& text) {
    if (const auto id = typedNumber(text)) ctx_.settings.engine.unitId = *id;
  });
  connect(unitId_, &QLineEdit::editingFinished, this, &MidiSettingsDialog::checkUnitId);
  // Checked when committed, not per keystroke: "100" passes through "1" and "10" on its way.
  connect(sysexDelay_, &QLineEdit::editingFinished, this, [this] {
    checkSysDelay();
    checkUnitId();
  });
}

}  // namespace quillon
