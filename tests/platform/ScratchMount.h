#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/mount.h>
#include <unistd.h>

#include <string>

namespace vellomar {

// Mounts a memory file system of its own when the test may (as root in a container).
class ScratchMount {
 public:
  ScratchMount() {
    std::string pattern = testing::TempDir() + "vellomar-mount-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) return;
    folder_ = pattern;
    mounted_ = mount("vellomar-test", folder_.c_str(), "tmpfs", 0, "size=64k") == 0;
  }
  ~ScratchMount() {
    unmount();
    if (!folder_.empty()) rmdir(folder_.c_str());
  }
  bool mounted() const { return mounted_; }
  const std::string& folder() const { return folder_; }
  void unmount() {
    if (mounted_) umount(folder_.c_str());
    mounted_ = false;
  }

 private:
  std::string folder_;
  bool mounted_ = false;
};

}  // namespace vellomar
