#include "platform/PWholeFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

namespace vellomar {

namespace {

bool writeAll(int fd, std::string_view data) {
  while (!data.empty()) {
    const ssize_t n = ::write(fd, data.data(), data.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (n == 0) errno = EIO;
      return false;
    }
    data.remove_prefix(static_cast<size_t>(n));
  }
  return true;
}

// Keeps errno of the failure across the clean-up calls.
bool failAndRemove(int fd, const std::string& temporary) {
  const int error = errno;
  if (fd >= 0) ::close(fd);
  ::unlink(temporary.c_str());
  errno = error;
  return false;
}

std::string folderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace

std::optional<std::string> readFileContents(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  std::string contents;
  std::vector<char> buffer(65536);
  for (;;) {
    const ssize_t n = ::read(fd, buffer.data(), buffer.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      const int error = errno;
      ::close(fd);
      errno = error;
      return std::nullopt;
    }
    if (n == 0) break;
    contents.append(buffer.data(), static_cast<size_t>(n));
  }
  ::close(fd);
  return contents;
}

bool replaceWholeFile(const std::string& path, std::string_view contents) {
  const std::string folder = folderOf(path);
  if (!makeFolderChain(folder)) return false;
  std::string temporary = path + ".XXXXXX";
  const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
  if (fd < 0) return false;
  struct stat old {};
  const mode_t mode = ::stat(path.c_str(), &old) == 0 ? old.st_mode & 07777 : 0644;
  if (::fchmod(fd, mode) != 0 || !writeAll(fd, contents) || ::fsync(fd) != 0) {
    return failAndRemove(fd, temporary);
  }
  if (::close(fd) != 0) return failAndRemove(-1, temporary);
  if (::rename(temporary.c_str(), path.c_str()) != 0) return failAndRemove(-1, temporary);
  // The rename itself must reach the disk too.
  const int folderFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folderFd >= 0) {
    ::fsync(folderFd);
    ::close(folderFd);
  }
  return true;
}

bool makeFolderChain(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) == 0) {
    if (S_ISDIR(info.st_mode)) return true;
    errno = ENOTDIR;
    return false;
  }
  if (errno != ENOENT) return false;
  const std::string parent = folderOf(path.back() == '/' ? path.substr(0, path.size() - 1) : path);
  if (parent != path && !makeFolderChain(parent)) return false;
  if (::mkdir(path.c_str(), 0755) == 0 || errno == EEXIST) {
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
  }
  return false;
}

}  // namespace vellomar
