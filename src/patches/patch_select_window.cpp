#include "patches/patch_select_window.h"

#include <QComboBox>
#include <QEvent>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QStatusBar>
#include <QStyle>
#include <QTableWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

#include "editors/binding/editing_cursor.h"
#include "editors/binding/store_notifier.h"
#include "editors/window_support.h"
#include "engine/sender.h"
#include "patches/item_picks.h"
#include "patches/patch_finder.h"
#include "settings/device_settings.h"
#include "settings/names/patch_evaluation.h"
#include "settings/names/patch_search.h"
#include "controls/qt_text.h"

namespace quillon {

namespace {

constexpr const char* PresetBankItems[] = {"User Bank", "Card Bank",     "Preset A", "Preset B",
                                           "Preset C",  "Preset D (GM)", "Preset E"};
constexpr int FirstPanelWidth = 385;
constexpr int SecondPanelWidth = 50;
constexpr int PartDigitsPointSize = 22;
const QColor FamilyInUse(239, 227, 255);  // the label of the bank family the grid shows
const QColor PartDigitsColour(128, 128, 128);
const char* const PcmCardText = "PCM card";

}  // namespace

// Marks the window as filling its controls: nothing is sent and the grid's
// selections made by code are not taken for the user's. Nests.
class PatchSelectWindow::Filling {
 public:
  explicit Filling(PatchSelectWindow& w) : w_(w), scope_(w.ctx_.store, SendGuard::FormFilling), filling_(w.filling_) {
    w.filling_ = true;
    w.picks_->setQuiet(true);
  }
  ~Filling() {
    w_.filling_ = filling_;
    w_.picks_->setQuiet(filling_);
  }
  Filling(const Filling&) = delete;
  Filling& operator=(const Filling&) = delete;

