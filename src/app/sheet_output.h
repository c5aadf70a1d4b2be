#pragma once
// Performance sheets on paper and in files: the platform's print dialog, and
// PDF, HTML or CSV by the file name's ending. A file that cannot be written
// leaves the one there before as it was.

#include <QString>

#include <functional>
#include <vector>

#include "app/performance_sheet.h"
#include "engine/efx_table.h"

class QPrinter;
class QTextDocument;
class QWidget;

namespace quillon {

class AppContext;

inline constexpr const char* SheetFileFilter = "PDF (*.pdf);;HTML (*.html *.htm);;Names and patches as CSV (*.csv)";

class SheetOutput {
 public:
  explicit SheetOutput(AppContext& context);

  // Replaceable so that tests need no dialog: the save dialog (empty when
  // cancelled) and the print dialog (false when cancelled).
  std::function<QString(const QString& proposedName)> chooseFile;
  std::function<bool(QPrinter& printer)> choosePrinter;

  // The performance the windows show, entry `index` of the list, or every entry.
  SheetEntry shownEntry() const;
  SheetEntry listEntry(int index) const;
  std::vector<SheetEntry> wholeList() const;

  // Writes `entries` to `path` by its ending (.pdf, .html, .htm, .csv).
  // Returns what went wrong, empty on success.
  QString write(const std::vector<SheetEntry>& entries, const QString& path);
  // Asks where, writes, and tells the user when that failed.
  void exportSheets(const std::vector<SheetEntry>& entries);
  // The platform's print dialog, then the sheets on the printer chosen.
  void print(const std::vector<SheetEntry>& entries);

 private:
  words::Vocabulary vocabulary();
  // The sheets as a document laid out for `printer`'s pages, pictures included.
  void fill(QTextDocument& document, const std::vector<SheetEntry>& entries);
  QString writePdf(const std::vector<SheetEntry>& entries, const QString& path);
  QString proposedName(const std::vector<SheetEntry>& entries) const;

  AppContext& ctx_;
  EfxTypeTable efx_;
};

}  // namespace quillon
