#include "editors/part_switches_window.h"

#include <QApplication>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>
#include <numeric>

#include "controls/roll_spin_box.h"
#include "editors/binding/edit_history.h"
#include "editors/window_support.h"
#include "engine/editing/performance_edit.h"
#include "engine/host.h"

namespace quillon {

namespace {

const char* const SwitchNames[] = {"MR", "VR", "PC", "H1"};
const char* const SwitchCaptions[] = {"Midi", "Volume", "Prog Chng", "Hold 1"};
const char* const SwitchSpoken[] = {"MIDI receive", "volume receive", "program change receive", "hold 1 receive"};
const Parameter* const SwitchRows[] = {&param::PartReceiveSwitch, &param::PartReceiveVolume,
                                       &param::PartReceiveProgramChange, &param::PartReceiveHold1};

int reserveTotal(const PerformanceStore& store) {
  const auto& c = store.TempPerformance.common;
  return std::accumulate(c.begin() + common::VoiceReserveFirst,
                         c.begin() + common::VoiceReserveFirst + address::PartCount, 0);
}

}  // namespace

PartSwitchesWindow::PartSwitchesWindow(EditingContext& context, QWidget* parent)
    : QWidget(parent, Qt::Window),
      ctx_(context),
      bindings_(context, SendGuard::FormFilling, this),
      half_(new EightPartHalf(this, context.cursor, [this] { fill(); })) {
  setObjectName(QStringLiteral("TSwitchForm"));
  setWindowTitle(QStringLiteral(" Switches"));
  buildControls();
  for (int row = 0; row < EightPartRows; ++row) bindRow(row);
}

void PartSwitchesWindow::buildControls() {
  auto* layout = new QVBoxLayout(this);
  auto* menu = new QMenuBar(this);
  ctx_.history.addEditMenu(menu, this);
  layout->setMenuBar(menu);

  auto* top = new QHBoxLayout;
  top->addWidget(new QLabel(QStringLiteral("Sum of all voices: "), this));
  sum_ = named(new QLabel(this), "StSumV");
  top->addWidget(sum_);
  top->addWidget(new QLabel(QStringLiteral("Rest:"), this));
  rest_ = named(new QLabel(this), "StRest");
  top->addWidget(rest_);
  top->addStretch(1);
  auto* done = named(new QPushButton(QStringLiteral("Done"), this), "Bdone");
  top->addWidget(half_->makeHalfButton(this));
  top->addWidget(done);
  connect(done, &QPushButton::clicked, this, &QWidget::close);
  layout->addLayout(top);

  auto* body = new QHBoxLayout;
  auto* grid = new QGridLayout;
  // The switch boxes carry their own captions; the other columns get headings.
  const QStringList headings{QString(),
                             QString(),
                             QStringLiteral("Patch"),
                             QString(),
                             QString(),
                             QString(),
                             QString(),
                             QStringLiteral("Pitch Coarse"),
                             QStringLiteral("Pitch Fine"),
                             QStringLiteral("Voice Reserve")};
  for (int c = 0; c < headings.size(); ++c) grid->addWidget(new QLabel(headings[c], this), 0, c);
  for (int row = 0; row < EightPartRows; ++row) {
    const QString n = QString::number(row + 1);
    Row& r = rows_[row];
    r.part = named(new QLabel(this), "lp" + n);
    r.number = named(new QLabel(this), "l" + n);
    r.patch = named(new QLabel(this), "lpn" + n);
    r.patch->setMinimumWidth(fontMetrics().horizontalAdvance(QLatin1Char('M')) * address::PatchNameLength);
    grid->addWidget(r.part, row + 1, 0);
    grid->addWidget(r.number, row + 1, 1);
    grid->addWidget(r.patch, row + 1, 2);
    for (int s = 0; s < 4; ++s) {
      r.switches[s] =
          named(new QCheckBox(QString::fromLatin1(SwitchCaptions[s]), this), QString::fromLatin1(SwitchNames[s]) + n);
      grid->addWidget(r.switches[s], row + 1, 3 + s);
    }
    r.coarse = named(new RollSpinBox(this), "SpPC" + n);
    r.fine = named(new RollSpinBox(this), "SpPF" + n);
    r.voices = named(new QSpinBox(this), "SpV" + n);
    grid->addWidget(r.coarse, row + 1, 7);
    grid->addWidget(r.fine, row + 1, 8);
    grid->addWidget(r.voices, row + 1, 9);
  }
  body->addLayout(grid, 1);

  auto* quick = new QGroupBox(QStringLiteral("Quick Edit"), this);
  auto* quickLayout = new QVBoxLayout(quick);
  quickLayout->addWidget(new QLabel(QStringLiteral("Buttons will modify all 16 parts."), quick));
  const auto quickButton = [&](const char* name, const char* caption, auto action) {
    auto* b = named(new QPushButton(QString::fromLatin1(caption), quick), name);
    quickLayout->addWidget(b);
    connect(b, &QPushButton::clicked, this, action);
  };
  quickButton("BallMRC", "All Midi RC On", [this] { allPartsOn(param::PartReceiveSwitch); });
  quickButton("BallVOL", "All Volume On", [this] { allPartsOn(param::PartReceiveVolume); });
  quickButton("BallPRG", "All Prg Chg On", [this] { allPartsOn(param::PartReceiveProgramChange); });
  quickButton("BAllHold1", "All Hold 1 On", [this] { allPartsOn(param::PartReceiveHold1); });
  quickButton("BallVto4", "All Voice R 4", [this] { allVoicesTo4(); });
  quickButton("BAllPitch", "All Pitch 0", [this] { allPitchZero(); });
  quickLayout->addStretch(1);
  body->addWidget(quick);
  layout->addLayout(body);
}

void PartSwitchesWindow::bindRow(int row) {
  Row& r = rows_[row];
  const PartRef part = half_->row(row);
  for (int s = 0; s < 4; ++s)
    bindings_.bind(r.switches[s], *SwitchRows[s], part,
                   {.accessibleName = QStringLiteral("Part %1 ") + QString::fromLatin1(SwitchSpoken[s])});
  // Tune changes pace themselves; a fill sends nothing and so waits for nothing.
  bindings_.bind(r.coarse, param::PartCoarseTune, part,
                 {.waitAfter = true, .accessibleName = QStringLiteral("Part %1 pitch coarse")});
  bindings_.bind(r.fine, param::PartFineTune, part,
                 {.waitAfter = true, .accessibleName = QStringLiteral("Part %1 pitch fine")});
  bindings_.bind(r.voices, param::VoiceReserve, part,
                 {.adjust = [this, row](int voices) { return reserveRule(row, voices); },
                  .after = [this] { showTotal(reserveTotal(ctx_.store)); },
                  .accessibleName = QStringLiteral("Part %1 voice reserve")});
}

std::optional<int> PartSwitchesWindow::reserveRule(int row, int voices) {
  const int part = half_->partOf(row);
  const int old = ctx_.edit.storedValue(param::VoiceReserve, part);
  const int others = reserveTotal(ctx_.store) - old;
  if (others + old > param::VoiceReserveMax) {
    // Already over the module's voices (a file or the module gave it): lowering
    // moves toward 64 and goes as chosen; a raise is taken back.
    if (voices <= old) return voices;
    refuseReserve(part, old);
    return std::nullopt;
  }
  const int fits = std::min(voices, param::VoiceReserveMax - others);
  // One beep and one box however far over the limit the value was typed.
  if (fits < voices) refuseReserve(part, fits);
  return fits;
}

void PartSwitchesWindow::refuseReserve(int part, int most) {
  QApplication::beep();
  ctx_.host.showInfo(std::string(FullText) + "\rPart " + std::to_string(part + 1) + " can have " +
                     std::to_string(most) + " voices at most.");
}

void PartSwitchesWindow::showTotal(int total) {
  sum_->setText(QString::number(total));
  rest_->setText(QString::number(param::VoiceReserveMax - total));
}

QString PartSwitchesWindow::sumText() const { return sum_->text(); }
QString PartSwitchesWindow::restText() const { return rest_->text(); }

void PartSwitchesWindow::fill() {
  fillRows();
  // Filling touches every row in turn, so the editor follows the last part of the half.
  ctx_.cursor.touchRow(half_->first(), EightPartRows - 1);
}

void PartSwitchesWindow::fillRows() {
  const PerformanceStore& s = ctx_.store;
  BindingSet::Filling filling(bindings_);
  int sum = 0;
  for (int p = 0; p < address::PartCount; ++p)
    sum = std::min(sum + s.TempPerformance.common[common::VoiceReserveFirst + p], param::VoiceReserveMax);
  showTotal(sum);
  for (int row = 0; row < EightPartRows; ++row) {
    const int part = half_->partOf(row);
    Row& r = rows_[row];
    r.part->setText(QStringLiteral("Part ") + QString::number(part + 1));
    r.number->setText(QString::number(part + 1));
    r.patch->setText(QString::fromStdString(s.PartPatchNames[static_cast<std::size_t>(part)]));
  }
  bindings_.refresh();
}

void PartSwitchesWindow::showAndRaise() { showWindow(this); }

void PartSwitchesWindow::allPartsOn(const Parameter& p) {
  ctx_.edit.setAllParts(
      p, [](int) { return 1; }, SendGuard::FormFilling);
  fill();
}

void PartSwitchesWindow::allVoicesTo4() {
  ctx_.edit.beginGroup();
  int sum = 0;
  for (int p = 0; p < address::PartCount; ++p) {
    sum += AllVoiceReserve;
    showTotal(sum);
    if (ctx_.edit.set(param::VoiceReserve, p, AllVoiceReserve, SendGuard::FormFilling)) ctx_.edit.pace();
  }
  ctx_.edit.endGroup();
  bindings_.refresh();
}

void PartSwitchesWindow::allPitchZero() {
  ctx_.edit.beginGroup();
  for (int p = 0; p < address::PartCount; ++p) {
    if (ctx_.edit.set(param::PartCoarseTune, p, 0, SendGuard::FormFilling)) ctx_.edit.pace();
    if (ctx_.edit.set(param::PartFineTune, p, 0, SendGuard::FormFilling)) ctx_.edit.pace();
  }
  ctx_.edit.endGroup();
  fill();
}

}  // namespace quillon
