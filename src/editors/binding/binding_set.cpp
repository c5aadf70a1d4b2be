#include "editors/binding/binding_set.h"

#include <QAbstractButton>
#include <QWidget>

#include "editors/binding/store_notifier.h"

namespace quillon {

PartRef PartRef::editorColumn(PerformanceStore& store, int column) {
  return {[&store, column] { return store.PartPage + column; }, [&store, column] { store.PartSlot = column; }};
}

bool Binding::covers(const StoreChange& change) const {
  if (parameter_.block == ParamBlock::Controller) return false;  // no bytes of the store
  const int p = part();
  const Byte area = parameter_.block == ParamBlock::System ? address::AreaSystem : address::AreaTemporary;
  const Byte block = parameter_.block == ParamBlock::Part ? address::partBlock(p) : address::BlockCommon;
  return change.touches(area, block, parameter_.offsetFor(p), parameter_.length());
}

// Refreshes run with the window's store flag set, so that nothing the controls
// raise meanwhile can reach the module, whichever road a handler takes.
class BindingSet::Guard {
 public:
  explicit Guard(BindingSet& set) : set_(set), flag_(storeFlag(set)), was_(flag_) {
    ++set_.refreshing_;
    flag_ = true;
  }
  ~Guard() {
    flag_ = was_;
    --set_.refreshing_;
  }

 private:
  static bool& storeFlag(BindingSet& set) {
    return set.guard_ == SendGuard::FormFilling ? set.ctx_.store.FormFilling : set.ctx_.store.Updating;
  }
  BindingSet& set_;
  bool& flag_;
  bool was_;
};

BindingSet::BindingSet(EditingContext& context, SendGuard guard, QObject* parent)
    : QObject(parent), ctx_(context), guard_(guard) {
  connect(&ctx_.notices, &StoreNotifier::changed, this, &BindingSet::storeChanged);
}

BindingSet::~BindingSet() = default;

Binding* BindingSet::bind(QWidget* control, const Parameter& parameter, PartRef part, BindOptions options) {
  auto adapter = adapterFor(control);
  if (!adapter) return nullptr;
  auto binding = std::make_unique<Binding>(std::move(adapter), parameter, std::move(part), std::move(options));
  Binding* b = binding.get();
  b->adapter_->settled = [this, b](int v) { userChanged(*b, v, false); };
  b->adapter_->changing = [this, b](int v) { userChanged(*b, v, true); };
  {
    Guard guard(*this);
    b->adapter_->setTexts(parameter.texts, parameter.shownMin);
    b->adapter_->setRange(parameter.shownMin, parameter.shownMax);
  }
  bindings_.push_back(std::move(binding));
  return b;
}

void BindingSet::rebind(Binding* b, const Parameter& parameter) {
  b->parameter_ = parameter;
  {
    Guard guard(*this);
    b->adapter_->setRange(parameter.shownMin, parameter.shownMax);
  }
  refresh(b);
}

void BindingSet::setActive(Binding* b, bool active) {
  b->active_ = active;
  if (active) refresh(b);
}

void BindingSet::refresh() {
  Guard guard(*this);
  for (auto& b : bindings_)
    if (b->active_) refreshOne(*b);
}

void BindingSet::refresh(Binding* b) {
  Guard guard(*this);
  refreshOne(*b);
}

void BindingSet::showWithoutSending(Binding* b, int shown) {
  Guard guard(*this);
  b->adapter_->show(shown);
}

void BindingSet::refreshOne(Binding& b) {
  const int p = b.part();
  const bool controller = b.parameter_.block == ParamBlock::Controller;
  if (controller && !controllers_) return;
  const int stored = controller ? controllers_->storedValue(b.parameter_, p) : ctx_.edit.storedValue(b.parameter_, p);
  const std::optional<int> shown = b.options_.shownFromStored
                                       ? b.options_.shownFromStored(stored)
                                       : std::optional<int>(b.parameter_.clampShown(b.parameter_.toShown(stored)));
  if (!b.options_.accessibleName.isEmpty())
    b.control()->setAccessibleName(b.options_.accessibleName.contains(QLatin1String("%1"))
                                       ? b.options_.accessibleName.arg(p + 1)
                                       : b.options_.accessibleName);
  if (shown) b.adapter_->show(*shown);
}

bool BindingSet::changeAlwaysOn() const { return changeAlways_ && changeAlways_->isChecked(); }

void BindingSet::closeDrag() {
  if (!dragging_) return;
  dragging_ = nullptr;
  ctx_.edit.endGroup();
}

void BindingSet::userChanged(Binding& b, int shown, bool dragging) {
  if (refreshing_ > 0 || !b.active_) return;
  if (b.options_.preview) b.options_.preview(shown);
  if (dragging && !(b.options_.sendWhileDragging || changeAlwaysOn())) return;
  // A change raised from inside another (a key bar pushing its partner) joins that one's step.
  const bool outermost = nested_ == 0;
  if (outermost && dragging_ != &b) closeDrag();
  if (outermost && dragging && !dragging_) {
    // The steps of one drag are one undo step.
    ctx_.edit.beginGroup();
    dragging_ = &b;
  }
  // A settled change and what it pushes along (a partner bar, a second send) are one step.
  const bool ownGroup = outermost && !dragging_;
  if (ownGroup) ctx_.edit.beginGroup();
  ++nested_;
  const bool sent = sendValue(b, shown);
  --nested_;
  if (ownGroup) ctx_.edit.endGroup();
  if (outermost && !dragging) closeDrag();
  if (sent && b.options_.after) b.options_.after();
}

bool BindingSet::sendValue(Binding& b, int shown) {
  // While an undo is sending, the module keeps what the undo sends.
  if (ctx_.edit.isReplaying()) {
    refresh(&b);
    return false;
  }
  if (b.part_.touch) b.part_.touch();
  int value = shown;
  if (b.options_.adjust) {
    const std::optional<int> adjusted = b.options_.adjust(shown);
    if (!adjusted) {
      refresh(&b);
      return false;
    }
    value = *adjusted;
    if (value != shown) showWithoutSending(&b, value);
  }
  const int p = b.part();
  const auto sendOnce = [&] {
    if (b.options_.send) return b.options_.send(value);
    if (b.parameter_.block == ParamBlock::Controller) return controllers_ && controllers_->send(b.parameter_, p, value);
    return ctx_.edit.set(b.parameter_, p, value, guard_);
  };
  sending_ = &b;
  const bool sent = sendOnce();
  if (sent && b.options_.sendTwice) {
    ctx_.sender.pace();
    sendOnce();
  }
  if (sent && b.options_.waitAfter) ctx_.sender.pace();
  sending_ = nullptr;
  return sent;
}

void BindingSet::storeChanged(const StoreChange& change) {
  if (refreshing_ > 0) return;
  Guard guard(*this);
  for (auto& b : bindings_)
    if (b.get() != sending_ && b->active_ && b->covers(change)) refreshOne(*b);
}

}  // namespace quillon
