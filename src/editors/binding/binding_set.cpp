#include "editors/binding/binding_set.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QString>
#include <QWidget>
#include <QtGlobal>

#include <utility>

#include "editors/binding/editing_cursor.h"
#include "editors/binding/store_notifier.h"

namespace quillon {

PartRef PartRef::editorColumn(EditingCursor& cursor, std::function<int()> page, int column) {
  return {[page, column] { return page() + column; }, [&cursor, page, column] { cursor.touchColumn(page(), column); }};
}

bool Binding::covers(const StoreChange& change) const {
  if (parameter_.block == ParamBlock::Controller) return false;  // no bytes of the store
  const int p = part();
  const Byte area = parameter_.block == ParamBlock::System ? address::AreaSystem : address::AreaTemporary;
  const Byte block = parameter_.block == ParamBlock::Part ? address::partBlock(p) : address::BlockCommon;
  return change.touches(area, block, parameter_.offsetFor(p), parameter_.length());
}

// Fills run with the window's store flag held (FillingScope).
BindingSet::Filling::Filling(BindingSet& set) : set_(set), scope_(set.ctx_.store, set.guard_) { ++set_.refreshing_; }

BindingSet::Filling::~Filling() { --set_.refreshing_; }

BindingSet::BindingSet(EditingContext& context, SendGuard guard, QObject* parent)
    : QObject(parent), ctx_(context), guard_(guard) {
  connect(&ctx_.notices, &StoreNotifier::changed, this, &BindingSet::storeChanged);
}

BindingSet::~BindingSet() = default;

Binding* BindingSet::bind(QWidget* control, const Parameter& parameter, PartRef part, BindOptions options) {
  auto adapter = adapterFor(control);
  // A misspelt row or a control of a kind no adapter serves would leave a
  // control that moves and sends nothing: a programming error, said at once.
  if (!adapter)
    qFatal("Binding for parameter at offset %d: %s", int(parameter.offset),
           control
               ? qPrintable(QStringLiteral("control \"%1\" is of a kind no adapter serves").arg(control->objectName()))
               : "no such control");
  auto binding = std::make_unique<Binding>(std::move(adapter), parameter, std::move(part), std::move(options));
  Binding* b = binding.get();
  b->adapter_->settled = [this, b](int v) { userChanged(*b, v, false); };
  b->adapter_->changing = [this, b](int v) { userChanged(*b, v, true); };
  {
    Filling filling(*this);
    b->adapter_->setTexts(parameter.texts, parameter.shownMin);
    // A pan field shows the number; "L64" and "R63" are typed as well.
    if (parameter.bias == shown::PanCentre && parameter.shownMin < 0)
      b->adapter_->setTextOf([](int v) {
        return v < 0 ? QStringLiteral("L%1").arg(-v) : v > 0 ? QStringLiteral("R%1").arg(v) : QStringLiteral("0");
      });
    b->adapter_->setRange(parameter.shownMin, parameter.shownMax);
  }
  bindings_.push_back(std::move(binding));
  return b;
}

void BindingSet::rebind(Binding* b, const Parameter& parameter) {
  b->parameter_ = parameter;
  {
    Filling filling(*this);
    b->adapter_->setRange(parameter.shownMin, parameter.shownMax);
  }
  refresh(b);
}

void BindingSet::setActive(Binding* b, bool active) {
  b->active_ = active;
  if (active) refresh(b);
}

void BindingSet::refresh() {
  Filling filling(*this);
  for (auto& b : bindings_)
    if (b->active_) refreshOne(*b);
}

void BindingSet::refresh(Binding* b) {
  Filling filling(*this);
  refreshOne(*b);
}

void BindingSet::showWithoutSending(Binding* b, int shown) {
  Filling filling(*this);
  b->adapter_->show(shown);
}

namespace {
// On Linux Qt gives a screen reader a list's current item as its name and the
// list's label as what names it; so the label of a list speaks the list's name.
void nameControl(QWidget* control, const QString& name) {
  if (control->accessibleName() == name) return;
  control->setAccessibleName(name);
  if (!qobject_cast<QComboBox*>(control)) return;
  for (QLabel* label : control->window()->findChildren<QLabel*>())
    if (label->buddy() == control) label->setAccessibleName(name);
}
}  // namespace

void BindingSet::refreshOne(Binding& b) {
  const int p = b.part();
  const bool controller = b.parameter_.block == ParamBlock::Controller;
  if (controller && !controllers_) return;
  const int stored = controller ? controllers_->storedValue(b.parameter_, p) : ctx_.edit.storedValue(b.parameter_, p);
  const std::optional<int> shown = b.options_.shownFromStored
                                       ? b.options_.shownFromStored(stored)
                                       : std::optional<int>(b.parameter_.clampShown(b.parameter_.toShown(stored)));
  if (!b.options_.accessibleName.isEmpty())
    nameControl(b.control(), b.options_.accessibleName.contains(QLatin1String("%1"))
                                 ? b.options_.accessibleName.arg(p + 1)
                                 : b.options_.accessibleName);
  if (shown) b.adapter_->show(*shown);
}

bool BindingSet::changeAlwaysOn() const { return changeAlways_ && changeAlways_->isChecked(); }

void BindingSet::closeDrag() {
  if (!dragging_) return;
  dragging_->dragSent_.reset();
  dragging_ = nullptr;
  ctx_.edit.closeGroup(std::exchange(dragGroup_, NoGroup));
}

void BindingSet::userChanged(Binding& b, int shown, bool dragging) {
  if (refreshing_ > 0 || !b.active_) return;
  if (b.options_.preview) b.options_.preview(shown);
  if (dragging && !(b.options_.sendWhileDragging || changeAlwaysOn())) return;
  // The release of a drag whose last step already went out adds nothing.
  if (!dragging && dragging_ == &b && b.dragSent_ == shown) {
    closeDrag();
    return;
  }
  // A change raised from inside another (a key bar pushing its partner) joins that one's step.
  const bool outermost = nested_ == 0;
  if (outermost && dragging_ != &b) closeDrag();
  if (outermost && dragging && !dragging_) {
    // The steps of one drag are one undo step.
    dragGroup_ = ctx_.edit.openGroup();
    dragging_ = &b;
  }
  std::optional<PerformanceEdit::Scope> inDrag;
  if (outermost && dragging_) inDrag.emplace(ctx_.edit, dragGroup_);
  // A settled change and what it pushes along (a partner bar, a second send) are one step.
  const bool ownGroup = outermost && !dragging_;
  if (ownGroup) ctx_.edit.beginGroup();
  ++nested_;
  const bool sent = sendValue(b, shown);
  --nested_;
  if (ownGroup) ctx_.edit.endGroup();
  inDrag.reset();
  if (sent && dragging) b.dragSent_ = shown;
  if (outermost && !dragging) closeDrag();
  if (sent && b.options_.after) b.options_.after();
}

bool BindingSet::sendOnce(Binding& b, int value) {
  sending_ = &b;
  const int p = b.part();
  bool sent = false;
  if (b.options_.send)
    sent = b.options_.send(value);
  else if (b.parameter_.block == ParamBlock::Controller)
    sent = controllers_ && controllers_->send(b.parameter_, p, value);
  else
    sent = ctx_.edit.set(b.parameter_, p, value, guard_);
  sending_ = nullptr;
  return sent;
}

void BindingSet::pauseBetweenSends() {
  // Handlers that run during the wait are changes of their own, not inside this one.
  const int nested = std::exchange(nested_, 0);
  ctx_.edit.pace();
  nested_ = nested;
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
  const unsigned ticket = ++b.sends_;
  const bool sent = sendOnce(b, value);
  // A fill during the send's waits (the listed performance going to the Temp first) showed the old value.
  if (sent && b.adapter_->value() != value) showWithoutSending(&b, value);
  if (sent && b.options_.sendTwice) {
    pauseBetweenSends();
    // A newer change of this control went out meanwhile, with its own second copy.
    if (b.sends_ == ticket) sendOnce(b, b.adapter_->value());
  }
  if (sent && b.options_.waitAfter) pauseBetweenSends();
  return sent;
}

void BindingSet::storeChanged(const StoreChange& change) {
  if (refreshing_ > 0) return;
  Filling filling(*this);
  for (auto& b : bindings_)
    if (b.get() != sending_ && b->active_ && b->covers(change)) refreshOne(*b);
}

}  // namespace quillon