 private:
  PatchSelectWindow& w_;
  FillingScope scope_;
  bool filling_;
};

PatchSelectWindow::PatchSelectWindow(EditingContext& context, PatchFinder& finder, QWidget* parent)
    : QWidget(parent), ctx_(context), finder_(finder) {
  setObjectName(QStringLiteral("TPatchSelectForm"));
  setWindowTitle(QStringLiteral(" Select Patch"));
  buildControls();
  fillBoardList();
  if (hasPresetE(ctx_.settings.moduleType())) presets_->addItem(QString::fromLatin1(PresetBankItems[6]));
  connect(&ctx_.notices, &StoreNotifier::changed, this, &PatchSelectWindow::storeChanged);
}

PatchSelectWindow::~PatchSelectWindow() = default;

void PatchSelectWindow::buildControls() {
  auto* layout = new QVBoxLayout(this);
  layout->setSizeConstraint(QLayout::SetFixedSize);
  layout->setContentsMargins(4, 4, 4, 0);
  layout->addWidget(buildBankBar());
  buildGrid();
  layout->addWidget(grid_);
  auto* status = named(new QStatusBar, "Status");
  status->setAccessibleName(QStringLiteral("Status"));
  status->setSizeGripEnabled(false);
  panels_[0] = new QLabel;
  panels_[0]->setMinimumWidth(FirstPanelWidth);
  panels_[1] = new QLabel;
  panels_[1]->setMinimumWidth(SecondPanelWidth);
  status->addWidget(panels_[0], 1);
  status->addPermanentWidget(panels_[1]);
  layout->addWidget(status);
}

QWidget* PatchSelectWindow::buildBankBar() {
  auto* bar = new QWidget;
  auto* row = new QHBoxLayout(bar);
  row->setContentsMargins(0, 0, 0, 0);
  const auto familyLabel = [this](Family family, const char* name, const char* caption) {
    auto* label = named(new QLabel(QString::fromLatin1(caption)), name);
    label->setAutoFillBackground(true);
    label->setMargin(2);
    familyLabels_[static_cast<std::size_t>(family)] = label;
    return label;
  };
  const auto bankList = [](const char* name, const char* placeholder, const char* spoken) {
    auto* box = named(new QComboBox, name);
    box->setToolTip(QStringLiteral("Select Bank"));
    box->setPlaceholderText(QString::fromLatin1(placeholder));
    box->setAccessibleName(QString::fromLatin1(spoken));
    box->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    return box;
  };
  presets_ = bankList("CbSelectPreset", "Select Preset", "User and preset banks");
  for (int i = 0; i < InternalBankCountWithoutE; ++i) presets_->addItem(QString::fromLatin1(PresetBankItems[i]));
  boards_ = bankList("CbSelectExp", "Select Expansion", "Expansion boards");
  // The PCM card has no name list: its family is shown, never offered.
  auto* pcmList = bankList("CbSelectUser", "", "PCM card");
  auto* luser = familyLabel(Family::Internal, "Luser", "User/Preset");
  auto* lpcm = familyLabel(Family::Pcm, "Lpcm", "PCM");
  auto* lexp = familyLabel(Family::Expansion, "Lexp", "Expansion");
  luser->setBuddy(presets_);
  lexp->setBuddy(boards_);
  pcmList->hide();
  lpcm->hide();

  upperHalf_ = named(new QToolButton, "SpDeel2");
  upperHalf_->setText(QStringLiteral("129-255"));
  upperHalf_->setCheckable(true);
  upperHalf_->setToolTip(QStringLiteral("Patches 129 to 256 of the board"));
  upperHalf_->setAccessibleName(QStringLiteral("Board patches 129-255"));
  auto* find = named(new QToolButton, "SpFind");
  find->setText(QStringLiteral("Find"));
  find->setToolTip(QStringLiteral("Find a Patch"));
  find->setAccessibleName(QStringLiteral("Find a Patch"));
  auto* lpart = named(new QLabel(QStringLiteral("Part")), "Lpart");
  partDigits_ = named(new QLabel, "lb1");
  QFont digits = partDigits_->font();
  digits.setPointSize(PartDigitsPointSize);
  digits.setBold(true);
  partDigits_->setFont(digits);
  QPalette grey = partDigits_->palette();
  grey.setColor(QPalette::WindowText, PartDigitsColour);
  partDigits_->setPalette(grey);
  partDigits_->setAccessibleName(QStringLiteral("Part number"));
  auto* done = named(new QPushButton(QStringLiteral("Done")), "Bdone");

  for (QWidget* w : std::initializer_list<QWidget*>{luser, presets_, lpcm, pcmList, lexp, boards_, upperHalf_, find})
    row->addWidget(w);
  row->addStretch();
  for (QWidget* w : std::initializer_list<QWidget*>{lpart, partDigits_, done}) row->addWidget(w);

  connect(presets_, &QComboBox::activated, this, [this] { bankChanged(BankSource::Presets); });
  connect(boards_, &QComboBox::activated, this, [this] { bankChanged(BankSource::Boards); });
  connect(upperHalf_, &QToolButton::clicked, this, &PatchSelectWindow::upperHalfClicked);
  connect(find, &QToolButton::clicked, this, &PatchSelectWindow::findClicked);
  connect(done, &QPushButton::clicked, this, &QWidget::hide);
  return bar;
}

void PatchSelectWindow::buildGrid() {
  grid_ = named(new QTableWidget(GridRows, GridColumns), "PatchGrid");
  grid_->setAccessibleName(QStringLiteral("Patches of the bank"));
  grid_->horizontalHeader()->hide();
  grid_->verticalHeader()->hide();
  grid_->horizontalHeader()->setMinimumSectionSize(1);
  grid_->verticalHeader()->setMinimumSectionSize(1);
  grid_->horizontalHeader()->setDefaultSectionSize(ColumnWidth);
  grid_->verticalHeader()->setDefaultSectionSize(RowHeight);
  grid_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  grid_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  grid_->setSelectionMode(QAbstractItemView::SingleSelection);
  grid_->setSelectionBehavior(QAbstractItemView::SelectItems);
  grid_->setWordWrap(false);
  for (int r = 0; r < GridRows; ++r)
    for (int c = 0; c < GridColumns; ++c) grid_->setItem(r, c, new QTableWidgetItem);
  const int frame = 2 * grid_->frameWidth();
  grid_->setFixedSize(GridColumns * ColumnWidth + frame, GridRows * RowHeight + frame);
  picks_ = new ItemPicks(grid_);
  connect(picks_, &ItemPicks::picked, this, &PatchSelectWindow::cellPicked);
}

void PatchSelectWindow::fillBoardList() {
  // Slots in order up to the first without a board; the board list's own
  // lines bound the walk (its first line is "no board").
  const PatchNameLibrary& names = ctx_.names;
  const int last = std::min(names.ExpMax(), static_cast<int>(names.expansionBoards().size()) - 1);
  for (int k = 1; k <= last; ++k) {
    const ExpansionSlot& slot = names.slot(k);
    if (slot.boardId == 0 || !slot.holdsBoard) break;
    boards_->addItem(toQ(names.expansionBoards().value(std::to_string(slot.boardId))));
  }
  upperHalf_->setEnabled(boards_->count() > 0);
}

void PatchSelectWindow::showForPart(int part) {
  // The window keeps this part until it is asked for another: touching
  // another column of the editor does not retarget it behind the user's back.
  part_ = std::clamp(part, 0, address::PartCount - 1);
  if (isVisible()) startFromStoredPatch();
  showWindow(this);
}

void PatchSelectWindow::showEvent(QShowEvent* event) {
  startFromStoredPatch();
  QWidget::showEvent(event);
}

void PatchSelectWindow::startFromStoredPatch() {
  openedWith_ = patchOf(partRecord());
  pcmShown_ = false;
  refresh();
}

void PatchSelectWindow::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  // Edits made elsewhere show when the user comes back.
  if (event->type() == QEvent::ActivationChange && isActiveWindow() && isVisible()) refresh();
}

