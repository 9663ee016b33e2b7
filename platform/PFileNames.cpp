#include "platform/PFileNames.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace vellomar {

namespace {

std::string folderOf(const std::string& path) {
  const size_t cut = path.find_last_of('/');
  if (cut == std::string::npos) return ".";
  return cut == 0 ? "/" : path.substr(0, cut);
}

// A rename is on the disk only once its folder is.
bool syncFolder(const std::string& path) {
  const int fd = ::open(folderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool synced = ::fsync(fd) == 0 || errno == EINVAL;
  ::close(fd);
  return synced;
}

}  // namespace

std::optional<FileIdentity> fileIdentity(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return std::nullopt;
  return FileIdentity{static_cast<uint64_t>(info.st_dev), static_cast<uint64_t>(info.st_ino)};
}

bool isRegularFile(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool replaceFileName(const std::string& from, const std::string& to) {
  return ::rename(from.c_str(), to.c_str()) == 0 && syncFolder(to);
}

bool addFileName(const std::string& existing, const std::string& newName) {
  return ::link(existing.c_str(), newName.c_str()) == 0 && syncFolder(newName);
}

bool removeFileName(const std::string& path) {
  struct stat info {};
  if (::lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
    errno = EISDIR;
    return false;
  }
  return ::unlink(path.c_str()) == 0;
}

}  // namespace vellomar
