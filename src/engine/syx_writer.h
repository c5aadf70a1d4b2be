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

// What the user agreed to beyond a plain save.
struct SaveConsent {
  bool replaceReadOnly = false;  // a file nobody may write is replaced all the same
};

// Whether `path` (through its symbolic links) is a file that no one may write:
// it is replaced only with the user's consent.
bool isReadOnlyFile(const std::string& path);
// The name a save writes: a MIDI file name (.mid, .midi) stays as it is, any
// other gets ".syx" as withSyxExtension says.
std::string withDumpExtension(const std::string& path);
// What a file of that name holds: the messages of `syx` as they are, or for a
// MIDI file name a Standard MIDI File that plays them `spacingMs` apart.
Bytes dumpFileBytes(const std::string& path, std::span<const Byte> syx, int spacingMs);

// Writes `bytes` to a temporary file beside `path`, flushes it to the disk and
// renames it over the old file only when every byte was written, so a crash
// leaves the old file or the new one. The old file's mode (and owner, where
// allowed) is kept; a symbolic link is written through to its target. A file
// with several hard links keeps them: the new bytes are made whole and synced
// in the temporary file first, and only then copied over the old ones (should
// the copy be cut short, the temporary file holds them whole). Leftovers of
// earlier saves of the file that were cut short are removed first. A
// read-only file is left alone unless `consent` says otherwise. Returns an
// error text naming the path and reason, empty on success; on failure the old
// file is intact.
std::string writeFileAtomically(const std::string& path, std::span<const Byte> bytes, SaveConsent consent = {});

}  // namespace quillon
