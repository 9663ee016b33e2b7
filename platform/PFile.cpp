#include "platform/PFile.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

namespace vellomar {

namespace {

// pread and pwrite move at most this much per call on Linux; asking for less keeps ssize_t safe.
constexpr size_t kMaxTransfer = 0x7ffff000;

int openFlags(FileOpenMode mode) {
  switch (mode) {
    case FileOpenMode::kCreate:
      // No O_TRUNC: the file is emptied only once the lock shows nobody else has it open.
      return O_RDWR | O_CREAT;
    case FileOpenMode::kReadWrite:
      return O_RDWR;
    case FileOpenMode::kReadOnly:
      return O_RDONLY;
  }
  return O_RDONLY;
}

}  // namespace

bool PlatformFile::open(const std::string& name, FileOpenMode mode) {
  close();
  int fd;
  do {
    // O_NONBLOCK so a FIFO met while scanning cannot hang the open; it is refused below, and
    // on a regular file the flag changes nothing.
    fd = ::open(name.c_str(), openFlags(mode) | O_CLOEXEC | O_NONBLOCK, 0666);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) return false;
  struct stat st;
  const bool exclusive = mode != FileOpenMode::kReadOnly;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) ||
      !lockWithoutWaiting(fd, exclusive ? LOCK_EX : LOCK_SH) ||
      (mode == FileOpenMode::kCreate && ::ftruncate(fd, 0) != 0)) {
    ::close(fd);
    return false;
  }
  fd_ = fd;
  return true;
}

bool lockWithoutWaiting(int fd, int operation) {
  int result;
  do {
    result = ::flock(fd, operation | LOCK_NB);
  } while (result != 0 && errno == EINTR);
  return result == 0;
}

OpenRefusal openRefusal(const std::string& name, FileOpenMode mode) {
  struct stat st;
  if (::stat(name.c_str(), &st) != 0) {
    if (errno == ENOENT || errno == ENOTDIR) return OpenRefusal::kMissing;
    return errno == EACCES ? OpenRefusal::kNoPermission : OpenRefusal::kOther;
  }
  if (S_ISDIR(st.st_mode)) return OpenRefusal::kFolder;
  if (!S_ISREG(st.st_mode)) return OpenRefusal::kNotRegularFile;
  int fd;
  do {
    fd = ::open(name.c_str(), openFlags(mode) | O_CLOEXEC | O_NONBLOCK, 0666);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0)
    return errno == EACCES || errno == EPERM || errno == EROFS ? OpenRefusal::kNoPermission
                                                               : OpenRefusal::kOther;
  const bool locked = lockWithoutWaiting(fd, mode == FileOpenMode::kReadOnly ? LOCK_SH : LOCK_EX);
  const bool held = !locked && errno == EWOULDBLOCK;
  ::close(fd);
  if (locked) return OpenRefusal::kNone;
  return held ? OpenRefusal::kHeld : OpenRefusal::kOther;
}

void PlatformFile::close() {
  if (fd_ < 0) return;
  // The lock goes with the descriptor. A close interrupted on Linux has still closed it.
  ::close(fd_);
  fd_ = -1;
}

std::optional<uint64_t> PlatformFile::size() const {
  struct stat st;
  if (fd_ < 0 || ::fstat(fd_, &st) != 0) return std::nullopt;
  return static_cast<uint64_t>(st.st_size);
}

int64_t PlatformFile::readAt(uint64_t offset, void* buffer, size_t n) const {
  auto* out = static_cast<char*>(buffer);
  size_t done = 0;
  while (done < n) {
    const ssize_t got = ::pread(fd_, out + done, std::min(n - done, kMaxTransfer),
                                static_cast<off_t>(offset + done));
    if (got < 0) {
      if (errno == EINTR) continue;
      return -1;
    }
    if (got == 0) break;
    done += static_cast<size_t>(got);
  }
  return static_cast<int64_t>(done);
}

bool PlatformFile::writeAt(uint64_t offset, const void* data, size_t n) {
  const auto* in = static_cast<const char*>(data);
  size_t done = 0;
  while (done < n) {
    const ssize_t put = ::pwrite(fd_, in + done, std::min(n - done, kMaxTransfer),
                                 static_cast<off_t>(offset + done));
    if (put < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (put == 0) return false;
    done += static_cast<size_t>(put);
  }
  return true;
}

bool PlatformFile::flush() {
  if (fd_ < 0) return false;
  // EINVAL: a file system that keeps nothing to put on a disk.
  return ::fsync(fd_) == 0 || errno == EINVAL;
}

std::optional<FileTime> PlatformFile::modificationTime() const {
  struct stat st;
  if (fd_ < 0 || ::fstat(fd_, &st) != 0) return std::nullopt;
  return FileTime{st.st_mtim.tv_sec, st.st_mtim.tv_nsec};
}

bool PlatformFile::setModificationTime(FileTime time) {
  struct timespec times[2];
  times[0].tv_sec = 0;
  times[0].tv_nsec = UTIME_OMIT;
  times[1].tv_sec = static_cast<time_t>(time.seconds);
  times[1].tv_nsec = static_cast<long>(time.nanoseconds);
  return fd_ >= 0 && ::futimens(fd_, times) == 0;
}

}  // namespace vellomar
