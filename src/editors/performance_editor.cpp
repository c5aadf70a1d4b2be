#include "editors/performance_editor.h"

#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMetaMethod>
#include <QPushButton>
#include <QSpinBox>
#include <QStatusBar>
#include <QTableWidget>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <utility>

#include "controls/pan_indicator.h"
#include "controls/roll_spin_box.h"
#include "controls/value_fader.h"
#include "editors/binding/edit_history.h"
#include "editors/binding/store_notifier.h"
#include "editors/name_field.h"
#include "editors/test_pad.h"
#include "engine/host.h"
#include "engine/sender.h"
#include "settings/device_settings.h"
#include "settings/names/patch_evaluation.h"
#include "settings/names/patch_name_library.h"

namespace quillon {

namespace {
const QColor ActiveCaption(0, 0, 128);
const QColor ActiveCaptionText(255, 255, 255);
const QColor InactiveCaption(128, 128, 128);
const QColor InactiveCaptionText(212, 208, 200);
const QColor PatchCaptionColour(239, 227, 255);  // the patch fields and a receiving part's "On"
const QColor SoundingColour(149, 255, 122);
const QColor PanLedOff(128, 0, 0);
const QColor KeyRangeWarning(255, 0, 0);

constexpr int NumberPointSize = 16;  // the column's large part number
constexpr int PatchNamePointSize = 7;
constexpr int FaderHeight = 150;
constexpr int KeyTop = param::PartKeyUpper.shownMax;
constexpr int KeyBottom = param::PartKeyLower.shownMin;

constexpr std::array<const char*, PerformanceEditor::PageCount> PageNames{"sp1_4", "Sp5_8", "Sp9_12", "Sp13_16"};
constexpr std::array<const char*, PartsPerPage> EfxOutNames{"CbEFXout1", "CbEFXOut2", "CBEFXOut3", "CbEFXOut4"};
constexpr std::array<const char*, PerformanceEditor::OverviewRows> RowHeadings{"PART", "Chan", "Out", "Pan", "Cho", "Rev"};
// The overview's short names of the output assign 0..4.
constexpr std::array<const char*, 5> OverviewOutputs{"Mix", "EFX", "Out1", "Out2", "Patch"};
enum OverviewRow { RowChannel = 1, RowOutput, RowPan, RowChorus, RowReverb };

const char* const InitialStatus = " Performance Main Edit";
const char* const SoundingStatus = " Current Sounding Parts: ";

QString partNumber(int part) { return QString::number(part + 1); }

// Background and text of a caption-like control; repaints only when they change.
void setColours(QWidget* w, const QColor& background, const QColor& text) {
  QPalette p = w->palette();
  if (w->autoFillBackground() && p.color(QPalette::Button) == background && p.color(QPalette::ButtonText) == text) return;
  w->setAutoFillBackground(true);
  p.setColor(QPalette::Button, background);
  p.setColor(QPalette::Window, background);
  p.setColor(QPalette::ButtonText, text);
  p.setColor(QPalette::WindowText, text);
  w->setPalette(p);
}

void setTextIfChanged(QTableWidgetItem* item, const QString& text) {
  if (item->text() != text) item->setText(text);
}

QPushButton* button(const char* name, const QString& caption, const QString& hint = {}) {
  auto* b = new QPushButton(caption);
  b->setObjectName(QLatin1String(name));
  if (!hint.isEmpty()) b->setToolTip(hint);
  return b;
}

// A caption the user clicks: flat, reachable by Tab, pressed by Space.
QPushButton* flatCaption(const QString& name, const QString& hint) {
  auto* b = new QPushButton;
  b->setObjectName(name);
  b->setFlat(true);
  b->setFocusPolicy(Qt::StrongFocus);
  b->setToolTip(hint);
  return b;
}

QLabel* caption(const QString& text) {
  auto* l = new QLabel(text);
  l->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  return l;
}

RollSpinBox* rollSpin(const QString& name, const QString& hint) {
  auto* s = new RollSpinBox;
  s->setObjectName(name);
  if (!hint.isEmpty()) s->setToolTip(hint);
  return s;
}

}  // namespace

PerformanceEditor::PerformanceEditor(EditingContext& context, QWidget* parent)
    : QMainWindow(parent), ctx_(context), bindings_(context, SendGuard::FormFilling) {
  setObjectName(QStringLiteral("perfeditform"));
  setWindowTitle(QStringLiteral(" Performance Edit"));
  buildControls();
  for (int column = 0; column < PartsPerPage; ++column) bindColumn(column);
  bindings_.setChangeAlways(chAlways_);
  connectButtons();
  connect(&ctx_.notices, &StoreNotifier::changed, this, &PerformanceEditor::storeChanged);
  // Another window moved the page (a part chosen there): the columns show it before the next input.
  connect(&ctx_.cursor, &EditingCursor::pageMoved, this, [this](int page) {
    if (isVisible() && page != page_) fillEditor();
  });

  // The part editors write only the block and offset of the shared address.
  ctx_.store.SysexAddressBuffer.bytes[0] = address::AreaTemporary;
  ctx_.host.setMonitorChannel(monitor_default::Channel);
  showPage(0);
}

PerformanceEditor::~PerformanceEditor() = default;

void PerformanceEditor::buildControls() {
  auto* central = new QWidget;
  auto* layout = new QVBoxLayout(central);
  layout->setContentsMargins(6, 4, 6, 4);
  layout->setSpacing(4);
  layout->addWidget(buildTopBar());

  auto* body = new QHBoxLayout;
  body->setSpacing(6);
  body->addWidget(buildQuickEdit(), 0, Qt::AlignTop);
  auto* columns = new QHBoxLayout;
  columns->setSpacing(4);
  for (int column = 0; column < PartsPerPage; ++column) columns->addWidget(buildColumn(column));
  body->addLayout(columns);
  body->addWidget(buildPadColumn(), 0, Qt::AlignTop);
  layout->addLayout(body);
  layout->addWidget(buildOverview(), 0, Qt::AlignLeft);
  setCentralWidget(central);

  ctx_.history.addEditMenu(menuBar(), this);

  auto* bar = new QStatusBar;
  bar->setObjectName(QStringLiteral("StatusBar1"));
  bar->setAccessibleName(QStringLiteral("Status"));
  bar->setSizeGripEnabled(false);
  status_ = new QLabel(QString::fromLatin1(InitialStatus));
  status_->setObjectName(QStringLiteral("StatusText"));
  bar->addWidget(status_, 1);
  lShows_ = new QLabel;
  lShows_->setObjectName(QStringLiteral("LShows"));
  bar->addPermanentWidget(lShows_);
  setStatusBar(bar);
}

QWidget* PerformanceEditor::buildTopBar() {
  auto* bar = new QWidget;
  auto* row = new QHBoxLayout(bar);
  row->setContentsMargins(0, 0, 0, 0);
  auto* nameLabel = caption(QStringLiteral("Name"));
  ePname_ = new QLineEdit;
  ePname_->setObjectName(QStringLiteral("EPname"));
  makeModuleNameField(ePname_);
  ePname_->setAccessibleName(QStringLiteral("Performance name"));
  ePname_->setMinimumWidth(ePname_->fontMetrics().horizontalAdvance(QString(PerformanceNameLength, QLatin1Char('W'))));
  nameLabel->setBuddy(ePname_);
  spPlay_ = new QToolButton;
  spPlay_->setObjectName(QStringLiteral("SpPlay"));
  spPlay_->setText(QStringLiteral("PlayNote"));
  spPlay_->setCheckable(true);
  spPlay_->setToolTip(QStringLiteral("Toggle Playnote"));
  spPlay_->setAccessibleName(QStringLiteral("Play a note after each change"));
  row->addWidget(nameLabel);
  row->addWidget(ePname_);
  row->addWidget(spPlay_);
  row->addSpacing(12);
  for (auto [name, text] : {std::pair{"Bswitch", "Switch / Pitch"}, std::pair{"BKeyRange", "Key Range"},
                            std::pair{"Bnoteout", "View Note"}, std::pair{"Button2", "Reload Temp"},
                            std::pair{"BsaveJV", "Save To JV-XP"}})
    row->addWidget(button(name, QString::fromLatin1(text)));
  row->addStretch(1);
  row->addWidget(button("Bdone", QStringLiteral("Done")));
  return bar;
}

QWidget* PerformanceEditor::buildQuickEdit() {
  auto* box = new QGroupBox(QStringLiteral("Quick Edit"));
  box->setObjectName(QStringLiteral("QuickEdit"));
  auto* col = new QVBoxLayout(box);
  auto* note = new QLabel(QStringLiteral("Buttons will modify all 16 parts."));
  note->setWordWrap(true);
  col->addWidget(note);
  chAlways_ = new QCheckBox(QStringLiteral("Change Always"));
  chAlways_->setObjectName(QStringLiteral("ChAlways"));
  chAlways_->setToolTip(QStringLiteral("Send Sysex on every change"));
  col->addWidget(chAlways_);
  for (auto [name, text] : {std::pair{"BAllPan", "All Pan to Val 1 "}, std::pair{"Bch1_16", "Chann 1 ~ 16"},
                            std::pair{"BAllOutLev", "All E Send to Val 1 "}, std::pair{"BAllCho", "All Cho to Val 1 "},
                            std::pair{"BAllRev", "All Rev to Val 1 "}, std::pair{"BAllLev", "All Lev to Val 1 "}})
    col->addWidget(button(name, QString::fromLatin1(text)));
  col->addStretch(1);
  box->setMaximumWidth(box->sizeHint().width() + 8);
  return box;
}

QWidget* PerformanceEditor::buildColumn(int column) {
  const QString n = QString::number(column + 1);
  PartColumn& c = columns_[static_cast<std::size_t>(column)];
  auto* frame = new QFrame;
  frame->setObjectName(QStringLiteral("Column") + n);
  frame->setFrameStyle(QFrame::StyledPanel | QFrame::Raised);
  frame->setAccessibleName(QStringLiteral("Column ") + n);
  auto* g = new QGridLayout(frame);
  g->setContentsMargins(4, 4, 4, 4);
  g->setHorizontalSpacing(4);
  g->setVerticalSpacing(3);

  c.lp = flatCaption(QStringLiteral("lp") + n, QStringLiteral("Click On/Off"));
  c.lp->setCheckable(true);
  c.lp->setMinimumWidth(c.lp->fontMetrics().horizontalAdvance(QStringLiteral("Part 10  Drum")) + 12);
  c.l = new QLabel;
  c.l->setObjectName(QStringLiteral("l") + n);
  QFont big = c.l->font();
  big.setPointSize(NumberPointSize);
  big.setBold(true);
  c.l->setFont(big);
  c.l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  c.stP = flatCaption(QStringLiteral("StP") + n, QStringLiteral("Click to select patch"));
  setColours(c.stP, PatchCaptionColour, palette().color(QPalette::WindowText));
  c.stP->setMinimumWidth(c.stP->fontMetrics().averageCharWidth() * PerformanceNameLength + 8);  // a 12-character patch name

  c.spPan = rollSpin(QStringLiteral("SpPan") + n, column == 0 ? QStringLiteral("Press and Roll") : QString());
  c.spPan->setLedOffCol(PanLedOff);
  c.lPanH = new PanIndicator;
  c.lPanH->setObjectName(QStringLiteral("LPanH") + n);
  c.lPanH->setAccessibleName(QStringLiteral("Pan position"));
  c.spCh = new QSpinBox;
  c.spCh->setObjectName(QStringLiteral("SpCh") + n);
  c.cbOut = new QComboBox;
  c.cbOut->setObjectName(QStringLiteral("CbOut") + n);
  c.cbEfxOut = new QComboBox;
  c.cbEfxOut->setObjectName(QLatin1String(EfxOutNames[static_cast<std::size_t>(column)]));
  c.spA = new QToolButton;
  c.spA->setObjectName(QStringLiteral("SpA") + n);
  c.spA->setText(QStringLiteral("Test"));
  c.spA->setCheckable(true);
  c.spA->setToolTip(QStringLiteral("Down while the part sounds on the test channel; click to switch it on"));
  c.slVol = new ValueFader;
  c.slVol->setObjectName(QStringLiteral("SlVol") + n);
  c.slVol->setToolTip(QStringLiteral("Part Volume"));
  c.slVol->setMinimumHeight(FaderHeight);
  c.spLev = rollSpin(QStringLiteral("SpLev") + n, QStringLiteral("Shift+5 Ctrl+10"));
  c.spCho = rollSpin(QStringLiteral("SpCho") + n, QStringLiteral("Chorus Send"));
  c.spRev = rollSpin(QStringLiteral("SpRev") + n, QStringLiteral("Reverb Send"));

  int row = 0;
  g->addWidget(c.lp, row, 0);
  g->addWidget(c.l, row++, 1);
  g->addWidget(c.stP, row++, 0, 1, 2);
  g->addWidget(caption(QStringLiteral("Pan")), row, 0);
  g->addWidget(c.spPan, row++, 1);
  g->addWidget(c.lPanH, row++, 0, 1, 2);
  g->addWidget(caption(QStringLiteral("Chan")), row, 0);
  g->addWidget(c.spCh, row++, 1);
  // On Linux a screen reader names a list by the label it is the buddy of.
  for (auto [text, combo] : {std::pair{"Out", c.cbOut}, std::pair{"EFX", c.cbEfxOut}}) {
    auto* l = caption(QString::fromLatin1(text));
    l->setBuddy(combo);
    g->addWidget(l, row, 0);
    g->addWidget(combo, row++, 1);
  }

  auto* sends = new QVBoxLayout;
  sends->setSpacing(2);
  sends->addWidget(c.spA);
  for (auto [label, spin] : {std::pair{"Mix-Efx Send", c.spLev}, std::pair{"Chorus", c.spCho}, std::pair{"Reverb", c.spRev}}) {
    auto* l = caption(QString::fromLatin1(label));
    l->setBuddy(spin);
    sends->addWidget(l);
    sends->addWidget(spin);
  }
  sends->addStretch(1);
  auto* level = new QVBoxLayout;
  level->setSpacing(2);
  level->addWidget(caption(QStringLiteral("Level")));
  level->addWidget(c.slVol, 1, Qt::AlignHCenter);
  g->addLayout(level, row, 0);
  g->addLayout(sends, row++, 1);
  g->setRowStretch(row - 1, 1);
  return frame;
}

QWidget* PerformanceEditor::buildPadColumn() {
  auto* panel = new QWidget;
  auto* col = new QVBoxLayout(panel);
  col->setContentsMargins(0, 0, 0, 0);
  lTestPad_ = new QLabel(QStringLiteral("Test Pad"));
  lTestPad_->setObjectName(QStringLiteral("Ltestpad"));
  testPad_ = new TestPad(ctx_);
  lChannel_ = new QLabel(QStringLiteral("Chann"));
  lChannel_->setObjectName(QStringLiteral("Lchannel"));
  keepNote_ = new QCheckBox(QStringLiteral("KeepNote"));
  keepNote_->setObjectName(QStringLiteral("KeepNote"));
  // The note and velocity text is wider than the pad.
  lTestPad_->setMinimumWidth(lTestPad_->fontMetrics().horizontalAdvance(QStringLiteral("Note:127 - Velo:127")) + 4);
  col->addWidget(lTestPad_);
  col->addWidget(testPad_, 0, Qt::AlignHCenter);
  col->addWidget(lChannel_);
  col->addWidget(keepNote_);
  col->addSpacing(12);
  col->addWidget(button("Befx", QStringLiteral(" E F X ")));
  col->addWidget(button("Bchorev", QStringLiteral("Chorus / Reverb")));
  col->addStretch(1);
  return panel;
}

QWidget* PerformanceEditor::buildOverview() {
  auto* panel = new QFrame;
  panel->setObjectName(QStringLiteral("Overview"));
  panel->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
  auto* col = new QVBoxLayout(panel);
  col->setContentsMargins(4, 4, 4, 4);
  col->setSpacing(2);

  auto* pageRow = new QHBoxLayout;
  pages_ = new QButtonGroup(this);
  pages_->setExclusive(true);
  for (int page = 0; page < PageCount; ++page) {
    const int first = page * PartsPerPage + 1;
    auto* b = button(PageNames[static_cast<std::size_t>(page)],
                     QStringLiteral("%1 ~ %2").arg(first).arg(first + PartsPerPage - 1));
    b->setCheckable(true);
    b->setAccessibleName(QStringLiteral("Parts %1 to %2").arg(first).arg(first + PartsPerPage - 1));
    pages_->addButton(b, page);
    pageButtons_[static_cast<std::size_t>(page)] = b;
    pageRow->addWidget(b);
  }
  pageRow->addSpacing(16);
  lKeyRange_ = new QLabel(QStringLiteral(" Key Range   In Use"));
  lKeyRange_->setObjectName(QStringLiteral("LKeyRange"));
  lKeyRange_->setToolTip(QStringLiteral("Key Range in use, Check."));
  QPalette warn = lKeyRange_->palette();
  warn.setColor(QPalette::WindowText, KeyRangeWarning);
  lKeyRange_->setPalette(warn);
  QFont bold = lKeyRange_->font();
  bold.setBold(true);
  lKeyRange_->setFont(bold);
  lKeyRange_->hide();
  pageRow->addWidget(lKeyRange_);
  pageRow->addStretch(1);
  col->addLayout(pageRow);

  // One cell width for the on/off row, the table and the patch names below, so they line up.
  const QFontMetrics fm = fontMetrics();
  int cell = 0;
  for (const char* sample : {"PART", "Patch", " -64", "  16", "MRcv", "Off"})
    cell = std::max(cell, fm.horizontalAdvance(QLatin1String(sample)) + 12);

  auto* grid = new QGridLayout;
  grid->setHorizontalSpacing(0);
  grid->setVerticalSpacing(2);
  grid->addWidget(caption(QStringLiteral("MRcv")), 0, 0);
  for (int p = 0; p < address::PartCount; ++p) {
    auto* on = flatCaption(QStringLiteral("l%1on").arg(p + 1), QStringLiteral("Cick to Toggle"));
    on->setStatusTip(QStringLiteral("Click to put Midi Recieve On / Off "));
    on->setCheckable(true);
    on->setFixedWidth(cell);
    onLabels_[static_cast<std::size_t>(p)] = on;
    grid->addWidget(on, 0, p + 1);
  }

  stGr1_ = new QTableWidget(OverviewRows, OverviewColumns);
  stGr1_->setObjectName(QStringLiteral("StGr1"));
  stGr1_->setToolTip(QStringLiteral("Just to Show values"));
  stGr1_->setAccessibleName(QStringLiteral("Parts overview"));
  stGr1_->horizontalHeader()->hide();
  stGr1_->verticalHeader()->hide();
  stGr1_->horizontalHeader()->setDefaultSectionSize(cell);
  stGr1_->horizontalHeader()->setMinimumSectionSize(cell);
  stGr1_->verticalHeader()->setDefaultSectionSize(fm.height() + 4);
  stGr1_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  stGr1_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  stGr1_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  stGr1_->setSelectionMode(QAbstractItemView::MultiSelection);
  stGr1_->setFixedSize(OverviewColumns * cell + 2 * stGr1_->frameWidth(),
                       OverviewRows * (fm.height() + 4) + 2 * stGr1_->frameWidth());
  for (int r = 0; r < OverviewRows; ++r)
    for (int c = 0; c < OverviewColumns; ++c) stGr1_->setItem(r, c, new QTableWidgetItem);
  stGr1_->item(0, 0)->setText(QLatin1String(RowHeadings[0]));
  for (int p = 1; p <= address::PartCount; ++p) stGr1_->item(0, p)->setText(QStringLiteral("  ") + QString::number(p));
  for (int r = 1; r < OverviewRows; ++r) stGr1_->item(r, 0)->setText(QLatin1String(RowHeadings[static_cast<std::size_t>(r)]));
  // Display only, yet as readable as an enabled table, its shown parts marked.
  QPalette shown = stGr1_->palette();
  for (QPalette::ColorRole role : {QPalette::Text, QPalette::Highlight, QPalette::HighlightedText, QPalette::Base})
    shown.setColor(QPalette::Disabled, role, shown.color(QPalette::Active, role));
  stGr1_->setPalette(shown);
  stGr1_->setEnabled(false);
  grid->addWidget(stGr1_, 1, 0, 1, OverviewColumns);

  // The names are wider than a cell: each starts under its part and spans two
  // cells, alternating between two lines.
  grid->addWidget(caption(QStringLiteral("Patch")), 2, 0, 2, 1);
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
  for (int c = 0; c < OverviewColumns; ++c) grid->setColumnMinimumWidth(c, cell);
  col->addLayout(grid);
  return panel;
}

void PerformanceEditor::bindColumn(int column) {
  PartColumn& c = columns_[static_cast<std::size_t>(column)];
  const PartRef part = PartRef::editorColumn(ctx_.cursor, [this] { return page_; }, column);
  const auto options = [](std::function<void()> after, const char* name) {
    BindOptions o;
    o.after = std::move(after);
    o.accessibleName = QLatin1String(name);
    return o;
  };
  const auto sounding = [this] { showSoundingParts(); };
  const auto overview = [this] { refreshOverview(); };
  bindings_.bind(c.slVol, param::PartLevel, part, options(sounding, "Part %1 level"));
  bindings_.bind(c.spLev, param::PartMixEfxSend, part, options(sounding, "Part %1 mix-EFX send"));
  bindings_.bind(c.spCho, param::PartChorusSend, part, options(overview, "Part %1 chorus send"));
  bindings_.bind(c.spRev, param::PartReverbSend, part, options(overview, "Part %1 reverb send"));
  BindOptions pan = options(overview, "Part %1 pan");
  pan.preview = [lPanH = c.lPanH](int shownPan) { lPanH->setValue(shownPan + shown::PanCentre); };
  bindings_.bind(c.spPan, param::PartPan, part, pan);
  // The module takes a new channel reliably only when told twice.
  BindOptions channel = options([this] { fillEditor(); }, "Part %1 channel");
  channel.sendTwice = true;
  bindings_.bind(c.spCh, param::PartChannel, part, channel);
  bindings_.bind(c.cbOut, param::PartOutput, part, options(overview, "Part %1 output"));
  BindOptions feed = options(overview, "Part %1 EFX");
  feed.shownFromStored = [](int stored) -> std::optional<int> {
    return stored > param::PartEfxFeed.shownMax ? param::PartEfxFeed.shownMin : stored;
  };
  bindings_.bind(c.cbEfxOut, param::PartEfxFeed, part, feed);
  // Also while the window fills: the EFX choice is open only to a part sent to the EFX.
  connect(c.cbOut, &QComboBox::currentIndexChanged, this, [this, column] { enableEfxCombo(column); });
}

void PerformanceEditor::connectButtons() {
  const auto onClick = [this](const char* name, auto slot) {
    connect(findChild<QPushButton*>(QLatin1String(name)), &QPushButton::clicked, this, slot);
  };
  onClick("Bdone", [this] {
    emit done();
    close();
  });
  onClick("Bswitch", &PerformanceEditor::switchesRequested);
  onClick("BKeyRange", &PerformanceEditor::keyRangeRequested);
  onClick("Bchorev", &PerformanceEditor::chorusReverbRequested);
  onClick("Befx", &PerformanceEditor::efxRequested);
  onClick("Bnoteout", &PerformanceEditor::noteMonitorRequested);
  onClick("Button2", &PerformanceEditor::reloadTempRequested);
  onClick("BsaveJV", [this] {
    // Until storing into module memory is wired, the button leaves the window where it is.
    if (!isSignalConnected(QMetaMethod::fromSignal(&PerformanceEditor::saveToModuleRequested))) return;
    hide();
    emit saveToModuleRequested();
    showEditor();
  });

  onClick("BAllPan", &PerformanceEditor::allPanToFirst);
  onClick("Bch1_16", [this] {
    ctx_.edit.setAllParts(param::PartChannel, [](int p) { return p + 1; }, SendGuard::FormFilling);
    fillEditor();
  });
  onClick("BAllOutLev", [this] { allPartsToFirst(param::PartMixEfxSend, columns_[0].spLev->Value()); });
  onClick("BAllCho", [this] { allPartsToFirst(param::PartChorusSend, columns_[0].spCho->Value()); });
  onClick("BAllRev", [this] { allPartsToFirst(param::PartReverbSend, columns_[0].spRev->Value()); });
  onClick("BAllLev", [this] { allPartsToFirst(param::PartLevel, columns_[0].slVol->Position()); });

  for (int column = 0; column < PartsPerPage; ++column) {
    const PartColumn& c = columns_[static_cast<std::size_t>(column)];
    connect(c.lp, &QPushButton::clicked, this, [this, column] { columnReceiveClicked(column); });
    connect(c.spA, &QToolButton::clicked, this, [this, column] { columnSoundClicked(column); });
    connect(c.stP, &QPushButton::clicked, this, [this, column] { patchClicked(column); });
  }
  for (int p = 0; p < address::PartCount; ++p)
    connect(onLabels_[static_cast<std::size_t>(p)], &QPushButton::clicked, this, [this, p] { toggleFromOverview(p); });
  connect(pages_, &QButtonGroup::idClicked, this, [this](int page) { showPage(page * PartsPerPage); });

  connect(ePname_, &QLineEdit::textEdited, this, &PerformanceEditor::nameEdited);
  connect(ePname_, &QLineEdit::editingFinished, this, &PerformanceEditor::nameLeft);
  connect(spPlay_, &QToolButton::clicked, this, [this](bool on) {
    ctx_.settings.NoteOn = on;
    emit playNoteChanged(on);
  });
  connect(keepNote_, &QCheckBox::toggled, testPad_, &TestPad::setKeepNotes);
  connect(testPad_, &TestPad::captionChanged, lTestPad_, &QLabel::setText);
  connect(testPad_, &TestPad::channelCaptionChanged, lChannel_, &QLabel::setText);
}

void PerformanceEditor::showEditor() {
  show();
  raise();
  activateWindow();
}

void PerformanceEditor::showPlayNote(bool on) { spPlay_->setChecked(on); }

QString PerformanceEditor::statusText() const { return status_->text(); }

void PerformanceEditor::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  refreshOnActivation();
}

