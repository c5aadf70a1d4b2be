// Quillon: start-up creates every window once, in a fixed order, then runs the loop.

#include <QApplication>
#include <QComboBox>
#include <QCommandLineParser>
#include <QIcon>
#include <QScreen>
#include <QTimer>
#include <QToolButton>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>

#include "app/app_context.h"
#include "controls/accessible_controls.h"
#include "app/data_folder.h"
#include "app/midi_settings_dialog.h"
#include "app/program_application.h"
#include "app/windows.h"

namespace {
constexpr int ScreenshotDelayMs = 2500;  // after the splash has closed and the names were evaluated
constexpr int EditorPaintDelayMs = 500;
constexpr int TransferPictureMs = 500;  // into a Get Temp at the default SysEx delay

// For the start-up benchmark: the wall clock when the main window is shown,
// and the resident memory then.
void printWallClock(const char* key) {
  const auto now = std::chrono::system_clock::now().time_since_epoch();
  std::printf("%s=%lld\n", key,
              static_cast<long long>(std::chrono::duration_cast<std::chrono::nanoseconds>(now).count()));
  std::fflush(stdout);
}

void reportShown() {
  printWallClock("shown_at_ns");
  std::ifstream status("/proc/self/status");
  std::string line, rss = "unknown";
  while (std::getline(status, line))
    if (line.rfind("VmRSS:", 0) == 0) rss = line.substr(6);
  std::printf("rss=%s\n", rss.c_str());
  std::fflush(stdout);
}
// What the patch windows show in a picture, chosen as the user chooses it.
struct PictureChoices {
  QString bank;
  bool upperHalf = false;
  QString findText;
  QString compareEntries;  // "N,M": list entries N and M in the compare window
};

void choosePatches(quillon::ProgramWindows& windows, QWidget* window, const PictureChoices& choices) {
  if (window == windows.patchSelect.get()) {
    if (!choices.bank.isEmpty() && !windows.patchSelect->chooseBankNamed(choices.bank))
      std::fprintf(stderr, "no bank named %s\n", qPrintable(choices.bank));
    if (choices.upperHalf) window->findChild<QToolButton*>(QStringLiteral("SpDeel2"))->click();
  }
  if (const QStringList pair = choices.compareEntries.split(QLatin1Char(','));
      window == windows.compareWindow.get() && pair.size() == 2) {
    using Kind = quillon::CompareWindow::SourceKind;
    windows.compareWindow->compare({Kind::ListEntry, pair[0].toInt() - 1}, {Kind::ListEntry, pair[1].toInt() - 1});
  }
  if (window == windows.patchFinder.get() && !choices.findText.isEmpty())
    window->findChild<QComboBox*>(QStringLiteral("EdFind"))->setEditText(choices.findText);
}
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
  const QCommandLineOption screenshot(QStringLiteral("screenshot"),
                                      QStringLiteral("Save a picture of the main window to <png> and quit."),
                                      QStringLiteral("png"));
  parser.addOption(screenshot);
  const QCommandLineOption screenshotMonitor(
      QStringLiteral("screenshot-monitor"),
      QStringLiteral("Save a picture of the note and controller monitor to <png> and quit."), QStringLiteral("png"));
  parser.addOption(screenshotMonitor);
  const QCommandLineOption screenshotEditor(
      QStringLiteral("screenshot-editor"),
      QStringLiteral("Fetch the module's Temporary Performance, save a picture of the performance editor on the page "
                     "\"9 ~ 12\" to <png> and quit."),
      QStringLiteral("png"));
  parser.addOption(screenshotEditor);
  const QCommandLineOption reportStartup(
      QStringLiteral("report-startup"),
      QStringLiteral("Print when the main window is shown and the memory used, then quit."));
  parser.addOption(reportStartup);
  const QCommandLineOption exitAfter(
      QStringLiteral("exit-after"),
      QStringLiteral("Choose File > Exit after <ms> milliseconds and print when (for the benchmark)."),
      QStringLiteral("ms"));
  parser.addOption(exitAfter);
  const QCommandLineOption screenshotSettings(
      QStringLiteral("screenshot-settings"),
      QStringLiteral("Save a picture of the MIDI and expansion settings dialog to <png> and quit."),
      QStringLiteral("png"));
  parser.addOption(screenshotSettings);
  const QCommandLineOption screenshotWindow(
      QStringLiteral("screenshot-window"),
      QStringLiteral("Show the window named <name> (its object name, e.g. TSwitchForm), save a picture of it to <png> "
                     "and quit; with a file given, or else after Get Temp from the module."),
      QStringLiteral("name>=<png"));
  parser.addOption(screenshotWindow);
  const QCommandLineOption showWindow(QStringLiteral("show-window"),
                                      QStringLiteral("Show the window named <name> after Get Temp (or the file given); "
                                                     "several names, comma-separated, show several windows."),
                                      QStringLiteral("name"));
  parser.addOption(showWindow);
  const QCommandLineOption efxType(
      QStringLiteral("efx-type"),
      QStringLiteral("With the EFX editor (TEFXForm) shown, choose EFX type <number> (1..40) in it."),
      QStringLiteral("number"));
  parser.addOption(efxType);
  const QCommandLineOption patchBank(
      QStringLiteral("patch-bank"),
      QStringLiteral("With the patch select window (TPatchSelectForm) shown, choose bank <name> "
                     "in it (\"Preset B\", a board's name)."),
      QStringLiteral("name"));
  parser.addOption(patchBank);
  const QCommandLineOption upperHalf(QStringLiteral("upper-half"),
                                     QStringLiteral("With the patch select window shown, press \"129-255\"."));
  parser.addOption(upperHalf);
  const QCommandLineOption findText(QStringLiteral("find-text"),
                                    QStringLiteral("With the patch finder (TFindForm) shown, search for <text>."),
                                    QStringLiteral("text"));
  parser.addOption(findText);
  const QCommandLineOption compareEntries(
      QStringLiteral("compare-entries"),
      QStringLiteral("With the compare window (TCompareForm) shown, compare list entries <n,m> of the file given."),
      QStringLiteral("n,m"));
  parser.addOption(compareEntries);
  const QCommandLineOption getUserAll(
      QStringLiteral("get-user-all"),
      QStringLiteral("With --screenshot-window or --show-window: Get User All from the module instead of Get Temp."));
  parser.addOption(getUserAll);
  const QCommandLineOption exportSheets(
      QStringLiteral("export-sheets"),
      QStringLiteral("Write the sheets of every performance of the file given (else of the Temporary Performance "
                     "after Get Temp) to <file>, as PDF, HTML or CSV by its ending, and quit."),
      QStringLiteral("file"));
  parser.addOption(exportSheets);
  const QCommandLineOption screenshotScreen(QStringLiteral("screenshot-screen"),
                                            QStringLiteral("Save a picture of the whole screen to <png> and quit."),
                                            QStringLiteral("png"));
  parser.addOption(screenshotScreen);
  const QCommandLineOption screenshotTransfer(
      QStringLiteral("screenshot-transfer"),
      QStringLiteral("Run Get Temp and save a picture of the wait window during it to <png>, then quit."),
      QStringLiteral("png"));
  parser.addOption(screenshotTransfer);
  const quillon::DataFolder dataFolder(parser);
  parser.process(app);
  const QStringList files = dataFolder.enter(parser);

