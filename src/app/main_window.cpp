#include "app/main_window.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QDir>
#include <QDragEnterEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

#include <utility>

#include "app/app_context.h"
#include "app/elided_label.h"
#include "app/keyboard_map_window.h"
#include "app/main_window_parts.h"
#include "app/message_log_window.h"
#include "app/save_choice_dialog.h"
#include "app/splash_screen.h"
#include "app/transfer_progress_dialog.h"
#include "engine/midi_file.h"
#include "engine/syx_reader.h"
#include "engine/syx_writer.h"
#include "settings/names/patch_evaluation.h"

namespace quillon {

using namespace main_window_parts;

namespace {
void sizeGrid(QTableWidget* grid, int columns, int rows, int columnWidth, int rowHeight) {
  grid->setColumnCount(columns);
  grid->setRowCount(rows);
  grid->horizontalHeader()->hide();
  grid->verticalHeader()->hide();
  grid->horizontalHeader()->setDefaultSectionSize(columnWidth);
  grid->verticalHeader()->setDefaultSectionSize(std::max(rowHeight, grid->fontMetrics().height() + 4));
  grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
  grid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  grid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  grid->setFixedSize(columns * columnWidth + 2 * grid->frameWidth(),
                     rows * grid->verticalHeader()->defaultSectionSize() + 2 * grid->frameWidth());
  for (int c = 0; c < columns; ++c)
    for (int r = 0; r < rows; ++r) grid->setItem(r, c, new QTableWidgetItem);
}
}  // namespace

MainWindow::MainWindow(AppContext& context, QWidget* parent)
    : QMainWindow(parent),
      ctx_(context),
      performanceGrid_(new QTableWidget),
      patchGrid_(new QTableWidget),
      progressBar_(new QProgressBar),
      status_(new ElidedLabel),
      sourceLabel_(new QLabel(QStringLiteral("None"))),
      selectedLabel_(new QLabel),
      evaluationTimer_(new QTimer(this)),
      responseTimer_(new QTimer(this)),
      recentFiles_(context.settings.location()),
      library_(context) {
  setObjectName(QStringLiteral("MainWindow"));
  setWindowTitle(QStringLiteral("Perform Editor"));
  resize(FormWidth, FormHeight);
  chooseOpenFile = [this] {
    return QFileDialog::getOpenFileName(this, QStringLiteral("Open Syx"), fileDialogFolder(),
                                        QString::fromLatin1(SysexFilter));
  };
  chooseImportFolder = [this] {
    return QFileDialog::getExistingDirectory(this, QStringLiteral("Import Folder"), fileDialogFolder());
  };
  chooseSaveFile = [this](const QString& proposed) {
    // A bare name ("TempPerfom.syx") is offered in the folder last used.
    const QString start = QFileInfo(proposed).isAbsolute() ? proposed : QDir(fileDialogFolder()).filePath(proposed);
    QString filter = hasMidiFileExtension(proposed.toStdString()) ? QString::fromLatin1(MidiFileFilter) : QString();
    QString chosen =
        QFileDialog::getSaveFileName(this, QStringLiteral("Save Syx"), start, QString::fromLatin1(SaveFilter), &filter);
    // A bare name under the MIDI filter is meant as a MIDI file.
    if (!chosen.isEmpty() && filter == QLatin1String(MidiFileFilter) && QFileInfo(chosen).suffix().isEmpty())
      chosen += QLatin1String(MidiFileSuffix);
    return chosen;
  };
  confirm = [this](const QString& question) {
    return QMessageBox::question(this, windowTitle(), question, QMessageBox::Yes | QMessageBox::No, QMessageBox::No) ==
           QMessageBox::Yes;
  };
  askUnsavedChanges = [this](const QString& question) {
    return static_cast<int>(QMessageBox::question(this, windowTitle(), question,
                                                  QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel,
                                                  QMessageBox::Cancel));
  };
  createTransferView();
  buildControls();
  buildMenus();
  connect(this, &MainWindow::getTempRequested, this, &MainWindow::getTemp);
  connect(this, &MainWindow::sendTempRequested, this, &MainWindow::sendTemp);
  connect(responseTimer_, &QTimer::timeout, this, &MainWindow::responseTimedOut);
  create();
}

QPushButton* MainWindow::addButton(const char* name, const QString& caption, void (MainWindow::*action)()) {
  auto* b = new QPushButton(caption);
  b->setObjectName(QString::fromLatin1(name));
  if (action) connect(b, &QPushButton::clicked, this, action);
  return b;
}

void MainWindow::buildControls() {
  auto* central = new QWidget;
  auto* layout = new QVBoxLayout(central);

  auto* fileRow = new QHBoxLayout;
  fileRow->addWidget(addButton("Bopensys", QStringLiteral("Open Syx"), &MainWindow::openFile));
  fileRow->addWidget(addButton("Bsavesys", QStringLiteral("Save Syx"), &MainWindow::saveFile));
  auto* getJv = addButton("BGetJV", QStringLiteral("Get Tmp Perf"), nullptr);
  connect(getJv, &QPushButton::clicked, this, &MainWindow::getTempRequested);
  fileRow->addWidget(getJv);
  auto* sendJv = addButton("BSendJV", QStringLiteral("Send to Temp"), nullptr);
  connect(sendJv, &QPushButton::clicked, this, &MainWindow::sendTempRequested);
  fileRow->addWidget(sendJv);
  for (auto [name, caption] : {std::pair{"BsaveJVmem", "Save To JV-XP"}, std::pair{"Ballin", "R - Update"},
                               std::pair{"Busercard", "Temp / User / Card"}}) {
    QPushButton* hidden = addButton(name, QString::fromLatin1(caption), nullptr);
    hidden->hide();
    fileRow->addWidget(hidden);
    if (hidden->objectName() == QStringLiteral("BsaveJVmem"))
      connect(hidden, &QPushButton::clicked, this, &MainWindow::storeToModule);
    if (hidden->objectName() == QStringLiteral("Busercard"))
      connect(hidden, &QPushButton::clicked, this, &MainWindow::chooseKind);
    if (hidden->objectName() == QStringLiteral("Ballin"))
      connect(hidden, &QPushButton::clicked, this, [this] {
        if (refuseWhileTransferring()) return;
        auto& s = ctx_.store;
        s.NoResponse = s.Updating = s.ListLoaded = s.FromTemp = s.FromUser = s.FromCard = false;
        activate();
      });
  }
  fileRow->addStretch();
  QPushButton* exitButton = addButton("Bexit", QStringLiteral("Exit"), nullptr);
  connect(exitButton, &QPushButton::clicked, this, &QWidget::close);
  fileRow->addWidget(exitButton);
  layout->addLayout(fileRow);

  auto* sourceRow = new QHBoxLayout;
  auto* label1 = new QLabel(QStringLiteral("Available Performances in : "));
  label1->setObjectName(QStringLiteral("Label1"));
  sourceLabel_->setObjectName(QStringLiteral("ldrop"));
  sourceRow->addWidget(label1);
  sourceRow->addWidget(sourceLabel_, 1);
  layout->addLayout(sourceRow);

  performanceGrid_->setObjectName(QStringLiteral("StGr"));
  performanceColumnWidth_ =
      std::max(PerformanceColumnWidth,
               performanceGrid_->fontMetrics().horizontalAdvance(QStringLiteral(" 32 = Dance Layers")) + CellPadding);
  sizeGrid(performanceGrid_, GridColumns, GridRows, performanceColumnWidth_, PerformanceRowHeight);
  performanceGrid_->setSelectionMode(QAbstractItemView::SingleSelection);
  performanceGrid_->setAccessibleName(QStringLiteral("Performances"));
  connect(performanceGrid_, &QTableWidget::cellClicked, this, [this](int row, int column) {
    selectCell(column, row);
    evaluationTimer_->start();
  });
  // By keyboard as by mouse: Tab leaves the grid, the arrows choose, Enter or
  // Space opens the chosen performance (a double click activates it too).
  performanceGrid_->setTabKeyNavigation(false);
  connect(performanceGrid_, &QTableWidget::currentCellChanged, this, [this](int row, int column) {
    if (!performanceGrid_->hasFocus() || row < 0 || column < 0) return;
    selectCell(column, row);
    evaluationTimer_->start();
  });
  connect(performanceGrid_, &QTableWidget::activated, this, [this](const QModelIndex&) { editPerformance(); });
  performanceGrid_->installEventFilter(this);
  buildGridMenu();
  layout->addWidget(performanceGrid_, 0, Qt::AlignLeft);

  auto* selectedRow = new QHBoxLayout;
  auto* label2 = new QLabel(QStringLiteral("Selected :"));
  label2->setObjectName(QStringLiteral("Label2"));
  editButton_ = addButton("Beditp", QStringLiteral("Edit Performance"), &MainWindow::editPerformance);
  selectedLabel_->setObjectName(QStringLiteral("Lnamesel"));
  selectedLabel_->hide();
  selectedRow->addWidget(label2);
  selectedRow->addWidget(editButton_, 1);
  selectedRow->addWidget(selectedLabel_);
  layout->addLayout(selectedRow);
  // The editing windows' buttons in a row of their own, so the window stays
  // narrow enough to stand beside the monitor on a small screen.
  auto* toolRow = new QHBoxLayout;
  toolRow->addWidget(addButton("Bchorev", QStringLiteral("Chorus Reverb EFX"), &MainWindow::chorusReverbRequested));
  toolRow->addWidget(addButton("Button1", QStringLiteral("E F X   Edit"), &MainWindow::efxRequested));
  toolRow->addWidget(addButton("Bmidimix", QStringLiteral("Midi Mixer"), &MainWindow::mixerRequested));
  // Scale tuning has no window in this program: the button stays, greyed, and says so.
  QPushButton* scaleTune = addButton("Btune", QStringLiteral("ScaleTune"), nullptr);
  scaleTune->setEnabled(false);
  scaleTune->setToolTip(QStringLiteral("Scale tuning is not available in this version"));
  scaleTune->setAccessibleDescription(scaleTune->toolTip());
  toolRow->addWidget(scaleTune);
  toolRow->addStretch();
  layout->addLayout(toolRow);

  auto* label3 = new QLabel(QStringLiteral("Patches Used :"));
  label3->setObjectName(QStringLiteral("Label3"));
  layout->addWidget(label3);
  patchGrid_->setObjectName(QStringLiteral("StPatchGr"));
  // Narrowed to the names once the lists are loaded.
  sizeGrid(patchGrid_, PatchGridColumns, PatchGridRows, PatchColumnWidth, PatchRowHeight);
  // Display only; kept enabled so the names stay as readable as the grid above.
  patchGrid_->setSelectionMode(QAbstractItemView::NoSelection);
  patchGrid_->setFocusPolicy(Qt::NoFocus);
  patchGrid_->setAccessibleName(QStringLiteral("Patches used"));
  layout->addWidget(patchGrid_, 0, Qt::AlignLeft);

  auto* progressRow = new QHBoxLayout;
  status_->setObjectName(QStringLiteral("status"));
  progressBar_->setObjectName(QStringLiteral("G"));
  progressBar_->setTextVisible(false);
  progressBar_->hide();
  progressRow->addWidget(status_, 1);
  progressRow->addWidget(progressBar_, 1);
  layout->addLayout(progressRow);
  layout->addStretch();
  setCentralWidget(central);

  auto* bar = new QStatusBar;
  bar->setObjectName(QStringLiteral("StatusB"));
  for (int i = 0; i < StatusPanelCount; ++i) {
    panels_[i] = new ElidedLabel(QString::fromLatin1(PanelTexts[i]));
    panels_[i]->setMinimumWidth(PanelWidths[i]);
    bar->addWidget(panels_[i], i == StatusPanelCount - 1 ? 1 : 0);
  }
  setStatusBar(bar);

  evaluationTimer_->setObjectName(QStringLiteral("Timer1"));
  evaluationTimer_->setInterval(Timer1Ms);
  connect(evaluationTimer_, &QTimer::timeout, this, &MainWindow::evaluateSelection);
  responseTimer_->setObjectName(QStringLiteral("TimerMidiIn"));
  responseTimer_->setInterval(ResponseTimeoutMs);
  setAcceptDrops(true);
}

void MainWindow::create() {
  evaluationTimer_->stop();
  ctx_.settings.ExpMax = 4;
  if (const QString message = ctx_.settings.ReadSettings(); !message.isEmpty())
    ctx_.host.showInfo(message.toStdString());
  ctx_.applySettings();
  ctx_.sender.WaitMs(CreationWaitMs);
  droppedPath_.clear();
  ctx_.store.FileDropped = false;
  ctx_.names.LoadPatchNames(ctx_.settings.dataFolder(), ctx_.settings.expansionChoices());
  fitPatchGridToNames();
  auto& s = ctx_.store;
  s.LogEnabled = true;
  s.NoPerformance = true;
  s.ListLoaded = s.FromTemp = s.FromUser = s.FromCard = false;
  for (auto& entry : s.PerformanceList) setPerformanceName(entry.common, "");
  playNote_->setChecked(ctx_.settings.engine.noteOn);
  resetPerformanceGrid();
  evaluationTimer_->start();
}

void MainWindow::changeEvent(QEvent* event) {
  QMainWindow::changeEvent(event);
  if (event->type() != QEvent::ActivationChange) return;
  if (isActiveWindow())
    activate();
  else
    evaluationTimer_->stop();
}

void MainWindow::ensureActivated() {
  if (!activated_) activate();
}

void MainWindow::activate() {
  // The wait window closing hands the activation back mid-transfer; the list is the transfer's until it ends.
  if (transferRunning()) return;
  activated_ = true;
  // Once only: FirstRun stays set until the dialog's "Ok", and every activation comes here.
  if (ctx_.settings.FirstRun && !firstRunAsked_) {
    firstRunAsked_ = true;
    ctx_.settings.WriteDefaultSettings();
    // FirstRun stays set until the settings dialog is confirmed.
    ctx_.applySettings();
    emit firstRunSettingsRequested();
  }
  if (!splashShown_ && windows.splash) {
    splashShown_ = true;
    windows.splash->showAtStart(this);
  }
  auto& s = ctx_.store;
  if (s.FromTemp) showTemporaryName();
  if (s.FromUser || s.FromCard) rebuildNamesFromRecords();
  if (!s.ListLoaded) {
    fillPerformanceGrid();
    return;
  }
  if (!s.TempSent) editButton_->setText(QStringLiteral("Edit: Click Grid to Select"));
  selectedLabel_->setText(toQ(entryName(s.SelectedIndex)));
  fillPerformanceGrid();
}

void MainWindow::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  prepareShow();
}

