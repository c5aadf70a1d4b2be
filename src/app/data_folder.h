#pragma once
// The program takes its current folder as its data folder. An installed program
// started somewhere without name lists (a desktop launcher starts in the home
// folder) uses the per-user data folder instead, seeded with the shipped lists.

#include <QString>
#include <QStringList>

class QCommandLineParser;

namespace quillon {

class DataFolder {
 public:
  // Adds the option that always chooses the per-user folder (the desktop entry uses it).
  explicit DataFolder(QCommandLineParser& parser);

  // Makes the chosen data folder current. Call after parsing, before the settings are read.
  // Returns the file arguments as full paths, since they were relative to the folder of the start.
  QStringList enter(const QCommandLineParser& parser) const;

  // $XDG_DATA_HOME/Harborlab/Quillon.
  static QString userFolder();
  // The name lists installed with the program, or empty when it runs from its build folder.
  static QString shippedFolder();
  static bool holdsNameLists(const QString& folder);
  // Copies every list that `to` lacks from `from`; never replaces one. Returns an error text or empty.
  static QString seed(const QString& from, const QString& to);
};

}  // namespace quillon
