#pragma once
// What every quillon-syx command shares: exit codes, the error line, numbers
// given on the command line.

#include <iostream>
#include <string>

namespace quillon::cli {

inline constexpr int ExitOk = 0;
inline constexpr int ExitError = 1;

inline int fail(const std::string& message) {
  std::cerr << "quillon-syx: " << message << '\n';
  return ExitError;
}

// A whole decimal number and nothing after it.
inline bool parseNumber(const std::string& text, int& n) {
  try {
    std::size_t used = 0;
    n = std::stoi(text, &used);
    return used == text.size();
  } catch (const std::exception&) {
    return false;
  }
}

}  // namespace quillon::cli
