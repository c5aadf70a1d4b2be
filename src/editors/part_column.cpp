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
  connect(lp_, &QPushButton::clicked, this, &PartColumn::receiveClicked);
  connect(spA_, &QToolButton::clicked, this, &PartColumn::soundClicked);
  connect(stP_, &QPushButton::clicked, this, &PartColumn::patchClicked);
  connect(cbOut_, &QComboBox::currentIndexChanged, this, &PartColumn::enableEfxChoice);
}

void PartColumn::buildControls(int column) {
  const QString n = QString::number(column + 1);
  lp_ = flatCaption(QStringLiteral("lp") + n, QStringLiteral("Click On/Off"));
  lp_->setCheckable(true);
  lp_->setMinimumWidth(lp_->fontMetrics().horizontalAdvance(QStringLiteral("Part 10  Drum")) + 12);
  l_ = new QLabel;
  l_->setObjectName(QStringLiteral("l") + n);
  QFont big = l_->font();
  big.setPointSize(NumberPointSize);
  big.setBold(true);
  l_->setFont(big);
  l_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  stP_ = flatCaption(QStringLiteral("StP") + n, QStringLiteral("Click to select patch"));
  setColours(stP_, editor_look::PatchCaption, palette().color(QPalette::WindowText));
  stP_->setMinimumWidth(stP_->fontMetrics().averageCharWidth() * PerformanceNameLength +
                        8);  // a 12-character patch name

  spPan_ = rollSpin(QStringLiteral("SpPan") + n, column == 0 ? QStringLiteral("Press and Roll") : QString());
  spPan_->setLedOffCol(PanLedOff);
  lPanH_ = new PanIndicator;
  lPanH_->setObjectName(QStringLiteral("LPanH") + n);
  lPanH_->setAccessibleName(QStringLiteral("Pan position"));
  spCh_ = new QSpinBox;
  spCh_->setObjectName(QStringLiteral("SpCh") + n);
  cbOut_ = new QComboBox;
  cbOut_->setObjectName(QStringLiteral("CbOut") + n);
  cbEfxOut_ = new QComboBox;
  cbEfxOut_->setObjectName(QLatin1String(EfxOutNames[static_cast<std::size_t>(column)]));
  spA_ = new QToolButton;
  spA_->setObjectName(QStringLiteral("SpA") + n);
  spA_->setText(QStringLiteral("Test"));
  spA_->setCheckable(true);
  spA_->setToolTip(QStringLiteral("Down while the part sounds on the test channel; click to switch it on"));
  slVol_ = new ValueFader;
  slVol_->setObjectName(QStringLiteral("SlVol") + n);
  slVol_->setToolTip(QStringLiteral("Part Volume"));
  slVol_->setMinimumHeight(FaderHeight);
  spLev_ = rollSpin(QStringLiteral("SpLev") + n, QStringLiteral("Shift+5 Ctrl+10"));
  spCho_ = rollSpin(QStringLiteral("SpCho") + n, QStringLiteral("Chorus Send"));
  spRev_ = rollSpin(QStringLiteral("SpRev") + n, QStringLiteral("Reverb Send"));
}

void PartColumn::layOut() {
  auto* g = new QGridLayout(this);
  g->setContentsMargins(4, 4, 4, 4);
  g->setHorizontalSpacing(4);
  g->setVerticalSpacing(3);
  int row = 0;
  g->addWidget(lp_, row, 0);
  g->addWidget(l_, row++, 1);
  g->addWidget(stP_, row++, 0, 1, 2);
  g->addWidget(leftCaption(QStringLiteral("Pan")), row, 0);
  g->addWidget(spPan_, row++, 1);
  g->addWidget(lPanH_, row++, 0, 1, 2);
  g->addWidget(leftCaption(QStringLiteral("Chan")), row, 0);
  g->addWidget(spCh_, row++, 1);
  // On Linux a screen reader names a list by the label it is the buddy of.
  for (auto [text, combo] : {std::pair{"Out", cbOut_}, std::pair{"EFX", cbEfxOut_}}) {
    auto* l = leftCaption(QString::fromLatin1(text));
    l->setBuddy(combo);
    g->addWidget(l, row, 0);
    g->addWidget(combo, row++, 1);
  }

  auto* sends = new QVBoxLayout;
  sends->setSpacing(2);
  sends->addWidget(spA_);
  for (auto [label, spin] :
       {std::pair{"Mix-Efx Send", spLev_}, std::pair{"Chorus", spCho_}, std::pair{"Reverb", spRev_}}) {
    auto* l = leftCaption(QString::fromLatin1(label));
    l->setBuddy(spin);
    sends->addWidget(l);
    sends->addWidget(spin);
  }
  sends->addStretch(1);
  auto* level = new QVBoxLayout;
  level->setSpacing(2);
  level->addWidget(leftCaption(QStringLiteral("Level")));
  level->addWidget(slVol_, 1, Qt::AlignHCenter);
  g->addLayout(level, row, 0);
  g->addLayout(sends, row++, 1);
  g->setRowStretch(row - 1, 1);
}

