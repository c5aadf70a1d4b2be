#include "effects/efx_window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLocale>
#include <QMenuBar>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>
#include <span>

#include "controls/control_geometry.h"
#include "controls/roll_spin_box.h"
#include "controls/text_fader.h"
#include "controls/value_fader.h"
#include "editors/binding/edit_history.h"
#include "editors/binding/store_notifier.h"
#include "engine/sender.h"
#include "engine/value_texts.h"
#include "controls/qt_text.h"
#include "editors/window_support.h"

namespace quillon {

namespace {

// Parameter sliders: lists of fewer than ten entries get a short slider, the rest the full height.
constexpr int ShortListLimit = 10;
constexpr int PixelsPerEntry = 12;
constexpr int ShortSliderExtra = 20;
constexpr int FullSliderHeight = 147;
// Tick counts: one tick per entry for short lists, one per five entries up to 41
// entries, then about one per nine or ten entries.
constexpr int TickPerEntryLimit = 18;
constexpr int TickPerFiveLimit = 42;
constexpr int TicksPerFive = 5;
// Between 42 and 97 (the phase list, 0..180 degrees in 90 steps) the count of the
// range below goes on, held at 10: ten ticks mark every 20 degrees evenly, and
// the count meets the 10 that a 98-entry list gets, so it never falls or jumps.
constexpr int MiddleRangeTickCap = 10;
constexpr int LongListLimit = 97;
constexpr int LongListDivisor = 90;
constexpr int LongerListLimit = 120;
constexpr int LongerListDivisor = 97;
constexpr int TicksPerTen = 10;

constexpr int TypeListLines = 21;
constexpr int SourceCount = 16;
const QColor OutputLevelThumb(128, 0, 128);
const QColor ChorusSendThumb(0, 0, 128);
const QColor ReverbSendThumb(0, 128, 0);

QComboBox* sourceList(const char* name) {
  auto* box = named(new QComboBox, name);
  // "Perform", then the parts "1".."9" and "11".."16": the stored byte skips part 10.
  box->addItem(QStringLiteral("Perform"));
  for (int v = texts::EfxSourcePerform + 1; v < SourceCount; ++v)
    box->addItem(QString::number(texts::efxSourcePart(v)));
  return box;
}

char localeDecimalSeparator() {
  const QString point = QLocale().decimalPoint();
  return point.size() == 1 && point.at(0).unicode() < 0x80 ? point.at(0).toLatin1() : '.';
}

// Labels that occur twice in a type ("Balance") get their slot number, so each
// slider has a name of its own.
QString sliderName(const EfxTypeTable& table, int type, int slot) {
  const std::string_view label = table.slotLabel(type, slot);
  int same = 0;
  for (int k = 1; k <= EfxSlotCount; ++k) same += table.slot(type, k) && table.slotLabel(type, k) == label;
  QString name = QStringLiteral("EFX ") + toQ(label).trimmed();
  if (same > 1) name += QStringLiteral(" (slot %1)").arg(slot);
  return name;
}

}  // namespace

int EfxWindow::sliderHeight(int maxValue) {
  return maxValue < ShortListLimit ? PixelsPerEntry * maxValue + ShortSliderExtra : FullSliderHeight;
}

int EfxWindow::sliderTicks(int maxValue) {
  if (maxValue < TickPerEntryLimit) return maxValue + 1;
  if (maxValue < TickPerFiveLimit) return maxValue / TicksPerFive + 1;
  if (maxValue <= LongListLimit) return std::min(maxValue / TicksPerFive + 1, MiddleRangeTickCap);
  if (maxValue <= LongerListLimit) return maxValue * TicksPerTen / LongListDivisor;
  return maxValue * TicksPerTen / LongerListDivisor;
}

EfxWindow::EfxWindow(EditingContext& context, QWidget* parent)
    : QWidget(parent),
      ctx_(context),
      table_(localeDecimalSeparator()),
      bindings_(context, SendGuard::Updating),
      chosenCaption_(QStringLiteral("Effect :")) {
  setObjectName(QStringLiteral("TEFXForm"));
  setWindowTitle(QStringLiteral("Effects"));
  buildControls();
  bindControls();
  // After the bindings' own refresh: a new type byte needs other slots.
  connect(&ctx_.notices, &StoreNotifier::changed, this, &EfxWindow::storeChanged);
  refresh();
}

EfxWindow::~EfxWindow() = default;

void EfxWindow::buildControls() {
  auto* layout = new QVBoxLayout(this);
  layout->setSizeConstraint(QLayout::SetFixedSize);  // a fixed dialog border
  auto* menu = new QMenuBar;
  menu->setAccessibleName(QStringLiteral("Effects menu bar"));
  ctx_.history.addEditMenu(menu, this);
  layout->setMenuBar(menu);

  auto* top = named(new QFrame, "Ptop2");
  top->setFrameShape(QFrame::StyledPanel);
  auto* topRow = new QHBoxLayout(top);
  always_ = named(new QCheckBox(QStringLiteral("Change Always")), "ChAlways");
  always_->setToolTip(QStringLiteral("Check to hear"));
  always_->setStatusTip(QStringLiteral("Check to hear every change."));
  caption_ = named(new QLabel(chosenCaption_), "STop1");
  caption_->setAlignment(Qt::AlignCenter);
  auto* done = named(new QPushButton(QStringLiteral("Done")), "SpeedButton1");
  done->setToolTip(QStringLiteral("Back to Main Window"));
  done->setAccessibleName(QStringLiteral("Done"));
  connect(done, &QPushButton::clicked, this, &QWidget::hide);
  topRow->addWidget(always_);
  topRow->addWidget(caption_, 1);
  topRow->addWidget(done);
  layout->addWidget(top);

  auto* body = new QHBoxLayout;
  auto* left = new QVBoxLayout;
  auto* typePanel = named(new QGroupBox(QStringLiteral("Effect Type")), "Ptype");
  auto* typeLayout = new QVBoxLayout(typePanel);
  type_ = named(new QComboBox, "CbEFXType");
  for (int t = 0; t < EfxTypeCount; ++t) type_->addItem(toQ(table_.typeName(t)));
  type_->setMaxVisibleItems(TypeListLines);
  typeLayout->addWidget(type_);
  left->addWidget(typePanel);
  left->addWidget(buildInputPanel());
  left->addStretch();
  body->addLayout(left);
  body->addWidget(buildParameterPanel(), 1);
  body->addWidget(buildOutputPanel());
  layout->addLayout(body);
}

QWidget* EfxWindow::buildInputPanel() {
  auto* panel = named(new QGroupBox(QStringLiteral("EFX Input")), "Pctrl1");
  auto* grid = new QGridLayout(panel);
  static constexpr const char* SourceNames[EfxControlCount] = {"CbCtrl1Dest", "CbCtrl2Dest"};
  static constexpr const char* DepthNames[EfxControlCount] = {"SpCDepth1", "SpCDepth2"};
  static constexpr const char* TargetNames[EfxControlCount] = {"Lpm13", "Lpm14"};
  int row = 0;
  for (int c = 0; c < EfxControlCount; ++c) {
    auto* sourceCaption = new QLabel(QStringLiteral("Control Source for :"));
    auto* source = named(new QComboBox, SourceNames[c]);
    auto* depthCaption = new QLabel(QStringLiteral("Depth : "));
    auto* depth = named(new RollSpinBox, DepthNames[c]);
    controlTargets_[static_cast<std::size_t>(c)] = named(new QLabel(toQ(EfxBlankLabel)), TargetNames[c]);
    sourceCaption->setBuddy(source);
    depthCaption->setBuddy(depth);
    grid->addWidget(sourceCaption, row++, 0, 1, 3);
    grid->addWidget(source, row++, 0, 1, 3);
    grid->addWidget(depthCaption, row, 0);
    grid->addWidget(depth, row, 1);
    grid->addWidget(controlTargets_[static_cast<std::size_t>(c)], row++, 2);
  }
  static constexpr std::pair<const char*, const char*> Sources[] = {
      {"CbEFXSource", "Source (A)"}, {"CbSourceB", "Source B"}, {"CbSourceC", "Source C"}};
  for (auto [name, caption] : Sources) {
    auto* label = new QLabel(QString::fromLatin1(caption));
    auto* box = sourceList(name);
    label->setBuddy(box);
    grid->addWidget(label, row, 0);
    grid->addWidget(box, row++, 1, 1, 2);
    if (box->objectName() == QLatin1String("CbEFXSource")) {
      grid->addWidget(new QLabel(QStringLiteral("Use  A  as General Perform EFX")), row++, 0, 1, 3);
    }
  }
  auto* note = new QLabel(QStringLiteral("Use  B  and  C  as Source = Patch EFX. Modify in Patch Editor"));
  note->setWordWrap(true);
  grid->addWidget(note, row, 0, 1, 3);
  return panel;
}

QWidget* EfxWindow::buildParameterPanel() {
  auto* panel = named(new QFrame, "P12xF");
  panel->setFrameShape(QFrame::StyledPanel);
  auto* grid = new QGridLayout(panel);
  for (int k = 1; k <= EfxSlotCount; ++k) {
    const auto i = static_cast<std::size_t>(k - 1);
    auto* cell = new QVBoxLayout;
    labels_[i] = new QLabel(toQ(EfxBlankLabel));
    labels_[i]->setObjectName(QStringLiteral("Lpm%1").arg(k));
    labels_[i]->setAlignment(Qt::AlignHCenter);
    sliders_[i] = new TextFader;
    sliders_[i]->setObjectName(QStringLiteral("Sliddt%1").arg(k));
    labels_[i]->setBuddy(sliders_[i]);
    cell->addWidget(labels_[i]);
    cell->addWidget(sliders_[i], 0, Qt::AlignHCenter | Qt::AlignTop);
    cell->addStretch();
    const int row = (k - 1) / EfxSlotsPerRow;
    grid->addLayout(cell, row, (k - 1) % EfxSlotsPerRow);
    // Each row keeps the room of a full slider, whatever the type shows in it.
    grid->setRowMinimumHeight(row, labels_[i]->sizeHint().height() + FullSliderHeight + grid->spacing());
    // The text follows the cap at every step, also while it is dragged.
    sliders_[i]->setValueTextOf([this, k](int v) { return slotText(k, v); });
    connect(sliders_[i], &FaderBase::OnChange, this, [this, k] { showSlotText(k); });
    connect(sliders_[i], &FaderBase::OnChanging, this, [this, k] { showSlotText(k); });
  }
  return panel;
}

QWidget* EfxWindow::buildOutputPanel() {
  auto* panel = named(new QGroupBox(QStringLiteral("EFX Output")), "PEFXOut");
  auto* column = new QVBoxLayout(panel);
  auto* assignCaption = new QLabel(QStringLiteral("Output Assign"));
  auto* assign = named(new QComboBox, "CbEFXOutAss");
  for (std::string_view t : texts::EfxOutputAssign) assign->addItem(toQ(t));
  assignCaption->setBuddy(assign);
  auto* chorusReverb = named(new QPushButton(QStringLiteral("Show Chorus - Reverb")), "Bchorev");
  connect(chorusReverb, &QPushButton::clicked, this, &EfxWindow::chorusReverbRequested);
  column->addWidget(assignCaption);
  column->addWidget(assign);
  column->addWidget(chorusReverb);
  auto* levels = new QHBoxLayout;
  struct Level {
    const char* name;
    const char* caption;
    QColor thumb;
  };
  const Level faders[] = {{"SlChorus", "Chorus Send ", ChorusSendThumb},
                          {"SlReverb", "Reverb Send ", ReverbSendThumb},
                          {"SlLevel", "Output Level ", OutputLevelThumb}};
  for (const Level& l : faders) {
    auto* cell = new QVBoxLayout;
    auto* caption = new QLabel(QString::fromLatin1(l.caption));
    caption->setAlignment(Qt::AlignHCenter);
    auto* fader = named(new ValueFader, l.name);
    fader->setThumbColor(l.thumb);
    fader->setFixedHeight(FullSliderHeight);
    caption->setBuddy(fader);
    cell->addWidget(caption);
    cell->addWidget(fader, 0, Qt::AlignHCenter);
    levels->addLayout(cell);
  }
  column->addLayout(levels);
  column->addStretch();
  return panel;
}

void EfxWindow::bindControls() {
  bindings_.setChangeAlways(always_);
  const auto find = [this](const char* name) { return findChild<QWidget*>(QString::fromLatin1(name)); };
  BindOptions typeOptions;
  typeOptions.send = [this](int type) { return sendType(type); };
  // A byte that is no type leaves the list without a choice (see adaptToType).
  typeOptions.shownFromStored = [](int stored) -> std::optional<int> {
    if (!EfxTypeTable::isType(stored)) return std::nullopt;
    return stored;
  };
  typeOptions.accessibleName = QStringLiteral("EFX type");
  typeBinding_ = bindings_.bind(type_, param::EfxType, {}, typeOptions);
  struct Row {
    const char* name;
    const Parameter& parameter;
    const char* spoken;
    bool everyStep;
  };
  const Row rows[] = {
      {"CbEFXOutAss", param::EfxOutput, "EFX output assign", false},
      {"SlLevel", param::EfxMixOutSend, "EFX output level", false},
      {"SlChorus", param::EfxChorusSend, "EFX chorus send", false},
      {"SlReverb", param::EfxReverbSend, "EFX reverb send", false},
      {"CbCtrl1Dest", param::EfxControlSource1, "EFX control source 1", false},
      {"SpCDepth1", param::EfxControlDepth1, "EFX control depth 1", true},
      {"CbCtrl2Dest", param::EfxControlSource2, "EFX control source 2", false},
      {"SpCDepth2", param::EfxControlDepth2, "EFX control depth 2", true},
      {"CbEFXSource", param::EfxSource, "EFX source A", false},
      {"CbSourceB", param::EfxSourceB, "EFX source B", false},
      {"CbSourceC", param::EfxSourceC, "EFX source C", false},
  };
  for (const Row& r : rows) {
    BindOptions options;
    options.sendWhileDragging = r.everyStep;
    options.accessibleName = QString::fromLatin1(r.spoken);
    bindings_.bind(find(r.name), r.parameter, {}, options);
  }
  always_->setAccessibleName(QStringLiteral("Change Always"));

  // Every slot starts on the first type's row; adaptToType rebinds them.
  for (int k = 1; k <= EfxSlotCount; ++k) {
    const auto i = static_cast<std::size_t>(k - 1);
    const std::optional<EfxSlot> first = table_.slot(0, k);
    const Parameter initial = efxSlotParameter(first ? *first : *table_.slot(0, 1));
    BindOptions options;
    // A stored value beyond the slot's list leaves the slider where it is.
    options.shownFromStored = [this, i](int stored) -> std::optional<int> {
      if (stored > slotBindings_[i]->parameter().shownMax) return std::nullopt;
      return stored;
    };
    slotBindings_[i] = bindings_.bind(sliders_[i], initial, {}, options);
  }
}

std::optional<int> EfxWindow::currentType() const {
  const int stored = ctx_.store.TempPerformance.common[common::EfxType];
  if (!EfxTypeTable::isType(stored)) return std::nullopt;
  return stored;
}

void EfxWindow::refresh() {
  // The slots of the stored type first, so that each slider is filled through its own list.
  adaptToType();
  bindings_.refresh();
}

void EfxWindow::adaptToType() {
  const std::optional<int> type = currentType();
  if (!type) {
    // No row of the table applies: say so, offer no slider, and leave the byte
    // alone until the user chooses a type.
    const QString unknown =
        QStringLiteral("Unknown EFX type %1").arg(int(ctx_.store.TempPerformance.common[common::EfxType]));
    type_->setPlaceholderText(unknown);
    bindings_.showWithoutSending(typeBinding_, -1);
    caption_->setText(QStringLiteral("Effect : ") + unknown);
    for (int k = 1; k <= EfxSlotCount; ++k) {
      const auto i = static_cast<std::size_t>(k - 1);
      bindings_.setActive(slotBindings_[i], false);
      sliders_[i]->hide();
      sliders_[i]->setAccessibleName(QStringLiteral("EFX slot %1, unused").arg(k));
      labels_[i]->setText(toQ(EfxBlankLabel));
    }
    for (QLabel* target : controlTargets_) target->setText(toQ(EfxBlankLabel));
    return;
  }
  caption_->setText(chosenCaption_);
  for (int k = 1; k <= EfxSlotCount; ++k) {
    const auto i = static_cast<std::size_t>(k - 1);
    TextFader* slider = sliders_[i];
    labels_[i]->setText(toQ(table_.slotLabel(*type, k)));
    const std::optional<EfxSlot> slot = table_.slot(*type, k);
    if (!slot) {
      bindings_.setActive(slotBindings_[i], false);
      slider->hide();
      slider->setAccessibleName(QStringLiteral("EFX slot %1, unused").arg(k));
      continue;
    }
    // New range first (the cap keeps its place), then the stored value.
    bindings_.rebind(slotBindings_[i], efxSlotParameter(*slot));
    if (!slotBindings_[i]->isActive()) bindings_.setActive(slotBindings_[i], true);
    slider->setFixedHeight(std::max(sliderHeight(slot->maxValue()), geometry::FaderMinHeight));
    slider->setTicks(sliderTicks(slot->maxValue()));
    slider->setAccessibleName(sliderName(table_, *type, k));
    showSlotText(k);
    slider->show();
  }
  for (int c = 1; c <= EfxControlCount; ++c)
    controlTargets_[static_cast<std::size_t>(c - 1)]->setText(toQ(table_.controlTargetLabel(*type, c)));
}

QString EfxWindow::slotText(int slot, int value) const {
  const std::optional<int> type = currentType();
  if (!type) return {};
  const std::optional<EfxSlot> s = table_.slot(*type, slot);
  return s && s->accepts(value) ? QString::fromStdString(s->text(value)) : QString();
}

void EfxWindow::showSlotText(int slot) {
  TextFader* slider = sliders_[static_cast<std::size_t>(slot - 1)];
  const QString text = slotText(slot, slider->Position());
  if (!text.isEmpty()) slider->setText(text);
}

bool EfxWindow::sendType(int type) {
  if (!EfxTypeTable::isType(type) || !ctx_.edit.set(param::EfxType, 0, type, SendGuard::Updating)) {
    refresh();  // nothing left (a transfer holds the sends): show the stored type again
    return false;
  }
  changingType_ = true;
  chosenCaption_ = QString::fromLatin1(EfxSourceText) + QStringLiteral(" EFX ") + toQ(table_.typeName(type));
  caption_->setText(chosenCaption_);
  ctx_.edit.rereadEfxParameters();
  changingType_ = false;
  refresh();
  return true;
}

void EfxWindow::storeChanged(const StoreChange& change) {
  if (changingType_) return;  // the type change refreshes when its reply had time to come
  if (change.touches(address::AreaTemporary, address::BlockCommon, common::EfxType, 1)) adaptToType();
}

void EfxWindow::showAndRaise() { showWindow(this); }

void EfxWindow::showEvent(QShowEvent* event) {
  refresh();
  QWidget::showEvent(event);
}

}  // namespace quillon
