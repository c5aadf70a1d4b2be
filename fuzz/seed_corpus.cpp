// Writes the seed corpus of the fuzz targets into a folder (fuzz/corpus),
// made by the program's own writers, transfers and virtual module, so the
// fuzzers start from what the program really meets:
//   fuzz_seed_corpus FOLDER

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iostream>

#include "engine/demo_performances.h"
#include "engine/midi_file.h"
#include "engine/midi_file_builders.h"
#include "engine/recording_host.h"
#include "engine/temp_transfer.h"
#include "engine/test_builders.h"
#include "midi/model/virtual_module.h"
#include "settings/names/ini_file.h"

namespace {

using namespace quillon;
namespace fs = std::filesystem;

// The first input byte of the incoming target, and of the virtual module target.
constexpr Byte NamesOnly = 0x01, Log = 0x02, Thru = 0x04, Chord = 0x08, Keyboard = 0x10, Sealed = 0x80;
constexpr Byte SmallBuffer = 2 << 5;  // 16-byte SysEx events
constexpr Byte JV1080Unit17 = 0x00, JV2080Unit17 = 0x01, JV1080Unit20 = 0x06;

void write(const fs::path& file, std::span<const Byte> bytes) {
  fs::create_directories(file.parent_path());
  std::ofstream(file, std::ios::binary | std::ios::trunc)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

void write(const fs::path& file, Byte first, std::span<const Byte> rest) {
  Bytes bytes{first};
  testing::append(bytes, Bytes(rest.begin(), rest.end()));
  write(file, bytes);
}

void write(const fs::path& file, std::string_view text) {
  write(file, std::span(reinterpret_cast<const Byte*>(text.data()), text.size()));
}

// The SysEx that Get Temp or Send Temp puts on the wire.
Bytes tempTransfer(ModuleType type, bool send) {
  testing::RecordingHost host;
  PerformanceStore store;
  store.TempPerformance = demoPerformance(2);
  store.NoPerformance = false;
  EngineSettings settings;
  settings.sizes = blockSizesFor(type);
  MessageLogLines log{host};
  Sender sender{store, host, settings, log};
  TempTransfer transfer{sender, host};
  TransferView view;
  send ? transfer.SendTemp(view) : transfer.GetTemp(view);
  Bytes wire;
  for (const Bytes& m : host.wire)
    if (m.front() == midi_byte::SysexStart) testing::append(wire, m);
  return wire;
}

Bytes nameRequests(Byte area, int count, std::uint32_t length) {
  Bytes wire;
  for (int n = 0; n < count; ++n)
    testing::append(wire, buildRQ1(roland::FileDeviceByte, {area, static_cast<Byte>(n), 0, 0}, length));
  return wire;
}

// What the module answers to a stream of requests.
Bytes answers(ModuleType type, std::span<const Byte> requests) {
  jv::VirtualModule module(type);
  Bytes wire;
  for (auto from = requests.begin(); from != requests.end();) {
    const auto to = std::find(from, requests.end(), midi_byte::SysexEnd) + 1;
    for (const Bytes& answer : module.receive(std::span<const Byte>(from, to)).answers) testing::append(wire, answer);
    from = to;
  }
  return wire;
}

Bytes shortMessages() {
  const int channel = 3;
  return {onChannel(status::NoteOn, channel),
          60,
          100,
          onChannel(status::ControlChange, channel),
          controller::Volume,
          90,
          onChannel(status::ProgramChange, channel),
          5,
          status::TimeCode,
          0x20,
          status::ActiveSensing,
          onChannel(status::PitchBend, channel),
          0,
          64,
          onChannel(status::NoteOff, channel),
          60,
          0};
}

// A MIDI file as other tools write one: a tempo map track, and a dump track
// whose first message is split into packets with notes between them.
Bytes otherToolsMidiFile(std::span<const Byte> syx) {
  using namespace testing::smf_build;
  const auto messages = sysexMessages(syx);
  const Bytes first(messages[0].begin(), messages[0].end());
  const auto half = static_cast<std::ptrdiff_t>(first.size() / 2);
  Bytes dump = sysexEvent(0, Bytes(first.begin(), first.begin() + half));
  testing::append(dump, event(3, {0x90, 60, 100}));
  testing::append(dump, packet(3, Bytes(first.begin() + half, first.end())));
  for (std::size_t i = 1; i < messages.size(); ++i)
    testing::append(dump, packet(20, Bytes(messages[i].begin(), messages[i].end())));
  testing::append(dump, endOfTrack());
  Bytes file = header(1, 2);
  testing::append(file, track({meta(0, 0x51, {0x07, 0xA1, 0x20}), endOfTrack()}));
  testing::append(file, chunk("MTrk", dump));
  return file;
}

IniSection nameList(std::string_view name, std::initializer_list<std::string_view> names) {
  IniSection section{std::string(name)};
  int number = 0;
  for (const std::string_view n : names) section.add(std::to_string(number++), std::string(n));
  return section;
}

std::string nameFile(std::string text, std::initializer_list<IniSection> sections) {
  for (const IniSection& s : sections) text = withSectionReplaced(text, s);
  return text;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: fuzz_seed_corpus FOLDER\n";
    return 2;
  }
  const fs::path out(argv[1]);

  const fs::path syx = out / "syx_reader";
  write(syx / "user_bank.syx", jv::VirtualModule(ModuleType::JV1080).userBankSyx());
  write(syx / "jv2080_bank.syx", jv::VirtualModule(ModuleType::JV2080).userBankSyx());
  PerformanceStore temp;
  temp.TempPerformance = demoPerformance(3);
  temp.FromTemp = true;
  write(syx / "temp.syx", tempSyxBytes(temp, StandardBlockSizes));
  Bytes mixed = testing::patchBlock(address::AreaUserPatch, 0, "Patch");
  testing::append(mixed, performanceMessages(address::AreaCardPerformance, 0, demoPerformance(4), JV2080BlockSizes));
  testing::append(mixed, performanceMessages(address::AreaCardPerformance, 1, demoPerformance(5), StandardBlockSizes));
  write(syx / "patch_and_card.syx", mixed);

  const fs::path midi = out / "midi_file";
  const Bytes tempSyx = tempSyxBytes(temp, JV2080BlockSizes);
  write(midi / "user_bank.mid", midiFileBytes(jv::VirtualModule(ModuleType::JV1080).userBankSyx(), 40));
  write(midi / "temp_other_tool.mid", otherToolsMidiFile(tempSyx));
  write(midi / "temp_riff.rmi", testing::smf_build::riffWrapped(midiFileBytes(tempSyx, 20)));

  const Bytes getTemp1080 = tempTransfer(ModuleType::JV1080, false);
  const Bytes getTemp2080 = tempTransfer(ModuleType::JV2080, false);
  const Bytes sendTemp = tempTransfer(ModuleType::JV1080, true);
  const Bytes performanceNames =
      nameRequests(address::AreaUserPerformance, address::MemoryPerformanceCount, PerformanceNameLength);
  const Bytes patchNames = nameRequests(address::AreaUserPatch, address::MemoryPatchCount, address::PatchNameLength);
  const Bytes system = buildRQ1(roland::FileDeviceByte, {address::AreaSystem, 0, 0, 0}, address::SystemStoredBytes);

  const fs::path incoming = out / "incoming";
  write(incoming / "temp_answers_jv1080", Sealed | Log | Thru, answers(ModuleType::JV1080, getTemp1080));
  write(incoming / "temp_answers_jv2080", 0, answers(ModuleType::JV2080, getTemp2080));
  write(incoming / "performance_name_answers", NamesOnly | Log, answers(ModuleType::JV1080, performanceNames));
  write(incoming / "patch_name_answers", Sealed | Log, answers(ModuleType::JV1080, patchNames));
  write(incoming / "system_answer", Log, answers(ModuleType::JV1080, system));
  write(incoming / "short_messages", Thru | Chord, shortMessages());
  Bytes keyboard = shortMessages();
  testing::append(keyboard, system);
  write(incoming / "keyboard", Keyboard | Thru, keyboard);
  write(incoming / "small_buffer", SmallBuffer | Log,
        performanceMessages(address::AreaUserPerformance, 5, demoPerformance(6), StandardBlockSizes));

  const fs::path model = out / "virtual_module";
  write(model / "get_temp_jv1080", JV1080Unit17, getTemp1080);
  write(model / "get_temp_jv2080", Sealed | JV2080Unit17, getTemp2080);
  write(model / "send_temp", Sealed | JV1080Unit17, sendTemp);
  Bytes names = performanceNames;
  testing::append(names, patchNames);
  write(model / "name_requests", JV1080Unit17, names);
  Bytes otherUnits = buildRQ1(roland::BroadcastDevice, address::temporaryCommon(), 64);
  testing::append(otherUnits, buildRQ1(deviceByte(20), address::temporaryPart(3), 19));
  testing::append(otherUnits, system);  // for unit 17: not for this module
  write(model / "unit_20", JV1080Unit20, otherUnits);

  const fs::path lists = out / "name_lists";
  const std::string user = nameFile(
      "", {nameList("User Bank", {"U:1 Warm Pad", "U:2 Bright Bell"}), nameList("Card Bank", {"R:1 Strings"})});
  const std::string preset = nameFile(
      "", {nameList("Preset A", {"A.Piano 1", "A.Piano 2", "Mellow Piano"}), nameList("Preset AR", {"Pop Drum Set"})});
  IniSection board = nameList("SR-JV80-01 Pop", {"Pop Piano", "Pop Bass"});
  board.add("MaxPatch", "255");
  const std::string expansion =
      nameFile("", {nameList("Expansionboards", {"SR-JV80-01 Pop", "SR-JV80-02 Orchestral"}), board,
                    nameList("SR-JV80-01 Pop2", {"Upper Pad"}), nameList("SR-JV80-01 Pop2R", {"Pop Kit"})});
  // Values the library must keep in bounds: board names cut at 15 characters
  // (one inside a two-byte character), counts outside 1..256.
  IniSection cut = nameList("Board With A Lo", {"Cut Name Patch"});
  cut.add("MaxPatch", "0");
  IniSection wide = nameList("Caf\xC3\xA9 Board Name", {"Wide Patch"});
  wide.add("MaxPatch", "300");
  IniSection negative = nameList("Minus", {});
  negative.add("MaxPatch", "-1");
  const std::string odd = nameFile(
      "", {nameList("Expansionboards", {"Board With A Long Name", "Caf\xC3\xA9 Board Name \xC3\xA9\xC3\xA9", "Minus"}),
           cut, wide, negative});
  write(lists / "odd_boards.ini", odd);
  write(lists / "user.ini", user);
  write(lists / "preset.ini", preset);
  write(lists / "expansion.ini", expansion);
  write(lists / "all_three", preset + '\0' + user + '\0' + expansion);
  // The reader's tolerances: a byte-order mark, CRLF, comments, Latin-1.
  write(lists / "crlf_latin1.ini",
        nameFile("\xEF\xBB\xBF; written on Windows\r\n", {nameList("User Bank", {"Caf\xE9 Organ", " = spaced "})}));
  std::cout << "seed corpus written to " << out.string() << '\n';
  return 0;
}
