// The .syx reader takes whatever file the user opens or drops on the window:
// any bytes are scanned and parsed into the store, which keeps its rules, and
// the list it parsed is written and read back equal.

#include <cstdint>

#include "engine/store_checks.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace quillon;
  const std::span<const Byte> file(data, size);
  PerformanceStore store;
  SyxReadReport report;
  fuzz::require(testing::checkedSyxRead(store, file, report));
  // Read again over what the first read left, as the program reads file after file.
  const PerformanceStore first = store;
  report = readSyxIntoStore(store, file);
  fuzz::require(testing::syxReadFault(first, store, file, report));
  return 0;
}
