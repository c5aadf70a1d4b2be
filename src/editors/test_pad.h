#pragma once
// The editor's test pad: pressing and dragging on it plays notes on the test
// channel (the monitor's channel), the pitch from the horizontal position and
// the velocity from the vertical one. Notes end by All Sound Off, never by a
// note-off: at the next note, at release, or when "KeepNote" is unchecked.

#include <QWidget>

#include "engine/sysex.h"

namespace quillon {

struct EditingContext;

class TestPad : public QWidget {
  Q_OBJECT
 public:
  static constexpr int PadWidth = 103;
  static constexpr int PadHeight = 129;
  // Points are clamped to this span, so the notes run from 0 to 127.
  static constexpr int MinX = -78;
  static constexpr int MaxX = 176;
  static constexpr int MaxY = 127;
  static constexpr int NoteAtLeftEdge = 39;

  struct PadNote {
    int note = 0;
    int velocity = 0;
  };
  // The note and velocity a point in pad pixels plays.
  static PadNote noteAt(QPoint point);

  explicit TestPad(EditingContext& context, QWidget* parent = nullptr);

  // The left button went down at `point`; plays it.
  void press(QPoint point);
  // The pad rule for a point while pressed.
  void moveTo(QPoint point);
  // The button came up (or the editor was hidden while it was held).
  void release();

  bool isPressed() const { return pressed_; }
  bool keepNotes() const { return keepNotes_; }
  // Unchecking silences the test channel.
  void setKeepNotes(bool keep);
  int lastNote() const { return lastNote_; }
  int lastVelocity() const { return lastVelocity_; }

  QSize sizeHint() const override { return {PadWidth, PadHeight}; }

 signals:
  // "Note:60 - Velo:100" while playing, "Test Pad" after the release.
  void captionChanged(const QString& caption);
  // "Chann: 3" while playing.
  void channelCaptionChanged(const QString& caption);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  void allSoundOff(int channel);
  // False (after telling the user once in this press) while the ports are closed.
  bool portsOpen();

  EditingContext& ctx_;
  bool pressed_ = false;
  bool keepNotes_ = false;
  bool toldClosed_ = false;
  Byte lastNote_ = 0;
  Byte lastVelocity_ = 0;
};

// The pad with its captions: the note and velocity above it, the channel
// below, and "KeepNote".
QWidget* makeTestPadPanel(EditingContext& context);

// What the pad says when it cannot play.
inline constexpr const char* TestPadMidiClosed = "TestPad Midi Closed\rSelect Midi Devices";

}  // namespace quillon
