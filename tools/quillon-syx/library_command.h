#pragma once
// quillon-syx library: the performance library from the command line.

#include <string>
#include <vector>

namespace quillon::cli {

extern const char* const LibraryUsage;

// args: what follows "library".
int libraryCommand(const std::vector<std::string>& args);

}  // namespace quillon::cli
