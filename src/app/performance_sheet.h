#pragma once
// A performance sheet: the performance in words, its 16 parts as a table,
// their key ranges drawn as bars over a keyboard, and the effects. One page a
// performance; the same HTML serves a printer, a PDF and an HTML file.

#include <QImage>
#include <QString>

#include <functional>
#include <vector>

#include "engine/performance_words.h"

namespace quillon {

struct SheetEntry {
  QString title;  // "User 3", "Temporary Performance"
  PerformanceRecord record;
};

// Where the key-range picture of sheet `index` is found: a resource name for a
// document, a data URL for a file that stands alone.
using SheetImageSource = std::function<QString(int index)>;

// The sheets of `entries`, one to a page.
QString sheetHtml(const std::vector<SheetEntry>& entries, const words::Vocabulary& vocabulary,
                  const SheetImageSource& image);

// The parts' key ranges as bars over a keyboard (parts that receive nothing are grey).
QImage keyRangePicture(const PerformanceRecord& record);

// A name and the 16 patches a line, for a spreadsheet: a header line first.
QString sheetCsv(const std::vector<SheetEntry>& entries, const words::Vocabulary& vocabulary);

}  // namespace quillon
