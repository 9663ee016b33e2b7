#include "platform/PVolumes.h"

#include <sys/statvfs.h>

namespace vellomar {

DiskSpace diskSpaceAt(const std::string& linuxPath) {
  struct statvfs fs {};
  if (linuxPath.empty() || statvfs(linuxPath.c_str(), &fs) != 0) return {};
  const uint64_t unit = fs.f_frsize != 0 ? fs.f_frsize : fs.f_bsize;
  return {true, static_cast<uint64_t>(fs.f_blocks) * unit,
          static_cast<uint64_t>(fs.f_bfree) * unit};
}

}  // namespace vellomar