void PerformanceEditor::changeEvent(QEvent* event) {
  QMainWindow::changeEvent(event);
  // Edits made elsewhere show when the user comes back.
  if (event->type() == QEvent::ActivationChange && isActiveWindow()) refreshOnActivation();
}

void PerformanceEditor::closeEvent(QCloseEvent* event) {
  QMainWindow::closeEvent(event);
  emit closed();
}

void PerformanceEditor::refreshOnActivation() {
  fillEditor();
  checkPageButton();
  spPlay_->setChecked(ctx_.settings.NoteOn);
}

void PerformanceEditor::checkPageButton() {
  const int page = std::clamp(page_ / PartsPerPage, 0, PageCount - 1);
  pageButtons_[static_cast<std::size_t>(page)]->setChecked(true);
}

void PerformanceEditor::showPage(int page) {
  // Without a performance there is nothing to fill the columns with: they
  // keep the parts they show and edit, and so does their page button.
  if (ctx_.store.NoPerformance) {
    checkPageButton();
    return;
  }
  // A visible editor refills as the page moves.
  ctx_.cursor.showPage(page);
  if (page_ != ctx_.cursor.partPage() || !isVisible()) fillEditor();
  checkPageButton();
}

void PerformanceEditor::fillEditor() {
  auto& s = ctx_.store;
  if (s.NoPerformance) return;
  // Captions and bindings take the page together: a control always edits the part it is labelled with.
  page_ = ctx_.cursor.partPage();
  refreshOverview();
  bool pcm = false;
  {
    BindingSet::Filling filling(bindings_);
    fillColumnHeads();
    showName();
    pcm = fillPatchCaptions();
    bindings_.refresh();
    fillPanIndicators();
    showSoundingParts();
    fillEfxCombos();
  }
  fillOverviewPatchNames();
  showWhatIsEdited();
  // After the fill: the box's own loop must not run with the controls half filled.
  if (pcm) announcePcmOnce();
}

