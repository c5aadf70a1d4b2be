#pragma once
// Library performances written as one bank dump: the file export, Build a Bank
// and quillon-syx library export all write it the same way.

#include <span>
#include <string>
#include <vector>

#include "library/library_store.h"

namespace quillon::library {

// Performance i as number i (0-based) of `area` (User or Card), each at the sizes the library kept it.
Bytes bankFileBytes(std::span<const StoredPerformance> performances, Byte area);

// The stored performances of `ids`, in that order; `error` names one that cannot be read.
std::vector<StoredPerformance> performancesOf(LibraryStore& store, std::span<const std::int64_t> ids,
                                              std::string& error);

}  // namespace quillon::library