  if (parser.isSet(screenshotSettings)) {
    quillon::AppContext context;
    context.host.onShowInfo = [](const std::string&) {};  // no boxes in a picture run
    context.settings.ReadSettings();
    context.names.LoadPatchNames(context.settings.dataFolder(), context.settings.expansionChoices());
    quillon::MidiSettingsDialog dialog(context, {});
    dialog.show();
    const QString png = parser.value(screenshotSettings);
    QTimer::singleShot(300, [&dialog, png] {
      dialog.grab().save(png);
      QApplication::exit(0);
    });
    return QApplication::exec();
  }

  quillon::AppContext context;
  quillon::ProgramWindows windows(context);
  windows.showAtStart();
  if (!files.isEmpty()) windows.mainWindow->openPath(files.first());
  if (parser.isSet(reportStartup)) {
    QTimer::singleShot(0, [] {
      reportShown();
      QApplication::exit(0);
    });
  }
  if (parser.isSet(exitAfter)) {
    QTimer::singleShot(parser.value(exitAfter).toInt(), [&windows] {
      printWallClock("exit_at_ns");
      windows.mainWindow->close();
    });
  }
  if (parser.isSet(screenshot)) {
    const QString png = parser.value(screenshot);
    QTimer::singleShot(ScreenshotDelayMs, [&windows, png] {
      windows.mainWindow->grab().save(png);
      QApplication::exit(0);
    });
  }
  if (parser.isSet(screenshotWindow) || parser.isSet(showWindow)) {
    const bool picture = parser.isSet(screenshotWindow);
    const QStringList spec =
        (picture ? parser.value(screenshotWindow) : parser.value(showWindow)).split(QLatin1Char('='));
    const QString name = spec.value(0);
    const QString png = spec.value(1);
    const bool fromFile = !files.isEmpty();
    const int type = parser.value(efxType).toInt();
    const PictureChoices choices{parser.value(patchBank), parser.isSet(upperHalf), parser.value(findText),
                                 parser.value(compareEntries)};
    const bool userBank = parser.isSet(getUserAll);
    QTimer::singleShot(ScreenshotDelayMs, [&windows, name, png, fromFile, picture, type, choices, userBank] {
      if (userBank)
        windows.mainWindow->getBank(quillon::BankArea::User);
      else if (!fromFile)
        windows.mainWindow->getTemp();
      // After the main window has worked out the patch names.
      QTimer::singleShot(ScreenshotDelayMs, [&windows, name, png, picture, type, choices] {
        // Several names, comma-separated, show several windows (for walking them with a screen reader).
        const QStringList names = name.split(QLatin1Char(','));
        QWidget* window = nullptr;
        for (const QString& one : names) {
          window = nullptr;
          for (QWidget* w : windows.allWindows()) {
            // A window's own dialogs (the library's bank builder) are found by name too.
            auto* own = w->findChild<QWidget*>(one);
            if (w->objectName() == one) window = w;
            if (own && own->isWindow()) window = own;
          }
          if (!window) {
            std::fprintf(stderr, "no window named %s\n", qPrintable(one));
            QApplication::exit(1);
            return;
          }
          if (one != names.last()) window->show();  // the last one is shown below, as a single one is
        }
        // The store dialog shows the chosen slot's name as the module holds it.
        if (window == windows.storeDialog.get()) windows.storeDialog->prepare();
        window->show();
        window->raise();
        // Chosen as the user chooses it: the type goes out and its parameters come back.
        if (window == windows.efxWindow.get() && type >= 1 && type <= quillon::EfxTypeCount)
          windows.efxWindow->findChild<QComboBox*>(QStringLiteral("CbEFXType"))->setCurrentIndex(type - 1);
        choosePatches(windows, window, choices);
        if (!picture) return;
        QTimer::singleShot(ScreenshotDelayMs, [window, png] {
          window->grab().save(png);
          QApplication::exit(0);
        });
      });
    });
  }
  if (parser.isSet(screenshotScreen)) {
    const QString png = parser.value(screenshotScreen);
    QTimer::singleShot(ScreenshotDelayMs, [png] {
      QApplication::primaryScreen()->grabWindow(0).save(png);
      QApplication::exit(0);
    });
  }
  if (parser.isSet(exportSheets)) {
    const QString target = parser.value(exportSheets);
    const bool fromFile = !files.isEmpty();
    QTimer::singleShot(ScreenshotDelayMs, [&windows, target, fromFile] {
      if (!fromFile) windows.mainWindow->getTemp();
      const QString error = windows.sheets->write(windows.sheets->wholeList(), target);
      if (!error.isEmpty()) std::fprintf(stderr, "%s\n", qPrintable(error));
      QApplication::exit(error.isEmpty() ? 0 : 1);
    });
  }
  if (parser.isSet(screenshotTransfer)) {
    const QString png = parser.value(screenshotTransfer);
    // The picture is taken from inside the transfer's waits, half way through.
    QTimer::singleShot(ScreenshotDelayMs, [&windows, png] {
      QTimer::singleShot(TransferPictureMs, [&windows, png] { windows.progressDialog->grab().save(png); });
      windows.mainWindow->getTemp();
      QApplication::exit(0);
    });
  }
  if (parser.isSet(screenshotMonitor)) {
    const QString png = parser.value(screenshotMonitor);
    QTimer::singleShot(ScreenshotDelayMs, [&windows, png] {
      windows.monitorWindow->grab().save(png);
      QApplication::exit(0);
    });
  }
  if (parser.isSet(screenshotEditor)) {
    const QString png = parser.value(screenshotEditor);
    QTimer::singleShot(ScreenshotDelayMs, [&windows, png] {
      windows.mainWindow->getTemp();
      windows.mainWindow->editPerformance();
      windows.performanceEditor->showPage(quillon::PerformanceEditor::DrumPage);
      QTimer::singleShot(EditorPaintDelayMs, [&windows, png] {
        windows.performanceEditor->grab().save(png);
        QApplication::exit(0);
      });
    });
  }
  return QApplication::exec();
}