void PerformanceEditor::showWhatIsEdited() {
  // Edits go to the module's Temporary Performance; a listed performance shown
  // here is sent there before the first edit, and the edits go into its entry.
  const PerformanceStore& s = ctx_.store;
  QString text = QStringLiteral("Temporary Performance");
  if (!s.FromTemp) {
    const int entry = std::clamp(s.SelectedIndex, 0, PerformanceListSize - 1);
    text = QStringLiteral("%1 %2 = %3")
               .arg(QString::fromLatin1(kindText(s.ListInfo[static_cast<std::size_t>(entry)].kind)))
               .arg(entry + 1)
               .arg(nameFieldText(s.PerformanceList[static_cast<std::size_t>(entry)].common).trimmed());
    if (!s.TempSent) text += QStringLiteral(", sent to the Temporary Performance at the first edit");
  }
  lShows_->setText(text);
  lShows_->setAccessibleName(QStringLiteral("Editing: ") + text);
}

void PerformanceEditor::fillColumnHeads() {
  const auto& parts = ctx_.store.TempPerformance.parts;
  for (int column = 0; column < PartsPerPage; ++column) {
    PartColumn& c = columns_[static_cast<std::size_t>(column)];
    const int p = partOf(column);
    const bool on = parts[static_cast<std::size_t>(p)][part::ReceiveSwitch] != 0;
    setColours(c.lp, on ? ActiveCaption : InactiveCaption, on ? ActiveCaptionText : InactiveCaptionText);
    c.lp->setChecked(on);
    const bool drum = page_ == DrumPage && column == DrumColumn;
    c.lp->setText(QStringLiteral("Part ") + partNumber(p) + (drum ? QStringLiteral("  Drum") : QString()));
    c.lp->setAccessibleName(QStringLiteral("Part %1 receive switch").arg(p + 1));
    c.l->setText(partNumber(p));
    c.spA->setAccessibleName(QStringLiteral("Part %1 sounds on test channel").arg(p + 1));
  }
}

