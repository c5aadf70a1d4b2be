#include <array>
#include <string>
#include <string_view>

#include "midi/model/virtual_module.h"

namespace quillon::jv {

namespace {
// Sound families; each User and Card patch gets one with its own number, so
// every name in a bank differs and the two banks are told apart by their prefix.
constexpr std::array<std::string_view, 16> Families{"Piano", "E.Piano", "Organ", "Strings", "Brass",  "Pad",
                                                    "Bass",  "Lead",    "Bell",  "Choir",   "Guitar", "Flute",
                                                    "Sweep", "Pluck",   "Drums", "FX"};
}  // namespace

std::string demoPatchName(Byte patchArea, int number) {
  const std::string_view family = Families[static_cast<std::size_t>(number) % Families.size()];
  const char prefix = patchArea == address::AreaCardPatch ? 'C' : 'U';
  std::string name = std::string(1, prefix) + std::to_string(number + 1) + " " + std::string(family);
  name.resize(address::PatchNameLength, ' ');
  return name;
}

}  // namespace quillon::jv
