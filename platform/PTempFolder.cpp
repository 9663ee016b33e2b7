#include "platform/PTempFolder.h"

#include <stdlib.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <vector>

namespace vellomar {
namespace {

bool isFolder(const char* path) {
  struct stat info;
  return path != nullptr && path[0] == '/' && stat(path, &info) == 0 && S_ISDIR(info.st_mode);
}

}  // namespace

std::string systemTempFolder() {
  const char* fromEnvironment = std::getenv("TMPDIR");
  std::string folder = isFolder(fromEnvironment) ? fromEnvironment : isFolder("/tmp") ? "/tmp" : "";
  if (!folder.empty() && folder.back() != '/') folder += '/';
  return folder;
}

std::unique_ptr<PrivateTempFolder> PrivateTempFolder::create(const std::string& prefix) {
  const std::string parent = systemTempFolder();
  if (parent.empty()) return nullptr;
  const std::string pattern = parent + prefix + "XXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  // mkdtemp makes the folder with mode 0700 and fails rather than use anything already there.
  if (mkdtemp(name.data()) == nullptr) return nullptr;
  return std::unique_ptr<PrivateTempFolder>(new PrivateTempFolder(std::string(name.data()) + "/"));
}

PrivateTempFolder::~PrivateTempFolder() {
  std::error_code error;
  std::filesystem::remove_all(path_, error);
}

}  // namespace vellomar
