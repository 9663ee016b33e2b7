#include "platform/PDeviceInfo.h"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <string_view>
#include <utility>

#include "platform/PAsciiText.h"

namespace vellomar {
namespace {

namespace fs = std::filesystem;

constexpr unsigned kFloppyMajor = 2;
constexpr unsigned kScsiOpticalMajor = 11;

// A sysfs value ends in a newline.
constexpr std::string_view kValueEnd = " \n";

BlockDevice parseDeviceNumber(const std::string& text) {
  BlockDevice device;
  const std::string_view value = trimEnd(text, kValueEnd);
  const size_t colon = value.find(':');
  if (colon == std::string::npos) return {};
  const char* end = value.data() + value.size();
  const auto a = std::from_chars(value.data(), value.data() + colon, device.major);
  const auto b = std::from_chars(value.data() + colon + 1, end, device.minor);
  if (a.ec != std::errc() || b.ec != std::errc() || b.ptr != end) return {};
  return device;
}

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Directory listing that never throws: a folder that cannot be read lists nothing.
template <typename Visit>
void forEachEntry(const std::string& folder, Visit visit) {
  std::error_code error;
  fs::directory_iterator it(folder, error);
  for (; !error && it != fs::directory_iterator(); it.increment(error)) visit(*it);
}

}  // namespace

std::string decodeUdevString(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\' && text.size() - i > 3 && text[i + 1] == 'x' &&
        hexValue(text[i + 2]) >= 0 && hexValue(text[i + 3]) >= 0) {
      out += static_cast<char>(hexValue(text[i + 2]) * 16 + hexValue(text[i + 3]));
      i += 3;
    } else {
      out += text[i];
    }
  }
  return out;
}

DeviceInfo::DeviceInfo(std::string systemRoot) : root_(std::move(systemRoot)) {
  while (!root_.empty() && root_.back() == '/') root_.pop_back();
}

std::string DeviceInfo::sysBlockPath(BlockDevice device) const {
  return root_ + "/sys/dev/block/" + std::to_string(device.major) + ":" +
         std::to_string(device.minor);
}

BlockDevice DeviceInfo::deviceOfSource(const std::string& source) const {
  if (!source.starts_with("/dev/")) return {};
  // /dev/mapper and /dev/disk names are links to the kernel's own node name.
  std::error_code error;
  const fs::path node = fs::canonical(root_ + source, error);
  const std::string name = error ? fs::path(source).filename().string() : node.filename().string();
  if (name.empty()) return {};
  return parseDeviceNumber(readWholeFile(root_ + "/sys/class/block/" + name + "/dev"));
}

BlockDevice DeviceInfo::deviceOfMount(const MountEntry& mount) const {
  if (mount.major != 0) return {mount.major, mount.minor};
  return deviceOfSource(mount.source);
}

std::vector<BlockDevice> DeviceInfo::blockDevices() const {
  std::vector<std::pair<std::string, BlockDevice>> named;
  forEachEntry(root_ + "/sys/class/block", [&](const fs::directory_entry& entry) {
    const BlockDevice device = parseDeviceNumber(readWholeFile(entry.path().string() + "/dev"));
    if (device.valid()) named.emplace_back(entry.path().filename().string(), device);
  });
  std::sort(named.begin(), named.end(),
            [](const auto& a, const auto& b) { return a.first < b.first; });
  std::vector<BlockDevice> devices;
  devices.reserve(named.size());
  for (const auto& item : named) devices.push_back(item.second);
  return devices;
}

std::string DeviceInfo::kernelName(BlockDevice device) const {
  std::error_code error;
  const fs::path path = fs::canonical(sysBlockPath(device), error);
  return error ? std::string() : path.filename().string();
}

bool DeviceInfo::isFloppy(BlockDevice device) const {
  return device.major == kFloppyMajor || udevProperty(device, "ID_DRIVE_FLOPPY") == "1";
}

bool DeviceInfo::isOptical(BlockDevice device) const {
  return device.major == kScsiOpticalMajor || udevProperty(device, "ID_CDROM") == "1";
}

bool DeviceInfo::isRemovable(BlockDevice device) const {
  std::error_code error;
  fs::path disk = fs::canonical(sysBlockPath(device), error);
  if (error) return false;
  if (fs::exists(disk / "partition", error)) disk = disk.parent_path();
  return trimEnd(readWholeFile((disk / "removable").string()), kValueEnd) == "1";
}

std::string DeviceInfo::udevProperty(BlockDevice device, const std::string& name) const {
  const std::string data = readWholeFile(root_ + "/run/udev/data/b" + std::to_string(device.major) +
                                         ":" + std::to_string(device.minor));
  const std::string key = "E:" + name + "=";
  size_t pos = 0;
  while (pos < data.size()) {
    size_t end = data.find('\n', pos);
    if (end == std::string::npos) end = data.size();
    const std::string_view line(data.data() + pos, end - pos);
    if (line.starts_with(key)) return std::string(line.substr(key.size()));
    pos = end + 1;
  }
  return {};
}

std::string DeviceInfo::volumeLabel(BlockDevice device) const {
  const std::string encoded = udevProperty(device, "ID_FS_LABEL_ENC");
  if (!encoded.empty()) return decodeUdevString(encoded);
  const std::string name = kernelName(device);
  if (name.empty()) return {};
  std::string label;
  forEachEntry(root_ + "/dev/disk/by-label", [&](const fs::directory_entry& link) {
    std::error_code error;
    const fs::path target = fs::read_symlink(link.path(), error);
    if (label.empty() && !error && target.filename() == name) {
      label = decodeUdevString(link.path().filename().string());
    }
  });
  return label;
}

}  // namespace vellomar