void PatchSelectWindow::refresh() {
  {
    Filling fill(*this);
    const PatchRef stored = patchOf(partRecord());
    groupType_ = stored.groupType;
    groupId_ = stored.groupId;
    partNumber_ = stored.number;
    selectedNumber_ = stored.number;
    partDigits_->setText(QString::number(part_ + 1));
    chooseBank();
    markPatch();
  }
  // After the fill, and once per showing: the box's own loop reactivates this window.
  if (pcmPending_ && !pcmShown_) {
    pcmShown_ = true;
    ctx_.host.showInfo(PcmCardText);
  }
  pcmPending_ = false;
}

void PatchSelectWindow::chooseBank() {
  Filling fill(*this);
  highlight(std::nullopt);
  upperHalf_->setChecked(partNumber_ >= BoardHalfSize);
  switch (groupType_) {
    case group_type::Internal:
      presets_->setCurrentIndex(groupId_ >= UserGroupId && groupId_ <= presets_->count() ? groupId_ - 1 : -1);
      bankChanged(BankSource::Presets);
      presets_->setFocus();
      break;
    case group_type::PcmCard:
      highlight(Family::Pcm);
      pcmPending_ = true;
      break;
    case group_type::Expansion: {
      int item = -1;
      for (int k = 1; k <= boards_->count() && item < 0; ++k)
        if (ctx_.names.slot(k).boardId == groupId_) item = k - 1;
      boards_->setCurrentIndex(item);
      bankChanged(BankSource::Boards);
      boards_->setFocus();
      break;
    }
    default:  // no list holds such a patch
      shown_ = nullptr;
      fillGrid();
  }
}

void PatchSelectWindow::markPatch() {
  Filling fill(*this);
  showFirstPanel();
  int n = partNumber_;
  if (n >= BoardHalfSize) {
    upperHalf_->setChecked(true);
    n -= BoardHalfSize;
  }
  selectCellQuietly(n);
}

const NameList* PatchSelectWindow::listFor(BankSource source, int item) const {
  if (source == BankSource::Presets) {
    const int id = item + UserGroupId;
    return isRhythmPart() ? &ctx_.names.rhythmList(id) : &ctx_.names.bankList(id);
  }
  const ExpansionSlot& slot = ctx_.names.slot(item + 1);
  if (isRhythmPart()) return &slot.rhythms;
  return upperHalf_->isChecked() ? &slot.upperPatches : &slot.patches;
}

void PatchSelectWindow::bankChanged(BankSource source) {
  highlight(std::nullopt);
  const QComboBox* box = source == BankSource::Presets ? presets_ : boards_;
  const int item = box->currentIndex();
  shown_ = item < 0 ? nullptr : listFor(source, item);
  if (shown_ && source == BankSource::Presets) {
    highlight(Family::Internal);
    groupType_ = group_type::Internal;
    groupId_ = item + UserGroupId;
    shownOffset_ = 0;
    upperHalf_->setChecked(false);
  } else if (shown_) {
    highlight(Family::Expansion);
    groupType_ = group_type::Expansion;
    groupId_ = ctx_.names.slot(item + 1).boardId;
    shownOffset_ = upperHalf_->isChecked() && !isRhythmPart() ? BoardHalfSize : 0;
  }
  fillGrid();
  showFirstPanel();
  // Browsing banks changes nothing the module plays: only a chosen patch is sent.
  if (filling_ || lastIndex_ < 0) return;
  selectCellQuietly(std::clamp(currentCellIndex(), 0, lastIndex_));
}

bool PatchSelectWindow::chooseBankNamed(const QString& name) {
  for (BankSource source : {BankSource::Presets, BankSource::Boards}) {
    QComboBox* box = source == BankSource::Presets ? presets_ : boards_;
    const int item = box->findText(name);
    if (item < 0) continue;
    box->setCurrentIndex(item);
    bankChanged(source);
    return true;
  }
  return false;
}

void PatchSelectWindow::fillGrid() {
  // The grid has 128 cells: a longer list shows its first 128 names, and no cell beyond can be chosen.
  const int count = shown_ ? static_cast<int>(std::min<std::size_t>(shown_->size(), GridCells)) : 0;
  const QFontMetrics metrics(grid_->font());
  const int margin = grid_->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, grid_) + 1;
  const int room = ColumnWidth - 2 * margin - 1;  // the grid line takes a pixel
  for (int i = 0; i < GridCells; ++i) {
    QTableWidgetItem* cell = grid_->item(i % GridRows, i / GridRows);
    const QString text = i < count ? toQ(shown_->lines()[static_cast<std::size_t>(i)].value) : QString();
    if (cell->text() != text) cell->setText(text);
    cell->setToolTip(metrics.horizontalAdvance(text) > room ? text : QString());
  }
  lastIndex_ = count - 1;
}

