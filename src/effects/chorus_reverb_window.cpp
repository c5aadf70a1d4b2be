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
#include "controls/qt_text.h"
#include "editors/window_support.h"

namespace quillon {

namespace {

constexpr int FaderHeight = 147;
constexpr std::array<std::string_view, 3> EffectsOutputTexts{"MIX", "Out-1", "Out-2"};

// Adds the faders of `specs` side by side under their captions to `grid` rows 0 and 1. A
// parameter with value texts gets a fader that shows the text, the others show the number.
void addFaders(QGridLayout* grid, std::span<const ChorusReverbWindow::FaderSpec> specs, int firstColumn = 0) {
  int column = firstColumn;
  for (const ChorusReverbWindow::FaderSpec& f : specs) {
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
  setObjectName(QStringLiteral("TChoRevForm"));
  setWindowTitle(QStringLiteral(" Chorus Reverb and EFX Out"));
  auto* layout = new QVBoxLayout(this);
  layout->setSizeConstraint(QLayout::SetFixedSize);
  auto* menu = new QMenuBar;
  menu->setAccessibleName(QStringLiteral("Chorus and reverb menu bar"));
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

// A panel's faders on top; its list and switch at the foot, level with those of the other panels.
QGroupBox* ChorusReverbWindow::buildPanel(const QString& title, std::span<const FaderSpec> faders, int firstColumn,
                                          const char* listName, const QString& listCaption,
                                          std::span<const std::string_view> items, const char* switchName) {
  auto* panel = new QGroupBox(title);
  auto* column = new QVBoxLayout(panel);
  auto* grid = new QGridLayout;
  addFaders(grid, faders, firstColumn);
  column->addLayout(grid);
  column->addStretch();
  auto* foot = new QHBoxLayout;
  auto* caption = new QLabel(listCaption);
  auto* list = named(new QComboBox, listName);
  for (std::string_view t : items) list->addItem(toQ(t));
  caption->setBuddy(list);
  foot->addWidget(caption);
  foot->addWidget(list, 1);
  foot->addWidget(named(new QCheckBox(QStringLiteral("On")), switchName));
  column->addLayout(foot);
  return panel;
}

QWidget* ChorusReverbWindow::buildChorusPanel() {
  static const FaderSpec faders[] = {{"SLCRate", "Rate", param::ChorusRate},
                                     {"SlCdepth", "Depth", param::ChorusDepth},
                                     {"SlCpredly", "Pre-Dly", param::ChorusPreDelay},
                                     {"SlCfeedbck", "Feedbck", param::ChorusFeedback}};
  QGroupBox* panel = buildPanel(QStringLiteral("Chorus Settings"), faders, 1, "CbOutC", QStringLiteral("Output Assign"),
                                texts::ChorusOutput, "ChCon");
  // The level place holds two faders of the same byte: "Reverb" stands in for
  // "Level" while the chorus goes to the reverb.
  auto* grid = panel->findChild<QGridLayout*>();
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
  connect(panel->findChild<QComboBox*>(QStringLiteral("CbOutC")), &QComboBox::currentIndexChanged, this,
          &ChorusReverbWindow::switchChorusLevel);
  return panel;
}

QWidget* ChorusReverbWindow::buildReverbPanel() {
  static const FaderSpec faders[] = {{"SlLevR", "Level", param::ReverbLevel},
                                     {"SlRTime", "Time", param::ReverbTime},
                                     {"SlRHFdamp", "HF-Damp", param::ReverbHfDamp},
                                     {"SlRfeedbck", "Feedbck", param::ReverbFeedback}};
  QGroupBox* panel = buildPanel(QStringLiteral("Reverb Settings"), faders, 0, "CbRevType",
                                QStringLiteral("Reverb Type:"), texts::ReverbType, "ChRon");
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
  static const FaderSpec faders[] = {{"SlLevE", "Level", param::EfxMixOutSend},
                                     {"SLCSE", "Chorus send", param::EfxChorusSend},
                                     {"SlRSE", "Reverb send ", param::EfxReverbSend}};
  QGroupBox* panel = buildPanel(QStringLiteral("Effects Settings"), faders, 0, "CbOutE",
                                QStringLiteral("Output Assign"), EffectsOutputTexts, "ChEon");
  auto* openEfx = named(new QPushButton(QStringLiteral("Open EFX")), "BEFX");
  connect(openEfx, &QPushButton::clicked, this, &ChorusReverbWindow::efxRequested);
  static_cast<QVBoxLayout*>(panel->layout())->addWidget(openEfx);
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
    // While another transfer runs its answers are not ours to wait for: show what is stored.
    SessionScope fetch(ctx_.sender.sessions(), TransferKind::EffectFetch);
    if (fetch.started()) {
      switchesUnanswered_ = true;
      setCursor(Qt::WaitCursor);
      ctx_.sender.RequestSysexData(address::systemSwitches(), address::SystemSwitchCount);
      ctx_.sender.pace();
      unsetCursor();
    }
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

void ChorusReverbWindow::showAndRaise() { showWindow(this); }

}  // namespace quillon
