#include "settings/window_positions.h"

#include "settings/names/ini_file.h"

namespace quillon {

namespace {

// The four keys of one window: its name followed by "-x", "-y", "-h", "-w".
struct CoordinateKey {
  std::string_view suffix;
  int WindowPosition::*member;
};
constexpr std::array<CoordinateKey, 4> CoordinateKeys{
    {{"-x", &WindowPosition::x}, {"-y", &WindowPosition::y}, {"-h", &WindowPosition::h}, {"-w", &WindowPosition::w}}};

std::string keyOf(int window, const CoordinateKey& coordinate) {
  return std::string(WindowPositionNames[window]) + std::string(coordinate.suffix);
}

}  // namespace

WindowPositions readWindowPositions(const std::filesystem::path& file, std::string* problem) {
  const IniSection section = readIniFile(file, problem).sectionOrEmpty(WindowPositionsSection);
  WindowPositions positions{};
  for (int window = 0; window < WindowPositionCount; ++window)
    for (const auto& coordinate : CoordinateKeys)
      positions[window].*coordinate.member = section.integer(keyOf(window, coordinate)).value_or(0);
  return positions;
}

std::string writeWindowPositions(const std::filesystem::path& file, const WindowPositions& positions) {
  IniSection section{std::string(WindowPositionsSection)};
  for (int window = 0; window < WindowPositionCount; ++window)
    for (const auto& coordinate : CoordinateKeys)
      section.add(keyOf(window, coordinate), std::to_string(positions[window].*coordinate.member));
  return writeIniSection(file, section);
}

}  // namespace quillon
