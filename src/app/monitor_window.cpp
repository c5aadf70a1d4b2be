#include "app/monitor_window.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

#include "app/app_context.h"
#include "app/window_placement.h"
#include "controls/led_gauge.h"
#include "controls/value_fader.h"
#include "controls/text_fader.h"
#include "controls/roll_spin_box.h"
#include "engine/midi_message.h"
#include "engine/slider_texts.h"

namespace quillon {

namespace {
constexpr int ChannelCount = 16;
constexpr int SliderHeight = 80;  // small enough for the 256 x 300 of a double click
constexpr int LedSize = 14;
}  // namespace

QColor ledColour(LedColour colour) {
  switch (colour) {
    case LedColour::Green: return QColor(0, 128, 0);
    case LedColour::Lime: return QColor(0, 255, 0);
    case LedColour::Yellow: return QColor(255, 255, 0);
    case LedColour::Blue: return QColor(0, 0, 255);
    case LedColour::Red: return QColor(255, 0, 0);
  }
  return {};
}

QString monitorText(Byte status, Byte data1, Byte data2) {
  return QString::asprintf("%2X %2X %2X", unsigned{status}, unsigned{data1}, unsigned{data2});
}

ActivityLed::ActivityLed(const QString& caption, QWidget* parent)
    : QWidget(parent), caption_(caption), colour_(ledColour(LedColour::Green)) {}

void ActivityLed::setColour(const QColor& colour) {
  if (colour == colour_) return;
  colour_ = colour;
  update();
}

QSize ActivityLed::sizeHint() const { return {LedSize + fontMetrics().horizontalAdvance(caption_) + 6, LedSize + 4}; }

void ActivityLed::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  const QRect dot(1, (height() - LedSize) / 2, LedSize, LedSize);
  p.setPen(QPen(Qt::black, 1));
  p.setBrush(colour_);
  p.drawEllipse(dot);
  p.setPen(palette().windowText().color());
  p.drawText(QRect(dot.right() + 4, 0, width() - dot.right() - 4, height()), Qt::AlignVCenter | Qt::AlignLeft,
             caption_);
}

MonitorWindow::MonitorWindow(AppContext& context, StatusPanelSink statusPanel, QWidget* parent)
    : QWidget(parent, Qt::Tool), ctx_(context), statusPanel_(std::move(statusPanel)) {
  setObjectName(QStringLiteral("NoteOutForm"));
  setWindowTitle(QStringLiteral("Send Note - Controller"));
  buildControls();

  // A stored place is taken as far as it lies on the screen (the screen may be another now).
  if (hasStoredPosition()) {
    const WindowPosition& place = ctx_.settings.windowPositions[NoteOutFormPosition];
    adjustSize();
    placement::placeOnScreen(this, {place.x, place.y});
  }

  noteSlider_->setPosition(monitor_default::Note);
  velocitySlider_->setPosition(monitor_default::Velocity);
  breathSlider_->setPosition(monitor_default::Velocity);
  noteSlider_->setText(QString::fromStdString(std::string(texts::noteName(monitor_default::Note))));
  connectControls();
  connectHost();
  connect(&ctx_.ports, &ModulePorts::opened, this, &MonitorWindow::showPortsOpen);
  connect(&ctx_.ports, &ModulePorts::closed, this, &MonitorWindow::showPortsClosed);
  thru_ = midiThruBox_->isChecked();
}

void MonitorWindow::setMidiThru(bool on) { midiThruBox_->setChecked(on); }

bool MonitorWindow::hasStoredPosition() const {
  const WindowPosition& place = ctx_.settings.windowPositions[NoteOutFormPosition];
  return place.x != 0 || place.y != 0;
}

MonitorWindow::~MonitorWindow() {
  AppHost& host = ctx_.host;
  if (host.monitor() == this) host.attachMonitor(nullptr);
  host.onLightOut = nullptr;
  host.onLightIn = nullptr;
  host.onShowShortMessage = nullptr;
}

