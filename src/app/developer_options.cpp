#include "app/developer_options.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QCommandLineParser>
#include <QScreen>
#include <QTimer>
#include <QToolButton>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>

#include "app/app_context.h"
#include "app/find_module_dialog.h"
#include "app/midi_settings_dialog.h"
#include "app/windows.h"

namespace quillon {

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

void choosePatches(ProgramWindows& windows, QWidget* window, const PictureChoices& choices) {
  if (window == windows.patchSelect.get()) {
    if (!choices.bank.isEmpty() && !windows.patchSelect->chooseBankNamed(choices.bank))
      std::fprintf(stderr, "no bank named %s\n", qPrintable(choices.bank));
    if (choices.upperHalf) window->findChild<QToolButton*>(QStringLiteral("SpDeel2"))->click();
  }
  if (const QStringList pair = choices.compareEntries.split(QLatin1Char(','));
      window == windows.compareWindow.get() && pair.size() == 2) {
    using Kind = CompareWindow::SourceKind;
    windows.compareWindow->compare({Kind::ListEntry, pair[0].toInt() - 1}, {Kind::ListEntry, pair[1].toInt() - 1});
  }
  if (window == windows.patchFinder.get() && !choices.findText.isEmpty())
    window->findChild<QComboBox*>(QStringLiteral("EdFind"))->setEditText(choices.findText);
}

// Opens a dialog that only a command opens, as that command does, for walking
// it with a screen reader; false for a name it does not know.
bool openDialog(ProgramWindows& windows, AppContext& context, const QString& name) {
  if (name == QLatin1String("settings")) {
    windows.openSettingsDialog();
  } else if (name == QLatin1String("find-module")) {
    // The search keeps its window up while it waits for an answer at each unit ID.
    constexpr int SlowSearchDelayMs = 60 * 1000;
    context.ports.close();
    FindModuleDialog search(context, midi::systemMidiBackend(), windows.mainWindow.get());
    search.findAndOffer(SlowSearchDelayMs);
  } else if (name == QLatin1String("keyboard")) {
    windows.mainWindow->findChild<QAction*>(QStringLiteral("MKeyboard"))->trigger();
  } else {
    return false;
  }
  return true;
}

struct DeveloperOption {
  const char* name;
  const char* description;
  const char* valueName;  // empty: a switch
};

// clang-format off
constexpr DeveloperOption DeveloperOptions[] = {
    {"screenshot",
     "Save a picture of the main window to <png> and quit.",
     "png"},
    {"screenshot-monitor",
     "Save a picture of the note and controller monitor to <png> and quit.",
     "png"},
    {"screenshot-editor",
     "Fetch the module's Temporary Performance, save a picture of the performance editor on the page \"9 ~ 12\" to <png> and quit.",
     "png"},
    {"report-startup",
     "Print when the main window is shown and the memory used, then quit.",
     ""},
    {"exit-after",
     "Choose File > Exit after <ms> milliseconds and print when (for the benchmark).",
     "ms"},
    {"screenshot-settings",
     "Save a picture of the MIDI and expansion settings dialog to <png> and quit.",
     "png"},
    {"screenshot-window",
     "Show the window named <name> (its object name, e.g. TSwitchForm), save a picture of it to <png> and quit; with a file given, or else after Get Temp from the module.",
     "name>=<png"},
    {"show-window",
     "Show the window named <name> after Get Temp (or the file given); several names, comma-separated, show several windows.",
     "name"},
    {"show-dialog",
     "Open the dialog <name> after start-up, as its command does: settings, find-module or keyboard.",
     "name"},
    {"efx-type",
     "With the EFX editor (TEFXForm) shown, choose EFX type <number> (1..40) in it.",
     "number"},
    {"patch-bank",
     "With the patch select window (TPatchSelectForm) shown, choose bank <name> in it (\"Preset B\", a board's name).",
     "name"},
    {"upper-half",
     "With the patch select window shown, press \"129-255\".",
     ""},
    {"find-text",
     "With the patch finder (TFindForm) shown, search for <text>.",
     "text"},
    {"compare-entries",
     "With the compare window (TCompareForm) shown, compare list entries <n,m> of the file given.",
     "n,m"},
    {"get-user-all",
     "With --screenshot-window or --show-window: Get User All from the module instead of Get Temp.",
     ""},
    {"screenshot-screen",
     "Save a picture of the whole screen to <png> and quit.",
     "png"},
    {"screenshot-transfer",
     "Run Get Temp and save a picture of the wait window during it to <png>, then quit.",
     "png"},
};
// clang-format on

}  // namespace

void addDeveloperOptions(QCommandLineParser& parser) {
  for (const DeveloperOption& o : DeveloperOptions)
    parser.addOption(QCommandLineOption(QString::fromLatin1(o.name), QString::fromUtf8(o.description),
                                        QString::fromLatin1(o.valueName)));
}

