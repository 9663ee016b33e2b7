#pragma once

#include <stdlib.h>
#include <sys/mount.h>
#include <unistd.h>

#include <string>

#include "tests/support/TempFolder.h"

namespace vellomar {

// A file system mounted by the test itself, where the test may mount (as root in a
// container): a small memory file system, or a disk image made with mkfs and a label.
class ScratchMount {
 public:
  ScratchMount() {
    mounted_ = mount("vellomar-test", folder_.c_str(), "tmpfs", 0, "size=64k") == 0;
  }
  ScratchMount(const std::string& fsType, const std::string& label) {
    image_ = folder_ + ".img";
    const std::string make = "truncate -s 4M '" + image_ + "' && mkfs." + fsType + " -q -L '" +
                             label + "' '" + image_ + "' >/dev/null 2>&1";
    const std::string attach = "mount -o loop '" + image_ + "' '" + folder_ + "' 2>/dev/null";
    mounted_ = geteuid() == 0 && system(make.c_str()) == 0 && system(attach.c_str()) == 0;
  }
  ~ScratchMount() {
    unmount();
    if (!image_.empty()) unlink(image_.c_str());
  }
  ScratchMount(const ScratchMount&) = delete;
  ScratchMount& operator=(const ScratchMount&) = delete;

  bool mounted() const { return mounted_; }
  const std::string& folder() const { return folder_; }
  void unmount() {
    if (mounted_) umount(folder_.c_str());
    mounted_ = false;
  }

 private:
  test::TempFolder scratch_{"vellomar-mount"};  // outlives the mount on it
  const std::string& folder_ = scratch_.path();
  std::string image_;
  bool mounted_ = false;
};

}  // namespace vellomar
