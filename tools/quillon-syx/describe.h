#pragma once
// Human-readable listings of a scan and of one performance, for quillon-syx.

#include <ostream>

#include "engine/syx_reader.h"

namespace quillon::cli {

void printScan(std::ostream& out, const SyxScan& scan, const PerformanceStore& store);
void printPerformance(std::ostream& out, const PerformanceRecord& record, const ListEntryInfo& info, int position);

}  // namespace quillon::cli
