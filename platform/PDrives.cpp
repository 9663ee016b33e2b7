#include "platform/PDrives.h"

#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <map>
#include <memory>
#include <set>

#include "platform/PAsciiText.h"

namespace vellomar {
namespace {

constexpr char kFirstLetter = 'A';
constexpr char kRootLetter = 'C';
constexpr size_t kLetterCount = 26;

// Kernel and container file systems that carry no user files, even when a device backs them.
const std::set<std::string, std::less<>> kPseudoFileSystems = {
    "proc", "sysfs", "cgroup", "cgroup2", "devpts", "devtmpfs", "squashfs", "overlay",
};
const std::set<std::string, std::less<>> kMemoryFileSystems = {"tmpfs", "ramfs"};
const std::set<std::string, std::less<>> kNetworkFileSystems = {
    "nfs", "nfs4", "cifs",   "smb3",      "smbfs",      "ncpfs",       "9p",
    "afs", "ceph", "lustre", "glusterfs", "fuse.sshfs", "fuse.rclone", "davfs",
};

// The key of a mount point in the saved assignments: blanks, control bytes and backslashes
// written as \ooo keep it on one line of a settings file.
std::string mountKey(const std::string& mountPoint) {
  std::string key = "mount:";
  for (const char c : mountPoint) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte <= ' ' || byte == 0x7F || c == '\\') {
      key += '\\';
      key += static_cast<char>('0' + ((byte >> 6) & 7));
      key += static_cast<char>('0' + ((byte >> 3) & 7));
      key += static_cast<char>('0' + (byte & 7));
    } else {
      key += c;
    }
  }
  return key;
}

// The drive's own serial (and partition) survives a new device name after re-plugging.
std::string deviceKey(const DeviceInfo& info, BlockDevice device) {
  const std::string serial = info.udevProperty(device, "ID_SERIAL");
  if (!serial.empty()) {
    const std::string part = info.udevProperty(device, "ID_PART_ENTRY_NUMBER");
    return "device:" + serial + (part.empty() ? "" : "-part" + part);
  }
  const std::string name = info.kernelName(device);
  return "device:" +
         (name.empty() ? std::to_string(device.major) + ":" + std::to_string(device.minor) : name);
}