void PartColumn::bind(BindingSet& bindings, const PartRef& part, const Refreshes& after) {
  bindings.bind(slVol_, param::PartLevel, part, refreshingAfter(after.sounding, "Part %1 level"));
  bindings.bind(spLev_, param::PartMixEfxSend, part, refreshingAfter(after.sounding, "Part %1 mix-EFX send"));
  bindings.bind(spCho_, param::PartChorusSend, part, refreshingAfter(after.overview, "Part %1 chorus send"));
  bindings.bind(spRev_, param::PartReverbSend, part, refreshingAfter(after.overview, "Part %1 reverb send"));
  BindOptions pan = refreshingAfter(after.overview, "Part %1 pan");
  pan.preview = [this](int shownPan) { lPanH_->setValue(shownPan + shown::PanCentre); };
  bindings.bind(spPan_, param::PartPan, part, pan);
  // The module takes a new channel reliably only when told twice.
  BindOptions channel = refreshingAfter(after.whole, "Part %1 channel");
  channel.sendTwice = true;
  bindings.bind(spCh_, param::PartChannel, part, channel);
  bindings.bind(cbOut_, param::PartOutput, part, refreshingAfter(after.overview, "Part %1 output"));
  BindOptions feed = refreshingAfter(after.overview, "Part %1 EFX");
  feed.shownFromStored = [](int stored) -> std::optional<int> {
    return stored > param::PartEfxFeed.shownMax ? param::PartEfxFeed.shownMin : stored;
  };
  bindings.bind(cbEfxOut_, param::PartEfxFeed, part, feed);
}

void PartColumn::showHead(int part, bool receiving, bool drum) {
  const QString number = QString::number(part + 1);
  setColours(lp_, receiving ? ActiveCaption : InactiveCaption, receiving ? ActiveCaptionText : InactiveCaptionText);
  lp_->setChecked(receiving);
  lp_->setText(QStringLiteral("Part ") + number + (drum ? QStringLiteral("  Drum") : QString()));
  lp_->setAccessibleName(QStringLiteral("Part %1 receive switch").arg(number));
  l_->setText(number);
  spA_->setAccessibleName(QStringLiteral("Part %1 sounds on test channel").arg(number));
}

void PartColumn::showPatch(int part, const QString& name) {
  stP_->setText(name);
  stP_->setAccessibleName(QStringLiteral("Part %1 patch: %2").arg(part + 1).arg(name.trimmed()));
}

void PartColumn::showPanPosition(int stored) { lPanH_->setValue(stored); }

void PartColumn::showSounding(bool sounds) { spA_->setChecked(sounds); }

void PartColumn::enableEfxChoice() { cbEfxOut_->setEnabled(cbOut_->currentIndex() == EfxOutput); }

int PartColumn::pan() const { return spPan_->Value(); }
int PartColumn::level() const { return slVol_->Position(); }
int PartColumn::mixSend() const { return spLev_->Value(); }
int PartColumn::chorusSend() const { return spCho_->Value(); }
int PartColumn::reverbSend() const { return spRev_->Value(); }
void PartColumn::setPan(int shown) { spPan_->setValue(shown); }

}  // namespace quillon
