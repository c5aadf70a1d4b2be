#include "engine/incoming.h"

#include <algorithm>

namespace quillon {

namespace {

constexpr Byte LastSystemBlock = 0x09;
constexpr Byte PerformanceCommonBlocksEnd = 0x10;  // a2 00..0F address the common block

template <std::size_t N>
bool storeAt(std::array<Byte, N>& record, int offset, Byte b) {
  if (offset < 0 || offset >= static_cast<int>(N)) return false;
  record[static_cast<std::size_t>(offset)] = b;
  return true;
}

bool isCommonBlock(Byte block) { return block < PerformanceCommonBlocksEnd; }

}  // namespace

void IncomingHandler::HandleModuleInput(MidiEventSource& source) {
  host_.lightIn(LedColour::Lime);
  host_.stopResponseTimer();
  while (auto event = source.takeEvent()) {
    if (!event->isSysex()) {
      handleShortFromModule(*event);
      store_.Updating = false;
      return;
    }
    ++SysexInCount;
    if (event->sysex.size() > incoming::MaxDecodedLength) {
      // A dump of whole patches arrives as long messages: one line each, no box.
      if (store_.LogEnabled)
        log_.AddReceivedLine(std::to_string(SysexInCount) + " = message of " + std::to_string(event->sysex.size()) +
                             " bytes, longer than " + std::to_string(incoming::MaxDecodedLength) + ": not decoded");
      continue;
    }
    if (event->sysex.front() != midi_byte::SysexStart) return;
    if (decodeSysex(event->sysex) == Walk::StopRun) return;
  }
}

void IncomingHandler::handleShortFromModule(const MidiMessage& m) {
  if (m.status != status::TimeCode) host_.showShortMessage(m.status, m.data1, m.data2);
  if (host_.midiThru()) sender_.SendShortMidi(rechannel(m.status, host_.monitorChannel()), m.data1, m.data2);
}

IncomingHandler::Walk IncomingHandler::decodeSysex(const Bytes& message) {
  const std::size_t length = message.size();
  SysexAddress a;
  for (std::size_t k = 0; k < a.bytes.size(); ++k)
    a.bytes[k] = roland::PosAddress + k < length ? message[roland::PosAddress + k] : 0;
  Lines lines;
  for (std::size_t i = 0; i < length; ++i) {
    const Byte b = message[i];
    if (store_.LogEnabled && lines.summary.size() < incoming::SummaryLimit) lines.summary += hex2(b) + " ";
    if (i >= roland::PosData && i + 2 < length) {
      const int offset = static_cast<int>(i - roland::PosData) + a.offset();
      if (routeDataByte(a, offset, b, lines) == Walk::StopRun) return Walk::StopRun;
    }
    if (lines.detail.size() >= incoming::DetailFlushLength || b == midi_byte::SysexEnd) flushDetail(lines);
  }
  if (store_.LogEnabled) {
    log_.AddReceivedLine(std::to_string(SysexInCount) + " = " + lines.summary);
    log_.AddReceivedLine(std::to_string(length));
  }
  return Walk::Continue;
}

void IncomingHandler::flushDetail(Lines& lines) {
  if (store_.LogEnabled && !lines.detail.empty()) log_.AddReceivedLine(lines.detail);
  lines.detail.clear();
}

IncomingHandler::Walk IncomingHandler::routeDataByte(const SysexAddress& a, int o, Byte b, Lines& lines) {
  const Byte area = a.area();
  if (area == address::AreaSystem) {
    if (a.block() > LastSystemBlock) {
      lines.detail += "st" + hex2(o) + hex2(b) + " ";
    } else if (o < incoming::RefusedOffsetLimit) {
      store_.SystemImage[static_cast<std::size_t>(o)] = b;
      lines.detail += "sy" + hex2(o) + hex2(b) + " ";
    } else {
      return Walk::StopRun;
    }
  } else if (area == address::AreaTemporary) {
    if (a.sub() != 0) return Walk::Continue;
    if (isCommonBlock(a.block())) {
      if (storeAt(store_.TempPerformance.common, o, b)) {
        store_.NoPerformance = false;
        lines.detail += "PC" + hex2(o) + " " + hex2(b) + " ";
      } else {
        lines.summary = incoming::RefusedTarget;
      }
    } else if (address::isPartBlock(a.block())) {
      if (storeAt(store_.TempPerformance.parts[a.block() - address::BlockPartFirst], o, b))
        lines.detail += "PP" + hex2(o) + " " + hex2(b) + " ";
      else
        lines.summary = incoming::RefusedTarget;
    }
  } else if (area == address::AreaRhythmData) {
    lines.summary = incoming::RhythmData;
  } else if (area == address::AreaPatchData) {
    lines.summary = incoming::PatchData;
  } else if (area >= address::AreaUndefinedFirst && area <= address::AreaUndefinedLast) {
    lines.summary = incoming::Undefined04to09;
  } else if (area == address::AreaUserPerformance || area == address::AreaCardPerformance) {
    routePerformanceByte(a, o, b, lines, area == address::AreaCardPerformance);
  } else if (area == address::AreaUserPatch || area == address::AreaCardPatch) {
    routePatchNameByte(a, o, b, lines, area == address::AreaCardPatch);
  } else if (area >= address::AreaUndefinedMemoryFirst && area <= address::AreaUndefinedMemoryLast) {
    lines.summary = incoming::Undefined12to19;
  } else if (area >= address::AreaUndefinedHighFirst) {
    lines.summary = incoming::Undefined21to7F;
  }
  return Walk::Continue;
}

void IncomingHandler::routePerformanceByte(const SysexAddress& a, int o, Byte b, Lines& lines, bool card) {
  const int number = a.sub();
  if (number >= address::MemoryPerformanceCount) return;
  lines.summary = std::string(card ? incoming::CardPerformance : incoming::UserPerformance) +
                  std::to_string(store_.SysexAddressBuffer.sub());
  (card ? store_.FromCard : store_.FromUser) = true;
  auto& entry = store_.PerformanceList[static_cast<std::size_t>(number)];
  bool stored = false;
  if (isCommonBlock(a.block())) {
    if (store_.NamesOnly) {
      stored = storeAt(store_.MemoryNames[static_cast<std::size_t>(number)], o, b);
    } else {
      stored = storeAt(entry.common, o, b);
      if (stored) store_.PerformanceCount = number + 1;
    }
    if (stored) {
      store_.NoPerformance = false;
      lines.detail += "PC" + hex2(o) + " " + hex2(entry.common[static_cast<std::size_t>(o)]) + " ";
    }
  } else if (address::isPartBlock(a.block())) {
    stored = storeAt(entry.parts[a.block() - address::BlockPartFirst], o, b);
    if (stored) lines.detail += "PP" + hex2(o) + " " + hex2(b) + " ";
  } else {
    return;
  }
  if (!stored) lines.summary = incoming::RefusedTarget;
}

void IncomingHandler::routePatchNameByte(const SysexAddress& a, int o, Byte b, Lines& lines, bool card) {
  lines.summary = card ? incoming::CardPatch : incoming::UserPatch;
  const int number = a.sub();
  if (o >= address::PatchNameLength || number >= ReceivedPatchNameCount) {
    lines.summary = incoming::RefusedTarget;
    return;
  }
  store_.ReceivedPatchNames[static_cast<std::size_t>(number)][static_cast<std::size_t>(o)] = b;
  lines.detail += "UPN" + hex2(number) + " " + hex2(b) + " ";
}

void IncomingHandler::HandleKeyboardInput(MidiEventSource& source) {
  host_.lightIn(LedColour::Yellow);
  std::optional<MidiMessage> found;
  while (auto event = source.takeEvent()) {
    if (event->isSysex()) continue;
    if (event->status == status::ActiveSensing) {
      host_.lightIn(LedColour::Red);
      continue;
    }
    if (event->status == status::TimeCode) host_.lightIn(LedColour::Blue);
    found = std::move(event);
    break;
  }
  if (!found) return;
  Byte s = rechannel(found->status, host_.monitorChannel());
  Byte d1 = found->data1;
  Byte d2 = found->data2;
  if (isControlChange(s)) host_.mixerControlChange(s, d1, d2);
  if (host_.midiThru()) {
    host_.lightOut(LedColour::Yellow);
    sender_.SendShortMidi(s, d1, d2);
  }
  store_.Updating = false;
}

}  // namespace quillon
