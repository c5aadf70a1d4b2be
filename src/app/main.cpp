// Quillon: start-up creates every window once, in a fixed order, then runs the loop.

#include <QApplication>
#include <QCommandLineParser>
#include <QIcon>
#include <QTimer>

#include <cstdio>

#include "app/app_context.h"
#include "controls/accessible_controls.h"
#include "app/data_folder.h"
#include "app/developer_options.h"
#include "app/program_application.h"
#include "app/windows.h"

namespace {
constexpr int StartDelayMs = 2500;  // after the splash has closed and the names were evaluated
}  // namespace

int main(int argc, char** argv) {
  quillon::ProgramApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Quillon"));
  QApplication::setApplicationDisplayName(QStringLiteral("Quillon"));
  QApplication::setWindowIcon(QIcon(QStringLiteral(":/quillon/icon.svg")));
  quillon::installAccessibleControls();

  QCommandLineParser parser;
  parser.setApplicationDescription(QStringLiteral("Performance editor for JV-1080 / JV-2080 family sound modules"));
  parser.addHelpOption();
  parser.addPositionalArgument(QStringLiteral("file"), QStringLiteral("A .syx or .mid file to open."),
                               QStringLiteral("[file]"));
  const QCommandLineOption exportSheets(
      QStringLiteral("export-sheets"),
      QStringLiteral("Write the sheets of every performance of the file given (else of the Temporary Performance "
                     "after Get Temp) to <file>, as PDF, HTML or CSV by its ending, and quit."),
      QStringLiteral("file"));
  parser.addOption(exportSheets);
  quillon::addDeveloperOptions(parser);
  const quillon::DataFolder dataFolder(parser);
  parser.process(app);
  const QStringList files = dataFolder.enter(parser);

  if (const auto code = quillon::runWithoutWindows(parser)) return *code;

  quillon::AppContext context;
  quillon::ProgramWindows windows(context);
  if (parser.isSet(exportSheets)) windows.runUnattended();
  windows.showAtStart();
  if (!files.isEmpty()) windows.mainWindow->openPath(files.first());
  quillon::scheduleDeveloperOptions(parser, windows, context, files);
  if (parser.isSet(exportSheets)) {
    const QString target = parser.value(exportSheets);
    const bool fromFile = !files.isEmpty();
    QTimer::singleShot(StartDelayMs, [&windows, target, fromFile] {
      if (!fromFile) windows.mainWindow->getTemp();
      const QString error = windows.sheets->write(windows.sheets->wholeList(), target);
      if (!error.isEmpty()) std::fprintf(stderr, "%s\n", qPrintable(error));
      QApplication::exit(error.isEmpty() ? 0 : 1);
    });
  }
  return QApplication::exec();
}
