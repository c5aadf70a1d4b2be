#include "editors/key_range_window.h"

#include <QApplication>
#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>

#include "editors/binding/edit_history.h"
#include "editors/window_support.h"
#include "engine/editing/performance_edit.h"
#include "engine/host.h"
#include "engine/slider_texts.h"

namespace quillon {

namespace {
QString noteText(int note) {
  const std::string_view name = texts::noteName(note);
  return QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size()));
}
}  // namespace

KeyRangeWindow::KeyRangeWindow(EditingContext& context, QWidget* parent)
    : QWidget(parent, Qt::Tool),
      ctx_(context),
      bindings_(context, SendGuard::Updating, this),
      half_(new EightPartHalf(this, context.cursor, [this] { fill(); })) {
  setObjectName(QStringLiteral("TCommSwitchForm"));
  setWindowTitle(QStringLiteral(" Key Range "));
  buildControls();
  for (int row = 0; row < EightPartRows; ++row) bindRow(row);
}

void KeyRangeWindow::buildControls() {
  auto* layout = new QVBoxLayout(this);
  auto* menu = new QMenuBar(this);
  ctx_.history.addEditMenu(menu, this);
  layout->setMenuBar(menu);

  auto* grid = new QGridLayout;
  // The bars span the note scale printed under them, so a bar's place reads as its note.
  auto* scale = new QLabel(QString::fromLatin1(Scale), this);
  scale->setFont(QFont(QStringLiteral("Monospace")));
  const int barWidth = scale->sizeHint().width();
  for (int row = 0; row < EightPartRows; ++row) {
    const QString n = QString::number(row + 1);
    Row& r = rows_[row];
    r.part = named(new QLabel(this), "lp" + n);
    r.patch = named(new QLabel(this), "ln" + n);
    r.lower = named(new QScrollBar(Qt::Horizontal, this), "sb" + n + "l");
    r.upper = named(new QScrollBar(Qt::Horizontal, this), "sb" + n + "u");
    r.lowerNote = named(new QLabel(this), "l" + n + "l");
    r.upperNote = named(new QLabel(this), "l" + n + "u");
    for (QScrollBar* bar : {r.lower, r.upper}) {
      bar->setPageStep(OctaveStep);
      bar->setFixedWidth(barWidth);
      // A split is made by keys too: Tab reaches the bar, arrows step a key,
      // Page Up/Down an octave, Home/End go to the ends.
      bar->setFocusPolicy(Qt::StrongFocus);
      bar->setInvertedControls(false);  // Up and Page Up go up the keyboard, as on a fader
      bar->setToolTip(
          QStringLiteral("Left/Right or Down/Up: one key, Page Down/Up: one octave, Home/End: lowest/highest key"));
    }
    for (QLabel* note : {r.lowerNote, r.upperNote}) {
      note->setAutoFillBackground(true);
      note->setBackgroundRole(QPalette::Base);  // the window colour
      note->setMinimumWidth(fontMetrics().horizontalAdvance(QStringLiteral("*-C#-1-*")));
    }
    // The note names follow the bars whoever moves them (the user, a fill, an undo).
    connect(r.lower, &QScrollBar::valueChanged, r.lowerNote,
            [label = r.lowerNote](int v) { label->setText(noteText(v)); });
    connect(r.upper, &QScrollBar::valueChanged, r.upperNote,
            [label = r.upperNote](int v) { label->setText(noteText(v)); });
    const int line = row * 2;
    grid->addWidget(r.part, line, 0, 2, 1);
    grid->addWidget(r.patch, line, 1, 2, 1);
    grid->addWidget(r.upper, line, 2);
    grid->addWidget(r.upperNote, line, 3);
    grid->addWidget(r.lower, line + 1, 2);
    grid->addWidget(r.lowerNote, line + 1, 3);
  }
  grid->addWidget(scale, EightPartRows * 2, 2);
  // The style draws no focus frame on a scroll bar: the note beside the bar in focus is highlighted.
  connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
    for (const Row& r : rows_)
      for (auto [bar, note] : {std::pair{r.lower, r.lowerNote}, std::pair{r.upper, r.upperNote}}) {
        note->setBackgroundRole(bar == now ? QPalette::Highlight : QPalette::Base);
        note->setForegroundRole(bar == now ? QPalette::HighlightedText : QPalette::WindowText);
      }
  });
  layout->addLayout(grid);

  auto* bottom = new QHBoxLayout;
  auto* keyRange = named(new QCheckBox(QStringLiteral("Key Range On/Off"), this), "CbKeyRange");
  bindings_.bind(keyRange, param::KeyRangeSwitch);
  auto* done = named(new QPushButton(QStringLiteral("Done"), this), "Bdone");
  bottom->addWidget(keyRange);
  bottom->addStretch(1);
  bottom->addWidget(half_->makeHalfButton(this));
  bottom->addWidget(done);
  layout->addLayout(bottom);
  connect(done, &QPushButton::clicked, this, &QWidget::close);
}

void KeyRangeWindow::bindRow(int row) {
  Row& r = rows_[row];
  const PartRef part = half_->row(row);
  // Each bar keeps lower <= upper by pushing its partner, whose own change then
  // sends the pair first; every step of a drag is sent.
  BindOptions lower{.sendWhileDragging = true,
                    .adjust = [upper = r.upper](int v) -> std::optional<int> {
                      if (v > upper->value()) upper->setValue(v);
                      return v;
                    },
                    .send = [this, row](int) { return sendPair(row); },
                    .accessibleName = QStringLiteral("Part %1 lowest key")};
  BindOptions upper{.sendWhileDragging = true,
                    .adjust = [lowerBar = r.lower](int v) -> std::optional<int> {
                      if (v < lowerBar->value()) lowerBar->setValue(v);
                      return v;
                    },
                    .send = [this, row](int) { return sendPair(row); },
                    .accessibleName = QStringLiteral("Part %1 highest key")};
  bindings_.bind(r.lower, param::PartKeyLower, part, std::move(lower));
  bindings_.bind(r.upper, param::PartKeyUpper, part, std::move(upper));
}

bool KeyRangeWindow::sendPair(int row) {
  const Row& r = rows_[row];
  ctx_.host.debugLine(std::to_string(row));
  const Byte pair[] = {static_cast<Byte>(r.lower->value()), static_cast<Byte>(r.upper->value())};
  return ctx_.edit.setBytes(ParamBlock::Part, half_->partOf(row), part::KeyRangeLower, pair, SendGuard::Updating);
}

void KeyRangeWindow::fill() {
  for (int row = 0; row < EightPartRows; ++row) {
    const int part = half_->partOf(row);
    rows_[row].part->setText(QString::number(part + 1));
    rows_[row].patch->setText(QString::fromStdString(ctx_.store.PartPatchNames[static_cast<std::size_t>(part)]));
  }
  bindings_.refresh();
  for (const Row& r : rows_) {
    r.lowerNote->setText(noteText(r.lower->value()));
    r.upperNote->setText(noteText(r.upper->value()));
  }
}

void KeyRangeWindow::showAndRaise() { showWindow(this); }

}  // namespace quillon
