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
  return createIn(systemTempFolder(), prefix);
}

std::unique_ptr<PrivateTempFolder> PrivateTempFolder::createIn(std::string parent,
                                                               const std::string& prefix) {
  if (parent.empty()) return nullptr;
  if (parent.back() != '/') parent += '/';
  const std::string pattern = parent + prefix + "XXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  // mkdtemp makes the folder with mode 0700 and fails rather than use anything already there.
  if (mkdtemp(name.data()) == nullptr) return nullptr;
  return std::unique_ptr<PrivateTempFolder>(new PrivateTempFolder(std::string(name.data()) + "/"));
}

PrivateTempFolder::~PrivateTempFolder() {
  // Without the trailing "/": through it the name of a link would stand for its target, whose
  // content would then go.
  std::error_code error;
  std::filesystem::remove_all(path_.substr(0, path_.size() - 1), error);
}

}  // namespace vellomar
