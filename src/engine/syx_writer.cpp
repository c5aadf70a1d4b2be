#include "engine/syx_writer.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "engine/midi_file.h"
#include "engine/syx_reader.h"

namespace quillon {

Byte fileAreaFor(const PerformanceStore& store) {
  if (store.FromTemp) return address::AreaTemporary;
  if (store.FromUser) return address::AreaUserPerformance;
  if (store.FromCard) return address::AreaCardPerformance;
  return address::AreaTemporary;
}

Bytes performanceMessages(Byte area, int number, const PerformanceRecord& record, BlockSizes sizes) {
  Bytes out;
  const auto append = [&out](const Bytes& msg) { out.insert(out.end(), msg.begin(), msg.end()); };
  append(buildDT1(roland::FileDeviceByte, address::memoryCommon(area, number),
                  std::span<const Byte>(record.common).first(static_cast<std::size_t>(sizes.commonLength()))));
  for (int p = 0; p < address::PartCount; ++p)
    append(buildDT1(roland::FileDeviceByte, address::memoryPart(area, number, p),
                    std::span<const Byte>(record.parts[p]).first(static_cast<std::size_t>(sizes.partLength()))));
  return out;
}

Bytes tempSyxBytes(const PerformanceStore& store, BlockSizes sizes) {
  return performanceMessages(fileAreaFor(store), 0, store.TempPerformance, sizes);
}

Bytes listSyxBytes(const PerformanceStore& store, BlockSizes sizes) {
  Bytes out;
  const Byte area = fileAreaFor(store);
  const int count = std::clamp(store.PerformanceCount, 0, PerformanceListSize);
  for (int i = 0; i < count; ++i) {
    const Bytes one = performanceMessages(area, i, store.PerformanceList[i], sizes);
    out.insert(out.end(), one.begin(), one.end());
  }
  return out;
}

std::string withSyxExtension(const std::string& path) {
  std::string ext = std::filesystem::path(path).extension().string();
  std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
  return ext == ".syx" ? path : path + ".syx";
}

std::string withDumpExtension(const std::string& path) {
  return hasMidiFileExtension(path) ? path : withSyxExtension(path);
}

Bytes dumpFileBytes(const std::string& path, std::span<const Byte> syx, int spacingMs) {
  return hasMidiFileExtension(path) ? midiFileBytes(syx, spacingMs) : Bytes(syx.begin(), syx.end());
}

namespace {

namespace fs = std::filesystem;

constexpr int MaxLinkHops = 40;        // as the kernel follows them
constexpr int MaxNameTries = 100;      // for a free name beside the target
constexpr mode_t NewFileMode = 0666;   // less the umask, as for any new file
constexpr mode_t BackupMode = 0600;    // the old contents are nobody else's business
constexpr mode_t PermissionBits = 07777;

std::string failure(const std::string& path, const std::string& reason) {
  return "Cannot write \"" + path + "\": " + reason + ".";
}

fs::path folderOf(const fs::path& file) { return file.has_parent_path() ? file.parent_path() : fs::path("."); }

// The file a path names once its symbolic links are followed: saving through
// a link writes its target and leaves the link a link.
fs::path linkTarget(const fs::path& path) {
  fs::path p = path;
  for (int hop = 0; hop < MaxLinkHops; ++hop) {
    std::error_code ec;
    if (!fs::is_symlink(fs::symlink_status(p, ec))) return p;
    const fs::path next = fs::read_symlink(p, ec);
    if (ec) return p;
    p = next.is_absolute() ? next : folderOf(p) / next;
  }
  return p;
}

// Writes every byte and flushes them to the disk.
bool writeAllAndSync(int fd, std::span<const Byte> bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return ::fsync(fd) == 0;
}

// Makes a rename or a new name in `folder` survive a power loss. A file system
// that cannot sync a folder still holds the old or the new file whole.
void syncFolder(const fs::path& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

// A new file beside `target` under a name nobody else has; -1 (errno set) when none can be made.
int createBeside(const fs::path& target, const std::string& prefix, const std::string& tag, mode_t mode,
                 fs::path& made) {
  std::random_device rd;
  for (int attempt = 0; attempt < MaxNameTries; ++attempt) {
    made = folderOf(target) / (prefix + target.filename().string() + tag + std::to_string(rd() % 1000000));
    const int fd = ::open(made.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

// A file with more than one name: a new file renamed over this name would part
// it from the others, so it is rewritten where it is. The old bytes wait in a
// backup beside it until the new ones are on the disk, and go back if the
// rewrite fails; after a crash in the middle the backup is still there.
std::string writeInPlace(const std::string& path, const fs::path& target, std::span<const Byte> bytes) {
  const FileBytes old = readFileBytes(target.string());
  if (!old.ok()) return old.error;
  fs::path backup;
  const int backupFd = createBeside(target, "", ".backup-", BackupMode, backup);
  if (backupFd < 0) return failure(path, std::string("no backup could be made: ") + std::strerror(errno));
  const bool saved = writeAllAndSync(backupFd, old.bytes);
  const int backupErrno = errno;
  if (::close(backupFd) != 0 || !saved) {
    ::unlink(backup.c_str());
    return failure(path, std::string("no backup could be made: ") + std::strerror(saved ? errno : backupErrno));
  }
  syncFolder(folderOf(target));

  const int fd = ::open(target.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
  if (fd < 0) {
    const int openErrno = errno;
    ::unlink(backup.c_str());
    return failure(path, std::strerror(openErrno));
  }
  const bool written = writeAllAndSync(fd, bytes);
  const int writeErrno = errno;
  const bool restored = written || (::ftruncate(fd, 0) == 0 && ::lseek(fd, 0, SEEK_SET) == 0 &&
                                    writeAllAndSync(fd, old.bytes));
  const bool closed = ::close(fd) == 0;
  if (restored && closed) ::unlink(backup.c_str());
  if (written && closed) return {};
  std::string reason = std::strerror(written ? errno : writeErrno);
  if (!restored || !closed) reason += "; the old contents are kept in \"" + backup.string() + "\"";
  return failure(path, reason);
}

}  // namespace

std::string writeFileAtomically(const std::string& path, std::span<const Byte> bytes) {
  const fs::path target = linkTarget(path);
  struct stat old {};
  const bool exists = ::stat(target.c_str(), &old) == 0;
  if (exists && !S_ISREG(old.st_mode)) return failure(path, "it is not a regular file");
  if (exists && old.st_nlink > 1) return writeInPlace(path, target, bytes);

  fs::path temp;
  const int fd = createBeside(target, ".", ".tmp", NewFileMode, temp);
  if (fd < 0) return failure(path, std::strerror(errno));
  if (exists) {
    // The replacement keeps the old file's mode, and its owner and group as
    // far as the rights allow (a user cannot give a file away).
    [[maybe_unused]] const bool ownerKept =
        ::fchown(fd, old.st_uid, old.st_gid) == 0 || ::fchown(fd, static_cast<uid_t>(-1), old.st_gid) == 0;
    ::fchmod(fd, old.st_mode & PermissionBits);
  }
  const bool written = writeAllAndSync(fd, bytes);
  const int writeErrno = errno;
  const bool closed = ::close(fd) == 0;
  if (!written || !closed) {
    ::unlink(temp.c_str());
    return failure(path, std::strerror(written ? errno : writeErrno));
  }
  // The new bytes are on the disk before the name moves: a crash leaves the old file or the new one.
  if (::rename(temp.c_str(), target.c_str()) != 0) {
    const int renameErrno = errno;
    ::unlink(temp.c_str());
    return failure(path, std::strerror(renameErrno));
  }
  syncFolder(folderOf(target));
  return {};
}

}  // namespace quillon
