#pragma once
// The settings the engine reads while it sends and waits. The settings layer
// validates and fills them; nothing out of range reaches the engine.

#include "engine/sysex.h"

namespace quillon {

inline constexpr int MinSysDly = 20;
inline constexpr int MaxSysDly = 500;
inline constexpr int DefaultSysDly = 50;

struct EngineSettings {
  int unitId = roland::DefaultUnitId;  // JVID, 17..32
  BlockSizes sizes = StandardBlockSizes;
  ModuleType type = ModuleType::JV1080;  // JVtype: named when the module stays silent
  bool noteOn = false;                   // a test note after each parameter change
  int sysDly = DefaultSysDly;
  // Fast transfers: a fetch sends its next request as soon as the last answer
  // arrived whole, instead of after SysDly. Off by default.
  bool fastTransfers = false;

  Byte device() const { return deviceByte(unitId); }
  bool operator==(const EngineSettings&) const = default;
};

}  // namespace quillon
