#pragma once
// Writing performances as .syx dumps: 17 DT1 messages per performance.

#include <string>

#include "engine/store.h"

namespace quillon {

// Area byte a file is written under: by the list's source, Temporary by default.
Byte fileAreaFor(const PerformanceStore& store);

// The 17 messages of one performance (common, then parts 1..16), device 10h.
Bytes performanceMessages(Byte area, int number, const PerformanceRecord& record, BlockSizes sizes);

// The whole file for the edited performance alone (number 0).
Bytes tempSyxBytes(const PerformanceStore& store, BlockSizes sizes);
// The whole file for list entries 0 .. PerformanceCount-1.
Bytes listSyxBytes(const PerformanceStore& store, BlockSizes sizes);

// ".syx" appended when the name's extension, lower-cased, is not ".syx".
std::string withSyxExtension(const std::string& path);

// The name a save writes: a MIDI file name (.mid, .midi) stays as it is, any
// other gets ".syx" as withSyxExtension says.
std::string withDumpExtension(const std::string& path);
// What a file of that name holds: the messages of `syx` as they are, or for a
// MIDI file name a Standard MIDI File that plays them `spacingMs` apart.
Bytes dumpFileBytes(const std::string& path, std::span<const Byte> syx, int spacingMs);

// Writes `bytes` to a temporary file beside `path`, flushes it to the disk and
// renames it over the old file only when every byte was written, so a crash
// leaves the old file or the new one. The old file's mode (and owner, where
// allowed) is kept; a symbolic link is written through to its target; a file
// with several hard links is rewritten in place after a backup, so every name
// sees the new bytes. Returns an error text naming the path and reason, empty
// on success; on failure the old file is intact.
std::string writeFileAtomically(const std::string& path, std::span<const Byte> bytes);

}  // namespace quillon
