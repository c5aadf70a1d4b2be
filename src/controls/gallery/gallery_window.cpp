#include "controls/gallery/gallery_window.h"

#include "controls/led_gauge.h"
#include "controls/pan_indicator.h"
#include "controls/value_fader.h"
#include "controls/text_fader.h"
#include "controls/roll_spin_box.h"
#include "engine/slider_texts.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace quillon {
namespace {

constexpr int FaderHeight = 160;
constexpr int ShortFaderHeight = 40;
constexpr int ShortFaderTicks = 20;
constexpr int TextFaderWidth = 64;
constexpr int PanOffset = 64;
constexpr int GaugeHeight = 250;
constexpr int RowGaugeWidth = 220;
constexpr int RowGaugeHeight = 14;
constexpr int VelocityCount = 61;
constexpr int VelocityYellowPercent = 51;
constexpr int VelocityRedPercent = 80;
constexpr int HitVelocity = 120;
const QColor PurpleThumb = QColor(0x80, 0x00, 0x80);
const QColor MaroonLed = QColor(128, 0, 0);

// The EFX pan wording: "L 64" .. "L 1", "Centr", "1 R" .. "63 R".
QString efxPanText(int value) {
  if (value < PanOffset) return QStringLiteral("L %1").arg(PanOffset - value);
  if (value == PanOffset) return QStringLiteral("Centr");
  return QStringLiteral("%1 R").arg(value - PanOffset);
}

QWidget* labelled(const QString& caption, QWidget* control) {
  auto* box = new QWidget;
  auto* layout = new QVBoxLayout(box);
  layout->setContentsMargins(2, 2, 2, 2);
  layout->setSpacing(2);
  auto* label = new QLabel(caption);
  label->setAlignment(Qt::AlignHCenter);
  label->setBuddy(control);
  layout->addWidget(label);
  layout->addWidget(control, 0, Qt::AlignHCenter);
  layout->addStretch();
  return box;
}

ValueFader* numberFader(const QString& name, int position) {
  auto* fader = new ValueFader;
  fader->setObjectName(name);
  fader->setAccessibleName(name);
  fader->setFixedHeight(FaderHeight);
  fader->setPosition(position);
  return fader;
}

TextFader* textFader(const QString& name, int maxValue, int position) {
  auto* fader = new TextFader;
  fader->setObjectName(name);
  fader->setAccessibleName(name);
  fader->setFixedSize(TextFaderWidth, FaderHeight);
  fader->setMaxValue(maxValue);
  fader->setPosition(position);
  return fader;
}

RollSpinBox* spin(const QString& name, int minValue, int maxValue, int value) {
  auto* field = new RollSpinBox;
  field->setObjectName(name);
  field->setAccessibleName(name);
  field->setMinValue(minValue);
  field->setMaxValue(maxValue);
  field->setValue(value);
  return field;
}

}  // namespace

GalleryWindow::GalleryWindow(QWidget* parent) : QWidget(parent) {
  setWindowTitle(tr("Quillon value controls"));
  auto* layout = new QVBoxLayout(this);
  auto* row = new QHBoxLayout;
  row->addWidget(buildFaders());
  row->addWidget(buildSpinsAndPan());
  row->addWidget(buildGauges());
  layout->addLayout(row);
  eventLine_ = new QLabel(tr("Move a control: its events show here."));
  eventLine_->setObjectName("EventLine");
  layout->addWidget(eventLine_);
}

void GalleryWindow::report(const QString& control, const char* event, int value) {
  eventLine_->setText(QStringLiteral("%1  %2  %3").arg(control, QLatin1String(event)).arg(value));
}

QWidget* GalleryWindow::buildFaders() {
  auto* group = new QGroupBox(tr("Faders"));
  auto* layout = new QHBoxLayout(group);

  auto* level = numberFader("SlVol1", 100);
  level->setToolTip(tr("Part Volume"));
  firstControl_ = level;
  auto* output = numberFader("SlLevel", 127);
  output->setThumbColor(PurpleThumb);

  auto* efxPan = textFader("Sliddt1", 127, PanOffset);
  efxPan->setText(efxPanText(efxPan->Position()));
  connect(efxPan, &TextFader::OnChange, efxPan, [efxPan](int v) { efxPan->setText(efxPanText(v)); });
  connect(efxPan, &TextFader::OnChanging, efxPan, [efxPan](int v) { efxPan->setText(efxPanText(v)); });

  const int hfDampMax = static_cast<int>(texts::HFDampTexts.size()) - 1;
  auto* hfDamp = textFader("SlRHFdamp", hfDampMax, 10);
  auto showHfDamp = [hfDamp](int v) {
    hfDamp->setText(QString::fromLatin1(texts::HFDampTexts[static_cast<std::size_t>(v)].data(), 8));
  };
  showHfDamp(hfDamp->Position());
  connect(hfDamp, &TextFader::OnChange, hfDamp, showHfDamp);
  connect(hfDamp, &TextFader::OnChanging, hfDamp, showHfDamp);

  auto* note = textFader("SbNoteH", texts::MidiNoteCount - 1, 65);
  auto showNote = [note](int v) { note->setText(QString::fromStdString(std::string(texts::noteName(v)))); };
  showNote(note->Position());
  connect(note, &TextFader::OnChange, note, showNote);
  connect(note, &TextFader::OnChanging, note, showNote);

  auto* velocity = numberFader("SbNoteV", 64);
  connect(velocity, &ValueFader::OnChange, this, [this](int v) { hitGauges(v); });
  connect(velocity, &ValueFader::OnChanging, this, [this](int v) { hitGauges(v); });

  auto* shortFader = new ValueFader;
  shortFader->setObjectName("ShortFader");
  shortFader->setAccessibleName("Short fader");
  shortFader->setFixedHeight(ShortFaderHeight);
  shortFader->setTicks(ShortFaderTicks);
  shortFader->setPosition(40);

  auto* disabled = numberFader("Disabled", 30);
  disabled->setEnabled(false);

  const std::pair<QString, FaderBase*> faders[] = {
      {tr("Level"), level}, {tr("Output"), output}, {tr("EFX Pan"), efxPan},   {tr("HF-Damp"), hfDamp},
      {tr("Note"), note},   {tr("Velo"), velocity}, {tr("Short"), shortFader}, {tr("Off"), disabled}};
  for (const auto& [caption, fader] : faders) {
    layout->addWidget(labelled(caption, fader));
    const QString name = fader->objectName();
    connect(fader, &FaderBase::OnChange, this, [this, name](int v) { report(name, "OnChange", v); });
    connect(fader, &FaderBase::OnChanging, this, [this, name](int v) { report(name, "OnChanging", v); });
  }
  return group;
}

