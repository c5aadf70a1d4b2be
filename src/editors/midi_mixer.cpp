#include "editors/midi_mixer.h"

#include <QButtonGroup>
#include <QCloseEvent>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "controls/pan_indicator.h"
#include "controls/roll_spin_box.h"
#include "controls/value_fader.h"
#include "editors/window_support.h"
#include "settings/device_settings.h"

namespace quillon {

namespace {
constexpr int ChorusRow = 0, ReverbRow = 1, PanRow = 2, VolumeRow = 3;
const QColor LampIdle(0, 128, 0);
const QColor LampLit(0, 255, 0);
constexpr int FaderHeight = 84;  // 16 strips fit a 1366 x 768 screen, and a 1600 x 1000 one at scale 2

// The volume faders' names as the window has always had them.
QString volumeName(int strip) {
  const int n = strip + 1;
  return (n >= 2 && n <= 6 ? QStringLiteral("SlVol") : QStringLiteral("slVol")) + QString::number(n);
}

void lampColour(QLabel* lamp, const QColor& colour) {
  lamp->setStyleSheet(QStringLiteral("background-color: %1;").arg(colour.name()));
}
}  // namespace

MidiMixer::MidiMixer(EditingContext& context, QWidget* parent)
    : QWidget(parent, Qt::Window),
      ctx_(context),
      desk_(context.host, context.store),
      bindings_(context, SendGuard::FormFilling, this) {
  setObjectName(QStringLiteral("TMidiMixer"));
  setWindowTitle(QStringLiteral("MidiMixer"));
  bindings_.setControllerTargets(&desk_);
  desk_.setMemoriesText(context.settings.extraValue(QLatin1String(MemoriesKey)).toStdString());
  // Back in the window (after the settings dialog, say): the port may be open again.
  refillOnReturn(this, [this] { desk_.reopened(); });

  auto* layout = new QVBoxLayout(this);
  auto* grid = new QGridLayout;
  grid->setHorizontalSpacing(2);  // 16 strips side by side, at scale 2 too
  for (int s = 0; s < MixerStrips; ++s) buildStrip(s, grid);
  layout->addLayout(grid);

  auto* bottom = new QHBoxLayout;
  auto* group = new QButtonGroup(this);
  for (int m = 0; m < MixerMemoryCount; ++m) {
    auto* b = named(new QPushButton(QStringLiteral("M %1").arg(m + 1), this), "spM" + QString::number(m + 1));
    b->setCheckable(true);
    b->setAccessibleName(QStringLiteral("Mixer memory %1").arg(m + 1));
    group->addButton(b, m);
    bottom->addWidget(b);
    memoryButtons_[static_cast<std::size_t>(m)] = b;
  }
  memoryButtons_[0]->setChecked(true);
  connect(group, &QButtonGroup::idClicked, this, &MidiMixer::recall);
  update_ = named(new QPushButton(QStringLiteral("Update"), this), "spMupdate");
  update_->setCheckable(true);
  update_->setChecked(true);
  auto* clear = named(new QPushButton(QStringLiteral("Clear"), this), "Bclear");
  connect(clear, &QPushButton::clicked, this, &MidiMixer::clearAll);
  lamp_ = named(new QLabel(this), "LedIn");
  lamp_->setFixedSize(14, 14);
  lamp_->setAccessibleName(QStringLiteral("Input activity"));
  lampColour(lamp_, LampIdle);
  bottom->addStretch(1);
  bottom->addWidget(update_);
  bottom->addWidget(clear);
  bottom->addWidget(lamp_);
  layout->addLayout(bottom);

  lampTimer_ = new QTimer(this);
  lampTimer_->setObjectName(QStringLiteral("Timer1"));
  lampTimer_->setInterval(LampMs);
  // Runs only while the lamp is lit: a timer ticking for nothing wakes an idle program.
  connect(lampTimer_, &QTimer::timeout, this, [this] {
    lampColour(lamp_, LampIdle);
    lampTimer_->stop();
  });
  bindings_.refresh();  // the start values are shown, not sent
}

MidiMixer::~MidiMixer() { saveMemories(); }

void MidiMixer::buildStrip(int s, QGridLayout* grid) {
  const QString n = QString::number(s + 1);
  auto* caption = new QLabel(QStringLiteral("Part ") + n, this);
  auto* volume = named(new ValueFader(this), volumeName(s));
  auto* pan = named(new RollSpinBox(this), "spPan" + n);
  auto* indicator = named(new PanIndicator(this), "LPanH" + n);
  auto* chorus = named(new ValueFader(this), "slCho" + n);
  auto* reverb = named(new ValueFader(this), "slRev" + n);
  panIndicators_[static_cast<std::size_t>(s)] = indicator;
  indicator->setAccessibleName(QStringLiteral("Part %1 pan position").arg(n));
  for (ValueFader* f : {volume, chorus, reverb}) f->setMinimumHeight(FaderHeight);
  int row = 0;
  grid->addWidget(caption, row++, s, Qt::AlignHCenter);
  auto* levelCaption = new QLabel(n + QStringLiteral("\nL e v"), this);
  levelCaption->setAlignment(Qt::AlignCenter);
  grid->addWidget(levelCaption, row++, s, Qt::AlignHCenter);
  grid->addWidget(volume, row++, s, Qt::AlignHCenter);
  grid->addWidget(new QLabel(QStringLiteral("Pan"), this), row++, s, Qt::AlignHCenter);
  grid->addWidget(pan, row++, s, Qt::AlignHCenter);
  grid->addWidget(indicator, row++, s);
  grid->addWidget(new QLabel(QStringLiteral("Chorus"), this), row++, s, Qt::AlignHCenter);
  grid->addWidget(chorus, row++, s, Qt::AlignHCenter);
  grid->addWidget(new QLabel(QStringLiteral("Reverb"), this), row++, s, Qt::AlignHCenter);
  grid->addWidget(reverb, row++, s, Qt::AlignHCenter);

  // Every step of a drag leaves at once: the mixer follows the hand.
  const PartRef strip = PartRef::fixed(s);
  const auto options = [](const char* spoken) {
    return BindOptions{.sendWhileDragging = true, .accessibleName = QStringLiteral("Part %1 ") + QLatin1String(spoken)};
  };
  BindOptions panOptions = options("pan");
  panOptions.preview = [indicator](int shown) { indicator->setValue(param::MixerPan.toStored(shown)); };
  strips_[VolumeRow][s] = bindings_.bind(volume, param::MixerVolume, strip, options("volume"));
  strips_[PanRow][s] = bindings_.bind(pan, param::MixerPan, strip, std::move(panOptions));
  strips_[ChorusRow][s] = bindings_.bind(chorus, param::MixerChorus, strip, options("chorus"));
  strips_[ReverbRow][s] = bindings_.bind(reverb, param::MixerReverb, strip, options("reverb"));
  indicator->setValue(desk_.storedValue(param::MixerPan, s));
}

void MidiMixer::play(int row, int strip, int shown) {
  QWidget* control = strips_[static_cast<std::size_t>(row)][static_cast<std::size_t>(strip)]->control();
  if (auto* f = qobject_cast<FaderBase*>(control)) f->setPosition(shown);
  if (auto* p = qobject_cast<RollSpinBox*>(control)) p->setValue(shown);
}

void MidiMixer::recall(int memory) {
  desk_.reopened();  // a new gesture may try the port again
  desk_.choose(memory);
  memoryButtons_[static_cast<std::size_t>(memory)]->setChecked(true);
  const MixerMemory chosen = desk_.memory(memory);
  // Chorus, reverb, pan, volume of each strip in turn: 64 control changes.
  for (int s = 0; s < MixerStrips; ++s)
    for (int row = 0; row < MixerRows; ++row)
      play(row, s, MixerDesk::rows()[static_cast<std::size_t>(row)]->toShown(chosen[row][s]));
}

void MidiMixer::clearAll() {
  desk_.reopened();
  desk_.clearStrips();
  // All choruses first, then all reverbs, pans (centre) and volumes: every shown value 0.
  for (int row = 0; row < MixerRows; ++row)
    for (int s = 0; s < MixerStrips; ++s) play(row, s, 0);
}

void MidiMixer::controlChangeArrived(Byte status, Byte controller, Byte value) {
  if (!update_->isChecked()) return;
  lampColour(lamp_, LampLit);
  if (!lampTimer_->isActive()) lampTimer_->start();  // back to idle within one period, as before
  const auto shown = desk_.receive(status, controller, value);
  if (!shown) return;
  const int row = MixerDesk::rowOf(*shown->first);
  // Shown under the bindings' guard: nothing goes back to the module.
  bindings_.refresh(strips_[static_cast<std::size_t>(row)][static_cast<std::size_t>(shown->second)]);
  if (row == PanRow) panIndicators_[static_cast<std::size_t>(shown->second)]->setValue(value);
}

void MidiMixer::saveMemories() {
  ctx_.settings.setExtraValue(QLatin1String(MemoriesKey), QString::fromStdString(desk_.memoriesText()));
}

void MidiMixer::showAndRaise() { showWindow(this); }

void MidiMixer::closeEvent(QCloseEvent* event) {
  saveMemories();
  QWidget::closeEvent(event);
}

}  // namespace quillon
