// Quillon: start-up creates every window once, in a fixed order, then runs the loop.

#include <QApplication>
#include <QCommandLineParser>
#include <QIcon>
#include <QTimer>

#include "app/app_context.h"
#include "app/windows.h"

namespace {
constexpr int ScreenshotDelayMs = 2500;  // after the splash has closed and the names were evaluated
}

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Quillon"));
  QApplication::setApplicationDisplayName(QStringLiteral("Quillon"));
  QApplication::setWindowIcon(QIcon(QStringLiteral(":/quillon/icon.svg")));

  QCommandLineParser parser;
  parser.setApplicationDescription(QStringLiteral("Performance editor for JV-1080 / JV-2080 family sound modules"));
  parser.addHelpOption();
  parser.addPositionalArgument(QStringLiteral("file"), QStringLiteral("A .syx file to open."), QStringLiteral("[file]"));
  const QCommandLineOption screenshot(QStringLiteral("screenshot"),
                                      QStringLiteral("Save a picture of the main window to <png> and quit."),
                                      QStringLiteral("png"));
  parser.addOption(screenshot);
  parser.process(app);

  quillon::AppContext context;
  quillon::ProgramWindows windows(context);
  windows.showAtStart();
  if (!parser.positionalArguments().isEmpty()) windows.startForm->openPath(parser.positionalArguments().first());
  if (parser.isSet(screenshot)) {
    const QString png = parser.value(screenshot);
    QTimer::singleShot(ScreenshotDelayMs, [&windows, png] {
      windows.startForm->grab().save(png);
      QApplication::exit(0);
    });
  }
  return QApplication::exec();
}
