// The main window's grids: the performances of the list, the chosen one, and
// the patches its parts use.

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <QDragEnterEvent>
#include <QLabel>

#include <utility>

#include "app/app_context.h"
#include "app/main_window.h"
#include "app/main_window_parts.h"
#include "settings/names/patch_evaluation.h"

namespace quillon {

using namespace main_window_parts;

void MainWindow::buildGridMenu() {
  gridMenu_ = new QMenu(performanceGrid_);
  gridMenu_->setObjectName(QStringLiteral("GridMenu"));
  // Each command acts on the grid's current entry: the one clicked, or the one the arrows chose.
  const auto add = [this](const QString& text, const char* name, void (MainWindow::*signal)(int)) {
    QAction* a = gridMenu_->addAction(text);
    a->setObjectName(QString::fromLatin1(name));
    connect(a, &QAction::triggered, this, [this, signal] {
      if (const int index = currentGridEntry(); index >= 0) (this->*signal)(index);
    });
  };
  add(QStringLiteral("Compare with Temporary Performance..."), "MGridCompare", &MainWindow::compareRequested);
  add(QStringLiteral("Print Sheet..."), "MGridPrint", &MainWindow::printRequested);
  add(QStringLiteral("Export Sheet..."), "MGridExport", &MainWindow::exportRequested);
  // The menu key and Shift+F10 open it at the current cell, as a right click does at its own.
  performanceGrid_->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(performanceGrid_, &QWidget::customContextMenuRequested, this, [this](QPoint pos) {
    if (const QModelIndex at = performanceGrid_->indexAt(pos); at.isValid()) performanceGrid_->setCurrentIndex(at);
    if (currentGridEntry() < 0) return;
    gridMenu_->exec(performanceGrid_->viewport()->mapToGlobal(
        performanceGrid_->visualRect(performanceGrid_->currentIndex()).center()));
  });
}

int MainWindow::currentGridEntry() const {
  const QModelIndex at = performanceGrid_->currentIndex();
  if (!at.isValid() || ctx_.store.NoPerformance) return -1;
  const int index = at.column() * GridRows + at.row();
  return index < ctx_.store.PerformanceCount ? index : -1;
}

void MainWindow::rebuildNamesFromRecords() {
  for (auto& entry : ctx_.store.PerformanceList) {
    const std::string name = printableName(entry.common);
    std::copy(name.begin(), name.end(), entry.common.begin() + common::Name);
  }
}

std::string MainWindow::entryName(int index) const {
  return performanceName(ctx_.store.PerformanceList[static_cast<std::size_t>(std::clamp(index, 0, 31))].common);
}

void MainWindow::resetPerformanceGrid() {
  for (int i = 0; i < PerformanceListSize; ++i) {
    const GridCell cell = gridCellOf(i);
    performanceGrid_->item(cell.row, cell.column)->setText(toQ(emptyGridCellText(i)));
    performanceGrid_->item(cell.row, cell.column)->setToolTip({});
  }
}

void MainWindow::fillPerformanceGrid() {
  const int count = ctx_.store.PerformanceCount;
  if (count < 1) return;
  resetPerformanceGrid();
  for (int i = 0; i < std::min(count, PerformanceListSize); ++i) {
    const GridCell cell = gridCellOf(i);
    QTableWidgetItem* item = performanceGrid_->item(cell.row, cell.column);
    item->setText(toQ(filledGridCellText(i, entryName(i))));
    const ListEntryInfo& info = ctx_.store.ListInfo[static_cast<std::size_t>(i)];
    // An incomplete performance stands out, and its tooltip says why.
    QFont font = performanceGrid_->font();
    font.setItalic(!info.complete);
    item->setFont(font);
    item->setForeground(info.complete ? performanceGrid_->palette().text() : QBrush(IncompleteColour));
    const QString why =
        info.complete ? QString() : QStringLiteral("  (incomplete: ") + toQ(info.problem) + QLatin1Char(')');
    item->setToolTip(item->text().trimmed() + why);
    item->setData(Qt::AccessibleDescriptionRole, why.trimmed());
  }
  fitGridColumnsToNames();
  showFoundCount(count);
  updateBankSendCommands();
}

void MainWindow::showFoundCount(int count) {
  // The panel is shared with the ports' state; closed ports are the more
  // urgent news, so the count then waits in the tooltip.
  const QString found = QStringLiteral("Found : ") + QString::number(count);
  panels_[FoundPanel]->setToolTip(found);
  setStatusPanel(FoundPanel, ctx_.store.MidiClosed ? QString::fromLatin1(MidiClosedPanelText) : found);
}

void MainWindow::fitGridColumnsToNames() {
  int widest = performanceColumnWidth_;
  for (int c = 0; c < GridColumns; ++c)
    for (int r = 0; r < GridRows; ++r)
      widest =
          std::max(widest, performanceGrid_->fontMetrics().horizontalAdvance(performanceGrid_->item(r, c)->text()) +
                               CellPadding);
  // As wide as the names need, as far as the window has room beside the grid;
  // a name cut even then is whole in its tooltip.
  const int room = (width() - 2 * performanceGrid_->frameWidth() - GridSideMargins) / GridColumns;
  const int width = std::min(widest, std::max(performanceColumnWidth_, room));
  if (width == performanceGrid_->horizontalHeader()->defaultSectionSize()) return;
  performanceGrid_->horizontalHeader()->setDefaultSectionSize(width);
  performanceGrid_->setFixedWidth(GridColumns * width + 2 * performanceGrid_->frameWidth());
}

void MainWindow::copyListEntryToTemp(int index) {
  auto& s = ctx_.store;
  // A fetched Temporary Performance is the list's one entry and lives in the
  // work record alone; a list of several holds each performance in its entry.
  if (s.FromTemp && s.PerformanceCount <= 1) return;
  const auto& entry = s.PerformanceList[static_cast<std::size_t>(std::clamp(index, 0, PerformanceListSize - 1))];
  const BlockSizes sizes = ctx_.engineSettings.sizes;
  std::copy_n(entry.common.begin(), sizes.commonLength(), s.TempPerformance.common.begin());
  for (int p = 0; p < address::PartCount; ++p)
    std::copy_n(entry.parts[p].begin(), sizes.partLength(), s.TempPerformance.parts[p].begin());
  s.notifyReloaded(ChangeOrigin::File);
}

void MainWindow::chooseEntry(int index) {
  const GridCell cell = gridCellOf(index);
  performanceGrid_->setCurrentCell(cell.row, cell.column);
  selectCell(cell.column, cell.row);
}

void MainWindow::selectCell(int column, int row) {
  auto& s = ctx_.store;
  if (s.NoPerformance || refuseWhileTransferring()) return;
  s.Updating = true;
  performanceGrid_->setCursor(Qt::WaitCursor);
  int index = column * GridRows + row;
  if (index >= s.PerformanceCount) {
    performanceGrid_->clearSelection();
    index = std::max(s.PerformanceCount - 1, 0);
  }
  s.SelectedIndex = index;
  if (s.FromUser || s.FromCard || s.PerformanceCount > 1) copyListEntryToTemp(index);
  setSelectedCaption(index);
  const PerformanceKind kind = s.ListInfo[static_cast<std::size_t>(index)].kind;
  setStatusPanel(KindPanel, kind == PerformanceKind::Card   ? QStringLiteral("Card")
                            : kind == PerformanceKind::User ? QStringLiteral("User")
                                                            : QStringLiteral("Temp"));
  QApplication::processEvents();
  s.Updating = false;
  s.TempSent = false;
}

void MainWindow::setSelectedCaption(int index) {
  const QString name = toQ(entryName(index));
  selectedLabel_->setText(name);
  editButton_->setText(QStringLiteral("Edit: ") + QString::number(index + 1) + QStringLiteral(" = ") + name);
}

void MainWindow::evaluateSelection() {
  auto& s = ctx_.store;
  if (transferRunning()) return;
  if (s.FileDropped) {
    evaluationTimer_->stop();
    if (isDumpFileName(droppedPath_.toStdString())) {
      ctx_.host.debugLine("OK, " + QFileInfo(droppedPath_).suffix().toLower().toStdString());
      s.FileDropped = false;
      setStatus(QStringLiteral("File Read"));
      // The same routine as Open: a drop must not keep the flags of the list before.
      openPath(droppedPath_);
    }
  }
  if (s.FromTemp) {
    setWindowTitle(QStringLiteral(" Temp Edit"));
    setStatus(QStringLiteral("One Temp Perform"));
  }
  // A silent module leaves the list as it was, so it is worked out as before.
  if (!s.NoPerformance) {
    evaluationTimer_->stop();
    copyListEntryToTemp(s.SelectedIndex);
    evaluatePatchNames();
  }
  performanceGrid_->unsetCursor();
}

void MainWindow::evaluatePatchNames() {
  setStatus(QStringLiteral("Evaluating"));
  setGauge(address::PartCount - 1, 0, true);
  // The grid is evaluated again and again for one list; its "PCM" box is said once per file or fetch.
  const PatchNameLibrary::InfoSink tell = ctx_.names.infoSink();
  ctx_.names.setInfoSink([this, &tell](std::string_view text) {
    if (text == PcmCardMessage && std::exchange(pcmReported_, true)) return;
    if (tell) tell(text);
  });
  const auto names = quillon::evaluatePatchNames(ctx_.store.TempPerformance, ctx_.names);
  ctx_.names.setInfoSink(tell);
  for (int p = 0; p < address::PartCount; ++p) {
    ctx_.store.PartPatchNames[p] = names[p];
    progressBar_->setValue(p);
    QTableWidgetItem* cell = patchGrid_->item(patchGridRow(p), patchGridColumn(p));
    cell->setText(toQ(patchGridCellText(p, names[p])));
    cell->setToolTip(cell->text().trimmed());
  }
  showPatchesUsed();
  progressBar_->hide();
  setStatus(QStringLiteral("Done"));
}

void MainWindow::showPatchesUsed() {
  for (int p = 0; p < address::PartCount; ++p)
    patchGrid_->item(patchGridRow(p), patchGridColumn(p))
        ->setText(toQ(patchGridCellText(p, ctx_.store.PartPatchNames[static_cast<std::size_t>(p)])));
}

void MainWindow::fitPatchGridToNames() {
  // As wide as the widest name the lists hold, not as a row of the widest letter:
  // the window has to fit beside the monitor on a small screen.
  const QFontMetrics metrics = patchGrid_->fontMetrics();
  int widest = metrics.horizontalAdvance(toQ(patchGridCellText(RhythmPart, {})));
  // The module's names have 12 characters; a longer one typed into a list is
  // whole in the cell's tooltip.
  const auto measure = [&](const NameList& list) {
    for (const IniLine& line : list.lines())
      if (line.value.size() <= static_cast<std::size_t>(PerformanceNameLength))
        widest =
            std::max(widest, metrics.horizontalAdvance(toQ(patchGridCellText(address::PartCount - 1, line.value))));
  };
  for (int group = 0; group < InternalGroupCount; ++group) measure(ctx_.names.bankList(group));
  for (int slot = 0; slot < ExpansionSlotCount; ++slot) {
    measure(ctx_.names.slot(slot).patches);
    measure(ctx_.names.slot(slot).upperPatches);
  }
  const int width = widest + CellPadding;
  patchGrid_->horizontalHeader()->setDefaultSectionSize(width);
  patchGrid_->setFixedWidth(PatchGridColumns * width + 2 * patchGrid_->frameWidth());
}

}  // namespace quillon
