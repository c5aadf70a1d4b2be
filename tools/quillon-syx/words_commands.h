#pragma once
// show --format: a performance in words, as text or JSON; diff: two
// performances compared in words.

#include <string>
#include <vector>

namespace quillon::cli {

extern const char* const WordsUsage;

// True when `args` (after "show") ask for words rather than the decoded layout.
bool wantsWords(const std::vector<std::string>& args);
int showWordsCommand(const std::vector<std::string>& args);
// Exit 0 equal, 1 different, 2 bad input.
int diffCommand(std::vector<std::string> args);

}  // namespace quillon::cli
