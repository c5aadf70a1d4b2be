#include "library/library_bank.h"

#include "engine/syx_writer.h"

namespace quillon::library {

Bytes bankFileBytes(std::span<const StoredPerformance> performances, Byte area) {
  Bytes bytes;
  for (std::size_t i = 0; i < performances.size(); ++i) {
    const Bytes messages =
        performanceMessages(area, static_cast<int>(i), performances[i].record, performances[i].sizes);
    bytes.insert(bytes.end(), messages.begin(), messages.end());
  }
  return bytes;
}

std::vector<StoredPerformance> performancesOf(LibraryStore& store, std::span<const std::int64_t> ids,
                                              std::string& error) {
  std::vector<StoredPerformance> out;
  for (const std::int64_t id : ids) {
    auto p = store.performance(id);
    if (!p) {
      error = "performance " + std::to_string(id) + " cannot be read from the library";
      return {};
    }
    out.push_back(std::move(*p));
  }
  return out;
}

}  // namespace quillon::library
