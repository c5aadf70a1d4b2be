#include "editors/part_column.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QToolButton>
#include <QVBoxLayout>

#include <array>

#include "controls/pan_indicator.h"
#include "controls/roll_spin_box.h"
#include "controls/value_fader.h"
#include "editors/editor_look.h"

namespace quillon {

namespace {
const QColor ActiveCaption(0, 0, 128);
const QColor ActiveCaptionText(255, 255, 255);
const QColor InactiveCaption(128, 128, 128);
const QColor InactiveCaptionText(212, 208, 200);
const QColor PanLedOff(128, 0, 0);

constexpr int NumberPointSize = 16;  // the column's large part number
constexpr int FaderHeight = 150;
constexpr int EfxOutput = 1;  // the output assign item "Efx"
constexpr std::array<const char*, PartsPerPage> EfxOutNames{"CbEFXout1", "CbEFXOut2", "CBEFXOut3", "CbEFXOut4"};

RollSpinBox* rollSpin(const QString& name, const QString& hint) {
  auto* s = new RollSpinBox;
  s->setObjectName(name);
  if (!hint.isEmpty()) s->setToolTip(hint);
  return s;
}

BindOptions refreshingAfter(std::function<void()> after, const char* accessibleName) {
  BindOptions o;
  o.after = std::move(after);
  o.accessibleName = QLatin1String(accessibleName);
  return o;
}
}  // namespace

PartColumn::PartColumn(int column, QWidget* parent) : QFrame(parent) {
  const QString n = QString::number(column + 1);
  setObjectName(QStringLiteral("Column") + n);
  setFrameStyle(QFrame::StyledPanel | QFrame::Raised);
  setAccessibleName(QStringLiteral("Column ") + n);
  buildControls(column);
  layOut();
  connect(partButton_, &QPushButton::clicked, this, &PartColumn::receiveClicked);
  connect(soundButton_, &QToolButton::clicked, this, &PartColumn::soundClicked);
  connect(patchButton_, &QPushButton::clicked, this, &PartColumn::patchClicked);
  connect(outputChoice_, &QComboBox::currentIndexChanged, this, &PartColumn::enableEfxChoice);
}

void PartColumn::buildControls(int column) {
  const QString n = QString::number(column + 1);
  partButton_ = flatCaption(QStringLiteral("lp") + n, QStringLiteral("Click On/Off"));
  partButton_->setCheckable(true);
  partButton_->setMinimumWidth(partButton_->fontMetrics().horizontalAdvance(QStringLiteral("Part 10  Drum")) + 12);
  partNumber_ = new QLabel;
  partNumber_->setObjectName(QStringLiteral("l") + n);
  QFont big = partNumber_->font();
  big.setPointSize(NumberPointSize);
  big.setBold(true);
  partNumber_->setFont(big);
  partNumber_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  patchButton_ = flatCaption(QStringLiteral("StP") + n, QStringLiteral("Click to select patch"));
  setColours(patchButton_, editor_look::PatchCaption, palette().color(QPalette::WindowText));
  patchButton_->setMinimumWidth(patchButton_->fontMetrics().averageCharWidth() * PerformanceNameLength +
                                8);  // a 12-character patch name

  panBox_ = rollSpin(QStringLiteral("SpPan") + n, column == 0 ? QStringLiteral("Press and Roll") : QString());
  panBox_->setLedOffCol(PanLedOff);
  panIndicator_ = new PanIndicator;
  panIndicator_->setObjectName(QStringLiteral("LPanH") + n);
  panIndicator_->setAccessibleName(QStringLiteral("Pan position"));
  channelBox_ = new QSpinBox;
  channelBox_->setObjectName(QStringLiteral("SpCh") + n);
  outputChoice_ = new QComboBox;
  outputChoice_->setObjectName(QStringLiteral("CbOut") + n);
  efxOutputChoice_ = new QComboBox;
  efxOutputChoice_->setObjectName(QLatin1String(EfxOutNames[static_cast<std::size_t>(column)]));
  soundButton_ = new QToolButton;
  soundButton_->setObjectName(QStringLiteral("SpA") + n);
  soundButton_->setText(QStringLiteral("Test"));
  soundButton_->setCheckable(true);
  soundButton_->setToolTip(QStringLiteral("Down while the part sounds on the test channel; click to switch it on"));
  levelFader_ = new ValueFader;
  levelFader_->setObjectName(QStringLiteral("SlVol") + n);
  levelFader_->setToolTip(QStringLiteral("Part Volume"));
  levelFader_->setMinimumHeight(FaderHeight);
  levelBox_ = rollSpin(QStringLiteral("SpLev") + n, QStringLiteral("Shift+5 Ctrl+10"));
  chorusBox_ = rollSpin(QStringLiteral("SpCho") + n, QStringLiteral("Chorus Send"));
  reverbBox_ = rollSpin(QStringLiteral("SpRev") + n, QStringLiteral("Reverb Send"));
}

void PartColumn::layOut() {
  auto* g = new QGridLayout(this);
  g->setContentsMargins(4, 4, 4, 4);
  g->setHorizontalSpacing(4);
  g->setVerticalSpacing(3);
  int row = 0;
  g->addWidget(partButton_, row, 0);
  g->addWidget(partNumber_, row++, 1);
  g->addWidget(patchButton_, row++, 0, 1, 2);
  g->addWidget(leftCaption(QStringLiteral("Pan")), row, 0);
  g->addWidget(panBox_, row++, 1);
  g->addWidget(panIndicator_, row++, 0, 1, 2);
  g->addWidget(leftCaption(QStringLiteral("Chan")), row, 0);
  g->addWidget(channelBox_, row++, 1);
  // On Linux a screen reader names a list by the label it is the buddy of.
  for (auto [text, combo] : {std::pair{"Out", outputChoice_}, std::pair{"EFX", efxOutputChoice_}}) {
    auto* l = leftCaption(QString::fromLatin1(text));
    l->setBuddy(combo);
    g->addWidget(l, row, 0);
    g->addWidget(combo, row++, 1);
  }

  auto* sends = new QVBoxLayout;
  sends->setSpacing(2);
  sends->addWidget(soundButton_);
  for (auto [label, spin] :
       {std::pair{"Mix-Efx Send", levelBox_}, std::pair{"Chorus", chorusBox_}, std::pair{"Reverb", reverbBox_}}) {
    auto* l = leftCaption(QString::fromLatin1(label));
    l->setBuddy(spin);
    sends->addWidget(l);
    sends->addWidget(spin);
  }
  sends->addStretch(1);
  auto* level = new QVBoxLayout;
  level->setSpacing(2);
  level->addWidget(leftCaption(QStringLiteral("Level")));
  level->addWidget(levelFader_, 1, Qt::AlignHCenter);
  g->addLayout(level, row, 0);
  g->addLayout(sends, row++, 1);
  g->setRowStretch(row - 1, 1);
}

void PartColumn::bind(BindingSet& bindings, const PartRef& part, const Refreshes& after) {
  bindings.bind(levelFader_, param::PartLevel, part, refreshingAfter(after.sounding, "Part %1 level"));
  bindings.bind(levelBox_, param::PartMixEfxSend, part, refreshingAfter(after.sounding, "Part %1 mix-EFX send"));
  bindings.bind(chorusBox_, param::PartChorusSend, part, refreshingAfter(after.overview, "Part %1 chorus send"));
  bindings.bind(reverbBox_, param::PartReverbSend, part, refreshingAfter(after.overview, "Part %1 reverb send"));
  BindOptions pan = refreshingAfter(after.overview, "Part %1 pan");
  pan.preview = [this](int shownPan) { panIndicator_->setValue(shownPan + shown::PanCentre); };
  bindings.bind(panBox_, param::PartPan, part, pan);
  // The module takes a new channel reliably only when told twice.
  BindOptions channel = refreshingAfter(after.whole, "Part %1 channel");
  channel.sendTwice = true;
  bindings.bind(channelBox_, param::PartChannel, part, channel);
  bindings.bind(outputChoice_, param::PartOutput, part, refreshingAfter(after.overview, "Part %1 output"));
  BindOptions feed = refreshingAfter(after.overview, "Part %1 EFX");
  feed.shownFromStored = [](int stored) -> std::optional<int> {
    return stored > param::PartEfxFeed.shownMax ? param::PartEfxFeed.shownMin : stored;
  };
  bindings.bind(efxOutputChoice_, param::PartEfxFeed, part, feed);
}

void PartColumn::showHead(int part, bool receiving, bool drum) {
  const QString number = QString::number(part + 1);
  setColours(partButton_, receiving ? ActiveCaption : InactiveCaption,
             receiving ? ActiveCaptionText : InactiveCaptionText);
  partButton_->setChecked(receiving);
  partButton_->setText(QStringLiteral("Part ") + number + (drum ? QStringLiteral("  Drum") : QString()));
  partButton_->setAccessibleName(QStringLiteral("Part %1 receive switch").arg(number));
  partNumber_->setText(number);
  soundButton_->setAccessibleName(QStringLiteral("Part %1 sounds on test channel").arg(number));
}

void PartColumn::showPatch(int part, const QString& name) {
  patchButton_->setText(name);
  patchButton_->setAccessibleName(QStringLiteral("Part %1 patch: %2").arg(part + 1).arg(name.trimmed()));
}

void PartColumn::showPanPosition(int stored) { panIndicator_->setValue(stored); }

void PartColumn::showSounding(bool sounds) { soundButton_->setChecked(sounds); }

void PartColumn::enableEfxChoice() { efxOutputChoice_->setEnabled(outputChoice_->currentIndex() == EfxOutput); }

int PartColumn::pan() const { return panBox_->Value(); }
int PartColumn::level() const { return levelFader_->Position(); }
int PartColumn::mixSend() const { return levelBox_->Value(); }
int PartColumn::chorusSend() const { return chorusBox_->Value(); }
int PartColumn::reverbSend() const { return reverbBox_->Value(); }
void PartColumn::setPan(int shown) { panBox_->setValue(shown); }

}  // namespace quillon
