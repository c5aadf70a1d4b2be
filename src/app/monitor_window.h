#pragma once
// The note and controller monitor: a small tool window beside the main window
// that shows the traffic (two activity indicators, the last short message and
// its velocity) and the ports' state, and plays a note and three controllers
// on the monitor channel so that an edited sound can be heard. The engine
// reads its channel, test note, chord and MIDI-thru switches through AppHost.
// The ports themselves belong to the application context.

#include <QColor>
#include <QWidget>
#include <functional>
#include <optional>
#include <string>

#include "app/app_host.h"
#include "app/module_ports.h"

class QCheckBox;
class QLabel;
class QPushButton;
class QTimer;

namespace quillon {

class AppContext;
class LedGauge;
class ValueFader;
class TextFader;
class RollSpinBox;

// A round activity indicator in one colour.
class ActivityLed : public QWidget {
  Q_OBJECT
 public:
  explicit ActivityLed(const QString& caption, QWidget* parent = nullptr);
  QColor colour() const { return colour_; }
  void setColour(const QColor& colour);
  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QString caption_;
  QColor colour_;
};

QColor ledColour(LedColour colour);

// "%2X %2X %2X": two characters per value, blank-padded.
QString monitorText(Byte status, Byte data1, Byte data2);

class MonitorWindow : public QWidget, public MonitorState {
  Q_OBJECT
 public:
  static constexpr int IndicatorMs = 175;
  static constexpr int NoInputDevice = ModulePorts::NoInputDevice;
  static constexpr int DoubleClickWidth = 256;
  static constexpr int DoubleClickHeight = 300;
  static constexpr int GaugeSegments = 61;
  static constexpr int GaugeYellowPercent = 51;
  static constexpr int GaugeRedPercent = 80;
  static constexpr int GaugeMinWidth = 183;  // 61 LEDs of 2 px with 1 px between
  static constexpr const char* FirstRunText = "First time use Quillon, run settings first.";

  using StatusPanelSink = std::function<void(int panel, const QString& text)>;

  // The main window's status panels show the ports' state through `statusPanel`.
  explicit MonitorWindow(AppContext& context, StatusPanelSink statusPanel = {}, QWidget* parent = nullptr);
  ~MonitorWindow() override;

  // MonitorState
  int monitorChannel() const override { return channel_; }
  void setMonitorChannel(int channel) override;
  int testNote() const override;
  int testVelocity() const override;
  bool chordOn() const override { return chord_; }
  bool midiThru() const override { return thru_; }

  void showMessage(Byte status, Byte data1, Byte data2);
  void allSoundOff();  // controller 120 on the monitor channel
  void lightOut(LedColour colour);
  void lightIn(LedColour colour);
  void indicatorsBackToGreen();

  // A place kept from an earlier run (a new install has none: its entry reads 0, 0).
  bool hasStoredPosition() const;

  ActivityLed* ledIn() const { return inputLed_; }
  ActivityLed* ledOut() const { return outputLed_; }
  QTimer* timer1() const { return indicatorTimer_; }

 signals:
  // The MIDI-thru switch was clicked; the main window's menu mark follows it.
  void midiThruChanged(bool on);

 public slots:
  // The MIDI-thru switch from elsewhere (the main window's menu); the box shows it.
  void setMidiThru(bool on);

 protected:
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void moveEvent(QMoveEvent* event) override;

 private:
  void buildControls();
  void connectControls();
  void connectHost();
  void noteHChanged(int position, bool dragging);
  void noteVChanged(bool dragging);
  void controller(Byte number, int value);
  void channelChanged(int channel);
  void playNote();
  void send(Byte status, Byte data1, Byte data2);
  void showPortsOpen();
  void showPortsClosed();
  void storePosition();
  void setPanel(int panel, const QString& text);

  AppContext& ctx_;
  StatusPanelSink statusPanel_;
  int channel_ = monitor_default::Channel;
  bool chord_ = monitor_default::Chord;
  bool thru_ = monitor_default::MidiThru;
  int lastNoteDrag_ = -1;

  // Named for their role; each control's object name is the one tests and issues know it by (LedIn, SbNoteH...).
  ActivityLed* inputLed_;
  ActivityLed* outputLed_;
  QLabel* lastMessage_;
  LedGauge* velocityGauge_;
  TextFader* noteSlider_;
  ValueFader* velocitySlider_;
  RollSpinBox* channelBox_;
  QPushButton* allOffButton_;
  QCheckBox* chordBox_;
  QCheckBox* alwaysBox_;
  ValueFader* breathSlider_;
  ValueFader* modulationSlider_;
  ValueFader* expressionSlider_;
  QCheckBox* midiThruBox_;
  QLabel* keyboardNote_;
  QPushButton* resetButton_;
  QTimer* indicatorTimer_;
};

}  // namespace quillon
