#include "app/library_model.h"

#include <array>

#include "engine/efx_table.h"
#include "engine/value_texts.h"

namespace quillon {

namespace {

constexpr std::array<const char*, LibraryTableModel::ColumnCount> Headers{
    "Name", "Fav", "EFX type", "Reverb", "Tempo", "Splits", "Sources", "First seen", "First place"};
// The order each column sorts by; the first place has none of its own and keeps the library's order.
constexpr std::array<library::SortKey, LibraryTableModel::ColumnCount> SortKeys{
    library::SortKey::Name,       library::SortKey::Added,     library::SortKey::EfxType,
    library::SortKey::ReverbType, library::SortKey::Tempo,     library::SortKey::Splits,
    library::SortKey::Sightings,  library::SortKey::FirstSeen, library::SortKey::Added};

QString fromView(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

QString efxText(int type) {
  static const EfxTypeTable table;
  return EfxTypeTable::isType(type) ? fromView(table.typeName(type)) : QStringLiteral("?%1").arg(type);
}

}  // namespace

LibraryTableModel::LibraryTableModel(QObject* parent) : QAbstractTableModel(parent) {}

void LibraryTableModel::setStore(library::LibraryStore* store) { store_ = store; }

void LibraryTableModel::setQuery(const library::Query& query) {
  query_ = query;
  reload();
}

void LibraryTableModel::reload() {
  beginResetModel();
  rows_.clear();
  total_ = 0;
  error_.clear();
  if (store_) {
    total_ = store_->count(query_, &error_);
    order_.offset = 0;
    if (error_.empty() && total_ > 0) rows_ = store_->search(query_, order_, &error_);
  }
  endResetModel();
}

const library::Hit* LibraryTableModel::hitAt(int row) const {
  return row >= 0 && row < loadedRows() ? &rows_[static_cast<std::size_t>(row)] : nullptr;
}

void LibraryTableModel::setFavouriteShown(int row, bool favourite) {
  if (row < 0 || row >= loadedRows()) return;
  rows_[static_cast<std::size_t>(row)].favourite = favourite;
  emit dataChanged(index(row, FavouriteColumn), index(row, FavouriteColumn));
}

int LibraryTableModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : loadedRows(); }

int LibraryTableModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : ColumnCount; }

QString LibraryTableModel::cellText(const library::Hit& hit, int column) const {
  switch (column) {
    case NameColumn: return QString::fromStdString(hit.name);
    case FavouriteColumn: return hit.favourite ? QStringLiteral("yes") : QString();
    case EfxColumn: return efxText(hit.efxType);
    case ReverbColumn: return fromView(texts::textOr(texts::ReverbType, hit.reverbType));
    case TempoColumn: return QString::number(hit.tempo);
    case SplitsColumn: return QString::number(hit.splitParts);
    case SourcesColumn: return QString::number(hit.sightings);
    case FirstSeenColumn: return QString::fromStdString(hit.firstSeen);
    case FirstPlaceColumn: return QString::fromStdString(hit.firstPlace);
    default: return {};
  }
}

QVariant LibraryTableModel::data(const QModelIndex& index, int role) const {
  const library::Hit* hit = hitAt(index.row());
  if (!hit) return {};
  if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole) return cellText(*hit, index.column());
  if (role == Qt::ToolTipRole && index.column() == FirstPlaceColumn) return cellText(*hit, index.column());
  return {};
}

QVariant LibraryTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role != Qt::DisplayRole) return {};
  if (orientation == Qt::Vertical) return section + 1;
  return section >= 0 && section < ColumnCount ? QString::fromLatin1(Headers[static_cast<std::size_t>(section)])
                                               : QVariant();
}

bool LibraryTableModel::canFetchMore(const QModelIndex& parent) const {
  return !parent.isValid() && loadedRows() < total_;
}

void LibraryTableModel::fetchMore(const QModelIndex& parent) {
  if (!canFetchMore(parent) || !store_) return;
  library::Page page = order_;
  page.offset = loadedRows();
  auto more = store_->search(query_, page, &error_);
  if (more.empty()) {
    // The library shrank or failed meanwhile: no more rows than it gives.
    total_ = loadedRows();
    return;
  }
  beginInsertRows({}, loadedRows(), loadedRows() + static_cast<int>(more.size()) - 1);
  rows_.insert(rows_.end(), std::make_move_iterator(more.begin()), std::make_move_iterator(more.end()));
  endInsertRows();
}

void LibraryTableModel::sort(int column, Qt::SortOrder order) {
  if (column < 0 || column >= ColumnCount) return;
  order_.sort = SortKeys[static_cast<std::size_t>(column)];
  order_.descending = order == Qt::DescendingOrder;
  reload();
}

}  // namespace quillon
