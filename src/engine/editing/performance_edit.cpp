#include "engine/editing/performance_edit.h"

#include <algorithm>
#include <utility>

namespace quillon {

namespace {
Byte blockByte(ParamBlock block, int part) {
  return block == ParamBlock::Part ? address::partBlock(part) : address::BlockCommon;
}
Byte areaByte(ParamBlock block) { return block == ParamBlock::System ? address::AreaSystem : address::AreaTemporary; }
}  // namespace

bool PerformanceEdit::guardHolds(SendGuard guard) const {
  // A running transfer owns the wire and the store: an edit now would land
  // between its blocks or be overwritten by its answers.
  return store_.Updating || sender_.sessions().running() || (guard == SendGuard::FormFilling && store_.FormFilling);
}

Bytes PerformanceEdit::storedBytes(ParamBlock block, int part, Byte offset, int length) const {
  Bytes out;
  const auto copy = [&](const auto& record) {
    for (int k = 0; k < length; ++k) {
      const std::size_t at = static_cast<std::size_t>(offset) + static_cast<std::size_t>(k);
      out.push_back(at < record.size() ? record[at] : Byte{0});
    }
  };
  switch (block) {
    case ParamBlock::System: copy(store_.SystemImage); break;
    case ParamBlock::Common: copy(store_.TempPerformance.common); break;
    case ParamBlock::Part:
      copy(store_.TempPerformance.parts[static_cast<std::size_t>(std::clamp(part, 0, address::PartCount - 1))]);
      break;
    case ParamBlock::Controller: break;  // the mixer's values live in its desk
  }
  return out;
}

int PerformanceEdit::storedValue(const Parameter& p, int part) const {
  const Bytes bytes = storedBytes(p.block, part, p.offsetFor(part), p.length());
  return decodeStored(p, bytes);
}

bool PerformanceEdit::send(ParamBlock block, int part, Byte offset, std::span<const Byte> bytes, SendGuard guard) {
  if (guardHolds(guard)) return false;
  const SysexAddress target{areaByte(block), 0, blockByte(block, part), offset};
  if (guard == SendGuard::FormFilling) {
    // The editors' road: the shared address buffer and SendLength, as the sender expects them.
    store_.SysexAddressBuffer = target;
    store_.SendLength = static_cast<std::int32_t>(bytes.size());
    sender_.SendEditParameter(bytes);
  } else {
    sender_.SendSysexData(target, bytes, static_cast<int>(bytes.size()));
  }
  if (block == ParamBlock::System) {
    // The sender mirrors performance data only; the system image keeps what the
    // module now holds so that a refresh or an undo reads the right switch.
    for (std::size_t k = 0; k < bytes.size() && offset + k < store_.SystemImage.size(); ++k)
      store_.SystemImage[offset + k] = bytes[k];
    store_.notifyChanged({address::AreaSystem, 0, 0, offset, static_cast<int>(bytes.size()), store_.SendOrigin});
  }
  return true;
}

bool PerformanceEdit::setBytes(ParamBlock block, int part, Byte offset, std::span<const Byte> bytes, SendGuard guard) {
  if (block == ParamBlock::Controller || replaying_ || guardHolds(guard)) return false;
  if (beforeEdit_ && !beforeEdit_()) return false;
  EditStep step{block,
                block == ParamBlock::Part ? part : 0,
                offset,
                storedBytes(block, part, offset, static_cast<int>(bytes.size())),
                Bytes(bytes.begin(), bytes.end()),
                guard};
  if (!send(block, part, offset, bytes, guard)) return false;
  if (observer_ && step.before != step.after) observer_->edited(step, current_);
  return true;
}

bool PerformanceEdit::set(const Parameter& p, int part, int shown, SendGuard guard) {
  const ParamBytes bytes = encodeStored(p, p.toStored(shown));
  return setBytes(p.block, part, p.offsetFor(part), bytes.span(), guard);
}

bool PerformanceEdit::replaceTemporary(const PerformanceRecord& record, const std::function<bool()>& sendWhole) {
  if (replaying_ || guardHolds(SendGuard::Updating)) return false;
  const BlockSizes sizes = sender_.settings().sizes;
  std::vector<EditStep> steps;
  const auto step = [&](ParamBlock block, int part, std::span<const Byte> bytes, int length) {
    const Bytes after(bytes.begin(), bytes.begin() + length);
    Bytes before = storedBytes(block, part, 0, length);
    if (before != after) steps.push_back({block, part, 0, std::move(before), after, SendGuard::Updating});
  };
  step(ParamBlock::Common, 0, record.common, sizes.commonLength());
  for (int p = 0; p < address::PartCount; ++p)
    step(ParamBlock::Part, p, record.parts[static_cast<std::size_t>(p)], sizes.partLength());
  const PerformanceRecord old = store_.TempPerformance;
  store_.TempPerformance = record;
  if (!sendWhole()) {
    store_.TempPerformance = old;
    return false;
  }
  if (!observer_ || steps.empty()) return true;
  const EditGroup group = openGroup();
  for (const EditStep& s : steps) observer_->edited(s, group);
  closeGroup(group);
  return true;
}

void PerformanceEdit::setAllParts(const Parameter& p, const std::function<int(int part)>& shownFor, SendGuard guard) {
  beginGroup();
  for (int part = 0; part < address::PartCount; ++part)
    if (set(p, part, shownFor(part), guard)) pace();
  endGroup();
}

void PerformanceEdit::beginGroup() {
  if (depth_++ == 0) current_ = openGroup();
}

void PerformanceEdit::endGroup() {
  if (depth_ == 0) return;
  if (--depth_ > 0) return;
  closeGroup(std::exchange(current_, NoGroup));
}

void PerformanceEdit::closeGroup(EditGroup group) {
  if (group != NoGroup && observer_) observer_->groupEnded(group);
}

PerformanceEdit::Scope::Scope(PerformanceEdit& edit, EditGroup group)
    : edit_(edit),
      group_(std::exchange(edit.current_, group)),
      // A begin inside the scope joins its group; only closeGroup ends it.
      depth_(std::exchange(edit.depth_, group == NoGroup ? 0 : 1)) {}

PerformanceEdit::Scope::~Scope() {
  edit_.current_ = group_;
  edit_.depth_ = depth_;
}

void PerformanceEdit::pace() {
  // Handlers that run during the wait end before it does, so the group comes back whole.
  const Scope none(*this, NoGroup);
  sender_.pace();
}

void PerformanceEdit::rereadEfxParameters() {
  sender_.pace();
  // With the ports closed nothing could answer, and the send has told the user already.
  if (store_.MidiClosed) return;
  {
    SessionScope fetch(sender_.sessions(), TransferKind::EffectFetch);
    if (!fetch.started()) return;
    sender_.RequestSysexData(address::temporaryCommon(common::EfxRereadFirst), common::EfxRereadLength);
    sender_.pace();
  }
  // The parameters that came with the type belong to the edited list entry as
  // much as the type does, or saving it would pair the type with old values.
  const auto reread =
      std::span<const Byte>(store_.TempPerformance.common).subspan(common::EfxRereadFirst, common::EfxRereadLength);
  store_.mirrorSentData(address::temporaryCommon(common::EfxRereadFirst), Bytes(reread.begin(), reread.end()));
}

void PerformanceEdit::recordSent(const std::vector<EditStep>& steps) {
  if (!observer_ || steps.empty()) return;
  const EditGroup group = openGroup();
  for (const EditStep& step : steps) observer_->edited(step, group);
  closeGroup(group);
}

void PerformanceEdit::replay(const std::vector<EditStep>& steps, bool undo) {
  if (replaying_ || steps.empty()) return;
  replaying_ = true;
  const ChangeOrigin origin = store_.SendOrigin;
  store_.SendOrigin = ChangeOrigin::Undo;
  const auto sendOne = [&](const EditStep& s) {
    const Bytes& bytes = undo ? s.before : s.after;
    // An undo is no window's fill: only a running transfer (Updating) holds it back.
    if (send(s.block, s.part, s.offset, bytes, SendGuard::Updating) && steps.size() > 1) sender_.pace();
  };
  if (undo)
    std::for_each(steps.rbegin(), steps.rend(), sendOne);
  else
    std::for_each(steps.begin(), steps.end(), sendOne);
  // The type the module now has came with its own parameters, as when it was chosen.
  if (std::any_of(steps.begin(), steps.end(), [](const EditStep& s) {
        return s.block == ParamBlock::Common && s.offset <= common::EfxType &&
               common::EfxType < s.offset + static_cast<int>(s.after.size());
      }))
    rereadEfxParameters();
  store_.SendOrigin = origin;
  replaying_ = false;
}

}  // namespace quillon
