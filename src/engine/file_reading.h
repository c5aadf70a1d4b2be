#pragma once
// Reading a file the user named, whole. Only regular files are read: opening a
// FIFO waits for a writer that may never come, and a device such as /dev/zero
// never ends. A size ceiling keeps a huge file from taking all memory.

#include <cstdint>
#include <string>

#include "engine/sysex.h"

namespace quillon {

// Far above any dump of the module's memory (a few hundred KB), far below what
// would hurt to hold in memory.
inline constexpr std::uintmax_t MaxReadFileSize = 64ull << 20;

struct FileBytes {
  Bytes bytes;
  std::string error;     // empty on success
  bool missing = false;  // the path names nothing at all
  bool ok() const { return error.empty(); }
};

// Reads the whole of `path`. Anything but a regular file, a file larger than
// `ceiling`, and every platform failure give an error text naming the path and
// why ("it is a named pipe (FIFO), not a file"). Never blocks on the open.
FileBytes readRegularFile(const std::string& path, std::uintmax_t ceiling = MaxReadFileSize);

// Reads up to `length` bytes from `offset` of the regular file `path`; bytes
// past its end stay as `window` had them. Returns an error text, empty on success.
std::string readRegularFileWindow(const std::string& path, std::int64_t offset, Bytes& window);

}  // namespace quillon
