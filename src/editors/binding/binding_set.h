#pragma once
// A window's control bindings. A window declares in one line that a control
// edits a parameter of the part in its column; the set then fills the control
// from the store without ever sending, sends the user's settled change once
// (and drag steps only while "Change Always" is checked, or where a binding
// asks for every step), and refreshes just the controls of bytes that another
// window or the module changed.

#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "editors/binding/control_adapter.h"
#include "editors/binding/editing_context.h"
#include "engine/editing/controller_targets.h"
#include "engine/editing/performance_edit.h"

class QAbstractButton;
class QWidget;

namespace quillon {

class EditingCursor;

// Which part a control edits now, and what touching the control records
// before a send (the column of the editor, the row of an eight-part window).
// The part comes from the window's own page or half, never from shared state,
// so a control edits the part its caption names.
struct PartRef {
  std::function<int()> part{};
  std::function<void()> touch{};

  int current() const { return part ? part() : 0; }
  static PartRef fixed(int part) {
    return {[part] { return part; }, {}};
  }
  // Column `column` (0..3) of a four-column editor showing the page `page()`;
  // a touch makes it the part edited, so the sender's test channel follows it.
  static PartRef editorColumn(EditingCursor& cursor, std::function<int()> page, int column);
};

struct BindOptions {
  // Every drag step is sent, whatever "Change Always" says.
  bool sendWhileDragging = false;
  // The message once more, SysDly later (receive channel), with the value the
  // control shows then; left out when a newer change of the control went out.
  bool sendTwice = false;
  // SysDly after the message (tune and patch changes pace themselves).
  bool waitAfter = false;
  // A rule before sending: the value to send, or nothing to refuse the change
  // (the control then shows the stored value again).
  std::function<std::optional<int>(int shown)> adjust{};
  // The send itself, where an edit is more than the control's own bytes (a
  // key-range pair); true when it went out. Default: the parameter's value.
  std::function<bool(int shown)> send{};
  // Runs on every change of the control, sent or not (a display beside it).
  std::function<void(int shown)> preview{};
  // Runs after a send went out (the window's overview refresh).
  std::function<void()> after{};
  // Shown value for a stored one, or nothing to leave the control as it is;
  // default: the parameter's conversion, clamped to its range.
  std::function<std::optional<int>(int stored)> shownFromStored{};
  // Accessible name; "%1" becomes the part number (1..16) at each refresh.
  QString accessibleName{};
};

class Binding {
 public:
  Binding(std::unique_ptr<ControlAdapter> adapter, Parameter parameter, PartRef part, BindOptions options)
      : adapter_(std::move(adapter)), parameter_(parameter), part_(std::move(part)), options_(std::move(options)) {}

  QWidget* control() const { return adapter_->widget(); }
  const Parameter& parameter() const { return parameter_; }
  int part() const { return part_.current(); }
  bool isActive() const { return active_; }
  bool covers(const StoreChange& change) const;

 private:
  friend class BindingSet;
  std::unique_ptr<ControlAdapter> adapter_;
  Parameter parameter_;
  PartRef part_;
  BindOptions options_;
  bool active_ = true;
  unsigned sends_ = 0;             // changes sent, to tell a newer one
  std::optional<int> dragSent_{};  // the value the last step of a running drag sent
};

class BindingSet : public QObject {
  Q_OBJECT
 public:
  BindingSet(EditingContext& context, SendGuard guard, QObject* parent = nullptr);
  ~BindingSet() override;

  // While one lives, the window's guard flag is set: whatever the controls
  // raise as the window fills them cannot reach the module.
  class Filling {
   public:
    explicit Filling(BindingSet& set);
    ~Filling();
    Filling(const Filling&) = delete;
    Filling& operator=(const Filling&) = delete;

   private:
    BindingSet& set_;
    FillingScope scope_;
  };

  // Binds a control; returns nullptr (and binds nothing) for a control kind no adapter knows.
  Binding* bind(QWidget* control, const Parameter& parameter, PartRef part = {}, BindOptions options = {});
  // Where controller rows (the mixer's strips) read and send their values.
  void setControllerTargets(ControllerTargets* targets) { controllers_ = targets; }
  // The window's "Change Always" box: while checked, drag steps are sent.
  void setChangeAlways(QAbstractButton* box) { changeAlways_ = box; }

  // Every active control from the store, under the window's guard flag: nothing is sent.
  void refresh();
  void refresh(Binding* binding);
  // A slot that edits another parameter now (an EFX type change): new range, then a refresh.
  void rebind(Binding* binding, const Parameter& parameter);
  // An inactive binding neither refreshes nor sends (a hidden slot).
  void setActive(Binding* binding, bool active);
  // Shows a value under the guard without sending (a window's own display rule).
  void showWithoutSending(Binding* binding, int shown);

  bool isRefreshing() const { return refreshing_ > 0; }
  const std::vector<std::unique_ptr<Binding>>& bindings() const { return bindings_; }
  EditingContext& context() { return ctx_; }

 private:
  void userChanged(Binding& b, int shown, bool dragging);
  bool sendValue(Binding& b, int shown);
  bool sendOnce(Binding& b, int value);
  // SysDly between two sends; what the user changes meanwhile is a change of its own.
  void pauseBetweenSends();
  void refreshOne(Binding& b);
  void closeDrag();
  void storeChanged(const StoreChange& change);
  bool changeAlwaysOn() const;

  EditingContext& ctx_;
  SendGuard guard_;
  QAbstractButton* changeAlways_ = nullptr;
  ControllerTargets* controllers_ = nullptr;
  std::vector<std::unique_ptr<Binding>> bindings_;
  int refreshing_ = 0;
  Binding* sending_ = nullptr;   // its own notices are not shown back to it
  Binding* dragging_ = nullptr;  // the binding whose drag is one open undo step
  EditGroup dragGroup_ = NoGroup;
  int nested_ = 0;  // user changes running inside one another
};

}  // namespace quillon
