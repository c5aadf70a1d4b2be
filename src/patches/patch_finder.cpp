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
  searchField_ = named(new QComboBox, "EdFind");
  searchField_->setEditable(true);
  searchField_->setInsertPolicy(QComboBox::NoInsert);  // texts join the list when the field is left
  searchField_->setMaxVisibleItems(DroppedLines);
  searchField_->setToolTip(QStringLiteral("Enter minimal 3 characters here (or more)."));
  searchField_->setAccessibleName(QStringLiteral("Find patches containing"));
  searchField_->lineEdit()->setAccessibleName(QStringLiteral("Find patches containing"));
  for (const char* text : StartSearches) searchField_->addItem(QString::fromLatin1(text));
  searchField_->setCurrentIndex(-1);
  searchField_->lineEdit()->installEventFilter(this);
  label1->setBuddy(searchField_);
  connect(searchField_, &QComboBox::editTextChanged, this, &PatchFinder::search);

  auto* state = new QHBoxLayout;
  hintLabel_ = named(new QLabel(QString::fromLatin1(EnterMoreText)), "Label2");
  foundLabel_ = named(new QLabel, "lfound");
  state->addWidget(hintLabel_);
  state->addWidget(foundLabel_);
  state->addStretch();

  hitList_ = named(new QListWidget, "List1");
  hitList_->setToolTip(QStringLiteral("Click to select"));
  hitList_->setAccessibleName(QStringLiteral("Patches found, click to hear"));
  // Three columns: the names flow down, then into the next column.
  hitList_->setFlow(QListView::TopToBottom);
  hitList_->setWrapping(true);
  hitList_->setResizeMode(QListView::Adjust);
  hitList_->setUniformItemSizes(true);
  hitList_->setFixedSize(ListWidth, ListHeight);
  // Rounded up, so that no sliver of a fourth column shows at the right edge.
  const int columnWidth = (ListWidth - 2 * hitList_->frameWidth() + ListColumns - 1) / ListColumns;
  hitList_->setGridSize(QSize(columnWidth, hitList_->fontMetrics().height() + 2));
  picks_ = new ItemPicks(hitList_);
  connect(picks_, &ItemPicks::picked, this, &PatchFinder::audition);

  auto* code = new QHBoxLayout;
  auto* label5 = named(new QLabel(QStringLiteral("Patch name(s):")), "Label5");
  choiceLabel_ = named(new QLabel, "lkeus");
  code->addWidget(label5);
  code->addWidget(choiceLabel_);
  code->addStretch();

  auto* sound = new QHBoxLayout;
  soundBox_ = named(new QCheckBox(QStringLiteral("Sound for .. sec. :")), "ChSound");
  soundBox_->setToolTip(QStringLiteral("Play on click"));
  soundBox_->setChecked(true);
  soundSecondsBox_ = named(new QSpinBox, "spsec");
  soundSecondsBox_->setRange(0, MaxSoundSeconds);
  soundSecondsBox_->setValue(InitialSoundSeconds);
  soundSecondsBox_->setAccessibleName(QStringLiteral("Seconds to sound"));
  sound->addWidget(soundBox_);
  sound->addWidget(soundSecondsBox_);
  sound->addStretch();
  connect(soundBox_, &QCheckBox::clicked, this, [this](bool on) {
    ctx_.settings.engine.noteOn = on;
    emit playNoteChanged(on);
  });

  auto* breath = new QHBoxLayout;
  auto* breathLabel = new QLabel(QStringLiteral("Test Breath slider"));
  breathSlider_ = named(new QSlider(Qt::Horizontal), "Bsl");
  breathSlider_->setRange(0, BreathMax);
  breathSlider_->setTickInterval(BreathTick);
  breathSlider_->setTickPosition(QSlider::TicksBelow);
  breathSlider_->setAccessibleName(QStringLiteral("Test Breath slider"));
  breathLabel->setBuddy(breathSlider_);
  breath->addWidget(breathLabel);
  breath->addWidget(breathSlider_, 1);
  connect(breathSlider_, &QSlider::valueChanged, this, &PatchFinder::breathChanged);

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

  soundTimer_ = new QTimer(this);
  soundTimer_->setObjectName(QStringLiteral("Timer1"));
  soundTimer_->setSingleShot(true);
  soundTimer_->setInterval(SoundOffMs);
  connect(soundTimer_, &QTimer::timeout, this, &PatchFinder::soundOff);
  connect(soundSecondsBox_, &QSpinBox::valueChanged, this,
          [this](int seconds) { soundTimer_->setInterval(seconds * MsPerSecond); });

  layout->addWidget(label1);
  layout->addWidget(searchField_);
  layout->addLayout(state);
  layout->addWidget(hitList_);
  layout->addLayout(code);
  layout->addLayout(sound);
  layout->addLayout(breath);
  layout->addLayout(buttons);
}

