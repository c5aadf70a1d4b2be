#include "app/sheet_output.h"

#include <QBuffer>
#include <QFileInfo>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QPrinter>
#include <QSaveFile>
#include <QTextDocument>
#include <QUrl>

#include "app/app_context.h"
#include "settings/names/patch_evaluation.h"

namespace quillon {

namespace {

const QMarginsF PageMargins(8, 8, 8, 8);  // millimetres
constexpr const char* PictureName = "keys-%1.png";
constexpr const char* UnsavedNote = " The file there before, if any, is as it was.";

QString dataUrl(const QImage& image) {
  QByteArray png;
  QBuffer buffer(&png);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, "PNG");
  return QStringLiteral("data:image/png;base64,") + QString::fromLatin1(png.toBase64());
}

QString cannotWrite(const QString& path, const QString& why) {
  return QStringLiteral("The sheet could not be written to \"%1\": %2.").arg(path, why) + QLatin1String(UnsavedNote);
}

// Landscape A4: the parts' table and the keyboard need the width.
void layOut(QPagedPaintDevice& device) {
  device.setPageLayout(
      QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape, PageMargins, QPageLayout::Millimeter));
}

}  // namespace

SheetOutput::SheetOutput(AppContext& context) : ctx_(context) {}

words::Vocabulary SheetOutput::vocabulary() {
  return {efx_, [this](const PerfPartRecord& part, int index) { return partPatchWords(part, index, ctx_.names); }};
}

SheetEntry SheetOutput::listEntry(int index) const {
  const PerformanceStore& s = ctx_.store;
  const auto at = static_cast<std::size_t>(std::clamp(index, 0, PerformanceListSize - 1));
  const ListEntryInfo& info = s.ListInfo[at];
  QString title =
      info.kind == PerformanceKind::Temp || s.FromTemp
          ? QStringLiteral("Temporary Performance")
          : QString::fromLatin1(kindText(info.kind)) + QLatin1Char(' ') + QString::number(info.fileNumber + 1);
  if (!s.CurrentFileName.empty() && !s.FromTemp)
    title += QStringLiteral(" of ") + QFileInfo(QString::fromStdString(s.CurrentFileName)).fileName();
  return {title, s.PerformanceList[at]};
}

SheetEntry SheetOutput::shownEntry() const {
  const PerformanceStore& s = ctx_.store;
  if (s.NoPerformance) return {QStringLiteral("Temporary Performance"), s.TempPerformance};
  // The list entry's place, with the bytes the windows show.
  SheetEntry entry = listEntry(s.SelectedIndex);
  entry.record = s.TempPerformance;
  return entry;
}

std::vector<SheetEntry> SheetOutput::wholeList() const {
  const PerformanceStore& s = ctx_.store;
  if (s.NoPerformance || s.PerformanceCount < 1) return {shownEntry()};
  std::vector<SheetEntry> entries;
  for (int i = 0; i < std::min(s.PerformanceCount, PerformanceListSize); ++i) entries.push_back(listEntry(i));
  return entries;
}

void SheetOutput::fill(QTextDocument& document, const std::vector<SheetEntry>& entries) {
  const QuietPatchNames quiet(ctx_.names);
  for (std::size_t i = 0; i < entries.size(); ++i)
    document.addResource(QTextDocument::ImageResource, QUrl(QString::fromLatin1(PictureName).arg(i)),
                         keyRangePicture(entries[i].record));
  document.setHtml(sheetHtml(entries, vocabulary(), [](int i) { return QString::fromLatin1(PictureName).arg(i); }));
}

QString SheetOutput::writePdf(const std::vector<SheetEntry>& entries, const QString& path) {
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly)) return cannotWrite(path, file.errorString());
  {
    QPdfWriter writer(&file);
    layOut(writer);
    writer.setTitle(entries.size() == 1 ? entries.front().title : QStringLiteral("Performance sheets"));
    writer.setCreator(QStringLiteral("Quillon"));
    QTextDocument document;
    fill(document, entries);
    document.print(&writer);
  }
  return file.commit() ? QString() : cannotWrite(path, file.errorString());
}

QString SheetOutput::write(const std::vector<SheetEntry>& entries, const QString& path) {
  const QString suffix = QFileInfo(path).suffix().toLower();
  if (suffix == QLatin1String("pdf")) return writePdf(entries, path);
  QString text;
  if (suffix == QLatin1String("csv")) {
    const QuietPatchNames quiet(ctx_.names);
    text = sheetCsv(entries, vocabulary());
  } else if (suffix == QLatin1String("html") || suffix == QLatin1String("htm")) {
    const QuietPatchNames quiet(ctx_.names);
    text = sheetHtml(entries, vocabulary(), [&entries](int i) {
      return dataUrl(keyRangePicture(entries[static_cast<std::size_t>(i)].record));
    });
  } else {
    return QStringLiteral("\"%1\": a sheet is written as .pdf, .html or .csv; end the name in one of them.").arg(path);
  }
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly)) return cannotWrite(path, file.errorString());
  file.write(text.toUtf8());
  return file.commit() ? QString() : cannotWrite(path, file.errorString());
}

QString SheetOutput::proposedName(const std::vector<SheetEntry>& entries) const {
  if (entries.size() != 1) return QStringLiteral("Performances.pdf");
  const QString name = QString::fromStdString(performanceName(entries.front().record.common)).trimmed();
  return (name.isEmpty() ? QStringLiteral("Performance") : name) + QStringLiteral(".pdf");
}

void SheetOutput::exportSheets(const std::vector<SheetEntry>& entries) {
  const QString path = chooseFile ? chooseFile(proposedName(entries)) : QString();
  if (path.isEmpty()) return;
  if (const QString error = write(entries, path); !error.isEmpty()) ctx_.host.showInfo(error.toStdString());
}

void SheetOutput::print(const std::vector<SheetEntry>& entries) {
  QPrinter printer(QPrinter::HighResolution);
  layOut(printer);
  if (!choosePrinter || !choosePrinter(printer)) return;
  QTextDocument document;
  fill(document, entries);
  document.print(&printer);
}

}  // namespace quillon
