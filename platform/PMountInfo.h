#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vellomar {

// One line of /proc/self/mountinfo.
struct MountEntry {
  unsigned major = 0;  // st_dev of files on the mount; 0 for file systems without a device
  unsigned minor = 0;
  std::string root;  // the folder of the file system that is mounted (not "/" for a bind mount)
  std::string mountPoint;
  std::string fsType;  // "ext4", "vfat", "nfs4", "fuse.sshfs"
  std::string source;  // "/dev/sdb1", "//server/share", "server:/export"
};

// Lines in the order the kernel lists them (later mounts over the same point hide earlier ones).
// Octal escapes (\040 for a blank) are decoded; malformed lines are skipped.
std::vector<MountEntry> parseMountInfo(std::string_view text);

// Whether an absolute, normalised path is the folder or lies below it ("/media/cd" does not
// hold "/media/cdrom").
bool isWithinFolder(const std::string& path, const std::string& folder);

// The live mount table, read again only when the kernel reports that a mount came or went, so
// looking up a drive at each use costs one poll.
class MountTableWatch {
 public:
  MountTableWatch() = default;
  ~MountTableWatch();
  MountTableWatch(const MountTableWatch&) = delete;
  MountTableWatch& operator=(const MountTableWatch&) = delete;

  const std::string& text();

 private:
  int fd_ = -1;
  std::string text_;
};

// The text of a file read whole; empty when it cannot be read.
std::string readWholeFile(const std::string& path);

}  // namespace vellomar