void MonitorWindow::buildControls() {
  auto name = [](QWidget* w, const char* n) {
    w->setObjectName(QLatin1String(n));
    return w;
  };
  outputLed_ = new ActivityLed(QStringLiteral("OUT"), this);
  inputLed_ = new ActivityLed(QStringLiteral("IN"), this);
  name(outputLed_, "LedOut");
  name(inputLed_, "LedIn");
  lastMessage_ = new QLabel(QStringLiteral("00 00 00"), this);
  name(lastMessage_, "LmidiOut");
  lastMessage_->setFont(QFont(QStringLiteral("Monospace"), 10, QFont::Bold));
  lastMessage_->setAlignment(Qt::AlignCenter);
  lastMessage_->setFrameStyle(QFrame::Panel | QFrame::Sunken);

  velocityGauge_ = new LedGauge(this);
  name(velocityGauge_, "LGIn");
  velocityGauge_->setCount(GaugeSegments);
  velocityGauge_->setYellowPercent(GaugeYellowPercent);
  velocityGauge_->setRedPercent(GaugeRedPercent);
  // By position: lime, then yellow and red towards full velocity.
  velocityGauge_->setStyle(LedGauge::stStereo);
  velocityGauge_->setFixedHeight(12);
  velocityGauge_->setMinimumWidth(GaugeMinWidth);

  noteSlider_ = new TextFader(this);
  name(noteSlider_, "SbNoteH");
  velocitySlider_ = new ValueFader(this);
  name(velocitySlider_, "SbNoteV");
  channelBox_ = new RollSpinBox(this);
  name(channelBox_, "SpChan");
  channelBox_->setMinValue(1);
  channelBox_->setMaxValue(ChannelCount);
  channelBox_->setValue(monitor_default::Channel);
  allOffButton_ = new QPushButton(QStringLiteral("All Off"), this);
  name(allOffButton_, "SpAllOff");
  allOffButton_->setToolTip(QStringLiteral("Stop it!"));
  chordBox_ = new QCheckBox(QStringLiteral("Cord"), this);
  name(chordBox_, "ChCord");
  chordBox_->setChecked(monitor_default::Chord);
  alwaysBox_ = new QCheckBox(QStringLiteral("Always"), this);
  name(alwaysBox_, "ChAlways");
  alwaysBox_->setChecked(true);
  breathSlider_ = new ValueFader(this);
  name(breathSlider_, "SbNoteB");
  modulationSlider_ = new ValueFader(this);
  name(modulationSlider_, "SbNoteM");
  expressionSlider_ = new ValueFader(this);
  name(expressionSlider_, "SbNoteA");
  midiThruBox_ = new QCheckBox(QStringLiteral("Midi-thru"), this);
  name(midiThruBox_, "CbMiditrue");
  midiThruBox_->setToolTip(QStringLiteral("Only for XP series"));
  midiThruBox_->setChecked(monitor_default::MidiThru);
  keyboardNote_ = new QLabel(this);
  name(keyboardNote_, "Lkb");
  keyboardNote_->hide();
  resetButton_ = new QPushButton(QStringLiteral("r"), this);
  name(resetButton_, "BReset");
  resetButton_->hide();
  indicatorTimer_ = new QTimer(this);
  indicatorTimer_->setObjectName(QStringLiteral("Timer1"));
  indicatorTimer_->setInterval(IndicatorMs);

  for (QWidget* s : std::initializer_list<QWidget*>{noteSlider_, velocitySlider_, breathSlider_, modulationSlider_,
                                                    expressionSlider_})
    s->setMinimumHeight(SliderHeight);
  // What a screen reader says for each value control.
  const std::pair<QWidget*, const char*> spoken[] = {{noteSlider_, "Note"},
                                                     {velocitySlider_, "Velocity"},
                                                     {channelBox_, "Channel"},
                                                     {breathSlider_, "Breath"},
                                                     {modulationSlider_, "Modulation"},
                                                     {expressionSlider_, "Expression"},
                                                     {velocityGauge_, "Input velocity"},
                                                     {outputLed_, "Output activity"},
                                                     {inputLed_, "Input activity"}};
  for (const auto& [control, text] : spoken) control->setAccessibleName(QString::fromLatin1(text));

  auto* top = new QHBoxLayout;
  top->addWidget(outputLed_);
  top->addWidget(lastMessage_, 1);
  top->addWidget(inputLed_);

  auto* notes = new QGridLayout;
  notes->addWidget(new QLabel(QStringLiteral("C-1..G7   Velocity"), this), 0, 0, 1, 2);
  notes->addWidget(noteSlider_, 1, 0);
  notes->addWidget(velocitySlider_, 1, 1);

  auto* switches = new QVBoxLayout;
  auto* chanRow = new QHBoxLayout;
  chanRow->addWidget(new QLabel(QStringLiteral("Chan"), this));
  chanRow->addWidget(channelBox_);
  switches->addLayout(chanRow);
  switches->addWidget(allOffButton_);
  switches->addWidget(chordBox_);
  switches->addWidget(alwaysBox_);
  // Here rather than beside the controller sliders: the window stays narrow
  // enough to stand beside the main window on a small screen.
  switches->addWidget(midiThruBox_);
  switches->addStretch(1);
  switches->addWidget(keyboardNote_);
  switches->addWidget(resetButton_);

  auto* upper = new QHBoxLayout;
  upper->addLayout(notes);
  upper->addLayout(switches);

  auto* ctrls = new QGridLayout;
  ctrls->addWidget(new QLabel(QStringLiteral("Breath    Mod     Express"), this), 0, 0, 1, 3);
  ctrls->addWidget(breathSlider_, 1, 0);
  ctrls->addWidget(modulationSlider_, 1, 1);
  ctrls->addWidget(expressionSlider_, 1, 2);

  auto* lower = new QHBoxLayout;
  lower->addLayout(ctrls);
  lower->addStretch(1);

  auto* main = new QVBoxLayout(this);
  main->setContentsMargins(6, 6, 6, 6);
  main->setSpacing(4);
  main->addLayout(top);
  main->addWidget(velocityGauge_);
  main->addLayout(upper);
  main->addLayout(lower);
}

