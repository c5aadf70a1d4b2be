#pragma once
// Everything the module (or a keyboard) sends: SysEx decoded by address into
// the store with a readable trace in the log, short messages shown in the
// monitor and passed on when MIDI-thru is on.

#include <string>

#include "engine/midi_message.h"
#include "engine/sender.h"

namespace quillon {

namespace incoming {
inline constexpr std::size_t MaxDecodedLength = 146;  // longer messages are not decoded
inline constexpr std::size_t SummaryLimit = 255;
inline constexpr std::size_t DetailFlushLength = 80;
inline constexpr int RefusedOffsetLimit = address::SystemStoredBytes;

inline constexpr const char* RhythmData = "Rhythmdata";
inline constexpr const char* PatchData = "Patchdata";
inline constexpr const char* Undefined04to09 = "Undefined $04~$09 data";
inline constexpr const char* Undefined12to19 = "Undefined $12~$19 data";
inline constexpr const char* Undefined21to7F = "Undefined $21~$7F data";
inline constexpr const char* RefusedTarget = "Undefined $21~$7F data error";
inline constexpr const char* UserPerformance = "userperform data ";
inline constexpr const char* CardPerformance = "cardperform data ";
inline constexpr const char* UserPatch = "userpatch data";
inline constexpr const char* CardPatch = "Cardpatch data";
inline constexpr const char* Overflow = "Midi-Sysex Overflow";
inline constexpr const char* Ignored = "Ignored: ";  // followed by the reason
inline constexpr const char* NotAskedFor = "no transfer asked for this data (late, or sent unasked)";
inline constexpr const char* Heard = "Received for the dump: ";  // followed by the message's length
}  // namespace incoming

class IncomingHandler {
 public:
  IncomingHandler(PerformanceStore& store, EngineHost& host, Sender& sender, MessageLogLines& log)
      : store_(store), host_(host), sender_(sender), log_(log) {}

  // OnMidiInput of the module port: handles queued events until the queue is
  // empty or a run ends early (the port notifies again while events remain).
  void HandleModuleInput(MidiEventSource& source);
  // OnMidiInput of the keyboard port: passes one short message on.
  void HandleKeyboardInput(MidiEventSource& source);
  // OnOverflow of the module port.
  void HandleOverflow() { host_.showInfo(incoming::Overflow); }

  int SysexInCount = 0;
  // SysEx messages that were not valid data sets for this model, stored nowhere.
  int IgnoredCount = 0;
  std::string LastIgnoredReason;

 private:
  enum class Walk { Continue, StopRun };
  // The two trace lines of one message; built only while logging is on.
  struct Lines {
    explicit Lines(bool logging, int requestedNumber);
    void hex(Byte b);
    void label(std::string_view text);
    void performanceLabel(std::string_view text);  // the label and the requested number
    void entry(const char* tag, int first, bool blankBetween, int second);

    bool on;
    std::string number;
    std::string summary;
    std::string detail;
  };

  void handleShortFromModule(const MidiMessage& m);
  // A listening session takes the message as it came: true when it did.
  bool handToListener(const Bytes& message);
  Walk decodeSysex(const Bytes& message);
  Walk routeDataByte(const SysexAddress& a, int offset, Byte b, Lines& lines);
  void routePerformanceByte(const SysexAddress& a, int offset, Byte b, Lines& lines, bool card);
  void routePatchNameByte(const SysexAddress& a, int offset, Byte b, Lines& lines, bool card);
  void flushDetail(Lines& lines);
  void logIgnored(const Bytes& message, const std::string& reason);

  PerformanceStore& store_;
  EngineHost& host_;
  Sender& sender_;
  MessageLogLines& log_;
};

}  // namespace quillon