int PatchSelectWindow::currentCellIndex() const {
  const int row = grid_->currentRow();
  const int column = grid_->currentColumn();
  return row < 0 || column < 0 ? 0 : column * GridRows + row;
}

void PatchSelectWindow::selectCellQuietly(int index) {
  const bool quiet = picks_->quiet();
  picks_->setQuiet(true);
  grid_->setCurrentCell(index % GridRows, index / GridRows);
  picks_->setQuiet(quiet);
}

void PatchSelectWindow::cellPicked(const QModelIndex& index) {
  // A bank without names offers nothing to choose.
  if (filling_ || !index.isValid() || lastIndex_ < 0) return;
  int cell = index.column() * GridRows + index.row();
  if (cell > lastIndex_) {
    cell = lastIndex_;
    selectCellQuietly(cell);
  }
  panels_[1]->setText(QStringLiteral("Selected no: %1").arg(cell + 1));
  selectedNumber_ = cell + shownOffset_;
  sendPatch({groupType_, groupId_, selectedNumber_}, PatchSendLength);
  showFirstPanel();
}

void PatchSelectWindow::sendPatch(const PatchRef& patch, int length) {
  // The test channel follows the part this window edits.
  ctx_.cursor.markEdited(part_);
  sendPatchChoice(ctx_.edit, part_, patch, length, SendGuard::FormFilling);
}

void PatchSelectWindow::upperHalfClicked() { bankChanged(BankSource::Boards); }

void PatchSelectWindow::findClicked() {
  const PatchRef earlier = patchOf(partRecord());
  // Whatever the finder sends, and sending the earlier patch back, is one step to undo.
  ctx_.edit.beginGroup();
  ctx_.cursor.markEdited(part_);
  finder_.setPart(part_);
  const bool chosen = finder_.exec() == QDialog::Accepted;
  if (chosen) {
    ctx_.edit.endGroup();
    hide();
    return;
  }
  sendPatch(earlier, PatchSendLength);
  ctx_.edit.endGroup();
  ctx_.sender.pace();
  refresh();
}

void PatchSelectWindow::highlight(std::optional<Family> family) {
  for (std::size_t i = 0; i < familyLabels_.size(); ++i) {
    QLabel* label = familyLabels_[i];
    const bool inUse = family && static_cast<std::size_t>(*family) == i;
    QPalette p = label->palette();
    p.setColor(QPalette::Window, inUse ? FamilyInUse : palette().color(QPalette::Button));
    label->setPalette(p);
  }
}

void PatchSelectWindow::showFirstPanel() {
  if (shown_ && shown_->empty()) {
    const QComboBox* box = groupType_ == group_type::Expansion ? boards_ : presets_;
    QString bank = box->currentText();
    if (groupType_ == group_type::Expansion && shownOffset_ == BoardHalfSize) bank += QStringLiteral(" 129-255");
    panels_[0]->setText(QStringLiteral(" %1 has no %2 in the name lists")
                            .arg(bank, isRhythmPart() ? QStringLiteral("rhythm-set names") : QStringLiteral("names")));
    return;
  }
  panels_[0]->setText(QStringLiteral(" Previous: ") + nameOf(openedWith_) + QStringLiteral("  Patch: ") +
                      nameOf(patchOf(partRecord())));
}

QString PatchSelectWindow::nameOf(const PatchRef& patch) const {
  // A PCM-card patch has no name; the library would show its box for every lookup.
  if (patch.groupType == group_type::PcmCard) return QString();
  const PatchNameLibrary& names = ctx_.names;
  return toQ(isRhythmPart() ? names.RhythmName(patch.groupType, patch.groupId, patch.number)
                            : names.PatchName(patch.groupType, patch.groupId, patch.number));
}

QString PatchSelectWindow::statusText(int panel) const { return panels_.at(static_cast<std::size_t>(panel))->text(); }

const PerfPartRecord& PatchSelectWindow::partRecord() const {
  return ctx_.store.TempPerformance.parts[static_cast<std::size_t>(part_)];
}

bool PatchSelectWindow::isRhythmPart() const { return part_ == RhythmPart; }

void PatchSelectWindow::storeChanged(const StoreChange& change) {
  // This window's own sends need no refill; data from the module, a file or an undo does.
  if (!isVisible() || change.origin == ChangeOrigin::UserEdit) return;
  if (change.touches(address::AreaTemporary, address::partBlock(part_), part::PatchGroupType, PatchSendLength))
    refresh();
}

}  // namespace quillon