void PatchFinder::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  soundBox_->setChecked(ctx_.settings.engine.noteOn);
  searchField_->setFocus();
  search();
}

bool PatchFinder::eventFilter(QObject* watched, QEvent* event) {
  if (watched == searchField_->lineEdit() && event->type() == QEvent::FocusOut) rememberSearchText();
  return QDialog::eventFilter(watched, event);
}

void PatchFinder::rememberSearchText() {
  // Each text once: leaving the field again must not fill the list with copies.
  const QString text = searchField_->currentText();
  if (!text.isEmpty() && searchField_->findText(text, Qt::MatchFixedString | Qt::MatchCaseSensitive) < 0)
    searchField_->addItem(text);
}

void PatchFinder::search() {
  const std::string text = searchField_->currentText().toStdString();
  result_ = findPatches(ctx_.names, internalBankCount(ctx_.settings.moduleType()), text);
  showHits();
  if (result_.tooShort) {
    // Nothing is searched yet: say what is missing rather than to wait.
    hintLabel_->setText(QString::fromLatin1(EnterMoreText));
    foundLabel_->clear();
  } else if (result_.moreThanLimit) {
    // The list holds the first ones; the rest would only bury them.
    hintLabel_->setText(QStringLiteral("more than %1 patches contain \"%2\"; type more letters")
                            .arg(MaxFindHits)
                            .arg(searchField_->currentText()));
    foundLabel_->clear();
  } else {
    hintLabel_->setText(QStringLiteral("Found : "));
    foundLabel_->setNum(static_cast<int>(result_.hits.size()));
  }
}

void PatchFinder::showHits() {
  picks_->setQuiet(true);
  hitList_->setUpdatesEnabled(false);
  hitList_->clear();
  for (const PatchHit& hit : result_.hits) {
    // Where the hit lives first, then the name as the list writes it.
    const QString place = toQ(hitPlace(ctx_.names, hit));
    auto* item = new QListWidgetItem(place + QStringLiteral("  ") + toQ(hit.name));
    item->setToolTip(item->text());
    hitList_->addItem(item);
  }
  hitList_->setUpdatesEnabled(true);
  picks_->setQuiet(false);
}

void PatchFinder::audition(const QModelIndex& index) {
  // A click between the names selects nothing and sends nothing.
  if (!index.isValid() || index.row() >= static_cast<int>(result_.hits.size())) return;
  soundTimer_->stop();
  const PatchHit& hit = result_.hits[static_cast<std::size_t>(index.row())];
  choiceLabel_->setText(toQ(hitCode(hit)));
  const int part = std::clamp(part_, 0, address::PartCount - 1);
  sendPatchChoice(ctx_.edit, part, {hit.groupType, hit.groupId, hit.number}, PatchSendLength, SendGuard::Updating);
  ctx_.sender.pace();
  if (soundBox_->isChecked()) ctx_.sender.PlayTestNote();
  soundTimer_->start();
}

void PatchFinder::soundOff() {
  soundTimer_->stop();
  ctx_.sender.SendShortMidi(onChannel(status::ControlChange, ctx_.host.monitorChannel()), controller::AllSoundOff, 0);
}

void PatchFinder::select() {
  soundOff();
  accept();
}

}  // namespace quillon
