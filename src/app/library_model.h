#pragma once
// The library window's table: a page of hits at a time, more fetched as the
// view scrolls to them, so a library of 100,000 performances opens at once.

#include <QAbstractTableModel>

#include <vector>

#include "library/library_store.h"

namespace quillon {

class LibraryTableModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  enum Column {
    NameColumn,
    FavouriteColumn,
    EfxColumn,
    ReverbColumn,
    TempoColumn,
    SplitsColumn,
    SourcesColumn,
    FirstSeenColumn,
    FirstPlaceColumn,
    ColumnCount
  };
  // Rows read from the library at a time: a few screens.
  static constexpr int PageSize = 200;

  explicit LibraryTableModel(QObject* parent = nullptr);

  // Nothing is shown without a store; the model does not own it. Read at the next reload.
  void setStore(library::LibraryStore* store);
  void setQuery(const library::Query& query);
  const library::Query& query() const { return query_; }
  // Reads the first page afresh: after an import, or a change of query or order.
  void reload();
  // How many performances the query finds; rows are loaded as they come into view.
  std::int64_t total() const { return total_; }
  int loadedRows() const { return static_cast<int>(rows_.size()); }
  const library::Hit* hitAt(int row) const;
  // Why the last read failed; empty when it did not.
  const std::string& error() const { return error_; }
  // A favourite flag changed elsewhere: the row shows it without a reload.
  void setFavouriteShown(int row, bool favourite);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  bool canFetchMore(const QModelIndex& parent) const override;
  void fetchMore(const QModelIndex& parent) override;
  void sort(int column, Qt::SortOrder order) override;

 private:
  QString cellText(const library::Hit& hit, int column) const;

  library::LibraryStore* store_ = nullptr;
  library::Query query_;
  library::Page order_{0, PageSize, library::SortKey::Added, false};
  std::vector<library::Hit> rows_;
  std::int64_t total_ = 0;
  std::string error_;
};

}  // namespace quillon
