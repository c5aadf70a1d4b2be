#pragma once
// The splash and About window: version and a note on how Card patches are shown.

#include <QDialog>

class QTimer;

namespace quillon {

inline constexpr const char* QuillonVersion = "1.2 B:0.3";

class SplashScreen : public QDialog {
  Q_OBJECT
 public:
  explicit SplashScreen(QWidget* parent = nullptr);

  // At start: beside the main window, which stays usable; closes itself
  // after two seconds.
  void showAtStart(QWidget* mainWindow);
  // From Help > About: stays until OK.
  void showAbout(const QWidget* mainWindow);

 private:
  void placeBeside(const QWidget* mainWindow);
  QTimer* closeTimer_;
};

}  // namespace quillon