bool PerformanceEditor::fillPatchCaptions() {
  auto& s = ctx_.store;
  bool pcm = false;
  for (int column = 0; column < PartsPerPage; ++column) {
    const int p = partOf(column);
    const auto& r = s.TempPerformance.parts[static_cast<std::size_t>(p)];
    // A PCM-card patch has no name list; the library's box is shown once per performance instead.
    const bool pcmPatch = r[part::PatchGroupType] == group_type::PcmCard;
    pcm = pcm || pcmPatch;
    const std::string name = pcmPatch ? std::string() : partSoundName(r, p, ctx_.names);
    s.PartPatchNames[static_cast<std::size_t>(p)] = name;
    QPushButton* stP = columns_[static_cast<std::size_t>(column)].stP;
    const QString text = QString::fromStdString(name);
    stP->setText(text);
    stP->setAccessibleName(QStringLiteral("Part %1 patch: %2").arg(p + 1).arg(text.trimmed()));
  }
  return pcm;
}

void PerformanceEditor::announcePcmOnce() {
  std::vector<Byte> patches;
  for (const auto& r : ctx_.store.TempPerformance.parts)
    patches.insert(patches.end(), r.begin() + part::PatchGroupType, r.begin() + part::PatchNumberLow + 1);
  if (pcmAnnouncedFor_ == patches) return;
  pcmAnnouncedFor_ = std::move(patches);
  ctx_.host.showInfo(std::string(PcmCardMessage));
}

