#include "editors/test_pad.h"

#include <QCheckBox>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QVBoxLayout>

#include <algorithm>

#include "editors/binding/editing_context.h"
#include "engine/host.h"
#include "engine/midi_message.h"
#include "engine/sender.h"
#include "engine/store.h"

namespace quillon {

namespace {
const QColor PadColour(255, 255, 225);
const QColor GridColour(200, 200, 170);
constexpr int GridStep = 16;
}  // namespace

TestPad::PadNote TestPad::noteAt(QPoint point) {
  const int x = std::clamp(point.x(), MinX, MaxX);
  const int y = std::clamp(point.y(), 0, MaxY);
  // Integer division truncates toward zero, as the pad's note rule asks.
  return {x / 2 + NoteAtLeftEdge, MaxY - y};
}

TestPad::TestPad(EditingContext& context, QWidget* parent) : QWidget(parent), ctx_(context) {
  setObjectName(QStringLiteral("TestPad"));
  setFixedSize(PadWidth, PadHeight);
  setCursor(Qt::CrossCursor);
  setAccessibleName(QStringLiteral("Test pad"));
  setAccessibleDescription(
      QStringLiteral("Press and drag to play: pitch from left to right, velocity from bottom to top"));
}

bool TestPad::portsOpen() {
  if (!ctx_.store.MidiClosed) return true;
  // Once per press: a drag would otherwise repeat the message at every step.
  if (!toldClosed_) {
    toldClosed_ = true;
    ctx_.host.showInfo(TestPadMidiClosed);
  }
  return false;
}

void TestPad::allSoundOff(int channel) {
  ctx_.sender.SendShortMidi(onChannel(status::ControlChange, channel), controller::AllSoundOff, 0);
}

void TestPad::press(QPoint point) {
  pressed_ = true;
  toldClosed_ = false;
  moveTo(point);
}

void TestPad::moveTo(QPoint point) {
  if (!pressed_) return;
  const PadNote n = noteAt(point);
  const int channel = ctx_.host.monitorChannel();
  emit captionChanged(QStringLiteral("Note:%1 - Velo:%2").arg(n.note).arg(n.velocity));
  emit channelCaptionChanged(QStringLiteral("Chann: %1").arg(channel));
  if (n.note == lastNote_ && n.velocity == lastVelocity_) return;
  if (!portsOpen()) return;
  if (!keepNotes_) allSoundOff(channel);
  ctx_.sender.SendShortMidi(onChannel(status::NoteOn, channel), static_cast<Byte>(n.note),
                            static_cast<Byte>(n.velocity));
  lastNote_ = static_cast<Byte>(n.note);
  lastVelocity_ = static_cast<Byte>(n.velocity);
}

void TestPad::release() {
  if (!pressed_) return;
  pressed_ = false;
  lastNote_ = 0;
  if (!keepNotes_ && !ctx_.store.MidiClosed) allSoundOff(ctx_.host.monitorChannel());
  emit captionChanged(QStringLiteral("Test Pad"));
}

void TestPad::setKeepNotes(bool keep) {
  const bool wasKept = keepNotes_;
  keepNotes_ = keep;
  if (wasKept && !keep) allSoundOff(ctx_.host.monitorChannel());
}

void TestPad::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), PadColour);
  p.setPen(GridColour);
  for (int x = GridStep; x < width(); x += GridStep) p.drawLine(x, 0, x, height() - 1);
  for (int y = GridStep; y < height(); y += GridStep) p.drawLine(0, y, width() - 1, y);
  p.setPen(palette().color(QPalette::Dark));
  p.drawRect(rect().adjusted(0, 0, -1, -1));
}

void TestPad::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton && event->buttons() == Qt::LeftButton) press(event->position().toPoint());
}

void TestPad::mouseMoveEvent(QMouseEvent* event) { moveTo(event->position().toPoint()); }

void TestPad::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) release();
}

void TestPad::hideEvent(QHideEvent* event) {
  // A held note would keep sounding with nobody left to release it.
  release();
  QWidget::hideEvent(event);
}

QWidget* makeTestPadPanel(EditingContext& context) {
  auto* panel = new QWidget;
  auto* col = new QVBoxLayout(panel);
  col->setContentsMargins(0, 0, 0, 0);
  auto* caption = new QLabel(QStringLiteral("Test Pad"));
  caption->setObjectName(QStringLiteral("Ltestpad"));
  // The note and velocity text is wider than the pad.
  caption->setMinimumWidth(caption->fontMetrics().horizontalAdvance(QStringLiteral("Note:127 - Velo:127")) + 4);
  auto* pad = new TestPad(context);
  auto* channel = new QLabel(QStringLiteral("Chann"));
  channel->setObjectName(QStringLiteral("Lchannel"));
  auto* keepNote = new QCheckBox(QStringLiteral("KeepNote"));
  keepNote->setObjectName(QStringLiteral("KeepNote"));
  col->addWidget(caption);
  col->addWidget(pad, 0, Qt::AlignHCenter);
  col->addWidget(channel);
  col->addWidget(keepNote);
  QObject::connect(keepNote, &QCheckBox::toggled, pad, &TestPad::setKeepNotes);
  QObject::connect(pad, &TestPad::captionChanged, caption, &QLabel::setText);
  QObject::connect(pad, &TestPad::channelCaptionChanged, channel, &QLabel::setText);
  return panel;
}

}  // namespace quillon
