#pragma once
// The performance library's window: every performance the library keeps, in
// a table that reads a page at a time, filtered as the user types; the chosen
// one's parts and effects beside it; and the commands that play it on the
// module, open it, put it into the list, write it out or build a bank.

#include <QWidget>

#include <functional>
#include <optional>

#include "app/library_model.h"
#include "engine/bank_transfer.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTableView;

namespace quillon {

class AppContext;
class BankBuilderDialog;
class LibraryDetails;
class LibraryFeed;
class LibraryListDialog;

// What the window asks of the rest of the program; start-up connects them to the main window.
struct LibraryCommands {
  std::function<bool()> busy;  // a transfer runs
  std::function<bool(const PerformanceRecord&)> audition;
  std::function<bool(const PerformanceRecord&, const std::string& name)> open;
  std::function<bool(const PerformanceRecord&, int slot)> putIntoList;
  std::function<bool(BankArea, const std::vector<PerformanceRecord>&)> sendBank;
  std::function<void(const PerformanceRecord&, const std::string& name)> compareWithTemp;
  std::function<bool(const std::string& path, int position)> openFileAt;  // the list shows that file's entry
};

class LibraryWindow : public QWidget {
  Q_OBJECT
 public:
  LibraryWindow(AppContext& context, LibraryFeed& feed, QWidget* parent = nullptr);
  ~LibraryWindow() override;

  LibraryCommands commands;
  // The file a save writes, asked of the user; replaceable so that tests choose without a dialog.
  std::function<QString(const QString& proposed)> chooseSaveFile;

  // Shows the window, which reads the library afresh (opening it at the first showing).
  void showAndRaise();
  void refresh();

  // Commands on the chosen rows.
  void sendToTemp();
  void openInEditor();
  void addToList();
  void exportSelection();
  void showBankBuilder();
  void addChosenToBank();
  void saveBank();
  void sendBank();
  void showSightings();
  void showDuplicates();
  void compareWithTemp();
  // Shows library performance `id` (named `name`) as the chosen row; the filters make way.
  bool goToPerformance(std::int64_t id, const std::string& name);

  LibraryTableModel* model() const { return model_; }
  QTableView* table() const { return table_; }
  LibraryDetails* details() const { return details_; }
  BankBuilderDialog* bankBuilder() const { return builder_; }
  LibraryListDialog* listDialog() const { return listDialog_; }
  QString statusText() const;
  // The row ids chosen in the table, in table order.
  std::vector<std::int64_t> chosenIds() const;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void buildControls();
  QWidget* buildFilters();
  QWidget* buildCommands();
  void applyFilters();
  void showChosen();
  void setStatus(const QString& text);
  // True, and the status says so, when a transfer runs or nothing is chosen.
  bool refuse(bool needsChoice = true);
  std::optional<library::StoredPerformance> chosenPerformance();
  std::vector<library::StoredPerformance> chosenPerformances(std::size_t most);
  void connectDetails();
  // Opens the file a sighting names at its entry; a fetch has no file.
  void openSighting(const library::Sighting& seen);

  AppContext& ctx_;
  LibraryFeed& feed_;
  LibraryTableModel* model_;
  QLineEdit* search_ = nullptr;
  QComboBox* efx_ = nullptr;
  QComboBox* module_ = nullptr;
  QComboBox* source_ = nullptr;
  QCheckBox* favourites_ = nullptr;
  QTableView* table_ = nullptr;
  LibraryDetails* details_ = nullptr;
  QSpinBox* slot_ = nullptr;
  QLabel* status_ = nullptr;
  BankBuilderDialog* builder_ = nullptr;
  LibraryListDialog* listDialog_ = nullptr;
};

}  // namespace quillon
