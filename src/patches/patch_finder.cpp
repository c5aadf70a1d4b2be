#include "patches/patch_finder.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

#include "editors/window_support.h"
#include "engine/midi_message.h"
#include "engine/sender.h"
#include "patches/item_picks.h"
#include "patches/patch_choice.h"
#include "settings/device_settings.h"
#include "controls/qt_text.h"

namespace quillon {

namespace {

constexpr int DroppedLines = 20;
constexpr int BreathMax = 127;
constexpr int BreathTick = 16;
constexpr int MsPerSecond = 1000;
constexpr int ColumnWidth = 220;  // "Preset A 012  " and a 12-letter name
constexpr int ListWidth = PatchFinder::ListColumns * ColumnWidth;
constexpr int ListHeight = 260;
const char* const EnterMoreText = "Enter 3 chars";
const char* const StartSearches[] = {"Pia",  "Flute", "Bass", "Vln",  "Str",  "Horn", "Oboe",
                                     "Clar", "Sax",   "Gt ",  "Guit", "Trum", "Trom", "tb "};

}  // namespace

PatchFinder::PatchFinder(EditingContext& context, QWidget* parent) : QDialog(parent), ctx_(context) {
  setObjectName(QStringLiteral("TFindForm"));
  setWindowTitle(QStringLiteral("Patch Finder"));
  buildControls();
}

PatchFinder::~PatchFinder() = default;

void PatchFinder::buildControls() {
  auto* layout = new QVBoxLayout(this);
  layout->setSizeConstraint(QLayout::SetFixedSize);
  auto* label1 = named(new QLabel(QStringLiteral("Find patches containing ...")), "Label1");
  edFind_ = named(new QComboBox, "EdFind");
  edFind_->setEditable(true);
  edFind_->setInsertPolicy(QComboBox::NoInsert);  // texts join the list when the field is left
  edFind_->setMaxVisibleItems(DroppedLines);
  edFind_->setToolTip(QStringLiteral("Enter minimal 3 characters here (or more)."));
  edFind_->setAccessibleName(QStringLiteral("Find patches containing"));
  edFind_->lineEdit()->setAccessibleName(QStringLiteral("Find patches containing"));
  for (const char* text : StartSearches) edFind_->addItem(QString::fromLatin1(text));
  edFind_->setCurrentIndex(-1);
  edFind_->lineEdit()->installEventFilter(this);
  label1->setBuddy(edFind_);
  connect(edFind_, &QComboBox::editTextChanged, this, &PatchFinder::search);

  auto* state = new QHBoxLayout;
  label2_ = named(new QLabel(QString::fromLatin1(EnterMoreText)), "Label2");
  lfound_ = named(new QLabel, "lfound");
  state->addWidget(label2_);
  state->addWidget(lfound_);
  state->addStretch();

  list1_ = named(new QListWidget, "List1");
  list1_->setToolTip(QStringLiteral("Click to select"));
  list1_->setAccessibleName(QStringLiteral("Patches found, click to hear"));
  // Three columns: the names flow down, then into the next column.
  list1_->setFlow(QListView::TopToBottom);
  list1_->setWrapping(true);
  list1_->setResizeMode(QListView::Adjust);
  list1_->setUniformItemSizes(true);
  list1_->setFixedSize(ListWidth, ListHeight);
  // Rounded up, so that no sliver of a fourth column shows at the right edge.
  const int columnWidth = (ListWidth - 2 * list1_->frameWidth() + ListColumns - 1) / ListColumns;
  list1_->setGridSize(QSize(columnWidth, list1_->fontMetrics().height() + 2));
  picks_ = new ItemPicks(list1_);
  connect(picks_, &ItemPicks::picked, this, &PatchFinder::audition);

  auto* code = new QHBoxLayout;
  auto* label5 = named(new QLabel(QStringLiteral("Patch name(s):")), "Label5");
  lkeus_ = named(new QLabel, "lkeus");
  code->addWidget(label5);
  code->addWidget(lkeus_);
  code->addStretch();

  auto* sound = new QHBoxLayout;
  chSound_ = named(new QCheckBox(QStringLiteral("Sound for .. sec. :")), "ChSound");
  chSound_->setToolTip(QStringLiteral("Play on click"));
  chSound_->setChecked(true);
  spsec_ = named(new QSpinBox, "spsec");
  spsec_->setRange(0, MaxSoundSeconds);
  spsec_->setValue(InitialSoundSeconds);
  spsec_->setAccessibleName(QStringLiteral("Seconds to sound"));
  sound->addWidget(chSound_);
  sound->addWidget(spsec_);
  sound->addStretch();
  connect(chSound_, &QCheckBox::clicked, this, [this](bool on) {
    ctx_.settings.engine.noteOn = on;
    emit playNoteChanged(on);
  });

  auto* breath = new QHBoxLayout;
  auto* breathLabel = new QLabel(QStringLiteral("Test Breath slider"));
  bsl_ = named(new QSlider(Qt::Horizontal), "Bsl");
  bsl_->setRange(0, BreathMax);
  bsl_->setTickInterval(BreathTick);
  bsl_->setTickPosition(QSlider::TicksBelow);
  bsl_->setAccessibleName(QStringLiteral("Test Breath slider"));
  breathLabel->setBuddy(bsl_);
  breath->addWidget(breathLabel);
  breath->addWidget(bsl_, 1);
  connect(bsl_, &QSlider::valueChanged, this, &PatchFinder::breathChanged);

  auto* buttons = new QHBoxLayout;
  auto* bdone = named(new QPushButton(QStringLiteral("Select")), "Bdone");
  bdone->setToolTip(QStringLiteral("Ok, select this patch."));
  auto* bcan = named(new QPushButton(QStringLiteral("Cancel")), "bcan");
  bcan->setToolTip(QStringLiteral("Back to Patch select."));
  // Enter in the find field must not close the finder.
  for (QPushButton* b : {bdone, bcan}) b->setAutoDefault(false);
  connect(bdone, &QPushButton::clicked, this, &PatchFinder::select);
  connect(bcan, &QPushButton::clicked, this, &QDialog::reject);
  buttons->addStretch();
  buttons->addWidget(bdone);
  buttons->addWidget(bcan);

  timer1_ = new QTimer(this);
  timer1_->setObjectName(QStringLiteral("Timer1"));
  timer1_->setSingleShot(true);
  timer1_->setInterval(SoundOffMs);
  connect(timer1_, &QTimer::timeout, this, &PatchFinder::soundOff);
  connect(spsec_, &QSpinBox::valueChanged, this, [this](int seconds) { timer1_->setInterval(seconds * MsPerSecond); });

  layout->addWidget(label1);
  layout->addWidget(edFind_);
  layout->addLayout(state);
  layout->addWidget(list1_);
  layout->addLayout(code);
  layout->addLayout(sound);
  layout->addLayout(breath);
  layout->addLayout(buttons);
}

void PatchFinder::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  chSound_->setChecked(ctx_.settings.engine.noteOn);
  edFind_->setFocus();
  search();
}

