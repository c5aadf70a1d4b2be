#include "engine/sender.h"

#include <algorithm>
#include <stdexcept>

#include "engine/midi_message.h"

namespace quillon {

std::string sentLogText(std::span<const Byte> bytes) {
  std::string line;
  line.reserve(bytes.size() * 3);
  for (Byte b : bytes) line += " " + hex2(b);
  return line;
}

void Sender::followEditedPartChannel() {
  const int part = std::clamp(store_.editedPart(), 0, address::PartCount - 1);
  moveMonitorChannel(
      shown::channelFromStored(store_.TempPerformance.parts[part][part::ReceiveChannel] & status::ChannelMask));
}

void Sender::moveMonitorChannel(int channel) {
  channel = std::clamp(channel, 1, MidiChannels);
  if (channel == host_.monitorChannel()) return;
  if (host_.hasNoteMonitor()) silenceAllChannels();
  host_.setMonitorChannel(channel);
}

void Sender::silenceAllChannels() {
  for (int c = 1; c <= MidiChannels; ++c)
    SendShortMidi(onChannel(status::ControlChange, c), controller::AllSoundOff, 0);
}

void Sender::logSentMessage(const Bytes& message) {
  std::string line1;
  std::string line2;
  for (Byte b : message) (line1.size() < SentLogLineLength ? line1 : line2) += " " + hex2(b);
  log_.AddSentLine(line1);
  log_.AddSentLine(line2);
}

void Sender::SendSysexData(const SysexAddress& address, std::span<const Byte> data, int count) {
  if (store_.Updating) return;
  host_.lightOut(LedColour::Lime);
  followEditedPartChannel();
  const auto payload = data.first(static_cast<std::size_t>(std::clamp<int>(count, 0, static_cast<int>(data.size()))));
  Bytes message;
  try {
    message = buildDT1(settings_.device(), address, payload);
  } catch (const std::invalid_argument& e) {
    // A status byte among the data would cut the message short at the module:
    // nothing leaves and nothing is mirrored.
    host_.showInfo(e.what());
    return;
  }
  if (store_.mirrorSentData(address, std::span<const Byte>(message).subspan(roland::PosData, payload.size())))
    store_.notifyChanged({address.area(), address.sub(), address.block(), address.offset(),
                          static_cast<int>(payload.size()), store_.SendOrigin});
  if (store_.MidiClosed) {
    host_.showInfo(sender_text::SendMidiClosed);
  } else {
    host_.sendLong(message);
    wireBusyMs_ = midi_wire::milliseconds(message.size());
  }
  if (store_.LogEnabled) logSentMessage(message);
  PlayTestNote();
}

void Sender::SendEditParameter(std::span<const Byte> data) {
  if (store_.FormFilling) return;
  SendSysexData(store_.SysexAddressBuffer, data, store_.SendLength);
}

void Sender::RequestSysexData(const SysexAddress& address, std::uint32_t size) {
  host_.lightOut(LedColour::Lime);
  store_.NoResponse = false;
  Bytes message;
  try {
    message = buildRQ1(settings_.device(), address, size);
  } catch (const std::invalid_argument& e) {
    host_.showInfo(e.what());
    return;
  }
  if (store_.LogEnabled) log_.AddSentLine(sentLogText(message));
  if (store_.MidiClosed) {
    host_.showInfo(sender_text::RequestMidiClosed);
    return;
  }
  TransferSession* session = sessions_.current();
  if (!session) {
    // An answer would be taken by no one and left out of the store.
    host_.debugLine("A request outside a transfer was not sent");
    return;
  }
  if (session->stopped()) return;
  session->noteRequest(address, size);
  host_.startResponseTimer();
  host_.sendLong(message);
  wireBusyMs_ = midi_wire::milliseconds(message.size() + roland::FrameOverhead + size);
}

void Sender::SendShortMidi(Byte s, Byte data1, Byte data2) {
  if (store_.MidiClosed) return;
  host_.lightOut(LedColour::Lime);
  host_.showShortMessage(s, data1, data2);
  if (!(host_.chordOn() && isNoteOn(s))) {
    host_.sendShort(s, data1, data2);
    return;
  }
  for (int interval : ChordIntervals) {
    const int note = data1 + interval;
    if (note > MaxNote) continue;  // above 127 it would be a status byte on the wire
    host_.sendShort(s, static_cast<Byte>(note), data2);
  }
}

void Sender::PlayTestNote() {
  // A closed port has nowhere to play to; the DT1 already told the user.
  // A transfer's data sets are no edits to listen to.
  if (sessions_.running() || !settings_.noteOn || store_.MidiClosed) return;
  host_.lightOut(LedColour::Lime);
  const int channel = host_.monitorChannel();
  host_.sendShort(onChannel(status::ControlChange, channel), controller::AllSoundOff, 0);
  host_.sendShort(onChannel(status::NoteOn, channel), static_cast<Byte>(host_.testNote() & midi_byte::DataMask),
                  static_cast<Byte>(host_.testVelocity() & midi_byte::DataMask));
}

}  // namespace quillon

namespace quillon {

void RequestPacer::afterRequest() {
  if (!fast_) {
    sender_.pace();
    return;
  }
  // An answer that does not come within the paced wait is given up as the
  // paced transfer would give it up; a late one is still taken while the session runs.
  const TransferSession& session = session_;
  sender_.host().waitMsUntil(sender_.wireBusyMs() + sender_.settings().sysDly,
                             [&session] { return session.lastRequestAnswered(); });
  if (session.lastRequestAnswered() || session.stopped()) return;
  fast_ = false;
  sender_.host().transferNote(sender_text::FastFallback);
}

void RequestPacer::awaitLastAnswer(const std::function<bool()>& done) {
  const TransferSession& session = session_;
  if (!session.anyAnswer())
    sender_.host().waitMsUntil(ResponseTimeoutMs, [&session] { return session.anyAnswer() || session.stopped(); });
  if (session_.stopped()) return;
  sender_.host().stopResponseTimer();
  const std::function<bool()> finished = done ? done : [&session] { return session.lastRequestAnswered(); };
  // A module a little slower than SysDly is still working through the
  // requests: wait as long as answers keep coming, until none has come for a while.
  while (!finished() && !session.stopped()) {
    const int answered = session.requestsAnswered();
    sender_.host().waitMsUntil(LastAnswerGraceMs, [&] { return finished() || session.requestsAnswered() != answered; });
    if (session.requestsAnswered() == answered) break;
  }
}

}  // namespace quillon
