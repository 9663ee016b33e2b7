#include "platform/PTempFolder.h"

#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <vector>

#include "platform/PFile.h"

namespace vellomar {
namespace {

bool isFolder(const char* path) {
  struct stat info;
  return path != nullptr && path[0] == '/' && stat(path, &info) == 0 && S_ISDIR(info.st_mode);
}

// The folder opened without following a link, and locked without waiting; -1 when either fails.
int lockFolder(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return -1;
  if (lockWithoutWaiting(fd, LOCK_EX)) return fd;
  ::close(fd);
  return -1;
}

// Whether the process named in "prefix<pid>-......" runs; a folder that has no pid in its name
// has no process either.
bool processRuns(std::string_view name, size_t prefixLength) {
  const std::string_view rest = name.substr(prefixLength);
  const size_t dash = rest.find('-');
  if (dash == 0 || dash == std::string_view::npos || dash > 9) return false;
  long pid = 0;
  for (const char c : rest.substr(0, dash)) {
    if (c < '0' || c > '9') return false;
    pid = pid * 10 + (c - '0');
  }
  return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

}  // namespace

std::string systemTempFolder() {
  const char* fromEnvironment = std::getenv("TMPDIR");
  std::string folder = isFolder(fromEnvironment) ? fromEnvironment : isFolder("/tmp") ? "/tmp" : "";
  if (!folder.empty() && folder.back() != '/') folder += '/';
  return folder;
}

std::unique_ptr<PrivateTempFolder> PrivateTempFolder::create(const std::string& prefix) {
  return createIn(systemTempFolder(), prefix);
}

std::unique_ptr<PrivateTempFolder> PrivateTempFolder::createIn(std::string parent,
                                                               const std::string& prefix) {
  if (parent.empty()) return nullptr;
  if (parent.back() != '/') parent += '/';
  const std::string pattern = parent + prefix + std::to_string(::getpid()) + "-XXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  // mkdtemp makes the folder with mode 0700 and fails rather than use anything already there.
  if (mkdtemp(name.data()) == nullptr) return nullptr;
  const int lock = lockFolder(name.data());
  if (lock < 0) {
    ::rmdir(name.data());
    return nullptr;
  }
  return std::unique_ptr<PrivateTempFolder>(
      new PrivateTempFolder(std::string(name.data()) + "/", lock));
}

int PrivateTempFolder::removeAbandoned(std::string parent, const std::string& prefix) {
  if (parent.empty()) return 0;
  if (parent.back() != '/') parent += '/';
  std::vector<std::string> names;
  std::error_code error;
  for (std::filesystem::directory_iterator it(parent, error), end; !error && it != end;
       it.increment(error)) {
    std::string name = it->path().filename().string();
    if (name.starts_with(prefix)) names.push_back(std::move(name));
  }
  int removed = 0;
  for (const std::string& name : names) {
    const std::string path = parent + name;
    struct stat info;
    if (::lstat(path.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != ::geteuid())
      continue;
    // The process may have made its folder and not locked it yet: its id in the name tells.
    if (processRuns(name, prefix.size())) continue;
    const int lock = lockFolder(path);
    if (lock < 0) continue;
    std::filesystem::remove_all(path, error);
    ::close(lock);
    if (!error) ++removed;
  }
  return removed;
}

PrivateTempFolder::~PrivateTempFolder() {
  // Without the trailing "/": through it the name of a link would stand for its target, whose
  // content would then go.
  std::error_code error;
  std::filesystem::remove_all(path_.substr(0, path_.size() - 1), error);
  ::close(lock_);
}

}  // namespace vellomar