void MonitorWindow::connectControls() {
  connect(noteSlider_, &FaderBase::OnChange, this, [this](int p) { noteHChanged(p, false); });
  connect(noteSlider_, &FaderBase::OnChanging, this, [this](int p) { noteHChanged(p, true); });
  connect(velocitySlider_, &FaderBase::OnChange, this, [this] { noteVChanged(false); });
  connect(velocitySlider_, &FaderBase::OnChanging, this, [this] { noteVChanged(true); });
  // Breath and modulation follow every step of a drag; expression only when asked.
  for (auto signal : {&FaderBase::OnChange, &FaderBase::OnChanging}) {
    connect(breathSlider_, signal, this, [this](int p) { controller(controller::Breath, p); });
    connect(modulationSlider_, signal, this, [this](int p) { controller(controller::Modulation, p); });
  }
  connect(expressionSlider_, &FaderBase::OnChange, this, [this](int p) { controller(controller::Expression, p); });
  connect(expressionSlider_, &FaderBase::OnChanging, this, [this](int p) {
    if (alwaysBox_->isChecked()) controller(controller::Expression, p);
  });
  // The user's move goes through the engine's rule; the box shows the channel
  // the engine then records (setMonitorChannel).
  for (auto signal : {&RollSpinBox::OnChange, &RollSpinBox::OnChanging})
    connect(channelBox_, signal, this, [this](int channel) { ctx_.sender.moveMonitorChannel(channel); });
  connect(allOffButton_, &QPushButton::clicked, this, [this] { ctx_.sender.silenceAllChannels(); });
  connect(chordBox_, &QCheckBox::clicked, this, [this](bool on) { chord_ = on; });
  // toggled, not clicked: the menu item sets the box too, and the flag follows either hand.
  connect(midiThruBox_, &QCheckBox::toggled, this, [this](bool on) {
    thru_ = on;
    emit midiThruChanged(on);
  });
  connect(resetButton_, &QPushButton::clicked, this, [this] { ctx_.incoming.SysexInCount = 0; });
  connect(indicatorTimer_, &QTimer::timeout, this, &MonitorWindow::indicatorsBackToGreen);
}

void MonitorWindow::connectHost() {
  AppHost& host = ctx_.host;
  host.attachMonitor(this);
  host.onLightOut = [this](LedColour c) { lightOut(c); };
  host.onLightIn = [this](LedColour c) { lightIn(c); };
  host.onShowShortMessage = [this](Byte s, Byte d1, Byte d2) { showMessage(s, d1, d2); };
}