QWidget* GalleryWindow::buildSpinsAndPan() {
  auto* group = new QGroupBox(tr("Spin fields and pan"));
  auto* grid = new QGridLayout(group);

  auto* pan = spin("SpPan1", -PanOffset, PanOffset - 1, 0);
  pan->setToolTip(tr("Press and Roll"));
  pan->setLedOffCol(MaroonLed);
  auto* panIndicator = new PanIndicator;
  panIndicator->setObjectName("LPanH1");
  panIndicator->setValue(pan->Value() + PanOffset);
  auto followPan = [panIndicator](int v) { panIndicator->setValue(v + PanOffset); };
  connect(pan, &RollSpinBox::OnChange, panIndicator, followPan);
  connect(pan, &RollSpinBox::OnChanging, panIndicator, followPan);

  auto* send = spin("SpLev1", 0, 127, 100);
  send->setToolTip(tr("Shift+5 Ctrl+10"));
  auto* depth = spin("SpCDepth1", -63, 63, -63);
  auto* fine = spin("SpPF1", -50, 50, 7);

  const std::pair<QString, RollSpinBox*> spins[] = {
      {tr("Pan"), pan}, {tr("Mix-Efx Send"), send}, {tr("Depth"), depth}, {tr("Pitch Fine"), fine}};
  int row = 0;
  for (const auto& [caption, field] : spins) {
    auto* label = new QLabel(caption);
    label->setBuddy(field);
    grid->addWidget(label, row, 0);
    grid->addWidget(field, row, 1, Qt::AlignLeft);
    const QString name = field->objectName();
    connect(field, &RollSpinBox::OnChange, this, [this, name](int v) { report(name, "OnChange", v); });
    connect(field, &RollSpinBox::OnChanging, this, [this, name](int v) { report(name, "OnChanging", v); });
    if (field == pan) grid->addWidget(panIndicator, ++row, 1, Qt::AlignLeft);
    ++row;
  }

  auto* extremes = new QHBoxLayout;
  for (int value : {0, 64, 127}) {
    auto* indicator = new PanIndicator;
    indicator->setFixedWidth(39);
    indicator->setValue(value);
    extremes->addWidget(indicator);
  }
  grid->addWidget(new QLabel(tr("Pan 0, 64, 127")), row, 0);
  grid->addLayout(extremes, row, 1);
  grid->setRowStretch(row + 1, 1);
  return group;
}

QWidget* GalleryWindow::buildGauges() {
  auto* group = new QGroupBox(tr("LED gauges"));
  auto* layout = new QGridLayout(group);

  columnGauge_ = new LedGauge;
  columnGauge_->setObjectName("LGIn");
  columnGauge_->setFixedSize(LedGauge::DefaultWidth, GaugeHeight);
  columnGauge_->setCount(VelocityCount);
  columnGauge_->setYellowPercent(VelocityYellowPercent);
  columnGauge_->setRedPercent(VelocityRedPercent);
  columnGauge_->setDelay(LedGauge::TmOn);

  rowGauge_ = new LedGauge;
  rowGauge_->setObjectName("RowGauge");
  rowGauge_->setFixedSize(RowGaugeWidth, RowGaugeHeight);
  rowGauge_->setCount(24);
  rowGauge_->setShape(LedGauge::shRound);
  rowGauge_->setStyle(LedGauge::stSolid);
  rowGauge_->setColor(QColor(0xFF, 0x80, 0x00));
  rowGauge_->setOffColor(QColor(0x40, 0x40, 0x40));
  rowGauge_->setDelay(LedGauge::TmOn);

  auto* dots = new LedGauge;
  dots->setFixedSize(RowGaugeWidth, RowGaugeHeight);
  dots->setCount(16);
  dots->setShape(LedGauge::shRoundedRect);
  dots->setMode(LedGauge::moDot);
  dots->setMirror(true);
  dots->setValue(96);

  auto* hit = new QPushButton(tr("Hit"));
  connect(hit, &QPushButton::clicked, this, [this] { hitGauges(HitVelocity); });

  layout->addWidget(columnGauge_, 0, 0, 4, 1);
  layout->addWidget(new QLabel(tr("Velocity, decaying")), 0, 1);
  layout->addWidget(rowGauge_, 1, 1);
  layout->addWidget(new QLabel(tr("Dot, mirrored")), 2, 1);
  layout->addWidget(dots, 3, 1);
  layout->addWidget(hit, 4, 0, 1, 2);
  layout->setRowStretch(3, 1);
  return group;
}

void GalleryWindow::hitGauges(int velocity) {
  columnGauge_->setValue(velocity);
  rowGauge_->setValue(velocity);
}

void GalleryWindow::focusFirstControl() { firstControl_->setFocus(Qt::OtherFocusReason); }

}  // namespace quillon
