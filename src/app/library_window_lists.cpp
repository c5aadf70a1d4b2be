// The library window's lists beside its table: "Where else is this?" and
// "Duplicates", and going from one of their lines to what it names.

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QTableView>

#include "app/library_feed.h"
#include "app/library_files.h"
#include "app/library_model.h"
#include "app/library_window.h"
#include "editors/window_support.h"

namespace quillon {

void LibraryWindow::showSightings() {
  if (refuse()) return;
  const auto p = chosenPerformance();
  if (!p) return;
  QStringList lines;
  for (const auto& s : p->sightings) lines << sightingText(s);
  listDialog_->showLines(QStringLiteral("Where Else Is This?"),
                         QStringLiteral("\"%1\" was seen in %2 place(s):")
                             .arg(QString::fromStdString(p->summary.name))
                             .arg(p->sightings.size()),
                         lines, [this, sightings = p->sightings](int line) { openSighting(sightings.at(line)); });
}

void LibraryWindow::openSighting(const library::Sighting& seen) {
  if (seen.kind == library::Sighting::Kind::Fetch) {
    setStatus(QStringLiteral("Fetched from the module (%1): there is no file to open.")
                  .arg(QString::fromStdString(seen.place)));
    return;
  }
  if (commands.openFileAt && commands.openFileAt(seen.path, seen.position))
    setStatus(QStringLiteral("Opened ") + QString::fromStdString(seen.path));
}

void LibraryWindow::showDuplicates() {
  if (refuse()) return;
  const auto* hit = model_->hitAt(table_->currentIndex().row());
  if (!hit || !feed_.store()) return;
  std::string error;
  const auto others = feed_.store()->duplicatesOf(hit->id, &error);
  if (!error.empty()) {
    setStatus(QString::fromStdString(error));
    return;
  }
  QStringList lines;
  for (const auto& h : others)
    lines << QStringLiteral("#%1  seen %2x  first: %3")
                 .arg(h.id)
                 .arg(h.sightings)
                 .arg(QString::fromStdString(h.firstPlace));
  listDialog_->showLines(QStringLiteral("Duplicates"),
                         QStringLiteral("%1 other performance(s) named \"%2\" with other bytes:")
                             .arg(others.size())
                             .arg(QString::fromStdString(hit->name)),
                         lines, [this, others](int line) {
                           const library::Hit& other = others.at(static_cast<std::size_t>(line));
                           goToPerformance(other.id, other.name);
                         });
}

bool LibraryWindow::goToPerformance(std::int64_t id, const std::string& name) {
  // Duplicates share the name: a search for it alone lists the performance among few.
  {
    const QSignalBlocker quiet[] = {QSignalBlocker(search_), QSignalBlocker(efx_), QSignalBlocker(module_),
                                    QSignalBlocker(source_), QSignalBlocker(favourites_)};
    for (QComboBox* c : {efx_, module_, source_}) c->setCurrentIndex(0);
    favourites_->setChecked(false);
    search_->setText(QString::fromStdString(name).trimmed());
  }
  applyFilters();
  for (int row = 0;; ++row) {
    if (row == model_->loadedRows()) {
      if (!model_->canFetchMore({})) break;
      model_->fetchMore({});
      if (row == model_->loadedRows()) break;
    }
    if (model_->hitAt(row)->id != id) continue;
    table_->selectRow(row);
    table_->scrollTo(model_->index(row, 0));
    showWindow(this);
    table_->setFocus();
    return true;
  }
  setStatus(QStringLiteral("Performance #%1 is not in the library any more.").arg(id));
  return false;
}

}  // namespace quillon
