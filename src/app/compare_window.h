#pragma once
// "Compare Performances": two performances side by side in words, only what
// differs, with the count. Either side goes into the Temporary Performance
// (Send A, Send B: one undo step each) so the user hears them one after the
// other, and a single value of A goes there through the one edit path.

#include <QWidget>

#include <functional>
#include <vector>

#include "engine/efx_table.h"
#include "engine/words_compare.h"

class QComboBox;
class QLabel;
class QPushButton;
class QTreeWidget;

namespace quillon {

class AppContext;

class CompareWindow : public QWidget {
  Q_OBJECT
 public:
  enum class SourceKind { Temporary, AsLoaded, ListEntry, Outside };
  struct Source {
    SourceKind kind = SourceKind::Temporary;
    int index = 0;  // a list entry, or a performance handed in from outside
    bool operator==(const Source&) const = default;
  };
  static constexpr int SideA = 0;
  static constexpr int SideB = 1;

  explicit CompareWindow(AppContext& context, QWidget* parent = nullptr);
  ~CompareWindow() override;

  // The Temp transfer of the program; true when the performance went out.
  std::function<bool()> sendTemp;
  // The file dialog, replaceable so that tests choose a path without one.
  std::function<QString()> chooseFile;

  // Shows the window with these two sides.
  void compare(Source a, Source b);
  // A performance from elsewhere (another file, the library) becomes a choice on
  // both sides; its index for a Source of kind Outside.
  int addOutside(const QString& label, const PerformanceRecord& record);
  // Every performance of a file as choices; the first of them goes to `side`. False (and said) when none could be read.
  bool openFileInto(int side, const QString& path);

  // Send A / Send B and "Take A's value" on the current row.
  bool sendSide(int side);
  bool takeValueOfA();

  Source source(int side) const;
  const words::Comparison& comparison() const { return comparison_; }

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  struct Choice {
    Source source;
    QString label;
  };
  void buildControls();
  QWidget* buildSide(int side, const QString& caption);
  // The choices as the store holds them now; each side keeps its choice where it still exists.
  void refreshChoices();
  void select(int side, Source source);
  void recompare();
  void showDifferences();
  void updateButtons();
  // The difference of the list's current row, if any.
  const words::Difference* currentDifference() const;
  const PerformanceRecord& recordOf(Source source) const;
  // Why a side may not go to the Temporary Performance (blocks missing); empty when it may.
  std::string whyUnsendable(Source source) const;
  words::Vocabulary vocabulary();
  QString sideName(int side) const;

  AppContext& ctx_;
  EfxTypeTable efx_;
  std::vector<Choice> choices_;
  std::vector<PerformanceRecord> outside_;
  std::vector<QString> outsideLabels_;
  std::vector<std::string> outsideProblems_;  // an incomplete one's account; empty when whole
  std::array<Source, 2> sides_{};
  words::Comparison comparison_;
  std::array<QComboBox*, 2> sourceBoxes_{};
  QLabel* count_ = nullptr;
  QTreeWidget* list_ = nullptr;
  QPushButton* takeA_ = nullptr;
  QLabel* status_ = nullptr;
  bool placed_ = false;
};

}  // namespace quillon
