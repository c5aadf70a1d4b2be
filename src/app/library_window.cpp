#include "app/library_window.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QSplitter>
#include <QTableView>
#include <QTableWidget>
#include <QVBoxLayout>

#include "app/app_context.h"
#include "app/bank_builder_dialog.h"
#include "app/library_details.h"
#include "app/library_feed.h"
#include "app/library_files.h"
#include "editors/window_support.h"
#include "engine/efx_table.h"
#include "engine/transfer_session.h"
#include "library/library_bank.h"

namespace quillon {

namespace {

constexpr int WindowWidth = 760;
constexpr int WindowHeight = 440;
constexpr int TableStretch = 3;
constexpr int DetailsStretch = 2;
constexpr std::size_t BankSize = address::MemoryPerformanceCount;
const char* const ProposedExportName = "Library.syx";
// The source filter's entries after "any": what the library's sightings call them.
constexpr library::Sighting::Kind SourceKinds[] = {library::Sighting::Kind::File, library::Sighting::Kind::Fetch};

template <typename W>
W* spoken(W* widget, const char* name, const QString& accessible) {
  named(widget, name)->setAccessibleName(accessible);
  return widget;
}

QString fromView(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

}  // namespace

LibraryWindow::LibraryWindow(AppContext& context, LibraryFeed& feed, QWidget* parent)
    : QWidget(parent, Qt::Window), ctx_(context), feed_(feed), model_(new LibraryTableModel(this)) {
  setObjectName(QStringLiteral("TLibraryForm"));
  setWindowTitle(QStringLiteral("Performance Library"));
  chooseSaveFile = [this](const QString& proposed) {
    return QFileDialog::getSaveFileName(this, QStringLiteral("Save Performances"), proposed,
                                        QString::fromLatin1(LibrarySaveFilter));
  };
  builder_ = new BankBuilderDialog(this);
  listDialog_ = new LibraryListDialog(this);
  buildControls();
  connectDetails();
  connect(builder_, &BankBuilderDialog::addRequested, this, &LibraryWindow::addChosenToBank);
  connect(builder_, &BankBuilderDialog::saveRequested, this, &LibraryWindow::saveBank);
  connect(builder_, &BankBuilderDialog::sendRequested, this, &LibraryWindow::sendBank);
  auto* close = new QAction(QStringLiteral("Close"), this);
  close->setShortcut(QKeySequence::Cancel);
  connect(close, &QAction::triggered, this, &QWidget::close);
  addAction(close);
  resize(WindowWidth, WindowHeight);
}

LibraryWindow::~LibraryWindow() = default;

QWidget* LibraryWindow::buildFilters() {
  auto* box = new QWidget;
  auto* row = new QHBoxLayout(box);
  row->setContentsMargins(0, 0, 0, 0);
  search_ = spoken(new QLineEdit, "EdSearch", QStringLiteral("Search names, patch names, tags and comments"));
  search_->setPlaceholderText(QStringLiteral("Search"));
  search_->setClearButtonEnabled(true);
  auto* caption = new QLabel(QStringLiteral("&Search:"));
  caption->setBuddy(search_);
  efx_ = spoken(new QComboBox, "CbEfxType", QStringLiteral("EFX type"));
  efx_->addItem(QStringLiteral("Any EFX"));
  const EfxTypeTable table;
  for (int t = 0; t < EfxTypeCount; ++t) efx_->addItem(fromView(table.typeName(t)));
  module_ = spoken(new QComboBox, "CbModuleType", QStringLiteral("Module type"));
  module_->addItem(QStringLiteral("Any module"));
  for (const auto name : ModuleTypeNames) module_->addItem(fromView(name));
  source_ = spoken(new QComboBox, "CbSource", QStringLiteral("Source"));
  source_->addItems({QStringLiteral("Files and fetches"), QStringLiteral("Files"), QStringLiteral("Fetches")});
  favourites_ =
      spoken(new QCheckBox(QStringLiteral("Fa&vourites")), "ChFavouritesOnly", QStringLiteral("Favourites only"));
  row->addWidget(caption);
  row->addWidget(search_, 1);
  for (QWidget* w : std::initializer_list<QWidget*>{efx_, module_, source_, favourites_}) row->addWidget(w);
  connect(search_, &QLineEdit::textChanged, this, &LibraryWindow::applyFilters);
  for (QComboBox* c : {efx_, module_, source_})
    connect(c, &QComboBox::currentIndexChanged, this, &LibraryWindow::applyFilters);
  connect(favourites_, &QCheckBox::toggled, this, &LibraryWindow::applyFilters);
  return box;
}

QWidget* LibraryWindow::buildCommands() {
  auto* box = new QWidget;
  auto* grid = new QGridLayout(box);
  grid->setContentsMargins(0, 0, 0, 0);
  const auto button = [&](const char* name, const QString& text, const QString& spokenText,
                          void (LibraryWindow::*slot)(), int row, int column) {
    auto* b = spoken(new QPushButton(text), name, spokenText);
    connect(b, &QPushButton::clicked, this, slot);
    grid->addWidget(b, row, column);
    return b;
  };
  button("BSendTemp", QStringLiteral("Send to &Temp"), QStringLiteral("Send to Temp"), &LibraryWindow::sendToTemp, 0,
         0);
  button("BOpenEditor", QStringLiteral("&Open in Editor"), QStringLiteral("Open in the editor"),
         &LibraryWindow::openInEditor, 0, 1);
  button("BAddToList", QStringLiteral("&Add to List at"), QStringLiteral("Add to the current list at the slot"),
         &LibraryWindow::addToList, 0, 2);
  slot_ = spoken(new QSpinBox, "SpSlot", QStringLiteral("Slot in the list"));
  slot_->setRange(1, address::MemoryPerformanceCount);
  grid->addWidget(slot_, 0, 3);
  button("BExport", QStringLiteral("E&xport .syx..."), QStringLiteral("Export the chosen performances to a file"),
         &LibraryWindow::exportSelection, 1, 0);
  button("BBuildBank", QStringLiteral("&Build a Bank..."), QStringLiteral("Build a bank"),
         &LibraryWindow::showBankBuilder, 1, 1);
  button("BWhereElse", QStringLiteral("&Where Else Is This?"), QStringLiteral("Where else is this performance"),
         &LibraryWindow::showSightings, 1, 2);
  button("BDuplicates", QStringLiteral("D&uplicates"), QStringLiteral("Performances of the same name, other bytes"),
         &LibraryWindow::showDuplicates, 1, 3);
  button("BCompare", QStringLiteral("Compare wit&h Temp"), QStringLiteral("Compare with the Temporary Performance"),
         &LibraryWindow::compareWithTemp, 2, 0);
  return box;
}

void LibraryWindow::buildControls() {
  table_ = spoken(new QTableView, "TvLibrary", QStringLiteral("Performances in the library"));
  table_->setModel(model_);
  table_->setSortingEnabled(true);
  table_->sortByColumn(LibraryTableModel::FirstSeenColumn, Qt::AscendingOrder);
  table_->setSelectionBehavior(QAbstractItemView::SelectRows);
  table_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  table_->setTabKeyNavigation(false);
  table_->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
  table_->horizontalHeader()->setStretchLastSection(true);
  // Widths from the texts the columns hold, not from the rows: the rows come a page at a time.
  const QFontMetrics fm(font());
  for (const auto& [column, sample] : {std::pair{LibraryTableModel::NameColumn, "Wwwwwwwwwwww"},
                                       {LibraryTableModel::FavouriteColumn, "Fav."},
                                       {LibraryTableModel::EfxColumn, "00: Hexa-Chorus"},
                                       {LibraryTableModel::ReverbColumn, "Pan-Dly."},
                                       {LibraryTableModel::TempoColumn, "Tempo."},
                                       {LibraryTableModel::SplitsColumn, "Splits."},
                                       {LibraryTableModel::SourcesColumn, "Sources."},
                                       {LibraryTableModel::FirstSeenColumn, "0000-00-00 00:00:00"}})
    table_->setColumnWidth(column, fm.horizontalAdvance(QLatin1String(sample)) + fm.averageCharWidth() * 2);
  details_ = new LibraryDetails;
  auto* split = named(new QSplitter(Qt::Horizontal), "SplLibrary");
  split->addWidget(table_);
  split->addWidget(details_);
  split->setStretchFactor(0, TableStretch);
  split->setStretchFactor(1, DetailsStretch);
  status_ = spoken(new QLabel, "LStatus", QStringLiteral("Library status"));
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(buildFilters());
  layout->addWidget(split, 1);
  layout->addWidget(buildCommands());
  layout->addWidget(status_);
  connect(table_->selectionModel(), &QItemSelectionModel::currentRowChanged, this, &LibraryWindow::showChosen);
  // Enter on a row plays it, as a double click does.
  connect(table_, &QTableView::activated, this, &LibraryWindow::sendToTemp);
  // Tab goes as the eye reads: the filters, the table, the chosen performance, then the commands.
  const QList<QWidget*> order{search_,           efx_,
                              module_,           source_,
                              favourites_,       table_,
                              details_->parts(), details_->favourite(),
                              details_->tags(),  details_->comment()};
  for (qsizetype i = 1; i < order.size(); ++i) setTabOrder(order[i - 1], order[i]);
}

void LibraryWindow::connectDetails() {
  const auto store = [this] { return feed_.store(); };
  const std::string closed = "the performance library is not open";
  details_->saveFavourite = [store, closed](std::int64_t id, bool on) {
    return store() ? store()->setFavourite(id, on) : closed;
  };
  details_->saveComment = [store, closed](std::int64_t id, const std::string& text) {
    return store() ? store()->setComment(id, text) : closed;
  };
  details_->saveTags = [store, closed](std::int64_t id, const std::vector<std::string>& add,
                                       const std::vector<std::string>& remove) {
    if (!store()) return closed;
    for (const auto& t : add)
      if (auto e = store()->addTag(id, t); !e.empty()) return e;
    for (const auto& t : remove)
      if (auto e = store()->removeTag(id, t); !e.empty()) return e;
    return std::string();
  };
  connect(details_, &LibraryDetails::favouriteChanged, this,
          [this](std::int64_t, bool on) { model_->setFavouriteShown(table_->currentIndex().row(), on); });
  connect(details_, &LibraryDetails::failed, this, [this](const QString& text) {
    setStatus(text);
    ctx_.host.showInfo(text.toStdString());
  });
}

void LibraryWindow::showAndRaise() {
  showWindow(this);
  search_->setFocus();
}

void LibraryWindow::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  // What was imported, opened or fetched since the last showing is there.
  refresh();
}

void LibraryWindow::refresh() { applyFilters(); }

void LibraryWindow::applyFilters() {
  library::Query q;
  q.text = search_->text().trimmed().toStdString();
  if (efx_->currentIndex() > 0) q.efxTypes = {efx_->currentIndex() - 1};
  if (module_->currentIndex() > 0) q.moduleType = static_cast<ModuleType>(module_->currentIndex() - 1);
  if (source_->currentIndex() > 0) q.source = SourceKinds[source_->currentIndex() - 1];
  q.favouritesOnly = favourites_->isChecked();
  library::LibraryStore* store = feed_.store();
  model_->setStore(store);
  model_->setQuery(q);
  if (!store)
    setStatus(QStringLiteral("The performance library cannot be used this time: ") + feed_.libraryPath());
  else
    setStatus(model_->error().empty() ? QStringLiteral("%1 performance(s)").arg(model_->total())
                                      : QString::fromStdString(model_->error()));
  if (model_->rowCount() > 0)
    table_->selectRow(0);
  else
    showChosen();
}

void LibraryWindow::showChosen() { details_->showPerformance(chosenPerformance()); }

void LibraryWindow::setStatus(const QString& text) { status_->setText(text); }

QString LibraryWindow::statusText() const { return status_->text(); }

std::vector<std::int64_t> LibraryWindow::chosenIds() const {
  std::vector<std::int64_t> ids;
  QModelIndexList rows = table_->selectionModel()->selectedRows();
  std::sort(rows.begin(), rows.end(), [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
  for (const QModelIndex& i : rows)
    if (const auto* hit = model_->hitAt(i.row())) ids.push_back(hit->id);
  if (ids.empty())
    if (const auto* hit = model_->hitAt(table_->currentIndex().row())) ids.push_back(hit->id);
  return ids;
}

std::optional<library::StoredPerformance> LibraryWindow::chosenPerformance() {
  const auto* hit = model_->hitAt(table_->currentIndex().row());
  library::LibraryStore* store = feed_.store();
  if (!hit || !store) return std::nullopt;
  return store->performance(hit->id);
}

std::vector<library::StoredPerformance> LibraryWindow::chosenPerformances(std::size_t most) {
  const std::vector<std::int64_t> ids = chosenIds();
  if (ids.size() > most) {
    setStatus(QStringLiteral("%1 performances are chosen; a bank holds %2: choose fewer.").arg(ids.size()).arg(most));
    return {};
  }
  std::string error;
  auto performances =
      feed_.store() ? library::performancesOf(*feed_.store(), ids, error) : std::vector<library::StoredPerformance>{};
  if (!error.empty()) ctx_.host.showInfo(error);
  return performances;
}

bool LibraryWindow::refuse(bool needsChoice) {
  if (commands.busy && commands.busy()) {
    setStatus(QString::fromLatin1(session_text::Busy));
    return true;
  }
  if (needsChoice && chosenIds().empty()) {
    setStatus(QStringLiteral("Choose a performance in the table first."));
    return true;
  }
  return false;
}

void LibraryWindow::sendToTemp() {
  if (refuse()) return;
  const auto p = chosenPerformance();
  if (p && commands.audition && commands.audition(p->record))
    setStatus(QStringLiteral("Sent to Temp: ") + QString::fromStdString(p->summary.name));
}

void LibraryWindow::compareWithTemp() {
  const auto p = chosenPerformance();
  if (p && commands.compareWithTemp) commands.compareWithTemp(p->record, p->summary.name);
}

void LibraryWindow::openInEditor() {
  if (refuse()) return;
  const auto p = chosenPerformance();
  if (p && commands.open) commands.open(p->record, p->summary.name);
}

void LibraryWindow::addToList() {
  if (refuse()) return;
  const auto p = chosenPerformance();
  if (p && commands.putIntoList && commands.putIntoList(p->record, slot_->value() - 1))
    setStatus(
        QStringLiteral("%1 put into the list at %2").arg(QString::fromStdString(p->summary.name)).arg(slot_->value()));
}

void LibraryWindow::exportSelection() {
  if (refuse()) return;
  const auto performances = chosenPerformances(BankSize);
  if (performances.empty()) return;
  const std::string written =
      saveLibraryBank(this, ctx_, feed_, performances, address::AreaUserPerformance,
                      chooseSaveFile ? chooseSaveFile(QString::fromLatin1(ProposedExportName)) : QString());
  if (!written.empty())
    setStatus(QStringLiteral("%1 performance(s) written to %2 as User 1..%1")
                  .arg(performances.size())
                  .arg(QString::fromStdString(written)));
}

void LibraryWindow::showBankBuilder() { showWindow(builder_); }

void LibraryWindow::addChosenToBank() {
  for (const std::int64_t id : chosenIds()) {
    const auto* hit = [&]() -> const library::Hit* {
      for (int r = 0; r < model_->loadedRows(); ++r)
        if (model_->hitAt(r)->id == id) return model_->hitAt(r);
      return nullptr;
    }();
    if (hit && !builder_->add(id, QString::fromStdString(hit->name))) {
      setStatus(QStringLiteral("The bank is full: it holds %1 performances.").arg(BankSize));
      return;
    }
  }
}

void LibraryWindow::saveBank() {
  std::string error;
  const auto ids = builder_->ids();
  const auto performances =
      feed_.store() ? library::performancesOf(*feed_.store(), ids, error) : std::vector<library::StoredPerformance>{};
  if (!error.empty()) ctx_.host.showInfo(error);
  const BankArea area = builder_->area();
  const QString proposed = QStringLiteral("Library%1.syx").arg(QString::fromLatin1(bankName(area)));
  const std::string written = saveLibraryBank(builder_, ctx_, feed_, performances, performanceAreaOf(area),
                                              chooseSaveFile ? chooseSaveFile(proposed) : QString());
  if (!written.empty()) setStatus(QStringLiteral("Bank written to ") + QString::fromStdString(written));
}

void LibraryWindow::sendBank() {
  if (refuse(false) || !commands.sendBank) return;
  std::string error;
  const auto ids = builder_->ids();
  const auto performances =
      feed_.store() ? library::performancesOf(*feed_.store(), ids, error) : std::vector<library::StoredPerformance>{};
  if (!error.empty()) {
    ctx_.host.showInfo(error);
    return;
  }
  std::vector<PerformanceRecord> records;
  for (const auto& p : performances) records.push_back(p.record);
  if (!records.empty() && commands.sendBank(builder_->area(), records)) refresh();
}

}  // namespace quillon
