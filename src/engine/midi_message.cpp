#include "engine/midi_message.h"

#include <cstdio>

namespace quillon {

std::string shortMessageText(Byte s, Byte data1, Byte data2) {
  char text[16];
  std::snprintf(text, sizeof text, "%2x %2x %2x", s, data1, data2);
  return text;
}

void appendHex2(std::string& to, int value) {
  const char text[2] = {hexDigit(value >> 4), hexDigit(value)};
  to.append(text, sizeof text);
}

std::string hex2(int value) {
  std::string text;
  appendHex2(text, value);
  return text;
}

}  // namespace quillon