// Container runtimes bind single files (/etc/hosts) from the host's disk.
bool mountsAFile(const std::string& mountPoint) {
  struct stat st {};
  return stat(mountPoint.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

struct Candidate {
  Drive drive;
  std::string order;  // mount point, or device name for drives bound to a device
  bool floppy = false;
  const MountEntry* mount = nullptr;  // for mount-bound drives on a block device
};

std::vector<Candidate> findCandidates(const std::vector<MountEntry>& mounts, const DeviceInfo& info,
                                      bool includeTmpfs) {
  std::vector<Candidate> found;
  std::set<std::pair<unsigned, unsigned>> devicesSeen;
  auto addDeviceDrive = [&](BlockDevice device) {
    if (!devicesSeen.insert({device.major, device.minor}).second) return;
    Candidate c;
    c.floppy = info.isFloppy(device);
    c.drive.kind = info.isOptical(device) ? DriveKind::kOptical : DriveKind::kRemovable;
    c.drive.device = device;
    c.drive.key = deviceKey(info, device);
    c.order = info.kernelName(device);
    found.push_back(std::move(c));
  };
  for (const MountEntry& m : mounts) {
    Candidate c;
    c.drive.mountPoint = m.mountPoint;
    c.drive.key = mountKey(m.mountPoint);
    c.order = m.mountPoint;
    const bool network = kNetworkFileSystems.contains(m.fsType);
    if (m.mountPoint == "/") {
      c.drive.kind = network ? DriveKind::kRemote : DriveKind::kFixed;
      c.drive.letter = kRootLetter;
      c.mount = &m;
    } else if (kPseudoFileSystems.contains(m.fsType)) {
      continue;
    } else if (network) {
      // Not touched: a share whose server is gone would hang the caller.
      c.drive.kind = DriveKind::kRemote;
    } else if (kMemoryFileSystems.contains(m.fsType)) {
      if (!includeTmpfs || mountsAFile(m.mountPoint)) continue;
      c.drive.kind = DriveKind::kRamDisk;
    } else {
      const BlockDevice device = info.deviceOfMount(m);
      if (!device.valid() || mountsAFile(m.mountPoint)) continue;
      if (info.isFloppy(device) || info.isOptical(device) || info.isRemovable(device)) {
        if (m.root == "/") addDeviceDrive(device);
        continue;
      }
      c.drive.kind = DriveKind::kFixed;
      c.mount = &m;
    }
    found.push_back(std::move(c));
  }
  // Drives for removable discs exist also with no disc in them.
  for (const BlockDevice device : info.blockDevices()) {
    if (info.isFloppy(device) || info.isOptical(device)) addDeviceDrive(device);
  }
  return found;
}

// A second mount of a file system, or of a folder inside it, is reachable under the first.
void dropBindMounts(std::vector<Candidate>& found) {
  auto covered = [&](const Candidate& c) {
    if (c.mount == nullptr || c.drive.letter == kRootLetter) return false;
    for (const Candidate& o : found) {
      if (&o == &c) continue;
      if (o.mount == nullptr || o.mount->major != c.mount->major ||
          o.mount->minor != c.mount->minor || !isWithinFolder(c.mount->root, o.mount->root)) {
        continue;
      }
      if (o.mount->root != c.mount->root || o.order < c.order) return true;
    }
    return false;
  };
  std::vector<Candidate> kept;
  kept.reserve(found.size());
  for (const Candidate& c : found) {
    if (!covered(c)) kept.push_back(c);
  }
  found = std::move(kept);
}

size_t letterIndex(char letter) {
  const char upper = upperAscii(letter);
  return (upper >= 'A' && upper <= 'Z') ? static_cast<size_t>(upper - 'A') : kLetterCount;
}

char letterAt(size_t index) {
  return static_cast<char>(kFirstLetter + index);
}

bool letterFits(size_t index, const Candidate& c) {
  if (index >= kLetterCount) return false;
  if (letterAt(index) == kRootLetter) return c.drive.letter == kRootLetter;
  return index >= 2 || c.floppy;
}

}  // namespace

DriveSources DriveSources::live() {
  DriveSources sources;
  sources.readMountInfo = [watch = std::make_shared<MountTableWatch>()] { return watch->text(); };
  return sources;
}

DriveTable::DriveTable(DriveSources sources, const std::vector<DriveAssignment>& saved)
    : sources_(std::move(sources)), devices_(sources_.systemRoot) {
  restore(saved);
}

std::vector<MountEntry> DriveTable::visibleMounts() const {
  std::vector<MountEntry> mounts =
      parseMountInfo(sources_.readMountInfo ? sources_.readMountInfo() : std::string());
  // A later mount over the same point hides the earlier one.
  std::map<std::string, size_t> last;
  for (size_t i = 0; i < mounts.size(); ++i) last[mounts[i].mountPoint] = i;
  std::vector<MountEntry> visible;
  visible.reserve(last.size());
  for (const auto& item : last) visible.push_back(std::move(mounts[item.second]));
  return visible;
}

void DriveTable::restore(const std::vector<DriveAssignment>& saved) {
  const std::vector<MountEntry> mounts = visibleMounts();
  std::vector<Candidate> found = findCandidates(mounts, devices_, sources_.includeTmpfs);
  dropBindMounts(found);
  std::stable_sort(found.begin(), found.end(), [](const Candidate& a, const Candidate& b) {
    if (a.drive.boundToDevice() != b.drive.boundToDevice()) return b.drive.boundToDevice();
    return a.order < b.order;
  });

  std::array<bool, kLetterCount> taken{};
  std::array<bool, kLetterCount> reserved{};
  std::map<std::string, size_t> savedLetter;
  for (const DriveAssignment& a : saved) {
    const size_t index = letterIndex(a.letter);
    if (index < kLetterCount && !a.key.empty()) {
      savedLetter.emplace(a.key, index);
      reserved[index] = true;
    }
  }
  auto give = [&](Candidate& c, size_t index) {
    c.drive.letter = letterAt(index);
    taken[index] = true;
  };
  for (Candidate& c : found) {
    if (c.drive.letter == kRootLetter) {
      give(c, letterIndex(kRootLetter));
    } else if (const auto it = savedLetter.find(c.drive.key);
               it != savedLetter.end() && !taken[it->second] && letterFits(it->second, c)) {
      give(c, it->second);
    }
  }
  for (Candidate& c : found) {
    for (size_t index = 0; c.floppy && c.drive.letter == 0 && index < 2; ++index) {
      if (!taken[index]) give(c, index);
    }
  }
  // New drives avoid letters kept for absent drives while any other letter is free.
  for (const bool reclaim : {false, true}) {
    for (Candidate& c : found) {
      for (size_t index = 3; c.drive.letter == 0 && index < kLetterCount; ++index) {
        if (!taken[index] && (reclaim || !reserved[index])) give(c, index);
      }
    }
  }

  drives_.clear();
  for (Candidate& c : found) {
    if (c.drive.letter != 0) drives_.push_back(std::move(c.drive));
  }
  std::sort(drives_.begin(), drives_.end(),
            [](const Drive& a, const Drive& b) { return a.letter < b.letter; });
  reserved_.clear();
  std::set<std::string> present;
  for (const Drive& d : drives_) present.insert(d.key);
  for (const auto& [key, index] : savedLetter) {
    if (!taken[index] && !present.contains(key)) {
      reserved_.push_back({letterAt(index), key});
      taken[index] = true;
    }
  }
}

const Drive* DriveTable::find(char letter) const {
  const size_t index = letterIndex(letter);
  for (const Drive& d : drives_) {
    if (index < kLetterCount && d.letter == letterAt(index)) return &d;
  }
  return nullptr;
}

DriveKind DriveTable::kindOf(char letter) const {
  const Drive* drive = find(letter);
  return drive == nullptr ? DriveKind::kNoRootDir : drive->kind;
}

std::vector<DriveAssignment> DriveTable::assignments() const {
  std::vector<DriveAssignment> all;
  all.reserve(drives_.size() + reserved_.size());
  for (const Drive& d : drives_) all.push_back({d.letter, d.key});
  all.insert(all.end(), reserved_.begin(), reserved_.end());
  std::sort(all.begin(), all.end(),
            [](const DriveAssignment& a, const DriveAssignment& b) { return a.letter < b.letter; });
  return all;
}

std::optional<MountEntry> DriveTable::mountOf(const Drive& drive,
                                              const std::vector<MountEntry>& visible) const {
  for (const MountEntry& m : visible) {
    if (drive.boundToDevice() ? m.root == "/" && !kPseudoFileSystems.contains(m.fsType) &&
                                    !kNetworkFileSystems.contains(m.fsType) &&
                                    devices_.deviceOfMount(m) == drive.device
                              : m.mountPoint == drive.mountPoint) {
      return m;
    }
  }
  return std::nullopt;
}

std::optional<MountEntry> DriveTable::currentMount(char letter) const {
  const Drive* drive = find(letter);
  if (drive == nullptr) return std::nullopt;
  return mountOf(*drive, visibleMounts());
}

std::vector<std::pair<char, MountEntry>> DriveTable::currentMounts() const {
  const std::vector<MountEntry> visible = visibleMounts();
  std::vector<std::pair<char, MountEntry>> mounted;
  for (const Drive& d : drives_) {
    if (std::optional<MountEntry> m = mountOf(d, visible)) mounted.emplace_back(d.letter, *m);
  }
  return mounted;
}

DriveTable& processDriveTable() {
  static DriveTable table(DriveSources::live());
  return table;
}

}  // namespace vellomar
