#pragma once
// A few distinct, named performances so that a new user (and the virtual
// module) has real data to look at before any hardware is connected.

#include <array>
#include <string_view>

#include "engine/performance.h"

namespace quillon {

inline constexpr int DemoPerformanceCount = 8;

// Demo performance `index` (0..DemoPerformanceCount-1), for either block size.
PerformanceRecord demoPerformance(int index);
std::string_view demoPerformanceName(int index);

// A plain performance: every part on its own channel, centred, full key range.
PerformanceRecord initialPerformance(std::string_view name);

}  // namespace quillon
