#include "app/compare_window.h"

#include <algorithm>
#include <memory>

#include <QApplication>
#include <QComboBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QHeaderView>
#include <QKeySequence>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "app/app_context.h"
#include "app/window_placement.h"
#include "controls/qt_text.h"
#include "engine/syx_reader.h"
#include "engine/temp_transfer.h"
#include "settings/names/patch_evaluation.h"

namespace quillon {

namespace {

constexpr int SectionColumn = 0;
constexpr int ParameterColumn = 1;
constexpr int ColumnA = 2;
constexpr int ColumnB = 3;
constexpr int ColumnCount = 4;
constexpr int ListMinimumWidth = 560;
constexpr int ListMinimumHeight = 220;
constexpr int DifferenceRole = Qt::UserRole;
// Room for a screenful of differences; a smaller screen makes it smaller.
constexpr QSize InitialSize(620, 420);

QString sideValue(const std::optional<std::string>& value) { return toQ(value ? *value : std::string(words::Absent)); }

bool touchesEfxType(const words::Place& place) {
  return place.block == ParamBlock::Common && place.offset <= common::EfxType &&
         common::EfxType < place.offset + place.length;
}

}  // namespace

CompareWindow::CompareWindow(AppContext& context, QWidget* parent) : QWidget(parent, Qt::Window), ctx_(context) {
  setObjectName(QStringLiteral("TCompareForm"));
  setWindowTitle(QStringLiteral("Compare Performances"));
  buildControls();
  resize(InitialSize);
  // Every edit, fetch or file shows at once; a hidden window waits for its next showing.
  connect(&ctx_.notices, &StoreNotifier::changed, this, [this](const StoreChange& change) {
    if (!isVisible()) return;
    if (change.isEverything()) refreshChoices();
    recompare();
  });
}

CompareWindow::~CompareWindow() = default;

QWidget* CompareWindow::buildSide(int side, const QString& caption) {
  auto* box = new QWidget;
  auto* row = new QHBoxLayout(box);
  row->setContentsMargins(0, 0, 0, 0);
  const QString letter = side == SideA ? QStringLiteral("A") : QStringLiteral("B");
  auto* label = new QLabel(caption);
  label->setObjectName(QStringLiteral("LSide") + letter);
  auto* sources = new QComboBox;
  sources->setObjectName(QStringLiteral("CbSource") + letter);
  sources->setAccessibleName(QStringLiteral("Performance ") + letter);
  sources->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  sources->setMinimumContentsLength(28);
  label->setBuddy(sources);
  connect(sources, &QComboBox::activated, this, [this, side, sources](int at) {
    sides_[static_cast<std::size_t>(side)] = choices_[static_cast<std::size_t>(sources->itemData(at).toInt())].source;
    recompare();
  });
  auto* open = new QPushButton(QStringLiteral("File ") + letter + QStringLiteral("..."));
  open->setObjectName(QStringLiteral("BOpenFile") + letter);
  open->setAccessibleName(QStringLiteral("Open a file for performance ") + letter);
  connect(open, &QPushButton::clicked, this, [this, side] {
    const QString path = chooseFile ? chooseFile() : QString();
    if (!path.isEmpty()) openFileInto(side, path);
  });
  row->addWidget(label);
  row->addWidget(sources, 1);
  row->addWidget(open);
  sourceBoxes_[static_cast<std::size_t>(side)] = sources;
  return box;
}

void CompareWindow::buildControls() {
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(buildSide(SideA, QStringLiteral("&A:")));
  layout->addWidget(buildSide(SideB, QStringLiteral("&B:")));
  count_ = new QLabel;
  count_->setObjectName(QStringLiteral("LCount"));
  count_->setAccessibleName(QStringLiteral("Count of differences"));
  layout->addWidget(count_);
  list_ = new QTreeWidget;
  list_->setObjectName(QStringLiteral("LvDifferences"));
  list_->setAccessibleName(QStringLiteral("Differences"));
  list_->setColumnCount(ColumnCount);
  list_->setHeaderLabels(
      {QStringLiteral("Section"), QStringLiteral("Parameter"), QStringLiteral("A"), QStringLiteral("B")});
  list_->setRootIsDecorated(false);
  list_->setAllColumnsShowFocus(true);
  list_->setUniformRowHeights(true);
  list_->setMinimumSize(ListMinimumWidth, ListMinimumHeight);
  list_->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
  connect(list_, &QTreeWidget::currentItemChanged, this, [this] { updateButtons(); });
  // Enter on a row takes A's value, as the button does.
  connect(list_, &QTreeWidget::itemActivated, this, [this] { takeValueOfA(); });
  layout->addWidget(list_, 1);

  auto* buttons = new QHBoxLayout;
  const auto button = [this, buttons](const QString& text, const char* name, const QString& spoken) {
    auto* b = new QPushButton(text);
    b->setObjectName(QString::fromLatin1(name));
    b->setAccessibleName(spoken);
    buttons->addWidget(b);
    return b;
  };
  QPushButton* sendA =
      button(QStringLiteral("Send A"), "BSendA", QStringLiteral("Send A to the Temporary Performance"));
  QPushButton* sendB =
      button(QStringLiteral("Send B"), "BSendB", QStringLiteral("Send B to the Temporary Performance"));
  takeA_ = button(QStringLiteral("&Take A's value"), "BTakeA",
                  QStringLiteral("Take A's value of the chosen difference into the Temporary Performance"));
  buttons->addStretch();
  QPushButton* close = button(QStringLiteral("Close"), "BClose", QStringLiteral("Close"));
  sendA->setShortcut(QKeySequence(Qt::ALT | Qt::SHIFT | Qt::Key_A));
  sendB->setShortcut(QKeySequence(Qt::ALT | Qt::SHIFT | Qt::Key_B));
  sendA->setToolTip(QStringLiteral("Alt+Shift+A: A into the Temporary Performance (Edit > Undo takes it back)"));
  sendB->setToolTip(QStringLiteral("Alt+Shift+B: B into the Temporary Performance (Edit > Undo takes it back)"));
  connect(sendA, &QPushButton::clicked, this, [this] { sendSide(SideA); });
  connect(sendB, &QPushButton::clicked, this, [this] { sendSide(SideB); });
  connect(takeA_, &QPushButton::clicked, this, [this] { takeValueOfA(); });
  connect(close, &QPushButton::clicked, this, &QWidget::close);
  auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
  connect(escape, &QShortcut::activated, this, &QWidget::close);
  layout->addLayout(buttons);
  status_ = new QLabel;
  status_->setObjectName(QStringLiteral("LStatus"));
  status_->setAccessibleName(QStringLiteral("Status"));
  status_->setWordWrap(true);
  layout->addWidget(status_);
  const std::vector<QWidget*> order{sourceBoxes_[SideA],
                                    findChild<QPushButton*>(QStringLiteral("BOpenFileA")),
                                    sourceBoxes_[SideB],
                                    findChild<QPushButton*>(QStringLiteral("BOpenFileB")),
                                    list_,
                                    sendA,
                                    sendB,
                                    takeA_,
                                    close};
  for (std::size_t i = 1; i < order.size(); ++i) setTabOrder(order[i - 1], order[i]);
}

void CompareWindow::showEvent(QShowEvent* event) {
  refreshChoices();
  recompare();
  QWidget::showEvent(event);
}

void CompareWindow::compare(Source a, Source b) {
  sides_ = {a, b};
  // The first time in the middle of the screen, above the windows it was opened from; after that where the user left
  // it.
  if (!placed_) placement::centreOnScreen(this, QApplication::activeWindow());
  placed_ = true;
  show();
  raise();
  activateWindow();
  refreshChoices();
  recompare();
  list_->setFocus();
}

int CompareWindow::addOutside(const QString& label, const PerformanceRecord& record) {
  outside_.push_back(record);
  outsideLabels_.push_back(label);
  outsideProblems_.emplace_back();
  refreshChoices();
  return static_cast<int>(outside_.size()) - 1;
}

bool CompareWindow::openFileInto(int side, const QString& path) {
  auto store = std::make_unique<PerformanceStore>();
  const SyxFileResult result = openSyxFile(*store, path.toStdString());
  std::string problem = result.error;
  if (result.ok() && result.report.nothingFound) problem = "No performances found in \"" + path.toStdString() + "\".";
  if (!problem.empty()) {
    ctx_.host.showInfo(problem);
    return false;
  }
  const QString file = QFileInfo(path).fileName();
  int first = -1;
  for (int i = 0; i < result.report.count; ++i) {
    const auto& record = store->PerformanceList[static_cast<std::size_t>(i)];
    const int at = addOutside(file + QStringLiteral(" ") + QString::number(i + 1) + QStringLiteral(": ") +
                                  toQ(performanceName(record.common)).trimmed(),
                              record);
    if (const ListEntryInfo& info = store->ListInfo[static_cast<std::size_t>(i)]; !info.complete)
      outsideProblems_[static_cast<std::size_t>(at)] = "Performance " + std::to_string(i + 1) + " of \"" +
                                                       file.toStdString() + "\" is incomplete (" + info.problem +
                                                       "): it is not sent.";
    if (first < 0) first = at;
  }
  sides_[static_cast<std::size_t>(side)] = {SourceKind::Outside, first};
  refreshChoices();
  recompare();
  return true;
}

void CompareWindow::refreshChoices() {
  const PerformanceStore& s = ctx_.store;
  choices_.clear();
  choices_.push_back({{SourceKind::Temporary, 0}, QStringLiteral("Temporary Performance")});
  if (!s.NoPerformance) {
    choices_.push_back({{SourceKind::AsLoaded, 0},
                        s.FromTemp ? QStringLiteral("As fetched (before the edits)")
                                   : QStringLiteral("As opened (before the edits)")});
    for (int i = 0; i < std::min(s.PerformanceCount, PerformanceListSize); ++i)
      choices_.push_back({{SourceKind::ListEntry, i},
                          QStringLiteral("List ") + QString::number(i + 1) + QStringLiteral(": ") +
                              toQ(performanceName(s.PerformanceList[static_cast<std::size_t>(i)].common)).trimmed()});
  }
  for (std::size_t i = 0; i < outside_.size(); ++i)
    choices_.push_back({{SourceKind::Outside, static_cast<int>(i)}, outsideLabels_[i]});
  for (int side : {SideA, SideB}) select(side, sides_[static_cast<std::size_t>(side)]);
}

void CompareWindow::select(int side, Source source) {
  QComboBox* box = sourceBoxes_[static_cast<std::size_t>(side)];
  const QSignalBlocker quiet(box);
  box->clear();
  int chosen = 0;
  for (std::size_t i = 0; i < choices_.size(); ++i) {
    box->addItem(choices_[i].label, static_cast<int>(i));
    if (choices_[i].source == source) chosen = static_cast<int>(i);
  }
  // A choice that went (a shorter list) falls back to the Temporary Performance.
  box->setCurrentIndex(chosen);
  sides_[static_cast<std::size_t>(side)] = choices_[static_cast<std::size_t>(chosen)].source;
}

CompareWindow::Source CompareWindow::source(int side) const { return sides_[static_cast<std::size_t>(side)]; }

const PerformanceRecord& CompareWindow::recordOf(Source source) const {
  const PerformanceStore& s = ctx_.store;
  switch (source.kind) {
    case SourceKind::Temporary: break;
    case SourceKind::AsLoaded: return s.shownAsLoaded();
    case SourceKind::ListEntry:
      return s.PerformanceList[static_cast<std::size_t>(std::clamp(source.index, 0, PerformanceListSize - 1))];
    case SourceKind::Outside: return outside_.at(static_cast<std::size_t>(source.index));
  }
  return s.TempPerformance;
}

std::string CompareWindow::whyUnsendable(Source source) const {
  std::string why;
  if (source.kind == SourceKind::ListEntry) entryIsWhole(ctx_.store, source.index, why);
  if (source.kind == SourceKind::Outside) why = outsideProblems_.at(static_cast<std::size_t>(source.index));
  return why;
}

words::Vocabulary CompareWindow::vocabulary() {
  return {efx_, [this](const PerfPartRecord& part, int index) { return partPatchWords(part, index, ctx_.names); }};
}

QString CompareWindow::sideName(int side) const { return sourceBoxes_[static_cast<std::size_t>(side)]->currentText(); }

void CompareWindow::recompare() {
  const QuietPatchNames quiet(ctx_.names);
  comparison_ = words::comparePerformances(recordOf(sides_[SideA]), recordOf(sides_[SideB]), vocabulary());
  showDifferences();
}

void CompareWindow::showDifferences() {
  const int row = list_->currentIndex().row();
  list_->clear();
  for (std::size_t i = 0; i < comparison_.differences.size(); ++i) {
    const words::Difference& d = comparison_.differences[i];
    auto* item = new QTreeWidgetItem(
        list_, {toQ(words::sectionName(d.section, d.part)), toQ(d.parameter), sideValue(d.a), sideValue(d.b)});
    // A screen reader reads the row as one sentence.
    const QString sentence = toQ(words::differenceSentence(d));
    for (int c = 0; c < ColumnCount; ++c) item->setData(c, Qt::AccessibleTextRole, sentence);
    item->setToolTip(ParameterColumn, toQ(words::differenceLine(d)));
    item->setData(SectionColumn, DifferenceRole, static_cast<int>(i));
  }
  const QString count = toQ(words::countText(comparison_));
  count_->setText(count);
  count_->setAccessibleDescription(count);
  list_->setAccessibleDescription(count);
  if (list_->topLevelItemCount() > 0)
    list_->setCurrentItem(list_->topLevelItem(std::clamp(row, 0, list_->topLevelItemCount() - 1)));
  updateButtons();
}

const words::Difference* CompareWindow::currentDifference() const {
  const QTreeWidgetItem* item = list_->currentItem();
  if (!item) return nullptr;
  return &comparison_.differences.at(static_cast<std::size_t>(item->data(SectionColumn, DifferenceRole).toInt()));
}

void CompareWindow::updateButtons() {
  const words::Difference* d = currentDifference();
  takeA_->setEnabled(d && d->placeInA);
}

bool CompareWindow::sendSide(int side) {
  // A copy: the send changes the Temporary Performance and the edited entry, which may be either side.
  const Source source = sides_[static_cast<std::size_t>(side)];
  const PerformanceRecord record = recordOf(source);
  const QString name = side == SideA ? QStringLiteral("A") : QStringLiteral("B");
  // Missing blocks would go out as zeros; Send Temp checks only the chosen entry.
  if (const std::string why = whyUnsendable(source); !why.empty()) {
    status_->setText(name + QStringLiteral(": ") + toQ(why));
    return false;
  }
  if (!sendTemp || !ctx_.edit.replaceTemporary(record, sendTemp)) {
    status_->setText(name + QStringLiteral(" did not go to the Temporary Performance."));
    return false;
  }
  status_->setText(name + QStringLiteral(" (") + sideName(side) +
                   QStringLiteral(") is in the Temporary Performance; Edit > Undo takes it back."));
  return true;
}

bool CompareWindow::takeValueOfA() {
  if (!currentDifference()) return false;
  // A copy: the send refreshes the list this row belongs to.
  const words::Difference d = *currentDifference();
  if (!d.placeInA) return false;
  const auto bytes = words::bytesAt(recordOf(sides_[SideA]), *d.placeInA);
  const Bytes value(bytes.begin(), bytes.end());
  if (!ctx_.edit.setBytes(d.placeInA->block, d.placeInA->part, d.placeInA->offset, value, SendGuard::Updating)) {
    status_->setText(QStringLiteral("The value could not be sent now."));
    return false;
  }
  // The module sets a new type's parameters itself: they come back as the EFX window fetches them.
  if (touchesEfxType(*d.placeInA)) ctx_.edit.rereadEfxParameters();
  status_->setText(toQ(words::sectionName(d.section, d.part) + " " + d.parameter + " is now " + d.a.value_or("") +
                       " in the Temporary Performance."));
  return true;
}

}  // namespace quillon
