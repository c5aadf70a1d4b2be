#pragma once
// The performance editor's overview of all 16 parts, always in view: the page
// buttons, the key-range mark, each part's receive switch ("On"/"Off", a
// click toggles it), a grid of channel, output, pan and sends with the parts
// of the shown page marked, and the patch names.

#include <QFrame>

#include <array>
#include <functional>
#include <string>

#include "engine/store.h"

class QButtonGroup;
class QGridLayout;
class QLabel;
class QLayout;
class QPushButton;
class QTableWidget;

namespace quillon {

class PartsOverview : public QFrame {
  Q_OBJECT
 public:
  static constexpr int PageCount = address::PartCount / PartsPerPage;
  static constexpr int Rows = 6;  // heading, channel, output, pan, chorus, reverb
  static constexpr int Columns = address::PartCount + 1;

  explicit PartsOverview(QWidget* parent = nullptr);

  // Every part of `record`, the columns of the page starting at `page` marked.
  void showParts(const PerformanceRecord& record, int page);
  void showPatchNames(const std::array<std::string, address::PartCount>& names);
  // Colours the on/off labels: parts that sound on the test channel, receiving ones, silent ones.
  void showSounding(const PerformanceRecord& record, const std::function<bool(int part)>& sounds);
  // Puts down the button of the page starting at `page`.
  void checkPage(int page);

 signals:
  // A page button: the first part of its page.
  void pageChosen(int page);
  // An on/off label was clicked.
  void partToggled(int part);

 private:
  QLayout* buildPageRow();
  QLayout* buildGrid();
  void buildOnRow(QGridLayout* grid, int cell);
  void buildTable(QGridLayout* grid, int cell);
  void buildPatchNames(QGridLayout* grid, int cell);
  // Column `part` + 1 of the grid, and the part's on/off label.
  void showPart(const PerfPartRecord& r, int part);

  std::array<QPushButton*, address::PartCount> onLabels_{};
  std::array<QLabel*, address::PartCount> patchLabels_{};
  std::array<QPushButton*, PageCount> pageButtons_{};
  QButtonGroup* pages_ = nullptr;
  QTableWidget* partTable_ = nullptr;
  int markedPage_ = -1;  // the first part of the page marked in the table (display only)
  QLabel* keyRangeNote_ = nullptr;
};

}  // namespace quillon
