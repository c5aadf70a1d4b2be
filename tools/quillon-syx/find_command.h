#pragma once
// quillon-syx find: which ports and unit ID reach the module.

#include <string>

namespace quillon::cli {

struct TransferOptions;

inline constexpr const char* FindCommand = "find";
extern const char* const FindCommandUsage;

int findCommand(const TransferOptions& o);

}  // namespace quillon::cli
