#include "convert_command.h"

#include <filesystem>
#include <iostream>

#include "cli_common.h"
#include "engine/engine_settings.h"
#include "engine/midi_file.h"
#include "engine/syx_reader.h"
#include "engine/syx_writer.h"

namespace quillon::cli {

const char* const ConvertUsage =
    "  convert IN OUT [--delay MS]\n"
    "                   Write the SysEx messages of IN (.syx or .mid) to OUT: a Standard\n"
    "                   MIDI File when OUT ends in .mid or .midi, the messages spaced\n"
    "                   MS apart (20..500, default 50) so a player keeps the module's\n"
    "                   pace; a .syx dump when OUT ends in .syx.\n";

namespace {

constexpr const char* DelayOption = "--delay";

bool isSyxName(const std::string& path) { return withSyxExtension(path) == path; }

struct ConvertArgs {
  std::string in, out;
  int delayMs = DefaultSysDly;
};

// The arguments, or an error text.
std::string parseConvertArgs(const std::vector<std::string>& args, ConvertArgs& c) {
  std::vector<std::string> files;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] != DelayOption) {
      files.push_back(args[i]);
      continue;
    }
    if (i + 1 >= args.size() || !parseNumber(args[i + 1], c.delayMs) || c.delayMs < MinSysDly || c.delayMs > MaxSysDly)
      return "--delay takes a number of milliseconds, 20..500";
    ++i;
  }
  if (files.size() != 2) return "convert takes IN and OUT";
  c.in = files[0];
  c.out = files[1];
  if (!hasMidiFileExtension(c.out) && !isSyxName(c.out))
    return "\"" + c.out + "\" names no file kind to write: end it in .syx, .mid or .midi";
  std::error_code ec;
  if (std::filesystem::equivalent(c.in, c.out, ec)) return "IN and OUT are the same file";
  return {};
}

// The whole messages of `stream`, one after the other, and how many bytes lay outside them.
Bytes wholeMessages(std::span<const Byte> stream, int& messages, std::size_t& outside) {
  Bytes out;
  const auto found = sysexMessages(stream);
  for (const auto m : found) out.insert(out.end(), m.begin(), m.end());
  messages = static_cast<int>(found.size());
  outside = stream.size() - out.size();
  return out;
}

}  // namespace

int convertCommand(const std::vector<std::string>& args) {
  ConvertArgs c;
  if (const std::string error = parseConvertArgs(args, c); !error.empty()) return fail(error);
  const SysexFileBytes in = readSysexFileBytes(c.in);
  if (!in.ok()) return fail(in.error);
  if (in.leftOut > 0) std::cerr << "quillon-syx: " << in.note << '\n';
  int messages = 0;
  std::size_t outside = 0;
  const Bytes syx = wholeMessages(in.bytes, messages, outside);
  if (messages == 0) return fail("no SysEx messages in \"" + c.in + "\"");
  if (outside > 0)
    std::cerr << "quillon-syx: " << outside << " bytes of \"" << c.in << "\" lie outside SysEx messages; left out\n";
  const bool midi = hasMidiFileExtension(c.out);
  const Bytes bytes = dumpFileBytes(c.out, syx, c.delayMs);
  if (const std::string error = writeFileAtomically(c.out, bytes); !error.empty()) return fail(error);
  std::cout << "Wrote " << messages << " SysEx messages (" << bytes.size() << " bytes) to " << c.out;
  if (midi) std::cout << " as a Standard MIDI File, " << c.delayMs << " ms apart";
  std::cout << '\n';
  return ExitOk;
}

}  // namespace quillon::cli