void PerformanceEditor::fillPanIndicators() {
  for (int column = 0; column < PartsPerPage; ++column)
    columns_[static_cast<std::size_t>(column)].lPanH->setValue(
        ctx_.store.TempPerformance.parts[static_cast<std::size_t>(partOf(column))][part::Pan]);
}

void PerformanceEditor::enableEfxCombo(int column) {
  const PartColumn& c = columns_[static_cast<std::size_t>(column)];
  c.cbEfxOut->setEnabled(c.cbOut->currentIndex() == 1);
}

void PerformanceEditor::fillEfxCombos() {
  for (int column = 0; column < PartsPerPage; ++column) enableEfxCombo(column);
}

void PerformanceEditor::fillOverviewPatchNames() {
  const auto& names = ctx_.store.PartPatchNames;
  for (int p = 0; p < address::PartCount; ++p) {
    QLabel* l = patchLabels_[static_cast<std::size_t>(p)];
    const QString name = QString::fromStdString(names[static_cast<std::size_t>(p)]);
    if (l->text() == name) continue;
    l->setText(name);
    l->setToolTip(name);
    l->setAccessibleName(QStringLiteral("Part %1 patch name: %2").arg(p + 1).arg(name.trimmed()));
  }
}

void PerformanceEditor::refreshOverview() {
  const auto& parts = ctx_.store.TempPerformance.parts;
  const int page = page_;
  stGr1_->clearSelection();
  stGr1_->setRangeSelected(QTableWidgetSelectionRange(RowChannel, page + 1, RowReverb, page + PartsPerPage), true);
  bool keyRangeUsed = false;
  for (int p = 0; p < address::PartCount; ++p) {
    const auto& r = parts[static_cast<std::size_t>(p)];
    QPushButton* on = onLabels_[static_cast<std::size_t>(p)];
    const bool receiving = r[part::ReceiveSwitch] != 0;
    on->setText(receiving ? QStringLiteral("On") : QStringLiteral("Off"));
    on->setChecked(receiving);
    on->setAccessibleName(QStringLiteral("Part %1 receive, overview").arg(p + 1));
    const int column = p + 1;
    setTextIfChanged(stGr1_->item(RowChannel, column),
                     QStringLiteral("  ") + QString::number(shown::channelFromStored(r[part::ReceiveChannel])));
    const int output = r[part::OutputAssign];
    setTextIfChanged(stGr1_->item(RowOutput, column),
                     output < static_cast<int>(OverviewOutputs.size())
                         ? QLatin1String(OverviewOutputs[static_cast<std::size_t>(output)])
                         : QStringLiteral("?%1").arg(output));
    setTextIfChanged(stGr1_->item(RowPan, column), QStringLiteral(" ") + QString::number(shown::panFromStored(r[part::Pan])));
    setTextIfChanged(stGr1_->item(RowChorus, column), QStringLiteral(" ") + QString::number(r[part::ChorusSend]));
    setTextIfChanged(stGr1_->item(RowReverb, column), QStringLiteral(" ") + QString::number(r[part::ReverbSend]));
    keyRangeUsed = keyRangeUsed || r[part::KeyRangeLower] > KeyBottom || r[part::KeyRangeUpper] < KeyTop;
  }
  fillOverviewPatchNames();
  // The ranges are in use only while the performance's key-range switch is on.
  lKeyRange_->setVisible(keyRangeUsed && ctx_.store.TempPerformance.common[common::KeyRangeSwitch] != 0);
  showSoundingParts();
}

