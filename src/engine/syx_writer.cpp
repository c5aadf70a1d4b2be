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

constexpr int MaxLinkHops = 40;       // as the kernel follows them
constexpr int MaxNameTries = 100;     // for a free name beside the target
constexpr mode_t NewFileMode = 0666;  // less the umask, as for any new file
constexpr mode_t PermissionBits = 07777;
constexpr mode_t AnyWriteBits = S_IWUSR | S_IWGRP | S_IWOTH;
constexpr unsigned TempNumberRange = 1000000;
// A save's temporary file: "." NAME ".tmp" and a number; earlier versions
// kept the old bytes of a linked file as NAME ".backup-" and a number.
constexpr std::string_view TempPrefix = ".";
constexpr std::string_view TempTag = ".tmp";
constexpr std::string_view OldBackupTag = ".backup-";

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

// Writes every byte from `offset` on.
bool writeAllAt(int fd, std::span<const Byte> bytes, off_t offset = 0) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::pwrite(fd, bytes.data() + done, bytes.size() - done, offset + static_cast<off_t>(done));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

// Makes a rename or a new name in `folder` survive a power loss. A file system
// that cannot sync a folder still holds the old or the new file whole.
void syncFolder(const fs::path& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

bool isDecimal(std::string_view text) {
  return !text.empty() && std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isdigit(c); });
}

// Whether `name` is what a save of `file` leaves beside it when it is cut short.
bool isSaveLeftover(const std::string& name, const std::string& file) {
  const std::string temp = std::string(TempPrefix) + file + std::string(TempTag);
  const std::string backup = file + std::string(OldBackupTag);
  if (name.starts_with(temp)) return isDecimal(std::string_view(name).substr(temp.size()));
  if (name.starts_with(backup)) return isDecimal(std::string_view(name).substr(backup.size()));
  return false;
}

// A save cut short (a crash, a kill) leaves its temporary file behind; the
// next save of the same file has no use for it.
void removeSaveLeftovers(const fs::path& target) {
  std::error_code ec;
  const std::string file = target.filename().string();
  for (const auto& entry : fs::directory_iterator(folderOf(target), ec)) {
    std::error_code statEc;
    if (isSaveLeftover(entry.path().filename().string(), file) && entry.is_regular_file(statEc))
      fs::remove(entry.path(), statEc);
  }
}

// A new file beside `target` under a name nobody else has; -1 (errno set) when none can be made.
int createTempBeside(const fs::path& target, fs::path& made) {
  std::random_device rd;
  for (int attempt = 0; attempt < MaxNameTries; ++attempt) {
    made = folderOf(target) / (std::string(TempPrefix) + target.filename().string() + std::string(TempTag) +
                               std::to_string(rd() % TempNumberRange));
    const int fd = ::open(made.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, NewFileMode);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

// The new bytes, whole and on the disk, in a temporary file beside `target`
// with the old file's mode. Returns an error reason, empty on success.
std::string writeWholeTemp(const fs::path& target, const struct stat* old, std::span<const Byte> bytes,
                           fs::path& temp) {
  const int fd = createTempBeside(target, temp);
  if (fd < 0) return std::strerror(errno);
  if (old) {
    // The replacement keeps the old file's mode, and its owner and group as
    // far as the rights allow (a user cannot give a file away).
    [[maybe_unused]] const bool ownerKept =
        ::fchown(fd, old->st_uid, old->st_gid) == 0 || ::fchown(fd, static_cast<uid_t>(-1), old->st_gid) == 0;
    ::fchmod(fd, old->st_mode & PermissionBits);
  }
  const bool written = writeAllAt(fd, bytes) && ::fsync(fd) == 0;
  const int writeErrno = errno;
  const bool closed = ::close(fd) == 0;
  if (written && closed) return {};
  ::unlink(temp.c_str());
  return std::strerror(written ? errno : writeErrno);
}

// Puts `bytes` into the open file in place and syncs them.
bool overwriteInPlace(int fd, std::span<const Byte> bytes) {
  return writeAllAt(fd, bytes) && ::ftruncate(fd, static_cast<off_t>(bytes.size())) == 0 && ::fsync(fd) == 0;
}

// A file with more than one name: a new file renamed over this name would part
// it from the others, so the bytes go into the file itself. They are whole and
// synced beside it first; the copy over the old ones is the only step that can
// be cut short, and the temporary file then still holds them whole until the
// next save of the file. A copy that fails puts the old bytes back.
std::string writeIntoLinkedFile(const std::string& path, const fs::path& target, std::span<const Byte> bytes) {
  const FileBytes old = readRegularFile(target.string());
  if (!old.ok()) return old.error;
  fs::path temp;
  if (std::string why = writeWholeTemp(target, nullptr, bytes, temp); !why.empty())
    return failure(path, "the new contents could not be made ready: " + why);
  syncFolder(folderOf(target));
  const int fd = ::open(target.c_str(), O_WRONLY | O_CLOEXEC);
  if (fd < 0) {
    const int openErrno = errno;
    ::unlink(temp.c_str());
    return failure(path, std::strerror(openErrno));
  }
  const bool copied = overwriteInPlace(fd, bytes);
  const int copyErrno = errno;
  const bool restored = copied || overwriteInPlace(fd, old.bytes);
  const bool closed = ::close(fd) == 0;
  if (copied && closed) {
    ::unlink(temp.c_str());
    return {};
  }
  std::string reason = std::strerror(copied ? errno : copyErrno);
  if (!restored)
    reason += "; the new contents are kept whole in \"" + temp.string() + "\"";
  else
    ::unlink(temp.c_str());
  return failure(path, reason);
}

}  // namespace

bool isReadOnlyFile(const std::string& path) {
  struct stat info {};
  return ::stat(linkTarget(path).c_str(), &info) == 0 && S_ISREG(info.st_mode) && (info.st_mode & AnyWriteBits) == 0;
}

std::string writeFileAtomically(const std::string& path, std::span<const Byte> bytes, SaveConsent consent) {
  const fs::path target = linkTarget(path);
  struct stat old {};
  const bool exists = ::stat(target.c_str(), &old) == 0;
  if (exists && !S_ISREG(old.st_mode)) return failure(path, "it is not a regular file");
  if (exists && (old.st_mode & AnyWriteBits) == 0 && !consent.replaceReadOnly)
    return failure(path, "it is read-only; it was left as it was");
  removeSaveLeftovers(target);
  if (exists && old.st_nlink > 1) return writeIntoLinkedFile(path, target, bytes);

  fs::path temp;
  if (std::string why = writeWholeTemp(target, exists ? &old : nullptr, bytes, temp); !why.empty())
    return failure(path, why);
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
