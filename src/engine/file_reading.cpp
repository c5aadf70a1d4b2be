#include "engine/file_reading.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quillon {

namespace {

constexpr std::size_t ReadChunk = 1 << 20;

std::string cannotOpen(const std::string& path, const std::string& why) {
  return "Cannot open \"" + path + "\": " + why + ".";
}

std::string cannotRead(const std::string& path, const std::string& why) {
  return "Cannot read \"" + path + "\": " + why + ".";
}

// What a path that is no regular file names instead, in the user's words.
std::string notARegularFile(mode_t mode) {
  if (S_ISDIR(mode)) return "it is a folder, not a file";
  if (S_ISFIFO(mode)) return "it is a named pipe (FIFO), not a file";
  if (S_ISSOCK(mode)) return "it is a socket, not a file";
  if (S_ISCHR(mode) || S_ISBLK(mode)) return "it is a device, not a file";
  return "it is not a regular file";
}

std::string megabytes(std::uintmax_t bytes) { return std::to_string(bytes >> 20) + " MB"; }

// An open file descriptor that closes itself.
class ReadDescriptor {
 public:
  explicit ReadDescriptor(int fd) : fd_(fd) {}
  ~ReadDescriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  ReadDescriptor(const ReadDescriptor&) = delete;
  ReadDescriptor& operator=(const ReadDescriptor&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

// Opens without blocking (a FIFO without a writer would hold a plain open for
// good), then asks the open file itself what it is, so a path swapped between
// a look and the open cannot slip through. Returns -1 with `error` set.
int openRegular(const std::string& path, struct stat& info, std::string& error, bool* missing = nullptr) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) {
    const bool none = errno == ENOENT;
    if (missing) *missing = none;
    error = none ? cannotOpen(path, "no such file") : cannotOpen(path, std::strerror(errno));
    return -1;
  }
  const bool known = ::fstat(fd, &info) == 0;
  if (!known || !S_ISREG(info.st_mode)) {
    error = cannotOpen(path, known ? notARegularFile(info.st_mode) : std::strerror(errno));
    ::close(fd);
    return -1;
  }
  // Reads from a regular file never wait, but a plain descriptor is what the reads below expect.
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  return fd;
}

// Reads from `offset` until `out` is full or the file ends; false on a failure (errno set).
bool readAt(int fd, std::int64_t offset, Byte* out, std::size_t length, std::size_t& got) {
  got = 0;
  while (got < length) {
    const ssize_t n = ::pread(fd, out + got, std::min(length - got, ReadChunk), static_cast<off_t>(offset + got));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) break;
    got += static_cast<std::size_t>(n);
  }
  return true;
}

}  // namespace

FileBytes readRegularFile(const std::string& path, std::uintmax_t ceiling) {
  FileBytes result;
  struct stat info {};
  const ReadDescriptor fd(openRegular(path, info, result.error, &result.missing));
  if (fd.get() < 0) return result;
  const auto size = static_cast<std::uintmax_t>(info.st_size);
  if (size > ceiling) {
    result.error = cannotRead(path, "the file is " + megabytes(size) + ", more than the " + megabytes(ceiling) +
                                        " a SysEx dump or list can be");
    return result;
  }
  result.bytes.resize(static_cast<std::size_t>(size));
  std::size_t got = 0;
  if (!readAt(fd.get(), 0, result.bytes.data(), result.bytes.size(), got)) {
    result.bytes.clear();
    result.error = cannotRead(path, std::strerror(errno));
    return result;
  }
  result.bytes.resize(got);  // the file shrank while it was read: what is there counts
  return result;
}

std::string readRegularFileWindow(const std::string& path, std::int64_t offset, Bytes& window) {
  std::string error;
  struct stat info {};
  const ReadDescriptor fd(openRegular(path, info, error));
  if (fd.get() < 0) return error;
  std::size_t got = 0;
  if (!readAt(fd.get(), offset, window.data(), window.size(), got)) return cannotRead(path, std::strerror(errno));
  return {};
}

}  // namespace quillon
