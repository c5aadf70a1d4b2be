// The performance editor's layout: the top bar with the name, the Quick Edit
// column, the four part columns, the test pad column, the overview below and
// the status bar.

#include "editors/performance_editor.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
#include <QToolButton>
#include <QVBoxLayout>

#include "editors/binding/edit_history.h"
#include "editors/editor_look.h"
#include "editors/name_field.h"
#include "editors/part_column.h"
#include "editors/parts_overview.h"
#include "editors/test_pad.h"

namespace quillon {

namespace {
const char* const InitialStatus = " Performance Main Edit";
}  // namespace

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
  for (int column = 0; column < PartsPerPage; ++column) {
    columns_[static_cast<std::size_t>(column)] = new PartColumn(column);
    columns->addWidget(columns_[static_cast<std::size_t>(column)]);
  }
  body->addLayout(columns);
  body->addWidget(buildPadColumn(), 0, Qt::AlignTop);
  layout->addLayout(body);
  overview_ = new PartsOverview;
  layout->addWidget(overview_, 0, Qt::AlignLeft);
  setCentralWidget(central);

  ctx_.history.addEditMenu(menuBar(), this);
  buildPerformanceMenu();
  buildStatusBar();
}

void PerformanceEditor::buildPerformanceMenu() {
  QMenu* menu = menuBar()->addMenu(QStringLiteral("&Performance"));
  menu->setObjectName(QStringLiteral("PerformanceMenu"));
  const auto item = [this, menu](const QString& text, const char* name, const QKeySequence& key, auto signal) {
    QAction* a = menu->addAction(text);
    a->setObjectName(QString::fromLatin1(name));
    a->setShortcut(key);
    // The shortcut works wherever the focus is in the window, the menu closed.
    addAction(a);
    connect(a, &QAction::triggered, this, signal);
  };
  item(QStringLiteral("Compare..."), "MEditorCompare", QKeySequence(Qt::CTRL | Qt::Key_K),
       &PerformanceEditor::compareRequested);
  item(QStringLiteral("Print Sheet..."), "MEditorPrint", QKeySequence::Print, &PerformanceEditor::printRequested);
  item(QStringLiteral("Export Sheet..."), "MEditorExport", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_E),
       &PerformanceEditor::exportRequested);
}

void PerformanceEditor::buildStatusBar() {
  auto* bar = new QStatusBar;
  bar->setObjectName(QStringLiteral("StatusBar1"));
  bar->setAccessibleName(QStringLiteral("Status"));
  bar->setSizeGripEnabled(false);
  status_ = new QLabel(QString::fromLatin1(InitialStatus));
  status_->setObjectName(QStringLiteral("StatusText"));
  bar->addWidget(status_, 1);
  pageCaption_ = new QLabel;
  pageCaption_->setObjectName(QStringLiteral("LShows"));
  bar->addPermanentWidget(pageCaption_);
  setStatusBar(bar);
}

QWidget* PerformanceEditor::buildTopBar() {
  auto* bar = new QWidget;
  auto* row = new QHBoxLayout(bar);
  row->setContentsMargins(0, 0, 0, 0);
  auto* nameLabel = leftCaption(QStringLiteral("Name"));
  nameField_ = new QLineEdit;
  nameField_->setObjectName(QStringLiteral("EPname"));
  name_ = new PerformanceNameEdit(nameField_, ctx_);
  nameField_->setAccessibleName(QStringLiteral("Performance name"));
  nameField_->setMinimumWidth(
      nameField_->fontMetrics().horizontalAdvance(QString(PerformanceNameLength, QLatin1Char('W'))));
  nameLabel->setBuddy(nameField_);
  playNoteButton_ = new QToolButton;
  playNoteButton_->setObjectName(QStringLiteral("SpPlay"));
  playNoteButton_->setText(QStringLiteral("PlayNote"));
  playNoteButton_->setCheckable(true);
  playNoteButton_->setToolTip(QStringLiteral("Toggle Playnote"));
  playNoteButton_->setAccessibleName(QStringLiteral("Play a note after each change"));
  row->addWidget(nameLabel);
  row->addWidget(nameField_);
  row->addWidget(playNoteButton_);
  row->addSpacing(12);
  for (auto [name, text] :
       {std::pair{"Bswitch", "Switch / Pitch"}, std::pair{"BKeyRange", "Key Range"}, std::pair{"Bnoteout", "View Note"},
        std::pair{"Button2", "Reload Temp"}, std::pair{"BsaveJV", "Save To JV-XP"}})
    row->addWidget(namedButton(name, QString::fromLatin1(text)));
  row->addStretch(1);
  row->addWidget(namedButton("Bdone", QStringLiteral("Done")));
  return bar;
}

QWidget* PerformanceEditor::buildQuickEdit() {
  auto* box = new QGroupBox(QStringLiteral("Quick Edit"));
  box->setObjectName(QStringLiteral("QuickEdit"));
  auto* col = new QVBoxLayout(box);
  auto* note = new QLabel(QStringLiteral("Buttons will modify all 16 parts."));
  note->setWordWrap(true);
  col->addWidget(note);
  changeAlwaysBox_ = new QCheckBox(QStringLiteral("Change Always"));
  changeAlwaysBox_->setObjectName(QStringLiteral("ChAlways"));
  changeAlwaysBox_->setToolTip(QStringLiteral("Send Sysex on every change"));
  col->addWidget(changeAlwaysBox_);
  for (auto [name, text] : {std::pair{"BAllPan", "All Pan to Val 1 "}, std::pair{"Bch1_16", "Chann 1 ~ 16"},
                            std::pair{"BAllOutLev", "All E Send to Val 1 "}, std::pair{"BAllCho", "All Cho to Val 1 "},
                            std::pair{"BAllRev", "All Rev to Val 1 "}, std::pair{"BAllLev", "All Lev to Val 1 "}})
    col->addWidget(namedButton(name, QString::fromLatin1(text)));
  col->addStretch(1);
  box->setMaximumWidth(box->sizeHint().width() + 8);
  return box;
}

QWidget* PerformanceEditor::buildPadColumn() {
  auto* panel = new QWidget;
  auto* col = new QVBoxLayout(panel);
  col->setContentsMargins(0, 0, 0, 0);
  col->addWidget(makeTestPadPanel(ctx_));
  col->addSpacing(12);
  col->addWidget(namedButton("Befx", QStringLiteral(" E F X ")));
  col->addWidget(namedButton("Bchorev", QStringLiteral("Chorus / Reverb")));
  col->addStretch(1);
  return panel;
}

}  // namespace quillon
