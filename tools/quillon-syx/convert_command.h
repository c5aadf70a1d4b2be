#pragma once
// quillon-syx convert: a dump from a .syx file into a Standard MIDI File, or
// back, by the output's extension.

#include <string>
#include <vector>

namespace quillon::cli {

extern const char* const ConvertUsage;

// args: IN OUT [--delay MS]
int convertCommand(const std::vector<std::string>& args);

}  // namespace quillon::cli
