#pragma once
// The one way a window changes the module: a parameter of a part (or of the
// common block or system area) is set to a shown value, turned into its
// stored bytes and sent through the sender, which mirrors it into the store.
// Every edit that leaves is reported as a step, so an undo history can send
// the old bytes back the same way.

#include <functional>
#include <vector>

#include "engine/params/parameter_table.h"
#include "engine/sender.h"

namespace quillon {

// Which flag a window's sends respect: windows that fill under FormFilling send
// through the editors' guarded call at the shared address; windows that fill
// under Updating send their own data sets directly.
enum class SendGuard { FormFilling, Updating };

// While a window fills its controls from the store, the guard flag its sends
// respect is held, so nothing its controls raise meanwhile can reach the
// module, whichever road a handler takes. Nests; the flag is restored at the end.
class FillingScope {
 public:
  FillingScope(PerformanceStore& store, SendGuard guard)
      : flag_(guard == SendGuard::FormFilling ? store.FormFilling : store.Updating), was_(flag_) {
    flag_ = true;
  }
  ~FillingScope() { flag_ = was_; }
  FillingScope(const FillingScope&) = delete;
  FillingScope& operator=(const FillingScope&) = delete;

 private:
  bool& flag_;
  bool was_;
};

// The bytes one edit replaced: enough to send either side again.
struct EditStep {
  ParamBlock block = ParamBlock::Common;
  int part = 0;  // the part block of a part parameter; 0 otherwise
  Byte offset = 0;
  Bytes before;
  Bytes after;
  SendGuard guard = SendGuard::FormFilling;
};

// Which undo step an edit belongs to: NoGroup for a step of its own.
using EditGroup = int;
inline constexpr EditGroup NoGroup = 0;

class EditObserver {
 public:
  virtual ~EditObserver() = default;
  // An edit left for the module, as part of `group` (a drag, a Quick Edit) or on its own.
  virtual void edited(const EditStep& step, EditGroup group) = 0;
  virtual void groupEnded(EditGroup group) = 0;
};

class PerformanceEdit {
 public:
  PerformanceEdit(PerformanceStore& store, Sender& sender) : store_(store), sender_(sender) {}

  // Sends `shown` (clamped to the parameter's range) for `part`. False when
  // nothing could leave: the window's guard flag is set, or an undo is sending.
  bool set(const Parameter& p, int part, int shown, SendGuard guard);
  // Raw runs: the name (12 bytes at common 00h), a patch (group, ID, number halves, level, pan).
  bool setBytes(ParamBlock block, int part, Byte offset, std::span<const Byte> bytes, SendGuard guard);
  // Quick Edit: every part in order, SysDly after each message; one undo step.
  void setAllParts(const Parameter& p, const std::function<int(int part)>& shownFor, SendGuard guard);

  // A whole performance into the Temporary Performance: `sendWhole` sends the
  // store's Temporary Performance (the Temp transfer), which holds `record`
  // meanwhile. The blocks that changed make one undo step; a send that fails
  // leaves the store as it was.
  bool replaceTemporary(const PerformanceRecord& record, const std::function<bool()>& sendWhole);

  int storedValue(const Parameter& p, int part) const;
  int shownValue(const Parameter& p, int part) const { return p.toShown(storedValue(p, part)); }
  // The stored bytes at a block offset (what an undo would restore).
  Bytes storedBytes(ParamBlock block, int part, Byte offset, int length) const;

  // Edits sent between these are one step. A begin while a group is current
  // joins it (a change that pushes another along); the outermost end closes it.
  void beginGroup();
  void endGroup();
  bool inGroup() const { return current_ != NoGroup; }

  // A group that spans several handlers (the steps of a drag): opened once,
  // made current around each of its sends by a Scope, closed at the end.
  EditGroup openGroup() { return ++lastGroup_; }
  void closeGroup(EditGroup group);
  class Scope {
   public:
    Scope(PerformanceEdit& edit, EditGroup group);
    ~Scope();
    Scope(const Scope&) = delete;
    Scope& operator=(const Scope&) = delete;

   private:
    PerformanceEdit& edit_;
    EditGroup group_;
    int depth_;
  };

  // Waits SysDly between the messages of a sequence. No group is current
  // meanwhile: what the user edits during the wait is a step of its own.
  void pace();

  // Bytes a transfer sent (a whole performance into the Temporary
  // Performance), told to the history as one step.
  void recordSent(const std::vector<EditStep>& steps);

  // Sends a step's old (or new) bytes; no step is recorded and user edits are
  // refused meanwhile, so the two never interleave.
  void replay(const std::vector<EditStep>& steps, bool undo);
  // After the EFX type changed: the module set that type's parameters itself;
  // fetch them into the Temporary Performance and the edited list entry.
  void rereadEfxParameters();
  bool isReplaying() const { return replaying_; }

  void setObserver(EditObserver* observer) { observer_ = observer; }
  // Asked before each edit leaves: makes the module's Temporary Performance hold
  // the performance the windows show (a listed one is sent there first); false
  // refuses the edit.
  void setBeforeEdit(std::function<bool()> ready) { beforeEdit_ = std::move(ready); }
  Sender& sender() { return sender_; }
  PerformanceStore& store() { return store_; }

 private:
  bool guardHolds(SendGuard guard) const;
  bool send(ParamBlock block, int part, Byte offset, std::span<const Byte> bytes, SendGuard guard);

  PerformanceStore& store_;
  Sender& sender_;
  EditObserver* observer_ = nullptr;
  std::function<bool()> beforeEdit_;
  EditGroup current_ = NoGroup;  // the group edits join now
  int depth_ = 0;                // begins of the current group not yet ended
  EditGroup lastGroup_ = NoGroup;
  bool replaying_ = false;
};

}  // namespace quillon
