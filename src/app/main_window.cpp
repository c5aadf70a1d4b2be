#include "app/main_window.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
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
#include "app/message_log_window.h"
#include "app/save_choice_dialog.h"
#include "app/splash_screen.h"
#include "app/transfer_progress_dialog.h"
#include "engine/syx_reader.h"
#include "engine/syx_writer.h"
#include "settings/names/patch_evaluation.h"

namespace quillon {

namespace {
constexpr int FormWidth = 608;
constexpr int FormHeight = 456;
constexpr int Timer1Ms = 100;
constexpr int ResponseTimeoutMs = 1500;
constexpr int PerformanceColumnWidth = 110;
constexpr int PerformanceRowHeight = 17;
constexpr int PatchColumnWidth = 146;
constexpr int PatchRowHeight = 16;
constexpr int CellPadding = 8;       // room beside a cell's text
constexpr int GridSideMargins = 24;  // the layout's margins beside the grid
constexpr int CreationWaitMs = 5;
constexpr std::array<int, StatusPanelCount> PanelWidths{80, 175, 175, 50};
constexpr std::array<const char*, StatusPanelCount> PanelTexts{"Found", "In", "Out", "In2"};
constexpr int KindPanel = KindStatusPanel;
constexpr int FoundPanel = 0;
const char* const SysexFilter = "Sysex (*.syx);;All (*)";
const char* const SaveFilter = "Sysex (*.syx);;All (*);;Performance (*.prf)";
const char* const NoPerformanceToEdit = "There is no performance to edit.";
const char* const WhatToSave = "What to save??";
const char* const TempFileName = "TempPerfom.syx";
const QColor IncompleteColour(0xb0, 0, 0);

QString toQ(const std::string& s) { return QString::fromStdString(s); }

// Bytes below 32 are shown as blanks.
std::string printableName(std::span<const Byte> bytes) {
  std::string name;
  for (Byte b : bytes.first(PerformanceNameLength)) name += b < 32 ? ' ' : static_cast<char>(b);
  return name;
}

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

// How a transfer shows on the main window and the wait window.
class MainWindow::WaitingView : public TransferView {
 public:
  explicit WaitingView(MainWindow& form) : form_(form) {}
  void begin(int maximum) override {
    if (!wait()) return;
    wait()->setProgressMaximum(maximum);
    wait()->setProgress(0);
    // Each transfer counts afresh; a send collects nothing.
    wait()->setCollected(QString::number(0));
    wait()->showBeside(&form_);
    QApplication::processEvents();
  }
  void progress(int value) override {
    if (wait()) wait()->setProgress(value);
  }
  void collected(int count) override {
    if (wait()) wait()->setCollected(QString::number(count));
  }
  void messageGoesOut() override {
    if (wait()) wait()->lightOut();
  }
  void end() override {
    if (wait()) wait()->hide();
  }
  void busy(bool on) override {
    if (on)
      form_.setCursor(Qt::WaitCursor);
    else
      form_.unsetCursor();
    form_.setTransferRunning(on);
  }
  void pauseEvaluation() override { form_.timer1_->stop(); }
  void resumeEvaluation() override { form_.timer1_->start(); }
  void listCleared() override { form_.resetPerformanceGrid(); }
  void sourceLabel(const std::string& text) override { form_.ldrop_->setText(toQ(text)); }
  void beep() override { QApplication::beep(); }