bool PatchFinder::eventFilter(QObject* watched, QEvent* event) {
  if (watched == edFind_->lineEdit() && event->type() == QEvent::FocusOut) rememberSearchText();
  return QDialog::eventFilter(watched, event);
}

void PatchFinder::rememberSearchText() {
  // Each text once: leaving the field again must not fill the list with copies.
  const QString text = edFind_->currentText();
  if (!text.isEmpty() && edFind_->findText(text, Qt::MatchFixedString | Qt::MatchCaseSensitive) < 0)
    edFind_->addItem(text);
}

void PatchFinder::search() {
  const std::string text = edFind_->currentText().toStdString();
  result_ = findPatches(ctx_.names, internalBankCount(ctx_.settings.moduleType()), text);
  showHits();
  if (result_.tooShort) {
    // Nothing is searched yet: say what is missing rather than to wait.
    label2_->setText(QString::fromLatin1(EnterMoreText));
    lfound_->clear();
  } else if (result_.moreThanLimit) {
    // The list holds the first ones; the rest would only bury them.
    label2_->setText(QStringLiteral("more than %1 patches contain \"%2\"; type more letters")
                         .arg(MaxFindHits)
                         .arg(edFind_->currentText()));
    lfound_->clear();
  } else {
    label2_->setText(QStringLiteral("Found : "));
    lfound_->setNum(static_cast<int>(result_.hits.size()));
  }
}

void PatchFinder::showHits() {
  picks_->setQuiet(true);
  list1_->setUpdatesEnabled(false);
  list1_->clear();
  for (const PatchHit& hit : result_.hits) {
    // Where the hit lives first, then the name as the list writes it.
    const QString place = toQ(hitPlace(ctx_.names, hit));
    auto* item = new QListWidgetItem(place + QStringLiteral("  ") + toQ(hit.name));
    item->setToolTip(item->text());
    list1_->addItem(item);
  }
  list1_->setUpdatesEnabled(true);
  picks_->setQuiet(false);
}

void PatchFinder::audition(const QModelIndex& index) {
  // A click between the names selects nothing and sends nothing.
  if (!index.isValid() || index.row() >= static_cast<int>(result_.hits.size())) return;
  timer1_->stop();
  const PatchHit& hit = result_.hits[static_cast<std::size_t>(index.row())];
  lkeus_->setText(toQ(hitCode(hit)));
  const int part = std::clamp(part_, 0, address::PartCount - 1);
  sendPatchChoice(ctx_.edit, part, {hit.groupType, hit.groupId, hit.number}, PatchSendLength, SendGuard::Updating);
  ctx_.sender.pace();
  if (chSound_->isChecked()) ctx_.sender.PlayTestNote();
  timer1_->start();
}

void PatchFinder::soundOff() {
  timer1_->stop();
  ctx_.sender.SendShortMidi(onChannel(status::ControlChange, ctx_.host.monitorChannel()), controller::AllSoundOff, 0);
}

void PatchFinder::select() {
  soundOff();
  accept();
}

}  // namespace quillon
