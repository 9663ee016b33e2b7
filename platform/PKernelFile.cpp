#include "platform/PKernelFile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdio>
#include <ctime>

namespace vellomar {

namespace {

// Descriptors above the 16-bit range cannot be handed out as old-style handles.
KernelHandle toHandle(int fd) {
  if (fd < 0) return kKernelBadHandle;
  if (fd > INT16_MAX) {
    ::close(fd);
    return kKernelBadHandle;
  }
  return static_cast<KernelHandle>(fd);
}

}  // namespace

// Files are written only under their own name: a symbolic link planted in the target folder
// must not carry the data somewhere else.
KernelHandle kernelCreate(const char* path) {
  return toHandle(::open(path, O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0644));
}

KernelHandle kernelOpen(const char* path, int mode) {
  const int access = (mode & 0x03) == kKernelOpenReadWrite ? O_RDWR | O_NOFOLLOW : O_RDONLY;
  const int fd = ::open(path, access | O_CLOEXEC);
  if (fd < 0) return kKernelBadHandle;
  if ((mode & 0x70) == kKernelShareExclusive && ::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    ::close(fd);
    return kKernelBadHandle;
  }
  return toHandle(fd);
}

int32_t kernelRead(KernelHandle handle, void* buffer, uint32_t count) {
  auto* out = static_cast<char*>(buffer);
  uint32_t done = 0;
  while (done < count) {
    const ssize_t n = ::read(handle, out + done, count - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return -1;
    if (n == 0) break;
    done += static_cast<uint32_t>(n);
  }
  return static_cast<int32_t>(done);
}

int32_t kernelWrite(KernelHandle handle, const void* buffer, uint32_t count) {
  const auto* in = static_cast<const char*>(buffer);
  uint32_t done = 0;
  while (done < count) {
    const ssize_t n = ::write(handle, in + done, count - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return done > 0 ? static_cast<int32_t>(done) : -1;
    done += static_cast<uint32_t>(n);
  }
  return static_cast<int32_t>(done);
}

int32_t kernelSeek(KernelHandle handle, int32_t offset, KernelSeekOrigin origin) {
  const int whence = origin == KernelSeekOrigin::kStart     ? SEEK_SET
                     : origin == KernelSeekOrigin::kCurrent ? SEEK_CUR
                                                            : SEEK_END;
  const off_t position = ::lseek(handle, offset, whence);
  if (position < 0 || position > INT32_MAX) return -1;
  return static_cast<int32_t>(position);
}

int32_t kernelClose(KernelHandle handle) {
  return ::close(handle) == 0 ? 0 : -1;
}

bool kernelFileExists(const char* path) {
  struct stat st;
  return ::lstat(path, &st) == 0;
}

bool kernelDeleteFile(const char* path) {
  return ::unlink(path) == 0;
}

bool kernelRenameFile(const char* from, const char* to) {
  return ::rename(from, to) == 0;
}

bool kernelCreateFolder(const char* path) {
  return ::mkdir(path, 0755) == 0;
}

bool kernelSetExecutable(const char* path) {
  return ::chmod(path, 0755) == 0;
}

std::string kernelProgramPath() {
  char buffer[PATH_MAX];
  const ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer);
  if (n <= 0 || static_cast<size_t>(n) >= sizeof buffer) return {};
  return std::string(buffer, static_cast<size_t>(n));
}

std::string kernelCurrentFolder() {
  char buffer[PATH_MAX];
  if (::getcwd(buffer, sizeof buffer) == nullptr) return {};
  return buffer;
}

bool kernelDosDateTimeToUnix(uint32_t dosDateTime, int64_t& seconds) {
  const unsigned date = dosDateTime >> 16;
  const unsigned time = dosDateTime & 0xFFFF;
  const std::chrono::year_month_day day{std::chrono::year(static_cast<int>(1980 + (date >> 9))),
                                        std::chrono::month((date >> 5) & 0x0F),
                                        std::chrono::day(date & 0x1F)};
  const unsigned hour = time >> 11;
  const unsigned minute = (time >> 5) & 0x3F;
  const unsigned second = (time & 0x1F) * 2;
  if (!day.ok() || hour > 23 || minute > 59 || second > 59) return false;
  seconds = std::chrono::sys_seconds(std::chrono::sys_days(day)).time_since_epoch().count() +
            hour * 3600 + minute * 60 + second;
  return true;
}

uint32_t kernelUnixToDosDateTime(int64_t seconds) {
  const time_t t = static_cast<time_t>(seconds);
  struct tm parts;
  if (gmtime_r(&t, &parts) == nullptr || parts.tm_year < 80 || parts.tm_year > 80 + 127) return 0;
  const uint32_t date =
      static_cast<uint32_t>((parts.tm_year - 80) << 9 | (parts.tm_mon + 1) << 5 | parts.tm_mday);
  const uint32_t time =
      static_cast<uint32_t>(parts.tm_hour << 11 | parts.tm_min << 5 | parts.tm_sec / 2);
  return date << 16 | time;
}

bool kernelSetFileTime(const char* path, int64_t seconds) {
  struct timespec times[2];
  times[0].tv_sec = static_cast<time_t>(seconds);
  times[0].tv_nsec = 0;
  times[1] = times[0];
  return ::utimensat(AT_FDCWD, path, times, 0) == 0;
}

bool kernelFileDosDateTime(const char* path, uint32_t& dosDateTime) {
  struct stat st;
  if (::stat(path, &st) != 0) return false;
  dosDateTime = kernelUnixToDosDateTime(st.st_mtim.tv_sec);
  return true;
}

std::optional<FileTime> kernelLastWriteTime(const char* path) {
  struct stat st;
  if (::stat(path, &st) != 0) return std::nullopt;
  return FileTime{st.st_mtim.tv_sec, st.st_mtim.tv_nsec};
}

}  // namespace vellomar
