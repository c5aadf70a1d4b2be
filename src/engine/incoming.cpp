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

IncomingHandler::Lines::Lines(bool logging, int requestedNumber)
    : on(logging), number(logging ? std::to_string(requestedNumber) : std::string()) {
  if (!on) return;
  summary.reserve(incoming::SummaryLimit + 3);
  detail.reserve(incoming::DetailFlushLength + 16);
}

void IncomingHandler::Lines::hex(Byte b) {
  if (!on || summary.size() >= incoming::SummaryLimit) return;
  const char text[3] = {hexDigit(b >> 4), hexDigit(b), ' '};
  summary.append(text, sizeof text);
}

void IncomingHandler::Lines::label(std::string_view text) {
  if (on) summary.assign(text);
}

void IncomingHandler::Lines::performanceLabel(std::string_view text) {
  if (!on) return;
  summary.assign(text);
  summary += number;
}

// A detail entry: a tag, the offset, an optional blank, the value, a blank.
void IncomingHandler::Lines::entry(const char* tag, int first, bool blankBetween, int second) {
  if (!on) return;
  char text[16];
  std::size_t n = 0;
  while (*tag) text[n++] = *tag++;
  text[n++] = hexDigit(first >> 4);
  text[n++] = hexDigit(first);
  if (blankBetween) text[n++] = ' ';
  text[n++] = hexDigit(second >> 4);
  text[n++] = hexDigit(second);
  text[n++] = ' ';
  detail.append(text, n);
}

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
    if (handToListener(event->sysex)) continue;
    if (event->sysex.size() > incoming::MaxDecodedLength) {
      // A dump of whole patches arrives as long messages: one line each, no box.
      if (store_.LogEnabled)
        log_.AddReceivedLine(std::to_string(SysexInCount) + " = message of " + std::to_string(event->sysex.size()) +
                             " bytes, longer than " + std::to_string(incoming::MaxDecodedLength) + ": not decoded");
      continue;
    }
    if (event->sysex.front() != midi_byte::SysexStart) return;
    // Only what the module sends is stored: a request echoed by a MIDI loop,
    // another model's message or a damaged one would otherwise land in the
    // store as data.
    DT1Message dt1;
    if (const DT1Check check = parseDT1(event->sysex, dt1); check != DT1Check::Ok) {
      logIgnored(event->sysex, std::string(dt1CheckText(check, event->sysex)));
      continue;
    }
    // A late answer, or one nobody asked for, must not change a list or a
    // performance that is already whole (or being filled by another request).
    TransferSession* session = sender_.sessions().current();
    if (!session || !session->takeAnswer(dt1.address, dt1.data.size())) {
      logIgnored(event->sysex, incoming::NotAskedFor);
      continue;
    }
    if (decodeSysex(event->sysex) == Walk::StopRun) return;
  }
}