void MainWindow::prepareShow() {
  patchGrid_->clearSelection();
  progressBar_->hide();
  fillPerformanceGrid();
  evaluationTimer_->start();
}

void MainWindow::editPerformance() {
  if (refuseWhileTransferring()) return;
  if (ctx_.store.NoPerformance) {
    ctx_.host.showInfo(NoPerformanceToEdit);
    return;
  }
  if (!ctx_.store.FromTemp) emit sendTempRequested();
  emit editRequested();
}

void MainWindow::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
  // More room may show more of a long name.
  fitGridColumnsToNames();
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  // The grid would take Space as a selection key; here it opens the chosen performance.
  if (watched == performanceGrid_ && event->type() == QEvent::KeyPress &&
      static_cast<QKeyEvent*>(event)->key() == Qt::Key_Space) {
    editPerformance();
    return true;
  }
  return QMainWindow::eventFilter(watched, event);
}

void MainWindow::closeEvent(QCloseEvent* event) {
  if (transferRunning()) {
    // The transfer's wait runs beneath this event: cancel it, and close once it has ended.
    cancelRunningTransfer(ctx_.sender);
    event->ignore();
    QTimer::singleShot(0, this, &QWidget::close);
    return;
  }
  ctx_.settings.WriteSettings();
  if (ctx_.store.UnsavedChanges && windows.saveDialog) {
    const int answer = windows.saveDialog->ask(ctx_.store, toQ(unsavedWarning()));
    if (answer == QDialog::Accepted) chooseFromSaveDialog();
    if (answer != SaveChoiceDialog::Discarded) {
      event->ignore();
      return;
    }
  }
  event->accept();
  QApplication::quit();
}

void MainWindow::setStatus(const QString& text) { status_->setText(text); }
QString MainWindow::statusText() const { return status_->text(); }
QString MainWindow::statusPanel(int panel) const { return panels_[static_cast<std::size_t>(panel)]->text(); }
void MainWindow::setStatusPanel(int panel, const QString& text) {
  panels_[static_cast<std::size_t>(panel)]->setText(text);
}

void MainWindow::setGauge(int maximum, int value, bool visible) {
  progressBar_->setMaximum(std::max(maximum, 1));
  progressBar_->setValue(value);
  progressBar_->setVisible(visible);
}

}  // namespace quillon
