#pragma once
// Where the controller rows of the parameter table live: values that are no
// bytes of the module's memory but control changes (the MIDI mixer's strips).
// Bindings read and send those rows through this door.

#include "engine/params/parameter_table.h"

namespace quillon {

class ControllerTargets {
 public:
  virtual ~ControllerTargets() = default;
  virtual int storedValue(const Parameter& p, int channelIndex) const = 0;
  // True when the control change left.
  virtual bool send(const Parameter& p, int channelIndex, int shown) = 0;
};

}  // namespace quillon
