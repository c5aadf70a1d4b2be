#include "app/library_feed.h"

#include <QApplication>
#include <QCheckBox>
#include <QProgressDialog>

#include "app/app_context.h"
#include "settings/names/patch_evaluation.h"

namespace quillon {

namespace {

constexpr const char* Off = "0";
// A summary box names this many files it could not take, then counts the rest.
constexpr int ProblemsNamed = 10;

std::string summaryText(const library::ImportReport& r) {
  std::string text = "Files read: " + std::to_string(r.filesDone) +
                     "\rPerformances found: " + std::to_string(r.performancesFound) +
                     "\rNew to the library: " + std::to_string(r.added) + "\rAlready in it: " + std::to_string(r.known);
  if (r.cancelled) text += "\rStopped: what was found so far is kept.";
  if (!r.error.empty()) text += "\r" + r.error;
  if (r.problems.empty()) return text;
  text += "\rNot taken (" + std::to_string(r.problems.size()) + "):";
  for (std::size_t i = 0; i < r.problems.size() && i < ProblemsNamed; ++i)
    text += "\r" + r.problems[i].path + ": " + r.problems[i].reason;
  if (r.problems.size() > ProblemsNamed) text += "\r...";
  return text;
}

}  // namespace

QCheckBox* libraryImportCheckBox(const DeviceSettings& settings) {
  auto* box = new QCheckBox(QStringLiteral("Keep performances in library"));
  box->setObjectName(QStringLiteral("ChLibraryImport"));
  box->setAccessibleName(QStringLiteral("Keep performances in the library"));
  box->setToolTip(
      QStringLiteral("Files opened or saved and whole performances fetched go into the performance "
                     "library (File > Library...)"));
  box->setChecked(settings.extraValue(QString::fromLatin1(LibraryImportSetting)) != QLatin1String(Off));
  return box;
}

void storeLibraryImport(const QCheckBox& box, const DeviceSettings& settings) {
  settings.setExtraValue(QString::fromLatin1(LibraryImportSetting),
                         box.isChecked() ? QStringLiteral("1") : QString::fromLatin1(Off));
}

LibraryFeed::LibraryFeed(AppContext& ctx) : ctx_(ctx) {}
LibraryFeed::~LibraryFeed() = default;

bool LibraryFeed::enabled() const {
  return ctx_.settings.extraValue(QString::fromLatin1(LibraryImportSetting)) != QLatin1String(Off);
}

QString LibraryFeed::libraryPath() const {
  return QString::fromStdU16String((ctx_.settings.dataFolder() / library::LibraryFileName).u16string());
}

library::LibraryStore* LibraryFeed::store() {
  if (!store_) {
    store_ = std::make_unique<library::LibraryStore>(libraryPath().toStdString());
    if (!store_->message().empty()) ctx_.host.showInfo(store_->message());
  }
  return store_->isOpen() ? store_.get() : nullptr;
}

library::ImportOptions LibraryFeed::options() const {
  library::ImportOptions o;
  o.moduleType = ctx_.settings.moduleType();
  o.namer = [this](const PerfPartRecord& part, int index) { return partSoundName(part, index, ctx_.names); };
  return o;
}

void LibraryFeed::fileSeen(const std::string& path) {
  if (!enabled() || !store()) return;
  // What a file could not give was said when it was read; the library keeps quiet about it.
  const QuietPatchNames quiet(ctx_.names);
  library::importPaths(*store_, {path}, options());
}

void LibraryFeed::fetched(PerformanceKind kind, const std::vector<library::Fetched>& performances) {
  if (enabled()) keep(kind, performances);
}

void LibraryFeed::keep(PerformanceKind kind, const std::vector<library::Fetched>& performances) {
  if (performances.empty() || !store()) return;
  const QuietPatchNames quiet(ctx_.names);
  library::addFetched(*store_, kind, performances, options());
}

void LibraryFeed::importFolder(QWidget* parent, const QString& folder) {
  if (!store()) return;
  QProgressDialog progress(QStringLiteral("Importing performances..."), QStringLiteral("Cancel"), 0, 0, parent);
  progress.setObjectName(QStringLiteral("TLibraryImport"));
  progress.setWindowTitle(QStringLiteral("Import Folder"));
  progress.setWindowModality(Qt::WindowModal);
  progress.setMinimumDuration(0);
  std::atomic<bool> cancel{false};
  auto o = options();
  o.cancel = &cancel;
  o.progress = [&](const library::ImportProgress& p) {
    progress.setLabelText(QStringLiteral("Files: %1   performances: %2   new: %3\n%4")
                              .arg(p.filesDone)
                              .arg(p.performancesFound)
                              .arg(p.added)
                              .arg(QString::fromStdString(p.currentFile)));
    QApplication::processEvents();
    if (progress.wasCanceled()) cancel = true;
  };
  const auto report = [&] {
    const QuietPatchNames quiet(ctx_.names);
    return library::importPaths(*store_, {folder.toStdString()}, o);
  }();
  progress.close();
  ctx_.host.showInfo(summaryText(report));
}

}  // namespace quillon
