#include "effects/chorus_reverb_window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QSpinBox>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <span>

#include "controls/text_fader.h"
#include "controls/value_fader.h"
#include "editors/binding/edit_history.h"
#include "editors/binding/store_notifier.h"
#include "engine/sender.h"
#include "engine/slider_texts.h"
#include "engine/value_texts.h"

namespace quillon {

namespace {

constexpr int FaderHeight = 147;
constexpr std::array<std::string_view, 3> EffectsOutputTexts{"MIX", "Out-1", "Out-2"};

QString toQ(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

template <typename W>
W* named(W* w, const char* name) {
  w->setObjectName(QString::fromLatin1(name));
  return w;
}

// One fader under its caption, in the next column of a panel's fader row.
struct FaderSpec {
  const char* name;
  const char* caption;
  const char* spoken;
  const Parameter& parameter;
};

// Adds the faders of `specs` side by side under their captions to `grid` rows 0 and 1. A
// parameter with value texts gets a fader that shows the text, the others show the number.
void addFaders(QGridLayout* grid, std::span<const FaderSpec> specs, int firstColumn = 0) {
  int column = firstColumn;
  for (const FaderSpec& f : specs) {
    auto* caption = new QLabel(QString::fromLatin1(f.caption));
    caption->setAlignment(Qt::AlignHCenter);
    FaderBase* fader = f.parameter.texts.empty() ? static_cast<FaderBase*>(new ValueFader) : new TextFader;
    fader->setObjectName(QString::fromLatin1(f.name));
    fader->setFixedHeight(FaderHeight);
    caption->setBuddy(fader);
    grid->addWidget(caption, 0, column, Qt::AlignHCenter);
    grid->addWidget(fader, 1, column++, Qt::AlignHCenter);
  }
}

}  // namespace

ChorusReverbWindow::ChorusReverbWindow(EditingContext& context, QWidget* parent)
    : QWidget(parent), ctx_(context), bindings_(context, SendGuard::Updating) {
  setObjectName(QStringLiteral("ChorusReverbWindow"));
  setWindowTitle(QStringLiteral(" Chorus Reverb and EFX Out"));
  auto* layout = new QVBoxLayout(this);
  layout->setSizeConstraint(QLayout::SetFixedSize);
  auto* menu = new QMenuBar;
  ctx_.history.addEditMenu(menu, this);
  layout->setMenuBar(menu);
  layout->addWidget(buildTopBar());
  auto* panels = new QHBoxLayout;
  panels->addWidget(buildChorusPanel());
  panels->addWidget(buildReverbPanel());
  panels->addWidget(buildEffectsPanel());
  layout->addLayout(panels);
  bindControls();
  connect(&ctx_.notices, &StoreNotifier::changed, this, &ChorusReverbWindow::storeChanged);
  fill();
}

ChorusReverbWindow::~ChorusReverbWindow() = default;

QWidget* ChorusReverbWindow::buildTopBar() {
  auto* bar = new QWidget;
  auto* row = new QHBoxLayout(bar);
  row->setContentsMargins(0, 0, 0, 0);
  auto* caption = new QLabel(QStringLiteral("Default Tempo: "));
  tempo_ = named(new QSpinBox, "SpDefTempo");
  tempo_->setRange(shown::TempoMin, shown::TempoMax);
  caption->setBuddy(tempo_);
  auto* step = named(new QWidget, "SpDt10");
  auto* arrows = new QVBoxLayout(step);
  arrows->setContentsMargins(0, 0, 0, 0);
  arrows->setSpacing(0);
  for (int direction : {1, -1}) {
    auto* b = new QToolButton;
    b->setObjectName(direction > 0 ? QStringLiteral("SpDt10Up") : QStringLiteral("SpDt10Down"));
    b->setArrowType(direction > 0 ? Qt::UpArrow : Qt::DownArrow);
    b->setAccessibleName(direction > 0 ? QStringLiteral("Tempo up 10") : QStringLiteral("Tempo down 10"));
    b->setFocusPolicy(Qt::StrongFocus);
    b->setAutoRaise(false);
    b->setFixedHeight(tempo_->sizeHint().height() / 2);
    connect(b, &QToolButton::clicked, this, [this, direction] { stepTempo(direction); });
    arrows->addWidget(b);
  }
  always_ = named(new QCheckBox(QStringLiteral("Change Always")), "ChAlways");
  always_->setAccessibleName(QStringLiteral("Change Always"));
  auto* done = named(new QPushButton(QStringLiteral("Done")), "Bdone");
  connect(done, &QPushButton::clicked, this, &QWidget::close);
  row->addWidget(caption);
  row->addWidget(tempo_);
  row->addWidget(step);
  row->addSpacing(tempo_->sizeHint().height());
  row->addWidget(always_);
  row->addStretch();
  row->addWidget(done);
  return bar;
}

QWidget* ChorusReverbWindow::buildChorusPanel() {
  auto* panel = new QGroupBox(QStringLiteral("Chorus Settings"));
  auto* grid = new QGridLayout(panel);
  // The level place holds two faders of the same byte: "Reverb" stands in for
  // "Level" while the chorus goes to the reverb.
  chorusLevel_ = named(new ValueFader, "SlLevC");
  chorusToReverb_ = named(new ValueFader, "SlRSC");
  chorusLevelCaption_ = new QLabel(QStringLiteral("Level"));
  chorusToReverbCaption_ = new QLabel(QStringLiteral("Reverb"));
  chorusLevelCaption_->setBuddy(chorusLevel_);
  chorusToReverbCaption_->setBuddy(chorusToReverb_);
  for (QLabel* c : {chorusLevelCaption_, chorusToReverbCaption_}) grid->addWidget(c, 0, 0, Qt::AlignHCenter);
  for (ValueFader* f : {chorusLevel_, chorusToReverb_}) {
    f->setFixedHeight(FaderHeight);
    grid->addWidget(f, 1, 0, Qt::AlignHCenter);
  }
  static const FaderSpec faders[] = {{"SLCRate", "Rate", "Chorus rate", param::ChorusRate},
                                     {"SlCdepth", "Depth", "Chorus depth", param::ChorusDepth},
                                     {"SlCpredly", "Pre-Dly", "Chorus pre-delay", param::ChorusPreDelay},
                                     {"SlCfeedbck", "Feedbck", "Chorus feedback", param::ChorusFeedback}};
  addFaders(grid, faders, 1);
  auto* assignCaption = new QLabel(QStringLiteral("Output Assign"));
  auto* output = named(new QComboBox, "CbOutC");
  for (std::string_view t : texts::ChorusOutput) output->addItem(toQ(t));
  assignCaption->setBuddy(output);
  connect(output, &QComboBox::currentIndexChanged, this, &ChorusReverbWindow::switchChorusLevel);
  grid->addWidget(assignCaption, 2, 0, 1, 3);
  grid->addWidget(output, 3, 0, 1, 3);
  grid->addWidget(named(new QCheckBox(QStringLiteral("On")), "ChCon"), 3, 3, 1, 2);
  return panel;
}

QWidget* ChorusReverbWindow::buildReverbPanel() {
  auto* panel = new QGroupBox(QStringLiteral("Reverb Settings"));
  auto* column = new QVBoxLayout(panel);
  auto* typeRow = new QHBoxLayout;
  auto* typeCaption = new QLabel(QStringLiteral("Reverb Type:"));
  auto* type = named(new QComboBox, "CbRevType");
  for (std::string_view t : texts::ReverbType) type->addItem(toQ(t));
  typeCaption->setBuddy(type);
  typeRow->addWidget(typeCaption);
  typeRow->addWidget(type, 1);
  column->addLayout(typeRow);
  auto* grid = new QGridLayout;
  static const FaderSpec faders[] = {{"SlLevR", "Level", "Reverb level", param::ReverbLevel},
                                     {"SlRTime", "Time", "Reverb time", param::ReverbTime},
                                     {"SlRHFdamp", "HF-Damp", "Reverb HF damp", param::ReverbHfDamp},
                                     {"SlRfeedbck", "Feedbck", "Reverb feedback", param::ReverbFeedback}};
  addFaders(grid, faders);
  column->addLayout(grid);
  column->addWidget(named(new QCheckBox(QStringLiteral("On")), "ChRon"), 0, Qt::AlignRight);
  hfDamp_ = panel->findChild<TextFader*>(QStringLiteral("SlRHFdamp"));
  // The frequency follows every step of the cap.
  const auto showDamp = [this](int position) {
    hfDamp_->setText(toQ(position >= 0 && position < static_cast<int>(texts::HFDampTexts.size())
                             ? texts::HFDampTexts[static_cast<std::size_t>(position)]
                             : std::string_view{}));
  };
  connect(hfDamp_, &FaderBase::OnChange, this, showDamp);
  connect(hfDamp_, &FaderBase::OnChanging, this, showDamp);
  return panel;
}

QWidget* ChorusReverbWindow::buildEffectsPanel() {
  auto* panel = new QGroupBox(QStringLiteral("Effects Settings"));
  auto* grid = new QGridLayout(panel);
  static const FaderSpec faders[] = {{"SlLevE", "Level", "EFX level", param::EfxMixOutSend},
                                     {"SLCSE", "Chorus send", "EFX chorus send", param::EfxChorusSend},
                                     {"SlRSE", "Reverb send ", "EFX reverb send", param::EfxReverbSend}};
  addFaders(grid, faders);
  auto* assignCaption = new QLabel(QStringLiteral("Output Assign"));
  auto* output = named(new QComboBox, "CbOutE");
  for (std::string_view t : EffectsOutputTexts) output->addItem(toQ(t));
  assignCaption->setBuddy(output);
  grid->addWidget(assignCaption, 2, 0, 1, 3);
  grid->addWidget(output, 3, 0, 1, 2);
  grid->addWidget(named(new QCheckBox(QStringLiteral("On")), "ChEon"), 3, 2);
  auto* openEfx = named(new QPushButton(QStringLiteral("Open EFX")), "BEFX");
  connect(openEfx, &QPushButton::clicked, this, &ChorusReverbWindow::efxRequested);
  grid->addWidget(openEfx, 4, 0, 1, 3);
  return panel;
}

void ChorusReverbWindow::bindControls() {
  bindings_.setChangeAlways(always_);
  struct Row {
    const char* name;
    const Parameter& parameter;
    const char* spoken;
    bool everyStep;
  };
  const Row rows[] = {
      {"SlLevC", param::ChorusLevel, "Chorus level", false},
      {"SlRSC", param::ChorusLevel, "Chorus to reverb level", false},
      {"SLCRate", param::ChorusRate, "Chorus rate", false},
      {"SlCdepth", param::ChorusDepth, "Chorus depth", false},
      {"SlCpredly", param::ChorusPreDelay, "Chorus pre-delay", false},
      {"SlCfeedbck", param::ChorusFeedback, "Chorus feedback", false},
      {"CbOutC", param::ChorusOutput, "Chorus output assign", false},
      {"ChCon", param::SystemChorusSwitch, "Chorus on", false},
      {"CbRevType", param::ReverbType, "Reverb type", false},
      {"SlLevR", param::ReverbLevel, "Reverb level", false},
      {"SlRTime", param::ReverbTime, "Reverb time", false},
      // Each step of the damping is heard, Change Always or not.
      {"SlRHFdamp", param::ReverbHfDamp, "Reverb HF damp", true},
      {"SlRfeedbck", param::ReverbFeedback, "Reverb feedback", false},
      {"ChRon", param::SystemReverbSwitch, "Reverb on", false},
      {"SlLevE", param::EfxMixOutSend, "EFX level", false},
      {"SLCSE", param::EfxChorusSend, "EFX chorus send", false},
      {"SlRSE", param::EfxReverbSend, "EFX reverb send", false},
      {"CbOutE", param::EfxOutput, "EFX output assign", false},
      {"ChEon", param::SystemEfxSwitch, "EFX on", false},
      {"SpDefTempo", param::DefaultTempo, "Default tempo", false},
  };
  for (const Row& r : rows) {
    BindOptions options;
    options.sendWhileDragging = r.everyStep;
    options.accessibleName = QString::fromLatin1(r.spoken);
    bindings_.bind(findChild<QWidget*>(QString::fromLatin1(r.name)), r.parameter, {}, options);
  }
}

void ChorusReverbWindow::fill() {
  bindings_.refresh();
  switchChorusLevel(findChild<QComboBox*>(QStringLiteral("CbOutC"))->currentIndex());
}

void ChorusReverbWindow::switchChorusLevel(int output) {
  const bool toReverb = output == 1;  // "REV"
  chorusLevel_->setVisible(!toReverb);
  chorusLevelCaption_->setVisible(!toReverb);
  chorusToReverb_->setVisible(toReverb);
  chorusToReverbCaption_->setVisible(toReverb);
}

void ChorusReverbWindow::stepTempo(int direction) {
  const int value = std::clamp(tempo_->value() + direction * TempoStep, shown::TempoMin, shown::TempoMax);
  // Sent also when the bound held it in place, as a press of the button always is.
  tempo_->blockSignals(true);
  tempo_->setValue(value);
  tempo_->blockSignals(false);
  ctx_.edit.set(param::DefaultTempo, 0, value, SendGuard::Updating);
}

void ChorusReverbWindow::activated() {
  if (activating_) return;  // the wait below lets the next activation in
  activating_ = true;
  PerformanceStore& s = ctx_.store;
  if (!s.MidiClosed && !switchesUnanswered_) {
    switchesUnanswered_ = true;
    setCursor(Qt::WaitCursor);
    ctx_.sender.RequestSysexData(address::systemSwitches(), address::SystemSwitchCount);
    ctx_.sender.pace();
    s.Updating = false;
    unsetCursor();
  }
  fill();
  activating_ = false;
}

void ChorusReverbWindow::storeChanged(const StoreChange& change) {
  if (change.origin == ChangeOrigin::Incoming && !change.isEverything() &&
      change.touches(address::AreaSystem, address::BlockCommon, address::SystemEfxSwitch, address::SystemSwitchCount))
    switchesUnanswered_ = false;
}

bool ChorusReverbWindow::event(QEvent* event) {
  const bool handled = QWidget::event(event);
  if (event->type() == QEvent::WindowActivate) activated();
  return handled;
}

void ChorusReverbWindow::showEvent(QShowEvent* event) {
  switchesUnanswered_ = false;  // a new showing may ask once more
  fill();
  QWidget::showEvent(event);
}

void ChorusReverbWindow::showAndRaise() {
  show();
  raise();
  activateWindow();
}

}  // namespace quillon
