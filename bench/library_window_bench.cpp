// The library window on a library of 100,000 performances: how long the
// window takes to open (target under 300 ms), how many rows it has read then,
// and what scrolling costs: a page read as the view reaches it, never the whole
// library. Also a keystroke in the search field, and each order the columns sort by.
// Prints each figure beside its target.

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QScrollBar>
#include <QTableView>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

#include "app/app_context.h"
#include "app/library_feed.h"
#include "app/library_window.h"
#include "library_bench_data.h"
#include "settings/names/patch_evaluation.h"

namespace {

using namespace quillon;
using namespace quillon::bench;

constexpr int Performances = 100'000;
constexpr double OpenTargetMs = 300.0;
constexpr double KeystrokeTargetMs = 20.0;
constexpr int Runs = 5;
constexpr int ScrollPages = 25;

double ms(Clock::time_point start) { return secondsSince(start) * 1000.0; }

template <typename Work>
double medianMs(Work&& work) {
  std::vector<double> times;
  for (int i = 0; i < Runs; ++i) {
    const auto start = Clock::now();
    work();
    times.push_back(ms(start));
  }
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  QTemporaryDir dir;
  for (const char* list : {"Preset.ini", "User.ini", "Expansion.ini"})
    QFile::copy(QStringLiteral(QUILLON_DATA_DIR "/") + QLatin1String(list), dir.filePath(QLatin1String(list)));
  AppContext ctx(SettingsLocation::iniFile(dir.filePath(QStringLiteral("Quillon.conf"))),
                 dir.path() + QDir::separator());
  LibraryFeed feed(ctx);
  {
    const auto start = Clock::now();
    fillLibrary(*feed.store(), Performances,
                [&](const PerfPartRecord& p, int i) { return partSoundName(p, i, ctx.names); });
    std::printf("library of %lld performances built in %.1f s\n",
                static_cast<long long>(feed.store()->stats().performances), secondsSince(start));
  }

  {
    // The first opening: the window is made and shown, its model reads the first page.
    const auto start = Clock::now();
    LibraryWindow window(ctx, feed);
    window.show();
    QApplication::processEvents();
    const double opened = ms(start);
    std::printf("window open: %lld performances found, %d rows read\n", static_cast<long long>(window.model()->total()),
                window.model()->loadedRows());
    verdict("library window opens on 100,000 performances", opened, OpenTargetMs, "ms");
    verdict("opened again (hidden, shown)", medianMs([&] {
              window.hide();
              window.show();
              QApplication::processEvents();
            }),
            OpenTargetMs, "ms");

    // Scrolling to the end of what is read makes the view ask for the next page.
    QScrollBar* bar = window.table()->verticalScrollBar();
    std::vector<double> pages;
    for (int i = 0; i < ScrollPages; ++i) {
      const auto start = Clock::now();
      bar->setValue(bar->maximum());
      QApplication::processEvents();
      pages.push_back(ms(start));
    }
    std::sort(pages.begin(), pages.end());
    std::printf(
        "scrolled %d times to the bottom: %d rows read of %lld; a page (%d rows) median %.2f ms, worst %.2f ms\n",
        ScrollPages, window.model()->loadedRows(), static_cast<long long>(window.model()->total()),
        LibraryTableModel::PageSize, pages[pages.size() / 2], pages.back());

    auto* search = window.findChild<QLineEdit*>(QStringLiteral("EdSearch"));
    verdict("a keystroke in the search field (\"Perf 0421\")", medianMs([&] {
                                                                 search->setText(QStringLiteral("Perf 042"));
                                                                 search->setText(QStringLiteral("Perf 0421"));
                                                               }) / 2,
            KeystrokeTargetMs, "ms");
    search->clear();
    for (int column = 0; column < LibraryTableModel::ColumnCount; ++column) {
      const QString header = window.model()->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString();
      const double sorted = medianMs([&] { window.table()->sortByColumn(column, Qt::DescendingOrder); });
      std::printf("sort by %-12s %8.2f ms\n", qPrintable(header), sorted);
    }
  }
  return 0;
}