void PerformanceEditor::showSoundingParts() {
  const auto& parts = ctx_.store.TempPerformance.parts;
  const int channel = ctx_.host.monitorChannel();
  const auto sounds = [&](int p) {
    const auto& r = parts[static_cast<std::size_t>(p)];
    return r[part::ReceiveChannel] == shown::channelToStored(channel) && r[part::ReceiveSwitch] == 1;
  };
  for (int column = 0; column < PartsPerPage; ++column)
    columns_[static_cast<std::size_t>(column)].spA->setChecked(sounds(partOf(column)));
  QString list;
  const QColor face = palette().color(QPalette::Button);
  const QColor text = palette().color(QPalette::ButtonText);
  for (int p = 0; p < address::PartCount; ++p) {
    QPushButton* on = onLabels_[static_cast<std::size_t>(p)];
    if (sounds(p)) {
      setColours(on, SoundingColour, text);
      list += QString::number(p + 1) + QStringLiteral(", ");
    } else {
      setColours(on, parts[static_cast<std::size_t>(p)][part::ReceiveSwitch] != 0 ? PatchCaptionColour : face, text);
    }
  }
  const QString status = QString::fromLatin1(SoundingStatus) + list;
  if (status_->text() != status) status_->setText(status);
}

void PerformanceEditor::columnReceiveClicked(int column) {
  ctx_.cursor.touchColumn(page_, column);
  const int p = partOf(column);
  const int value = ctx_.edit.storedValue(param::PartReceiveSwitch, p) == 0 ? 1 : 0;
  ctx_.edit.set(param::PartReceiveSwitch, p, value, SendGuard::FormFilling);
  ctx_.host.debugLine("data " + std::to_string(value) + "PerP " +
                      std::to_string(ctx_.edit.storedValue(param::PartReceiveSwitch, p)));
  fillEditor();
}

