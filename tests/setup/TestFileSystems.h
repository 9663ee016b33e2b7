#pragma once

#include <sys/mount.h>
#include <sys/resource.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <string>
#include <vector>

namespace vellomar::test {

// A tmpfs of a few pages over a folder for the life of the object, so a test can fill a file
// system or make one read-only, which holds for root too. Only root may mount; elsewhere, or
// where the system refuses, mounted() is false and the test takes another way or skips.
class SmallFileSystem {
 public:
  SmallFileSystem(std::string folder, size_t bytes) : folder_(std::move(folder)) {
    std::filesystem::create_directories(folder_);
    options_ = "size=" + std::to_string(bytes) + ",mode=0755";
    mounted_ =
        ::geteuid() == 0 && ::mount("tmpfs", folder_.c_str(), "tmpfs", 0, options_.c_str()) == 0;
  }
  ~SmallFileSystem() {
    if (mounted_) ::umount2(folder_.c_str(), MNT_DETACH);
  }
  SmallFileSystem(const SmallFileSystem&) = delete;
  SmallFileSystem& operator=(const SmallFileSystem&) = delete;

  bool mounted() const { return mounted_; }
  bool makeReadOnly() {
    return mounted_ && ::mount("tmpfs", folder_.c_str(), "tmpfs", MS_REMOUNT | MS_RDONLY,
                               options_.c_str()) == 0;
  }

 private:
  std::string folder_;
  std::string options_;
  bool mounted_ = false;
};

// Folders made read-only while the object lives: by remounting the small file system they lie
// on, which holds for root too, or else by their permissions, which only an ordinary user heeds.
// held() is false when neither holds.
class ReadOnlyFolders {
 public:
  ReadOnlyFolders(SmallFileSystem& fileSystem, std::vector<std::string> folders) {
    if (fileSystem.mounted()) {
      held_ = fileSystem.makeReadOnly();
    } else if (::geteuid() != 0) {
      folders_ = std::move(folders);
      for (const std::string& folder : folders_) {
        std::filesystem::permissions(folder, std::filesystem::perms(0555));
      }
      held_ = true;
    }
  }
  ~ReadOnlyFolders() {
    for (const std::string& folder : folders_) {
      std::filesystem::permissions(folder, std::filesystem::perms(0755));
    }
  }
  ReadOnlyFolders(const ReadOnlyFolders&) = delete;
  ReadOnlyFolders& operator=(const ReadOnlyFolders&) = delete;

  bool held() const { return held_; }

 private:
  std::vector<std::string> folders_;  // whose permissions to give back
  bool held_ = false;
};

// Files of the process cannot grow past a size while the object lives: writes beyond it fail
// with EFBIG, as a full disk fails them with ENOSPC, for any user.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    ::getrlimit(RLIMIT_FSIZE, &saved_);
    previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit = saved_;
    limit.rlim_cur = bytes;
    ::setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~FileSizeLimit() {
    ::setrlimit(RLIMIT_FSIZE, &saved_);
    std::signal(SIGXFSZ, previousHandler_);
  }
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;

 private:
  rlimit saved_{};
  void (*previousHandler_)(int) = nullptr;
};

}  // namespace vellomar::test
