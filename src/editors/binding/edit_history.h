#pragma once
// Undo and redo of edits sent to the module. An undo sends the old bytes
// through the same edit path, so module, store and controls stay in step. A
// drag or a Quick Edit is one step; loading other data starts a new history.
// The history keeps the last StepLimit steps: an editing session of a whole
// day would otherwise hold every edit ever made.

#include <QObject>
#include <QUndoStack>

#include <map>

#include "engine/editing/performance_edit.h"

class QAction;
class QMenu;
class QMenuBar;
class QWidget;

namespace quillon {

class StoreNotifier;

class EditHistory : public QObject, public EditObserver {
  Q_OBJECT
 public:
  // Well under a MB: a step holds the few bytes it changed and their old values.
  static constexpr int StepLimit = 2000;
  static constexpr const char* OldestStepsGoText =
      "The undo history keeps the last 2000 steps: from now on the oldest ones go as new ones come.";

  EditHistory(PerformanceEdit& edit, StoreNotifier& notices, QObject* parent = nullptr);
  ~EditHistory() override;

  // Refused while an undo or redo is still sending.
  void undo();
  void redo();
  void clear();
  bool canUndo() const { return stack_.canUndo(); }
  bool canRedo() const { return stack_.canRedo(); }
  int stepCount() const { return stack_.count(); }

  QAction* undoAction() const { return undo_; }
  QAction* redoAction() const { return redo_; }
  // An "Edit" menu with Undo and Redo, and their shortcuts in `window`.
  QMenu* addEditMenu(QMenuBar* bar, QWidget* window);

  void edited(const EditStep& step, EditGroup group) override;
  void groupEnded(EditGroup group) override { open_.erase(group); }

 signals:
  // The history was full and its oldest step went, for the first time since it
  // was cleared; `text` says so.
  void oldestStepsGo(const QString& text);

 private:
  class Command;
  void makeRoom();
  bool toldOfLimit_ = false;
  PerformanceEdit& edit_;
  QUndoStack stack_;
  // The steps running groups add to: a Quick Edit and an edit made during its
  // waits are open side by side, each its own step.
  std::map<EditGroup, Command*> open_;
  QAction* undo_;
  QAction* redo_;
};

}  // namespace quillon
