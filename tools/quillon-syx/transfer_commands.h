#pragma once
// The module transfers of quillon-syx: port listing, Get Temp and Send Temp
// over real ports, run headless with the engine's own transfer routines.

#include <optional>
#include <string>
#include <vector>

#include "engine/sysex.h"

namespace quillon::cli {

inline constexpr int ExitNoResponse = 2;     // the module never answered
inline constexpr int ExitMissingBlocks = 3;  // some answers were lost
inline constexpr int ExitNotVerified = 4;    // --verify read back something else
inline constexpr int ExitNotReadBack = 5;    // --verify could not read everything back; nothing read differed
inline constexpr const char* ReceiveCommand = "receive";

extern const char* const TransferCommandsUsage;
extern const char* const TransferOptionsUsage;

// True for the command names handled here.
bool isTransferCommand(const std::string& command);
// Runs `args` (the command first); returns the process exit code.
int runTransferCommand(int argc, char** argv, const std::vector<std::string>& args);

// A type as the settings name it ("JV 2080") or the bare model ("2080").
std::optional<ModuleType> moduleTypeByName(const std::string& text);

// The one name of `names` that is `wanted` or, failing that, the only one
// containing it. Otherwise nothing, with `error` saying why.
std::optional<std::size_t> findPort(const std::vector<std::string>& names, const std::string& wanted,
                                    const std::string& kind, std::string& error);

}  // namespace quillon::cli
