#pragma once
// What the library window writes and lists beside its table: bank files of
// library performances, and a plain list window for "Where else is this?"
// and "Duplicates".

#include <QDialog>
#include <QStringList>

#include <functional>
#include <span>
#include <string>

#include "library/library_store.h"

class QLabel;
class QListWidget;

namespace quillon {

class AppContext;
class LibraryFeed;

inline constexpr const char* LibrarySaveFilter = "Sysex (*.syx);;Standard MIDI File (*.mid);;All (*)";

// Writes `performances` as numbers 1..N of `area` (User or Card) to `chosen`:
// ".syx" added unless it names a dump, a read-only file replaced only when the
// user agrees, the old file intact when writing fails. The file goes into the
// library as every saved file does. Returns the name written; empty when
// nothing was (the user was told why, unless it was the user's own no).
std::string saveLibraryBank(QWidget* parent, AppContext& ctx, LibraryFeed& feed,
                            std::span<const library::StoredPerformance> performances, Byte area, const QString& chosen);

// Lines about a performance, one under the other; reused for each question asked.
// Enter or a double click on a line goes to what it names, through `goTo`.
class LibraryListDialog : public QDialog {
  Q_OBJECT
 public:
  explicit LibraryListDialog(QWidget* parent = nullptr);
  void showLines(const QString& title, const QString& heading, const QStringList& lines,
                 std::function<void(int line)> goTo = {});
  QListWidget* list() const { return list_; }

 private:
  QLabel* heading_;
  QListWidget* list_;
  std::function<void(int line)> goTo_;
};

// "path #3 (User 3), JV 1080, first seen .., last seen .."
QString sightingText(const library::Sighting& s);

}  // namespace quillon