int MonitorWindow::testNote() const { return noteSlider_->Position(); }
int MonitorWindow::testVelocity() const { return velocitySlider_->Position(); }

void MonitorWindow::setMonitorChannel(int channel) {
  channel_ = std::clamp(channel, 1, ChannelCount);
  const QSignalBlocker quiet(channelBox_);
  channelBox_->setValue(channel_);
}

void MonitorWindow::showPortsOpen() {
  ModuleLink& link = ctx_.ports.link();
  if (MidiInputPort* kb = link.keyboard()) {
    keyboardNote_->setText(QStringLiteral("KB open"));
    setPanel(3, QStringLiteral("In2: ") + QString::fromStdString(kb->ProductName()));
  } else {
    keyboardNote_->clear();
    setPanel(3, {});
  }
  setPanel(0, QStringLiteral("Midi Open"));
  setPanel(1, QStringLiteral("In: ") + QString::fromStdString(link.inputName()));
  setPanel(2, QStringLiteral("Out: ") + QString::fromStdString(link.outputName()));
}

void MonitorWindow::showPortsClosed() {
  keyboardNote_->clear();
  setPanel(0, QString::fromLatin1(MidiClosedPanelText));
  for (int panel = 1; panel < 4; ++panel) setPanel(panel, {});
}

void MonitorWindow::setPanel(int panel, const QString& text) {
  if (statusPanel_) statusPanel_(panel, text);
}

void MonitorWindow::showMessage(Byte status, Byte data1, Byte data2) {
  velocityGauge_->setValue(data2);
  lastMessage_->setText(monitorText(status, data1, data2));
}

void MonitorWindow::send(Byte status, Byte data1, Byte data2) { ctx_.sender.SendShortMidi(status, data1, data2); }

void MonitorWindow::allSoundOff() { send(onChannel(status::ControlChange, channel_), controller::AllSoundOff, 0); }

void MonitorWindow::playNote() {
  send(onChannel(status::NoteOn, channel_), static_cast<Byte>(noteSlider_->Position()),
       static_cast<Byte>(velocitySlider_->Position()));
}

void MonitorWindow::noteHChanged(int position, bool dragging) {
  // A drag reports every mouse move; only a new position is a change.
  if (dragging && position == lastNoteDrag_) return;
  lastNoteDrag_ = dragging ? position : -1;
  allSoundOff();
  noteSlider_->setText(QString::fromStdString(std::string(texts::noteName(position))));
  if (noteSlider_->MuisDown() && !alwaysBox_->isChecked()) return;
  playNote();
}

void MonitorWindow::noteVChanged(bool dragging) {
  if (dragging && !alwaysBox_->isChecked()) return;
  allSoundOff();
  playNote();
}

void MonitorWindow::controller(Byte number, int value) {
  send(onChannel(status::ControlChange, channel_), number, static_cast<Byte>(value & midi_byte::DataMask));
}

void MonitorWindow::lightOut(LedColour colour) {
  outputLed_->setColour(ledColour(colour));
  indicatorTimer_->start();
}

void MonitorWindow::lightIn(LedColour colour) {
  inputLed_->setColour(ledColour(colour));
  indicatorTimer_->start();
}

void MonitorWindow::indicatorsBackToGreen() {
  inputLed_->setColour(ledColour(LedColour::Green));
  outputLed_->setColour(ledColour(LedColour::Green));
  indicatorTimer_->stop();
}

void MonitorWindow::mouseDoubleClickEvent(QMouseEvent* event) {
  resize(DoubleClickWidth, DoubleClickHeight);
  QWidget::mouseDoubleClickEvent(event);
}

void MonitorWindow::storePosition() {
  WindowPosition& place = ctx_.settings.windowPositions[NoteOutFormPosition];
  place.x = x();
  place.y = y();
}

void MonitorWindow::closeEvent(QCloseEvent* event) {
  storePosition();
  event->accept();
}

void MonitorWindow::moveEvent(QMoveEvent* event) {
  // The program ends by closing the main window, which writes the positions
  // while this window is still open: keep the entry current.
  if (isVisible()) storePosition();
  QWidget::moveEvent(event);
}

}  // namespace quillon