 private:
  TransferProgressDialog* wait() const { return form_.windows.waiting; }
  MainWindow& form_;
};

MainWindow::~MainWindow() = default;

MainWindow::MainWindow(AppContext& context, QWidget* parent)
    : QMainWindow(parent),
      ctx_(context),
      stGr_(new QTableWidget),
      stPatchGr_(new QTableWidget),
      g_(new QProgressBar),
      status_(new QLabel),
      ldrop_(new QLabel(QStringLiteral("None"))),
      lnamesel_(new QLabel),
      timer1_(new QTimer(this)),
      timerMidiIn_(new QTimer(this)),
      recentFiles_(context.settings.location()) {
  setObjectName(QStringLiteral("MainWindow"));
  setWindowTitle(QStringLiteral("Perform Editor"));
  resize(FormWidth, FormHeight);
  chooseOpenFile = [this] {
    return QFileDialog::getOpenFileName(this, QStringLiteral("Open Syx"), fileDialogFolder(),
                                        QString::fromLatin1(SysexFilter));
  };
  chooseSaveFile = [this](const QString& proposed) {
    // A bare name ("TempPerfom.syx") is offered in the folder last used.
    const QString start = QFileInfo(proposed).isAbsolute() ? proposed : QDir(fileDialogFolder()).filePath(proposed);
    return QFileDialog::getSaveFileName(this, QStringLiteral("Save Syx"), start, QString::fromLatin1(SaveFilter));
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
  waitingView_ = std::make_unique<WaitingView>(*this);
  buildControls();
  buildMenus();
  connect(this, &MainWindow::getTempRequested, this, &MainWindow::getTemp);
  connect(this, &MainWindow::sendTempRequested, this, &MainWindow::sendTemp);
  connect(timerMidiIn_, &QTimer::timeout, this, &MainWindow::responseTimedOut);
  create();
}

TransferView& MainWindow::transferView() { return *waitingView_; }

void MainWindow::getTemp() {
  if (refuseWhileTransferring() || !mayReplaceList(true)) return;
  const bool fetched = ctx_.tempTransfer.GetTemp(*waitingView_);
  if (!fetched) {
    // Nothing came: the list of before is back, as it was.
    fillPerformanceGrid();
    return;
  }
  // Whatever arrived replaced the performance the history spoke of.
  ctx_.store.notifyReloaded(ChangeOrigin::Incoming);
  pcmReported_ = false;
  setStatusPanel(KindPanel, QStringLiteral("Temp"));
  showTemporaryName();
  fillPerformanceGrid();
  evaluatePatchNames();
}

bool MainWindow::transferRunning() const { return ctx_.sender.sessions().running(); }

bool MainWindow::refuseWhileTransferring() {
  if (!transferRunning()) return false;
  setStatus(QString::fromLatin1(session_text::Busy));
  return true;
}

void MainWindow::setTransferRunning(bool on) {
  menuBar()->setEnabled(!on);
  centralWidget()->setEnabled(!on);
  setAcceptDrops(!on);
  if (!on) updateBankSendCommands();
}

bool MainWindow::mayReplaceList(bool withTemp) {
  // Edits of a fetched Temporary Performance went to the module as they were
  // made: fetching it again loses nothing.
  if (!ctx_.store.UnsavedChanges || (withTemp && ctx_.store.FromTemp)) return true;
  const int answer = askUnsavedChanges
                         ? askUnsavedChanges(QStringLiteral("The performances have unsaved changes.\n"
                                                            "Save them before the fetch replaces them?"))
                         : QMessageBox::Cancel;
  if (answer == QMessageBox::Discard) return true;
  if (answer != QMessageBox::Save) return false;
  saveFile();
  return !ctx_.store.UnsavedChanges;
}

void MainWindow::updateBankSendCommands() {
  const std::string why = whyBankUnsendable(ctx_.store);
  for (QAction* action : sendBankActions_) {
    if (!action) continue;
    action->setEnabled(why.empty());
    action->setToolTip(toQ(why));
  }
}

void MainWindow::showTemporaryName() {
  auto& s = ctx_.store;
  const std::string name = printableName(s.TempPerformance.common);
  setPerformanceName(s.PerformanceList[0].common, name);
  prepareShow();
  beditp_->setText(QStringLiteral("Edit Temp:  ") + toQ(name));
  lnamesel_->setText(toQ(name));
}

void MainWindow::startResponseTimer() {
  if (!timerMidiIn_->isActive()) timerMidiIn_->start();
}

void MainWindow::sendTemp() {
  if (refuseWhileTransferring()) return;
  ctx_.tempTransfer.SendTemp(*waitingView_);
}

void MainWindow::responseTimedOut() { runningTransferTimedOut(ctx_.sender, *waitingView_); }

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
  ldrop_->setObjectName(QStringLiteral("ldrop"));
  sourceRow->addWidget(label1);
  sourceRow->addWidget(ldrop_, 1);
  layout->addLayout(sourceRow);

  stGr_->setObjectName(QStringLiteral("StGr"));
  performanceColumnWidth_ = std::max(
      PerformanceColumnWidth, stGr_->fontMetrics().horizontalAdvance(QStringLiteral(" 32 = Dance Layers")) + CellPadding);
  sizeGrid(stGr_, GridColumns, GridRows, performanceColumnWidth_, PerformanceRowHeight);
  stGr_->setSelectionMode(QAbstractItemView::SingleSelection);
  stGr_->setAccessibleName(QStringLiteral("Performances"));
  connect(stGr_, &QTableWidget::cellClicked, this, [this](int row, int column) {
    selectCell(column, row);
    timer1_->start();
  });
  connect(stGr_, &QTableWidget::cellDoubleClicked, this, [this](int, int) { editPerformance(); });
  layout->addWidget(stGr_, 0, Qt::AlignLeft);

  auto* selectedRow = new QHBoxLayout;
  auto* label2 = new QLabel(QStringLiteral("Selected :"));
  label2->setObjectName(QStringLiteral("Label2"));
  beditp_ = addButton("Beditp", QStringLiteral("Edit Performance"), &MainWindow::editPerformance);
  lnamesel_->setObjectName(QStringLiteral("Lnamesel"));
  lnamesel_->hide();
  selectedRow->addWidget(label2);
  selectedRow->addWidget(beditp_, 1);
  selectedRow->addWidget(lnamesel_);
  layout->addLayout(selectedRow);
  // The editing windows' buttons in a row of their own, so the window stays
  // narrow enough to stand beside the monitor on a small screen.
  auto* toolRow = new QHBoxLayout;
  toolRow->addWidget(addButton("Bchorev", QStringLiteral("Chorus Reverb EFX"), &MainWindow::chorusReverbRequested));
  toolRow->addWidget(addButton("Button1", QStringLiteral("E F X   Edit"), &MainWindow::efxRequested));
  toolRow->addWidget(addButton("Bmidimix", QStringLiteral("Midi Mixer"), &MainWindow::mixerRequested));
  toolRow->addWidget(addButton("Btune", QStringLiteral("ScaleTune"), nullptr));
  toolRow->addStretch();
  layout->addLayout(toolRow);

  auto* label3 = new QLabel(QStringLiteral("Patches Used :"));
  label3->setObjectName(QStringLiteral("Label3"));
  layout->addWidget(label3);
  stPatchGr_->setObjectName(QStringLiteral("StPatchGr"));
  // Narrowed to the names once the lists are loaded.
  sizeGrid(stPatchGr_, PatchGridColumns, PatchGridRows, PatchColumnWidth, PatchRowHeight);
  // Display only; kept enabled so the names stay as readable as the grid above.
  stPatchGr_->setSelectionMode(QAbstractItemView::NoSelection);
  stPatchGr_->setFocusPolicy(Qt::NoFocus);
  stPatchGr_->setAccessibleName(QStringLiteral("Patches used"));
  layout->addWidget(stPatchGr_, 0, Qt::AlignLeft);

  auto* progressRow = new QHBoxLayout;
  status_->setObjectName(QStringLiteral("status"));
  g_->setObjectName(QStringLiteral("G"));
  g_->setTextVisible(false);
  g_->hide();
  progressRow->addWidget(status_, 1);
  progressRow->addWidget(g_, 1);
  layout->addLayout(progressRow);
  layout->addStretch();
  setCentralWidget(central);

  auto* bar = new QStatusBar;
  bar->setObjectName(QStringLiteral("StatusB"));
  for (int i = 0; i < StatusPanelCount; ++i) {
    panels_[i] = new QLabel(QString::fromLatin1(PanelTexts[i]));
    panels_[i]->setMinimumWidth(PanelWidths[i]);
    bar->addWidget(panels_[i], i == StatusPanelCount - 1 ? 1 : 0);
  }
  setStatusBar(bar);

  timer1_->setObjectName(QStringLiteral("Timer1"));
  timer1_->setInterval(Timer1Ms);
  connect(timer1_, &QTimer::timeout, this, &MainWindow::evaluateSelection);
  timerMidiIn_->setObjectName(QStringLiteral("TimerMidiIn"));
  timerMidiIn_->setInterval(ResponseTimeoutMs);
  setAcceptDrops(true);
}

void MainWindow::buildMenus() {
  const auto item = [this](QMenu* menu, const QString& text, auto slot, QKeySequence key = {}) {
    QAction* a = menu->addAction(text);
    if (!key.isEmpty()) a->setShortcut(key);
    connect(a, &QAction::triggered, this, slot);
    return a;
  };
  const auto inert = [](QMenu* menu, const QString& text) { return menu->addAction(text); };

  QMenu* file = menuBar()->addMenu(QStringLiteral("File"));
  item(file, QStringLiteral("Open Syx"), &MainWindow::openFile, QKeySequence(QKeySequence::Open));
  recentMenu_ = file->addMenu(QStringLiteral("Open Recent"));
  recentMenu_->setObjectName(QStringLiteral("MOpenRecent"));
  rebuildRecentMenu();
  item(file, QStringLiteral("Save Syx"), &MainWindow::saveFile, QKeySequence(QKeySequence::Save));
  item(file, QStringLiteral("Save To JV XP"), &MainWindow::storeToModule);
  item(file, QStringLiteral("Temp / User / Card"), &MainWindow::chooseKind);
  item(file, QStringLiteral("Exit"), &QWidget::close, QKeySequence(Qt::Key_F12));

  ctx_.history.addEditMenu(menuBar(), this);

  QMenu* retrieve = menuBar()->addMenu(QStringLiteral("Retrieve"));
  item(retrieve, QStringLiteral("Get Temp"), &MainWindow::getTempRequested);
  item(retrieve, QStringLiteral("Get User All"), [this] { getBank(BankArea::User); });
  item(retrieve, QStringLiteral("Get Card All"), [this] { getBank(BankArea::Card); });

  QMenu* send = menuBar()->addMenu(QStringLiteral("Send"));
  item(send, QStringLiteral("Send Temp"), &MainWindow::sendTempRequested);
  sendBankActions_ = {item(send, QStringLiteral("Send User All"), [this] { sendBank(BankArea::User); }),
                      item(send, QStringLiteral("Send Card All"), [this] { sendBank(BankArea::Card); })};
  send->setToolTipsVisible(true);
  updateBankSendCommands();
  item(send, QStringLiteral("Save To JV"), &MainWindow::storeToModule);

  QMenu* options = menuBar()->addMenu(QStringLiteral("Options"));
  item(options, QStringLiteral("Settings Midi Exp Dly"), &MainWindow::settingsRequested);
  item(options, QStringLiteral("Get Usernames"), [this] { getPatchNames(BankArea::User); });
  item(options, QStringLiteral("Get Cardnames"), [this] { getPatchNames(BankArea::Card); });
  QAction* monitor = item(options, QStringLiteral("Note CTRL View"), [this] {
    if (windows.monitor) windows.monitor->show(), windows.monitor->raise();
  });
  monitor->setShortcut(Qt::Key_F10);
  QAction* log = item(options, QStringLiteral("Syx Message View"), [this] {
    if (windows.log) windows.log->show(), windows.log->raise();
  });
  log->setShortcut(Qt::Key_F2);
  playNote_ = item(options, QStringLiteral("Play Note On/Off"), [this] {
    ctx_.settings.NoteOn = !ctx_.settings.NoteOn;
    ctx_.applySettings();
    playNote_->setChecked(ctx_.settings.NoteOn);
  });
  playNote_->setObjectName(QStringLiteral("PlayNoteOnOff"));
  playNote_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
  playNote_->setCheckable(true);
  midiThru_ = inert(options, QStringLiteral("Midi True  On/Off"));
  midiThru_->setObjectName(QStringLiteral("MMidiTrue"));
  midiThru_->setCheckable(true);
  midiThru_->setChecked(monitor_default::MidiThru);
  changeNameAlways_ = inert(options, QStringLiteral("Change Name Always"));
  changeNameAlways_->setCheckable(true);

  QMenu* help = menuBar()->addMenu(QStringLiteral("Help"));
  item(help, QStringLiteral("About"), &MainWindow::showAbout);
}

void MainWindow::create() {
  timer1_->stop();
  ctx_.settings.ExpMax = 4;
  if (const QString message = ctx_.settings.ReadSettings(); !message.isEmpty()) ctx_.host.showInfo(message.toStdString());
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
  playNote_->setChecked(ctx_.settings.NoteOn);
  resetPerformanceGrid();
  timer1_->start();
}

void MainWindow::fitPatchGridToNames() {
  // As wide as the widest name the lists hold, not as a row of the widest letter:
  // the window has to fit beside the monitor on a small screen.
  const QFontMetrics metrics = stPatchGr_->fontMetrics();
  int widest = metrics.horizontalAdvance(toQ(patchGridCellText(RhythmPart, {})));
  // The module's names have 12 characters; a longer one typed into a list is
  // whole in the cell's tooltip.
  const auto measure = [&](const NameList& list) {
    for (const IniLine& line : list.lines())
      if (line.value.size() <= static_cast<std::size_t>(PerformanceNameLength))
        widest = std::max(widest, metrics.horizontalAdvance(toQ(patchGridCellText(address::PartCount - 1, line.value))));
  };
  for (int group = 0; group < InternalGroupCount; ++group) measure(ctx_.names.bankList(group));
  for (int slot = 0; slot < ExpansionSlotCount; ++slot) {
    measure(ctx_.names.slot(slot).patches);
    measure(ctx_.names.slot(slot).upperPatches);
  }
  const int width = widest + CellPadding;
  stPatchGr_->horizontalHeader()->setDefaultSectionSize(width);
  stPatchGr_->setFixedWidth(PatchGridColumns * width + 2 * stPatchGr_->frameWidth());
}

void MainWindow::changeEvent(QEvent* event) {
  QMainWindow::changeEvent(event);
  if (event->type() != QEvent::ActivationChange) return;
  if (isActiveWindow())
    activate();
  else
    timer1_->stop();
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
  if (!s.TempSent) beditp_->setText(QStringLiteral("Edit: Click Grid to Select"));
  lnamesel_->setText(toQ(entryName(s.SelectedIndex)));
  fillPerformanceGrid();
}

void MainWindow::rebuildNamesFromRecords() {
  for (auto& entry : ctx_.store.PerformanceList) {
    const std::string name = printableName(entry.common);
    std::copy(name.begin(), name.end(), entry.common.begin() + common::Name);
  }
}

void MainWindow::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  prepareShow();
}

void MainWindow::prepareShow() {
  stPatchGr_->clearSelection();
  g_->hide();
  fillPerformanceGrid();
  timer1_->start();
}

std::string MainWindow::entryName(int index) const {
  return performanceName(ctx_.store.PerformanceList[static_cast<std::size_t>(std::clamp(index, 0, 31))].common);
}

void MainWindow::resetPerformanceGrid() {
  for (int i = 0; i < PerformanceListSize; ++i) {
    const GridCell cell = gridCellOf(i);
    stGr_->item(cell.row, cell.column)->setText(toQ(emptyGridCellText(i)));
    stGr_->item(cell.row, cell.column)->setToolTip({});
  }
}

void MainWindow::fillPerformanceGrid() {
  const int count = ctx_.store.PerformanceCount;
  if (count < 1) return;
  resetPerformanceGrid();
  for (int i = 0; i < std::min(count, PerformanceListSize); ++i) {
    const GridCell cell = gridCellOf(i);
    QTableWidgetItem* item = stGr_->item(cell.row, cell.column);
    item->setText(toQ(filledGridCellText(i, entryName(i))));
    const ListEntryInfo& info = ctx_.store.ListInfo[static_cast<std::size_t>(i)];
    // An incomplete performance stands out, and its tooltip says why.
    QFont font = stGr_->font();
    font.setItalic(!info.complete);
    item->setFont(font);
    item->setForeground(info.complete ? stGr_->palette().text() : QBrush(IncompleteColour));
    const QString why = info.complete ? QString() : QStringLiteral("  (incomplete: ") + toQ(info.problem) + QLatin1Char(')');
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
      widest = std::max(widest, stGr_->fontMetrics().horizontalAdvance(stGr_->item(r, c)->text()) + CellPadding);
  // As wide as the names need, as far as the window has room beside the grid;
  // a name cut even then is whole in its tooltip.
  const int room = (width() - 2 * stGr_->frameWidth() - GridSideMargins) / GridColumns;
  const int width = std::min(widest, std::max(performanceColumnWidth_, room));
  if (width == stGr_->horizontalHeader()->defaultSectionSize()) return;
  stGr_->horizontalHeader()->setDefaultSectionSize(width);
  stGr_->setFixedWidth(GridColumns * width + 2 * stGr_->frameWidth());
}

void MainWindow::copyListEntryToTemp(int index) {
  auto& s = ctx_.store;
  if (s.FromTemp) return;
  const auto& entry = s.PerformanceList[static_cast<std::size_t>(std::clamp(index, 0, PerformanceListSize - 1))];
  const BlockSizes sizes = ctx_.engineSettings.sizes;
  std::copy_n(entry.common.begin(), sizes.commonLength(), s.TempPerformance.common.begin());
  for (int p = 0; p < address::PartCount; ++p)
    std::copy_n(entry.parts[p].begin(), sizes.partLength(), s.TempPerformance.parts[p].begin());
  s.notifyReloaded(ChangeOrigin::File);
}

void MainWindow::selectCell(int column, int row) {
  auto& s = ctx_.store;
  if (s.NoPerformance || refuseWhileTransferring()) return;
  s.Updating = true;
  stGr_->setCursor(Qt::WaitCursor);
  int index = column * GridRows + row;
  if (index >= s.PerformanceCount) {
    stGr_->clearSelection();
    index = std::max(s.PerformanceCount - 1, 0);
  }
  s.SelectedIndex = index;
  if (s.FromUser || s.FromCard) copyListEntryToTemp(index);
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
  lnamesel_->setText(name);
  beditp_->setText(QStringLiteral("Edit: ") + QString::number(index + 1) + QStringLiteral(" = ") + name);
}

void MainWindow::evaluateSelection() {
  auto& s = ctx_.store;
  if (transferRunning()) return;
  if (s.FileDropped) {
    timer1_->stop();
    if (QFileInfo(droppedPath_).suffix().toLower() == QStringLiteral("syx")) {
      ctx_.host.debugLine("OK, syx");
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
    timer1_->stop();
    copyListEntryToTemp(s.SelectedIndex);
    evaluatePatchNames();
  }
  stGr_->unsetCursor();
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
    g_->setValue(p);
    QTableWidgetItem* cell = stPatchGr_->item(patchGridRow(p), patchGridColumn(p));
    cell->setText(toQ(patchGridCellText(p, names[p])));
    cell->setToolTip(cell->text().trimmed());
  }
  showPatchesUsed();
  g_->hide();
  setStatus(QStringLiteral("Done"));
}

void MainWindow::showPatchesUsed() {
  for (int p = 0; p < address::PartCount; ++p)
    stPatchGr_->item(patchGridRow(p), patchGridColumn(p))
        ->setText(toQ(patchGridCellText(p, ctx_.store.PartPatchNames[static_cast<std::size_t>(p)])));
}

QString MainWindow::fileDialogFolder() const { return recentFiles_.folder(); }

void MainWindow::rebuildRecentMenu() {
  recentMenu_->clear();
  for (const QString& path : recentFiles_.files()) {
    QAction* a = recentMenu_->addAction(QDir::toNativeSeparators(path));
    connect(a, &QAction::triggered, this, [this, path] { openRecent(path); });
  }
  recentMenu_->setEnabled(!recentFiles_.files().isEmpty());
}

void MainWindow::openRecent(const QString& path) {
  if (!QFileInfo(path).isFile()) {
    recentFiles_.remove(path);
    rebuildRecentMenu();
    ctx_.host.showInfo("The file \"" + QDir::toNativeSeparators(path).toStdString() +
                       "\" is not there any more; it was taken off the recent files.");
    return;
  }
  openPath(path);
}

void MainWindow::openFile() {
  if (refuseWhileTransferring()) return;
  const QString path = chooseOpenFile ? chooseOpenFile() : QString();
  if (!path.isEmpty()) openPath(path);
}

void MainWindow::openPath(const QString& path) {
  if (refuseWhileTransferring()) return;
  timer1_->stop();
  // The engine reads the file before it clears anything (and every source
  // flag with it), so a file that cannot be read leaves the list as it was.
  const SyxFileResult result = openSyxFile(ctx_.store, path.toStdString(), readProgress());
  const bool replaced = result.ok() && !result.report.nothingFound;
  if (replaced) {
    // Another performance: the undo history starts anew.
    ctx_.store.notifyReloaded(ChangeOrigin::File);
    pcmReported_ = false;
    recentFiles_.add(path);
    rebuildRecentMenu();
  }
  showRead(path, result);
  if (replaced) showNewList();
  timer1_->start();
}

void MainWindow::showNewList() {
  // Nothing of the list before may stay on show: selection, captions, patches.
  for (int c = 0; c < PatchGridColumns; ++c)
    for (int r = 0; r < PatchGridRows; ++r) {
      stPatchGr_->item(r, c)->setText({});
      stPatchGr_->item(r, c)->setToolTip({});
    }
  stGr_->clearSelection();
  auto& s = ctx_.store;
  s.SelectedIndex = 0;
  if (s.NoPerformance) {
    beditp_->setText(QStringLiteral("Edit Performance"));
    lnamesel_->clear();
    setStatusPanel(KindPanel, {});
    return;
  }
  stGr_->setCurrentCell(0, 0);
  selectCell(0, 0);
}

ScanProgress MainWindow::readProgress() {
  setGauge(PerformanceListSize, 0, true);
  return [this](std::size_t done, std::size_t total) {
    g_->setMaximum(100);
    g_->setValue(total ? static_cast<int>(done * 100 / total) : 100);
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  };
}

void MainWindow::showRead(const QString& path, const SyxFileResult& result) {
  g_->hide();
  if (!result.ok()) {
    ctx_.host.showInfo(result.error);
    return;
  }
  const SyxReadReport& report = result.report;
  if (!report.scan.statusLines.empty()) ctx_.host.debugLine(report.scan.statusLines.back());
  setStatus(toQ(report.doneStatus));
  if (report.nothingFound) {
    // The list of before stays, with its title.
    ctx_.host.showInfo(NoPerformancesMessage);
    return;
  }
  resetPerformanceGrid();
  setWindowTitle(QStringLiteral("Perform edit: [") + path + QStringLiteral("]"));
  ldrop_->setText(path);
  fillPerformanceGrid();
  if (report.incomplete > 0)
    ctx_.host.showInfo(std::to_string(report.incomplete) +
                       " performance(s) in this file are incomplete: the missing parts are left empty.");
}

QString MainWindow::proposedFileName() const {
  QString name = toQ(ctx_.store.CurrentFileName);
  if (!QFileInfo(name).fileName().contains(QStringLiteral(".syx"))) name += QStringLiteral(".syx");
  return name;
}

bool MainWindow::writeSyx(const std::vector<Byte>& bytes) {
  const QString proposed = proposedFileName();
  ctx_.store.CurrentFileName = proposed.toStdString();
  const QString chosen = chooseSaveFile ? chooseSaveFile(proposed) : QString();
  if (chosen.isEmpty()) return false;
  timer1_->stop();
  const std::string name = withSyxExtension(chosen.toStdString());
  SaveConsent consent;
  consent.replaceReadOnly = isReadOnlyFile(name) && confirmReplacingReadOnly(this, toQ(name));
  if (isReadOnlyFile(name) && !consent.replaceReadOnly) return false;
  setStatus(QStringLiteral("Writing File : ") + toQ(name));
  setGauge(1, 0, true);
  const std::string error = writeFileAtomically(name, bytes, consent);
  g_->hide();
  if (!error.empty()) {
    setStatus(toQ(error));
    ctx_.host.showInfo(error);
    return false;
  }
  ctx_.store.CurrentFileName = name;
  recentFiles_.useFolderOf(toQ(name));
  setStatus(QStringLiteral(" File : ") + toQ(name) + QStringLiteral(" written."));
  setWindowTitle(QStringLiteral("Perform edit [") + toQ(name) + QStringLiteral("]"));
  ctx_.store.UnsavedChanges = false;
  return true;
}

bool MainWindow::writeTempSyx() { return writeSyx(tempSyxBytes(ctx_.store, ctx_.engineSettings.sizes)); }
bool MainWindow::writeListSyx() { return writeSyx(listSyxBytes(ctx_.store, ctx_.engineSettings.sizes)); }

void MainWindow::saveFile() {
  if (refuseWhileTransferring()) return;
  auto& s = ctx_.store;
  // A Temporary Performance or a User bank is written at once; asking
  // afterwards whether to save would question a file just written.
  // A Get Temp with blocks missing is never written without saying so.
  const std::string partial = unsavedWarning();
  if (s.FromTemp && partial.empty()) {
    writeTempSyx();
    return;
  }
  if (s.FromUser && partial.empty()) {
    writeListSyx();
    return;
  }
  if (!windows.saveDialog) return;
  const int answer = windows.saveDialog->ask(s, toQ(partial));
  if (answer == QDialog::Accepted) chooseFromSaveDialog();
  if (answer == SaveChoiceDialog::Discarded) ctx_.host.showInfo(WhatToSave);
}

std::string MainWindow::unsavedWarning() const {
  const auto& s = ctx_.store;
  if (s.FromTemp && !s.ListInfo[0].complete) return ctx_.tempTransfer.partialTransferText();
  return incompleteListText();
}

void MainWindow::chooseFromSaveDialog() {
  switch (windows.saveDialog->choice()) {
    case SaveChoiceDialog::Choice::SaveSelectedFile: writeTempSyx(); break;
    case SaveChoiceDialog::Choice::SaveListFile: writeListSyx(); break;
    case SaveChoiceDialog::Choice::SaveSelectedToModule: storeToModule(); break;
    case SaveChoiceDialog::Choice::SaveAllToModule: sendBank(BankArea::User); break;
    case SaveChoiceDialog::Choice::SaveAllToCard: break;  // the card is not written from here
  }
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

void MainWindow::showAbout() {
  if (windows.splash) windows.splash->showAbout(this);
}

void MainWindow::dropFile(const QString& path) {
  if (refuseWhileTransferring()) return;
  droppedPath_ = path;
  ldrop_->setText(path);
  ctx_.store.FileDropped = true;
  timer1_->start();
}

void MainWindow::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
  // More room may show more of a long name.
  fitGridColumnsToNames();
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
  if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event) {
  const auto urls = event->mimeData()->urls();
  if (urls.isEmpty() || !urls.first().isLocalFile()) return;
  dropFile(urls.first().toLocalFile());
  event->acceptProposedAction();
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
void MainWindow::setStatusPanel(int panel, const QString& text) { panels_[static_cast<std::size_t>(panel)]->setText(text); }

void MainWindow::setGauge(int maximum, int value, bool visible) {
  g_->setMaximum(std::max(maximum, 1));
  g_->setValue(value);
  g_->setVisible(visible);
}

}  // namespace quillon