void PerformanceEditor::columnSoundClicked(int column) {
  // The sender moves the test channel to this part's channel, so the pad plays it.
  ctx_.cursor.touchColumn(page_, column);
  ctx_.edit.set(param::PartReceiveSwitch, partOf(column), 1, SendGuard::FormFilling);
  fillEditor();
}

void PerformanceEditor::patchClicked(int column) {
  ctx_.cursor.touchColumn(page_, column);
  emit patchSelectRequested(partOf(column));
  fillEditor();
}

void PerformanceEditor::toggleFromOverview(int p) {
  const int value = ctx_.edit.storedValue(param::PartReceiveSwitch, p) == 0 ? 1 : 0;
  // The columns and the eight-part windows move to the part toggled.
  ctx_.cursor.touchPart(p);
  ctx_.edit.set(param::PartReceiveSwitch, p, value, SendGuard::FormFilling);
  fillEditor();
  checkPageButton();
}

void PerformanceEditor::allPanToFirst() {
  const int pan = columns_[0].spPan->Value();
  ctx_.edit.beginGroup();
  // The other columns take the value through their own change handling, which sends for their parts.
  for (int column = 1; column < PartsPerPage; ++column) columns_[static_cast<std::size_t>(column)].spPan->setValue(pan);
  ctx_.edit.setAllParts(param::PartPan, [pan](int) { return pan; }, SendGuard::FormFilling);
  ctx_.edit.endGroup();
  refreshOverview();
}

