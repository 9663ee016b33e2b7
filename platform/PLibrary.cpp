#include "platform/PLibrary.h"

#include <dirent.h>
#include <dlfcn.h>
#include <sys/stat.h>

#include <cstring>
#include <memory>
#include <mutex>
#include <utility>

#include "platform/PKernelFile.h"
#include "platform/PObjectFile.h"

namespace vellomar {

SharedLibrary::~SharedLibrary() {
  unload();
}

SharedLibrary::SharedLibrary(SharedLibrary&& other) noexcept
    : handle_(std::exchange(other.handle_, nullptr)),
      broken_(std::exchange(other.broken_, false)) {}

SharedLibrary& SharedLibrary::operator=(SharedLibrary&& other) noexcept {
  if (this != &other) {
    unload();
    handle_ = std::exchange(other.handle_, nullptr);
    broken_ = std::exchange(other.broken_, false);
  }
  return *this;
}

SharedLibrary SharedLibrary::load(const std::string& path) {
  // A name without "/" would make dlopen search the system's library path.
  if (path.find('/') == std::string::npos) return SharedLibrary();
  if (objectFileFit(path) == ObjectFileFit::kCut) return SharedLibrary(nullptr, true);
  return SharedLibrary(dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL));
}

void* SharedLibrary::symbol(const char* name) const {
  return handle_ ? dlsym(handle_, name) : nullptr;
}

void SharedLibrary::unload() {
  if (handle_) dlclose(std::exchange(handle_, nullptr));
}

namespace {

bool isRegularFile(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool equalIgnoringAsciiCase(const char* a, const std::string& b) {
  return strcasecmp(a, b.c_str()) == 0;
}

std::string withSlash(std::string folder) {
  if (folder.empty() || folder.back() != '/') folder += '/';
  return folder;
}

std::mutex programFolderMutex;
std::string programFolderOverride;

}  // namespace

LibraryBinding::LibraryBinding(std::string fileName, std::vector<const char*> entryNames,
                               std::string folder)
    : fileName_(std::move(fileName)),
      entryNames_(std::move(entryNames)),
      folder_(std::move(folder)) {}

bool LibraryBinding::bind() {
  if (state_ != State::NotTried) return state_ == State::Bound;
  state_ = State::Absent;
  const std::string path =
      findFileIgnoringCase(folder_.empty() ? programFolder() : folder_, fileName_);
  if (path.empty()) return false;
  SharedLibrary library = SharedLibrary::load(path);
  std::vector<void*> entries;
  for (const char* name : entryNames_) {
    void* entry = library.symbol(name);
    if (!entry) return false;
    entries.push_back(entry);
  }
  library_ = std::move(library);
  entries_ = std::move(entries);
  state_ = State::Bound;
  return true;
}

void* LibraryBinding::entry(size_t index) const {
  return index < entries_.size() ? entries_[index] : nullptr;
}

std::string findFileIgnoringCase(const std::string& folder, const std::string& name) {
  // No folder is no place to look: never the root, never the current folder.
  if (folder.empty()) return {};
  const std::string base = withSlash(folder);
  if (isRegularFile(base + name)) return base + name;
  std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir(base.c_str()), closedir);
  if (!dir) return {};
  while (const dirent* entry = readdir(dir.get())) {
    if (equalIgnoringAsciiCase(entry->d_name, name) && isRegularFile(base + entry->d_name)) {
      return base + entry->d_name;
    }
  }
  return {};
}

std::string programFolder() {
  {
    std::lock_guard lock(programFolderMutex);
    if (!programFolderOverride.empty()) return programFolderOverride;
  }
  const std::string path = kernelProgramPath();
  return path.substr(0, path.rfind('/') + 1);
}

void setProgramFolder(const std::string& folder) {
  std::lock_guard lock(programFolderMutex);
  programFolderOverride = folder.empty() ? std::string() : withSlash(folder);
}

}  // namespace vellomar
