#pragma once
// The library window's right side: the chosen performance's 16 parts (patch
// name, bank and number), its effects, and what the user keeps about it
// (favourite, tags, comment), saved into the library as they are changed.

#include <QWidget>

#include <functional>
#include <optional>

#include "library/library_store.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QTableWidget;

namespace quillon {

class LibraryDetails : public QWidget {
  Q_OBJECT
 public:
  explicit LibraryDetails(QWidget* parent = nullptr);

  // Nothing chosen: the panel is empty and its fields are disabled.
  void showPerformance(const std::optional<library::StoredPerformance>& performance);
  // Favourite, tags and comment go here; the text returned is an error, empty on success.
  std::function<std::string(std::int64_t id, bool favourite)> saveFavourite;
  std::function<std::string(std::int64_t id, const std::vector<std::string>& add,
                            const std::vector<std::string>& remove)>
      saveTags;
  std::function<std::string(std::int64_t id, const std::string& comment)> saveComment;

  QTableWidget* parts() const { return parts_; }
  QCheckBox* favourite() const { return favourite_; }
  QLineEdit* tags() const { return tags_; }
  QLineEdit* comment() const { return comment_; }

 signals:
  void favouriteChanged(std::int64_t id, bool favourite);
  // A save failed: `text` says why.
  void failed(const QString& text);

 private:
  void commitTags();
  void commitComment();
  void report(const std::string& error);

  QLabel* name_;
  QTableWidget* parts_;
  QLabel* effects_;
  QCheckBox* favourite_;
  QLineEdit* tags_;
  QLineEdit* comment_;
  std::optional<library::StoredPerformance> shown_;
};

// "Preset A 012", "User 001", "Exp 3 101": where a part's patch lives.
QString patchPlaceText(const library::PartPatch& patch);
// Tags as typed: split at commas, trimmed, empty ones left out.
std::vector<std::string> tagsFromText(const QString& text);

}  // namespace quillon
