#include "editors/parts_overview.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

#include "editors/editor_look.h"
#include "engine/params/parameter_table.h"

namespace quillon {

namespace {
const QColor KeyRangeWarning(255, 0, 0);
constexpr int PatchNamePointSize = 7;
constexpr int KeyTop = param::PartKeyUpper.shownMax;
constexpr int KeyBottom = param::PartKeyLower.shownMin;

constexpr std::array<const char*, PartsOverview::PageCount> PageNames{"sp1_4", "Sp5_8", "Sp9_12", "Sp13_16"};
constexpr std::array<const char*, PartsOverview::Rows> RowHeadings{"PART", "Chan", "Out", "Pan", "Cho", "Rev"};
// The short names of the output assign 0..4.
constexpr std::array<const char*, 5> OverviewOutputs{"Mix", "EFX", "Out1", "Out2", "Patch"};
enum OverviewRow { RowChannel = 1, RowOutput, RowPan, RowChorus, RowReverb };

void setTextIfChanged(QTableWidgetItem* item, const QString& text) {
  if (item->text() != text) item->setText(text);
}

QString outputText(int output) {
  return output < static_cast<int>(OverviewOutputs.size())
             ? QLatin1String(OverviewOutputs[static_cast<std::size_t>(output)])
             : QStringLiteral("?%1").arg(output);
}

bool keyRangeNarrowed(const PerfPartRecord& r) {
  return r[part::KeyRangeLower] > KeyBottom || r[part::KeyRangeUpper] < KeyTop;
}
}  // namespace

PartsOverview::PartsOverview(QWidget* parent) : QFrame(parent) {
  setObjectName(QStringLiteral("Overview"));
  setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
  auto* col = new QVBoxLayout(this);
  col->setContentsMargins(4, 4, 4, 4);
  col->setSpacing(2);
  col->addLayout(buildPageRow());
  col->addLayout(buildGrid());
  connect(pages_, &QButtonGroup::idClicked, this, [this](int page) { emit pageChosen(page * PartsPerPage); });
  for (int p = 0; p < address::PartCount; ++p)
    connect(onLabels_[static_cast<std::size_t>(p)], &QPushButton::clicked, this, [this, p] { emit partToggled(p); });
}

QLayout* PartsOverview::buildPageRow() {
  auto* pageRow = new QHBoxLayout;
  pages_ = new QButtonGroup(this);
  pages_->setExclusive(true);
  for (int page = 0; page < PageCount; ++page) {
    const int first = page * PartsPerPage + 1;
    const int last = first + PartsPerPage - 1;
    auto* b = namedButton(PageNames[static_cast<std::size_t>(page)], QStringLiteral("%1 ~ %2").arg(first).arg(last));
    b->setCheckable(true);
    b->setAccessibleName(QStringLiteral("Parts %1 to %2").arg(first).arg(last));
    pages_->addButton(b, page);
    pageButtons_[static_cast<std::size_t>(page)] = b;
    pageRow->addWidget(b);
  }
  pageRow->addSpacing(16);
  keyRangeNote_ = new QLabel(QStringLiteral(" Key Range   In Use"));
  keyRangeNote_->setObjectName(QStringLiteral("LKeyRange"));
  keyRangeNote_->setToolTip(QStringLiteral("Key Range in use, Check."));
  QPalette warn = keyRangeNote_->palette();
  warn.setColor(QPalette::WindowText, KeyRangeWarning);
  keyRangeNote_->setPalette(warn);
  QFont bold = keyRangeNote_->font();
  bold.setBold(true);
  keyRangeNote_->setFont(bold);
  keyRangeNote_->hide();
  pageRow->addWidget(keyRangeNote_);
  pageRow->addStretch(1);
  return pageRow;
}

QLayout* PartsOverview::buildGrid() {
  // One cell width for the on/off row, the table and the patch names below, so they line up.
  int cell = 0;
  for (const char* sample : {"PART", "Patch", " -64", "  16", "MRcv", "Off"})
    cell = std::max(cell, fontMetrics().horizontalAdvance(QLatin1String(sample)) + 12);
  auto* grid = new QGridLayout;
  grid->setHorizontalSpacing(0);
  grid->setVerticalSpacing(2);
  buildOnRow(grid, cell);
  buildTable(grid, cell);
  buildPatchNames(grid, cell);
  for (int c = 0; c < Columns; ++c) grid->setColumnMinimumWidth(c, cell);
  return grid;
}

void PartsOverview::buildOnRow(QGridLayout* grid, int cell) {
  grid->addWidget(leftCaption(QStringLiteral("MRcv")), 0, 0);
  for (int p = 0; p < address::PartCount; ++p) {
    auto* on = flatCaption(QStringLiteral("l%1on").arg(p + 1), QStringLiteral("Cick to Toggle"));
    on->setStatusTip(QStringLiteral("Click to put Midi Recieve On / Off "));
    on->setCheckable(true);
    on->setFixedWidth(cell);
    on->setAccessibleName(QStringLiteral("Part %1 receive, overview").arg(p + 1));
    onLabels_[static_cast<std::size_t>(p)] = on;
    grid->addWidget(on, 0, p + 1);
  }
}

void PartsOverview::buildTable(QGridLayout* grid, int cell) {
  const int rowHeight = fontMetrics().height() + 4;
  partTable_ = new QTableWidget(Rows, Columns);
  partTable_->setObjectName(QStringLiteral("StGr1"));
  partTable_->setToolTip(QStringLiteral("Just to Show values"));
  partTable_->setAccessibleName(QStringLiteral("Parts overview"));
  partTable_->horizontalHeader()->hide();
  partTable_->verticalHeader()->hide();
  partTable_->horizontalHeader()->setDefaultSectionSize(cell);
  partTable_->horizontalHeader()->setMinimumSectionSize(cell);
  partTable_->verticalHeader()->setDefaultSectionSize(rowHeight);
  partTable_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  partTable_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  partTable_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  partTable_->setSelectionMode(QAbstractItemView::MultiSelection);
  partTable_->setFixedSize(Columns * cell + 2 * partTable_->frameWidth(),
                           Rows * rowHeight + 2 * partTable_->frameWidth());
  for (int r = 0; r < Rows; ++r)
    for (int c = 0; c < Columns; ++c) partTable_->setItem(r, c, new QTableWidgetItem);
  for (int p = 1; p <= address::PartCount; ++p)
    partTable_->item(0, p)->setText(QStringLiteral("  ") + QString::number(p));
  for (int r = 0; r < Rows; ++r)
    partTable_->item(r, 0)->setText(QLatin1String(RowHeadings[static_cast<std::size_t>(r)]));
  // Display only, yet as readable as an enabled table, its shown parts marked.
  QPalette shown = partTable_->palette();
  for (QPalette::ColorRole role : {QPalette::Text, QPalette::Highlight, QPalette::HighlightedText, QPalette::Base})
    shown.setColor(QPalette::Disabled, role, shown.color(QPalette::Active, role));
  partTable_->setPalette(shown);
  partTable_->setEnabled(false);
  grid->addWidget(partTable_, 1, 0, 1, Columns);
}

void PartsOverview::buildPatchNames(QGridLayout* grid, int cell) {
  // The names are wider than a cell: each starts under its part and spans two
  // cells, alternating between two lines.
  grid->addWidget(leftCaption(QStringLiteral("Patch")), 2, 0, 2, 1);
  QFont small = font();
  small.setPointSize(PatchNamePointSize);
  for (int p = 0; p < address::PartCount; ++p) {
    auto* name = new QLabel;
    name->setObjectName(QStringLiteral("lpn%1").arg(p + 1));
    name->setFont(small);
    name->setFixedWidth(2 * cell);
    patchLabels_[static_cast<std::size_t>(p)] = name;
    grid->addWidget(name, 2 + p % 2, p + 1, 1, p + 1 < address::PartCount ? 2 : 1, Qt::AlignLeft);
  }
}

void PartsOverview::showParts(const PerformanceRecord& record, int page) {
  // Marking anew repaints every marked cell; an edit's step leaves the page as it is.
  if (page != markedPage_) {
    partTable_->clearSelection();
    partTable_->setRangeSelected(QTableWidgetSelectionRange(RowChannel, page + 1, RowReverb, page + PartsPerPage),
                                 true);
    markedPage_ = page;
  }
  for (int p = 0; p < address::PartCount; ++p) showPart(record.parts[static_cast<std::size_t>(p)], p);
  // The ranges are in use only while the performance's key-range switch is on.
  const bool narrowed = std::any_of(record.parts.begin(), record.parts.end(), keyRangeNarrowed);
  keyRangeNote_->setVisible(narrowed && record.common[common::KeyRangeSwitch] != 0);
}

void PartsOverview::showPart(const PerfPartRecord& r, int part) {
  QPushButton* on = onLabels_[static_cast<std::size_t>(part)];
  const bool receiving = r[part::ReceiveSwitch] != 0;
  on->setText(receiving ? QStringLiteral("On") : QStringLiteral("Off"));
  on->setChecked(receiving);
  const int column = part + 1;
  setTextIfChanged(partTable_->item(RowChannel, column),
                   QStringLiteral("  ") + QString::number(shown::channelFromStored(r[part::ReceiveChannel])));
  setTextIfChanged(partTable_->item(RowOutput, column), outputText(r[part::OutputAssign]));
  setTextIfChanged(partTable_->item(RowPan, column),
                   QStringLiteral(" ") + QString::number(shown::panFromStored(r[part::Pan])));
  setTextIfChanged(partTable_->item(RowChorus, column), QStringLiteral(" ") + QString::number(r[part::ChorusSend]));
  setTextIfChanged(partTable_->item(RowReverb, column), QStringLiteral(" ") + QString::number(r[part::ReverbSend]));
}

void PartsOverview::showPatchNames(const std::array<std::string, address::PartCount>& names) {
  for (int p = 0; p < address::PartCount; ++p) {
    QLabel* l = patchLabels_[static_cast<std::size_t>(p)];
    const QString name = QString::fromStdString(names[static_cast<std::size_t>(p)]);
    if (l->text() == name) continue;
    l->setText(name);
    l->setToolTip(name);
    l->setAccessibleName(QStringLiteral("Part %1 patch name: %2").arg(p + 1).arg(name.trimmed()));
  }
}

void PartsOverview::showSounding(const PerformanceRecord& record, const std::function<bool(int part)>& sounds) {
  const QColor face = palette().color(QPalette::Button);
  const QColor text = palette().color(QPalette::ButtonText);
  for (int p = 0; p < address::PartCount; ++p) {
    const bool receiving = record.parts[static_cast<std::size_t>(p)][part::ReceiveSwitch] != 0;
    const QColor& background = sounds(p) ? editor_look::Sounding : receiving ? editor_look::PatchCaption : face;
    setColours(onLabels_[static_cast<std::size_t>(p)], background, text);
  }
}

void PartsOverview::checkPage(int page) {
  const int index = std::clamp(page / PartsPerPage, 0, PageCount - 1);
  pageButtons_[static_cast<std::size_t>(index)]->setChecked(true);
}

}  // namespace quillon
