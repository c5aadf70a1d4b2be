#pragma once
// One window with every value control in the roles the editor windows give them.

#include <QWidget>

class QLabel;

namespace quillon {

class LedGauge;

class GalleryWindow : public QWidget {
  Q_OBJECT

 public:
  explicit GalleryWindow(QWidget* parent = nullptr);

  // Lights the gauges at a velocity, as an incoming note would.
  void hitGauges(int velocity);
  // Gives the keyboard focus to the first fader, so its focus colours show.
  void focusFirstControl();

 private:
  QWidget* buildFaders();
  QWidget* buildSpinsAndPan();
  QWidget* buildGauges();
  void report(const QString& control, const char* event, int value);

  QLabel* eventLine_ = nullptr;
  QWidget* firstControl_ = nullptr;
  LedGauge* columnGauge_ = nullptr;
  LedGauge* rowGauge_ = nullptr;
};

}  // namespace quillon