void PerformanceEditor::allPartsToFirst(const Parameter& parameter, int shown) {
  ctx_.edit.setAllParts(parameter, [shown](int) { return shown; }, SendGuard::FormFilling);
  fillEditor();
}

void PerformanceEditor::nameEdited(const QString& text) {
  if (!changeNameAlways_ || !changeNameAlways_->isChecked() || text.isEmpty()) return;
  sendName();
}

void PerformanceEditor::nameLeft() {
  sendName();
  // Typing and leaving the field are one step to undo.
  ctx_.edit.closeGroup(std::exchange(nameGroup_, NoGroup));
}

void PerformanceEditor::showName() {
  // What is being typed stays as long as it is the stored name (trailing blanks aside).
  const PerfCommonRecord& stored = ctx_.store.TempPerformance.common;
  const NameBytes typed = moduleNameBytes(ePname_->text());
  if (!std::equal(typed.begin(), typed.end(), stored.begin() + common::Name)) ePname_->setText(nameFieldText(stored));
}

void PerformanceEditor::sendName() {
  const NameBytes bytes = moduleNameBytes(ePname_->text());
  const auto& stored = ctx_.store.TempPerformance.common;
  if (std::equal(bytes.begin(), bytes.end(), stored.begin() + common::Name)) return;
  if (nameGroup_ == NoGroup) nameGroup_ = ctx_.edit.openGroup();
  const PerformanceEdit::Scope typing(ctx_.edit, nameGroup_);
  // Sent like every edit: the sender mirrors it into the Temporary Performance and the list entry.
  ctx_.edit.setBytes(ParamBlock::Common, 0, common::Name, bytes, SendGuard::FormFilling);
}

void PerformanceEditor::storeChanged(const StoreChange& change) {
  if (!isVisible()) return;  // showing the window fills it
  if (change.isEverything()) {
    if (fillPending_) return;
    fillPending_ = true;
    QTimer::singleShot(0, this, [this] {
      fillPending_ = false;
      if (isVisible()) fillEditor();
    });
    return;
  }
  // An undo, the module or a rename elsewhere changed the name.
  if (change.touches(address::AreaTemporary, address::BlockCommon, common::Name, PerformanceNameLength)) showName();
  if (change.area != address::AreaTemporary || displaysPending_) return;
  // The bound controls are refreshed by their bindings; the captions, colours
  // and the overview follow once the sending handler has returned.
  displaysPending_ = true;
  QTimer::singleShot(0, this, [this] {
    displaysPending_ = false;
    if (isVisible()) refreshDisplays();
  });
}

void PerformanceEditor::refreshDisplays() {
  if (ctx_.store.NoPerformance) return;
  showWhatIsEdited();
  refreshOverview();
  fillColumnHeads();
  fillPatchCaptions();
  fillPanIndicators();
  fillEfxCombos();
  fillOverviewPatchNames();
}

}  // namespace quillon
