#pragma once
// Choosing a part's patch by name: a bank of the internal memory or an
// installed expansion board, its names in a grid of 8 columns by 16 rows, and
// each choice sent to the module at once so the user hears it. Part 10 is
// offered rhythm sets. The finder searches every list by name.

#include <QWidget>

#include <array>
#include <optional>

#include "editors/binding/editing_context.h"
#include "patches/patch_choice.h"
#include "settings/names/patch_name_library.h"

class QComboBox;
class QLabel;
class QModelIndex;
class QPushButton;
class QTableWidget;
class QToolButton;

namespace quillon {

class ItemPicks;
class PatchFinder;

class PatchSelectWindow : public QWidget {
  Q_OBJECT
 public:
  static constexpr int GridColumns = 8;
  static constexpr int GridRows = 16;
  static constexpr int GridCells = GridColumns * GridRows;
  static constexpr int ColumnWidth = 97;
  static constexpr int RowHeight = 17;

  PatchSelectWindow(EditingContext& context, PatchFinder& finder, QWidget* parent = nullptr);
  ~PatchSelectWindow() override;

  // The bank and the marked cell from the part's stored patch; nothing is sent.
  void refresh();
  int part() const { return part_; }
  // Chooses the bank of that name as the user does (nothing is sent until a patch is picked);
  // false when no list offers it.
  bool chooseBankNamed(const QString& name);
  QString statusText(int panel) const;

 public slots:
  // Shows the window for part `part` (0..15) in front of the others.
  void showForPart(int part);

 protected:
  void showEvent(QShowEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  enum class Family { Internal, Pcm, Expansion };
  enum class BankSource { Presets, Boards };
  class Filling;

  // A fresh start on the part's stored patch: the status line's "Previous" and its bank shown.
  void startFromStoredPatch();

  void buildControls();
  QWidget* buildBankBar();
  void buildGrid();
  void fillBoardList();
  void chooseBank();
  void markPatch();
  void bankChanged(BankSource source);
  const NameList* listFor(BankSource source, int item) const;
  void fillGrid();
  void selectCellQuietly(int index);
  int currentCellIndex() const;
  void cellPicked(const QModelIndex& index);
  void sendPatch(const PatchRef& patch, int length);
  void upperHalfClicked();
  void findClicked();
  void highlight(std::optional<Family> family);
  void showFirstPanel();
  QString nameOf(const PatchRef& patch) const;
  const PerfPartRecord& partRecord() const;
  bool isRhythmPart() const;
  void storeChanged(const StoreChange& change);

  EditingContext& ctx_;
  PatchFinder& finder_;
  QComboBox* presets_ = nullptr;      // CbSelectPreset
  QComboBox* boards_ = nullptr;       // CbSelectExp
  QToolButton* upperHalf_ = nullptr;  // SpDeel2: down while a board's patches 129..256 are shown
  QLabel* partDigits_ = nullptr;
  std::array<QLabel*, 3> familyLabels_{};  // Luser, Lpcm, Lexp
  QTableWidget* grid_ = nullptr;
  ItemPicks* picks_ = nullptr;
  std::array<QLabel*, 2> panels_{};

  int part_ = 0;
  int groupType_ = group_type::Internal;  // what the next send writes to part bytes 02h and 03h
  int groupId_ = 0;
  int partNumber_ = 0;               // the part's patch number when last read
  int selectedNumber_ = 0;           // the patch number the next send writes
  PatchRef openedWith_;              // the part's patch when the window was shown
  const NameList* shown_ = nullptr;  // the list in the grid
  int shownOffset_ = 0;              // added to a cell index: 128 for a board's upper half
  int lastIndex_ = -1;               // the highest cell a click can choose; -1 when the grid is empty
  bool filling_ = false;
  bool pcmPending_ = false;
  bool pcmShown_ = false;  // the "PCM card" box, once per showing
};

}  // namespace quillon
