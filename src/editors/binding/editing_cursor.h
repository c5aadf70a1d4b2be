#pragma once
// Where the editing windows stand among the 16 parts: the page of the
// four-column editor and the half of the eight-part windows (switches, key
// range), with the part last touched in each. Every window keeps the page or
// half it last filled with and addresses those parts; when the shared page
// or half moves, the cursor says so and the windows showing other parts
// refill whole. Touching a part also tells the sender which part is edited,
// so the test channel follows it.

#include <QObject>

#include "engine/store.h"

namespace quillon {

inline constexpr int EightPartRows = 8;

class EditingCursor : public QObject {
  Q_OBJECT
 public:
  explicit EditingCursor(PerformanceStore& store, QObject* parent = nullptr) : QObject(parent), store_(store) {}

  int partPage() const { return partPage_; }
  int partSlot() const { return partSlot_; }
  int switchHalf() const { return switchHalf_; }
  int switchPart() const { return switchPart_; }

  // The first part of the page or half that holds `part`.
  static int pageOf(int part) { return part - part % PartsPerPage; }
  static int halfOf(int part) { return part >= EightPartRows ? EightPartRows : 0; }
  // The half the eight-part windows take when shown: the one of the editor's page.
  int halfOfEditorPage() const { return halfOf(partPage_); }

  // A page button of the editor: its first column becomes the part edited.
  void showPage(int page);
  // A column of the editor showing `page` was touched.
  void touchColumn(int page, int column);
  // The eight-part windows' half (0 or 8); true when it moved.
  bool setSwitchHalf(int half);
  // Row `row` of an eight-part window showing `half` was touched: the editor
  // follows that part (its page and column).
  void touchRow(int half, int row);
  // A part chosen on its own (the overview, the patch windows): the halves and page follow it.
  void touchPart(int part);
  // A part the sender's test channel is to follow, without moving any window (the patch windows).
  void markEdited(int part) { store_.EditedPart = part; }

 signals:
  // The editor's page moved; an editor showing another page refills.
  void pageMoved(int page);
  // The eight-part half moved; an eight-part window showing the other half refills.
  void halfMoved(int half);

 private:
  void moveTo(int page, int slot);

  PerformanceStore& store_;
  int partPage_ = 0;
  int partSlot_ = 0;
  int switchHalf_ = 0;
  int switchPart_ = 0;
};

}  // namespace quillon
