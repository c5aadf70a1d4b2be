// quillon-controls-gallery: every value control in one window.
//   --screenshot FILE   save the window as a PNG and exit
//   --dark              use a dark palette, to check the controls stay readable

#include "controls/gallery/gallery_window.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QPalette>
#include <QPixmap>
#include <QStyleFactory>
#include <QTimer>

#include <cstdio>

namespace {

constexpr int SettleMs = 200;  // layouts and the first paints finish before the grab
constexpr int ScreenshotVelocity = 120;

QPalette darkPalette() {
  QPalette dark;
  dark.setColor(QPalette::Window, QColor(45, 45, 48));
  dark.setColor(QPalette::WindowText, QColor(220, 220, 220));
  dark.setColor(QPalette::Base, QColor(30, 30, 30));
  dark.setColor(QPalette::Text, QColor(230, 230, 230));
  dark.setColor(QPalette::Button, QColor(60, 60, 64));
  dark.setColor(QPalette::ButtonText, QColor(220, 220, 220));
  dark.setColor(QPalette::Light, QColor(95, 95, 100));
  dark.setColor(QPalette::Midlight, QColor(75, 75, 80));
  dark.setColor(QPalette::Dark, QColor(25, 25, 28));
  dark.setColor(QPalette::Mid, QColor(40, 40, 44));
  dark.setColor(QPalette::Shadow, QColor(0, 0, 0));
  dark.setColor(QPalette::Highlight, QColor(42, 130, 218));
  dark.setColor(QPalette::HighlightedText, Qt::white);
  dark.setColor(QPalette::Disabled, QPalette::Text, QColor(110, 110, 110));
  dark.setColor(QPalette::Disabled, QPalette::WindowText, QColor(110, 110, 110));
  return dark;
}

}  // namespace

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QCommandLineParser parser;
  parser.setApplicationDescription("Shows Quillon's value controls.");
  parser.addHelpOption();
  const QCommandLineOption screenshot("screenshot", "Save the window to FILE (PNG) and exit.", "FILE");
  const QCommandLineOption dark("dark", "Use a dark palette.");
  parser.addOption(screenshot);
  parser.addOption(dark);
  parser.process(app);

  if (parser.isSet(dark)) {
    QApplication::setStyle(QStyleFactory::create("Fusion"));
    QApplication::setPalette(darkPalette());
  }

  quillon::GalleryWindow window;
  window.show();
  window.activateWindow();
  window.focusFirstControl();
  if (!parser.isSet(screenshot)) return app.exec();

  const QString file = parser.value(screenshot);
  int status = 0;
  QTimer::singleShot(SettleMs, &window, [&] {
    window.hitGauges(ScreenshotVelocity);
    const QPixmap image = window.grab();
    if (!image.save(file, "PNG")) {
      std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
      status = 1;
    }
    app.quit();
  });
  app.exec();
  return status;
}