std::optional<int> runWithoutWindows(const QCommandLineParser& parser) {
  if (parser.isSet(QStringLiteral("screenshot-settings"))) {
    AppContext context;
    context.host.onShowInfo = [](const std::string&) {};  // no boxes in a picture run
    context.settings.ReadSettings();
    context.names.LoadPatchNames(context.settings.dataFolder(), context.settings.expansionChoices());
    MidiSettingsDialog dialog(context, {});
    dialog.show();
    const QString png = parser.value(QStringLiteral("screenshot-settings"));
    QTimer::singleShot(300, [&dialog, png] {
      dialog.grab().save(png);
      QApplication::exit(0);
    });
    return QApplication::exec();
  }
  return std::nullopt;
}

void scheduleDeveloperOptions(const QCommandLineParser& parser, ProgramWindows& windows, AppContext& context,
                              const QStringList& files) {
  if (parser.isSet(QStringLiteral("report-startup"))) {
    QTimer::singleShot(0, [] {
      reportShown();
      QApplication::exit(0);
    });
  }
  if (parser.isSet(QStringLiteral("exit-after"))) {
    QTimer::singleShot(parser.value(QStringLiteral("exit-after")).toInt(), [&windows] {
      printWallClock("exit_at_ns");
      windows.mainWindow->close();
    });
  }
  if (parser.isSet(QStringLiteral("screenshot"))) {
    const QString png = parser.value(QStringLiteral("screenshot"));
    QTimer::singleShot(ScreenshotDelayMs, [&windows, png] {
      windows.mainWindow->grab().save(png);
      QApplication::exit(0);
    });
  }
  if (parser.isSet(QStringLiteral("screenshot-window")) || parser.isSet(QStringLiteral("show-window"))) {
    const bool picture = parser.isSet(QStringLiteral("screenshot-window"));
    const QStringList spec =
        (picture ? parser.value(QStringLiteral("screenshot-window")) : parser.value(QStringLiteral("show-window")))
            .split(QLatin1Char('='));
    const QString name = spec.value(0);
    const QString png = spec.value(1);
    const bool fromFile = !files.isEmpty();
    const int type = parser.value(QStringLiteral("efx-type")).toInt();
    const PictureChoices choices{parser.value(QStringLiteral("patch-bank")), parser.isSet(QStringLiteral("upper-half")),
                                 parser.value(QStringLiteral("find-text")),
                                 parser.value(QStringLiteral("compare-entries"))};
    const bool userBank = parser.isSet(QStringLiteral("get-user-all"));
    QTimer::singleShot(ScreenshotDelayMs, [&windows, name, png, fromFile, picture, type, choices, userBank] {
      if (userBank)
        windows.mainWindow->getBank(BankArea::User);
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
        if (window == windows.efxWindow.get() && type >= 1 && type <= EfxTypeCount)
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
  if (parser.isSet(QStringLiteral("show-dialog"))) {
    const QString name = parser.value(QStringLiteral("show-dialog"));
    QTimer::singleShot(ScreenshotDelayMs, [&windows, &context, name] {
      if (openDialog(windows, context, name)) return;
      std::fprintf(stderr, "no dialog named %s\n", qPrintable(name));
      QApplication::exit(1);
    });
  }
  if (parser.isSet(QStringLiteral("screenshot-screen"))) {
    const QString png = parser.value(QStringLiteral("screenshot-screen"));
    QTimer::singleShot(ScreenshotDelayMs, [png] {
      QApplication::primaryScreen()->grabWindow(0).save(png);
      QApplication::exit(0);
    });
  }
  if (parser.isSet(QStringLiteral("screenshot-transfer"))) {
    const QString png = parser.value(QStringLiteral("screenshot-transfer"));
    // The picture is taken from inside the transfer's waits, half way through.
    QTimer::singleShot(ScreenshotDelayMs, [&windows, png] {
      QTimer::singleShot(TransferPictureMs, [&windows, png] { windows.progressDialog->grab().save(png); });
      windows.mainWindow->getTemp();
      QApplication::exit(0);
    });
  }
  if (parser.isSet(QStringLiteral("screenshot-monitor"))) {
    const QString png = parser.value(QStringLiteral("screenshot-monitor"));
    QTimer::singleShot(ScreenshotDelayMs, [&windows, png] {
      windows.monitorWindow->grab().save(png);
      QApplication::exit(0);
    });
  }
  if (parser.isSet(QStringLiteral("screenshot-editor"))) {
    const QString png = parser.value(QStringLiteral("screenshot-editor"));
    QTimer::singleShot(ScreenshotDelayMs, [&windows, png] {
      windows.mainWindow->getTemp();
      windows.mainWindow->editPerformance();
      windows.performanceEditor->showPage(PerformanceEditor::DrumPage);
      QTimer::singleShot(EditorPaintDelayMs, [&windows, png] {
        windows.performanceEditor->grab().save(png);
        QApplication::exit(0);
      });
    });
  }
}

}  // namespace quillon