bool IncomingHandler::handToListener(const Bytes& message) {
  TransferSession* session = sender_.sessions().current();
  if (!session || !session->hasListener()) return false;
  session->hear(message);
  if (store_.LogEnabled)
    log_.AddReceivedLine(std::to_string(SysexInCount) + " = " + incoming::Heard + std::to_string(message.size()) +
                         " bytes");
  return true;
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
  Lines lines(store_.LogEnabled, a.sub());
  for (std::size_t i = 0; i < length; ++i) {
    const Byte b = message[i];
    lines.hex(b);
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
  if (length > roland::FrameOverhead)
    store_.notifyChanged({a.area(), a.sub(), a.block(), a.offset(), static_cast<int>(length - roland::FrameOverhead),
                          ChangeOrigin::Incoming});
  return Walk::Continue;
}

void IncomingHandler::logIgnored(const Bytes& message, const std::string& reason) {
  ++IgnoredCount;
  LastIgnoredReason = reason;
  if (!store_.LogEnabled) return;
  log_.AddReceivedLine(std::to_string(SysexInCount) + " = " + incoming::Ignored + LastIgnoredReason);
  Lines lines(true, 0);
  for (Byte b : message) lines.hex(b);
  log_.AddReceivedLine(lines.summary);
}

void IncomingHandler::flushDetail(Lines& lines) {
  if (store_.LogEnabled && !lines.detail.empty()) log_.AddReceivedLine(lines.detail);
  lines.detail.clear();
}

IncomingHandler::Walk IncomingHandler::routeDataByte(const SysexAddress& a, int o, Byte b, Lines& lines) {
  const Byte area = a.area();
  if (area == address::AreaSystem) {
    if (a.block() > LastSystemBlock) {
      lines.entry("st", o, false, b);
    } else if (o < incoming::RefusedOffsetLimit) {
      store_.SystemImage[static_cast<std::size_t>(o)] = b;
      lines.entry("sy", o, false, b);
    } else {
      return Walk::StopRun;
    }
  } else if (area == address::AreaTemporary) {
    if (a.sub() != 0) return Walk::Continue;
    if (isCommonBlock(a.block())) {
      if (storeAt(store_.TempPerformance.common, o, b)) {
        store_.NoPerformance = false;
        lines.entry("PC", o, true, b);
      } else {
        lines.label(incoming::RefusedTarget);
      }
    } else if (address::isPartBlock(a.block())) {
      if (storeAt(store_.TempPerformance.parts[a.block() - address::BlockPartFirst], o, b)) {
        lines.entry("PP", o, true, b);
      } else {
        lines.label(incoming::RefusedTarget);
      }
    }
  } else if (area == address::AreaRhythmData) {
    lines.label(incoming::RhythmData);
  } else if (area == address::AreaPatchData) {
    lines.label(incoming::PatchData);
  } else if (area >= address::AreaUndefinedFirst && area <= address::AreaUndefinedLast) {
    lines.label(incoming::Undefined04to09);
  } else if (area == address::AreaUserPerformance || area == address::AreaCardPerformance) {
    routePerformanceByte(a, o, b, lines, area == address::AreaCardPerformance);
  } else if (area == address::AreaUserPatch || area == address::AreaCardPatch) {
    routePatchNameByte(a, o, b, lines, area == address::AreaCardPatch);
  } else if (area >= address::AreaUndefinedMemoryFirst && area <= address::AreaUndefinedMemoryLast) {
    lines.label(incoming::Undefined12to19);
  } else if (area >= address::AreaUndefinedHighFirst) {
    lines.label(incoming::Undefined21to7F);
  }
  return Walk::Continue;
}

void IncomingHandler::routePerformanceByte(const SysexAddress& a, int o, Byte b, Lines& lines, bool card) {
  const int number = a.sub();
  if (number >= address::MemoryPerformanceCount) return;
  lines.performanceLabel(card ? incoming::CardPerformance : incoming::UserPerformance);
  (card ? store_.FromCard : store_.FromUser) = true;
  auto& entry = store_.PerformanceList[static_cast<std::size_t>(number)];
  bool stored = false;
  if (isCommonBlock(a.block())) {
    if (store_.NamesOnly) {
      stored = storeAt(store_.MemoryNames[static_cast<std::size_t>(number)], o, b);
    } else {
      stored = storeAt(entry.common, o, b);
      if (stored) store_.PerformanceCount = std::max(store_.PerformanceCount, number + 1);
    }
    if (stored) {
      store_.NoPerformance = false;
      lines.entry("PC", o, true, entry.common[static_cast<std::size_t>(o)]);
    }
  } else if (address::isPartBlock(a.block())) {
    const int p = a.block() - address::BlockPartFirst;
    stored = storeAt(entry.parts[p], o, b);
    if (stored) lines.entry("PP", o, true, b);
  } else {
    return;
  }
  if (!stored) lines.label(incoming::RefusedTarget);
}

void IncomingHandler::routePatchNameByte(const SysexAddress& a, int o, Byte b, Lines& lines, bool card) {
  lines.label(card ? incoming::CardPatch : incoming::UserPatch);
  const int number = a.sub();
  if (o >= address::PatchNameLength || number >= ReceivedPatchNameCount) {
    lines.label(incoming::RefusedTarget);
    return;
  }
  store_.ReceivedPatchNames[static_cast<std::size_t>(number)][static_cast<std::size_t>(o)] = b;
  lines.entry("UPN", number, true, b);
}

void IncomingHandler::HandleKeyboardInput(MidiEventSource& source) {
  host_.lightIn(LedColour::Yellow);
  std::optional<MidiMessage> found;
  while (auto event = source.takeEvent()) {
    if (event->isSysex()) {
      // A dump may come in on this input too; otherwise SysEx from a keyboard goes nowhere.
      handToListener(event->sysex);
      continue;
    }
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
