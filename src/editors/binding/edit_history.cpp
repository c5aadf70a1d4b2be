#include "editors/binding/edit_history.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QUndoCommand>

#include "editors/binding/store_notifier.h"

namespace quillon {

class EditHistory::Command : public QUndoCommand {
 public:
  Command(PerformanceEdit& edit, EditStep step) : edit_(edit) { add(std::move(step)); }

  // A later step on the same bytes keeps the first old value.
  void add(EditStep step) {
    for (EditStep& s : steps_) {
      if (s.block == step.block && s.part == step.part && s.offset == step.offset &&
          s.after.size() == step.after.size()) {
        s.after = std::move(step.after);
        return;
      }
    }
    steps_.push_back(std::move(step));
  }

  void undo() override { edit_.replay(steps_, true); }
  void redo() override {
    // The first redo is the push: the edit has already gone out.
    if (pushed_) edit_.replay(steps_, false);
    pushed_ = true;
  }

 private:
  PerformanceEdit& edit_;
  std::vector<EditStep> steps_;
  bool pushed_ = false;
};

EditHistory::EditHistory(PerformanceEdit& edit, StoreNotifier& notices, QObject* parent)
    : QObject(parent), edit_(edit), undo_(new QAction(tr("Undo"), this)), redo_(new QAction(tr("Redo"), this)) {
  static_assert(StepLimit == 2000, "OldestStepsGoText names the limit");
  stack_.setUndoLimit(StepLimit);
  edit_.setObserver(this);
  undo_->setObjectName(QStringLiteral("EditUndo"));
  redo_->setObjectName(QStringLiteral("EditRedo"));
  undo_->setShortcut(QKeySequence::Undo);
  redo_->setShortcut(QKeySequence::Redo);
  undo_->setEnabled(false);
  redo_->setEnabled(false);
  connect(undo_, &QAction::triggered, this, &EditHistory::undo);
  connect(redo_, &QAction::triggered, this, &EditHistory::redo);
  connect(&stack_, &QUndoStack::canUndoChanged, undo_, &QAction::setEnabled);
  connect(&stack_, &QUndoStack::canRedoChanged, redo_, &QAction::setEnabled);
  // Other data in the store: the old steps no longer describe what the module holds.
  connect(&notices, &StoreNotifier::changed, this, [this](const StoreChange& change) {
    if (change.isEverything()) clear();
  });
}

EditHistory::~EditHistory() { edit_.setObserver(nullptr); }

void EditHistory::undo() {
  if (edit_.isReplaying()) return;
  // What a running group sends after an undo is a new step.
  open_.clear();
  stack_.undo();
}

void EditHistory::redo() {
  if (edit_.isReplaying()) return;
  open_.clear();
  stack_.redo();
}

void EditHistory::clear() {
  if (edit_.isReplaying()) return;
  open_.clear();
  stack_.clear();
  toldOfLimit_ = false;
}

// The stack drops its oldest step by itself once full; a group still adding
// to that step must not outlive it, and the user hears of it once.
void EditHistory::makeRoom() {
  if (stack_.count() < StepLimit || stack_.index() < stack_.count()) return;
  const QUndoCommand* oldest = stack_.command(0);
  std::erase_if(open_, [oldest](const auto& entry) { return entry.second == oldest; });
  if (toldOfLimit_) return;
  toldOfLimit_ = true;
  emit oldestStepsGo(tr(OldestStepsGoText));
}

void EditHistory::edited(const EditStep& step, EditGroup group) {
  if (const auto open = open_.find(group); group != NoGroup && open != open_.end()) {
    open->second->add(step);
    return;
  }
  makeRoom();
  auto* command = new Command(edit_, step);
  stack_.push(command);
  if (group != NoGroup) open_[group] = command;
}

QMenu* EditHistory::addEditMenu(QMenuBar* bar, QWidget* window) {
  QMenu* menu = bar->addMenu(tr("Edit"));
  menu->setObjectName(QStringLiteral("EditMenu"));
  menu->addAction(undo_);
  menu->addAction(redo_);
  window->addAction(undo_);
  window->addAction(redo_);
  return menu;
}

}  // namespace quillon
