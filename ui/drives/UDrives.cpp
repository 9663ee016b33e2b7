#include "ui/drives/UDrives.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QString>
#include <QVariantMap>

#include "foundation/UBaseUtils.h"
#include "foundation/UShortString.h"
#include "platform/PPaths.h"
#include "platform/PText.h"
#include "platform/PVolumes.h"

namespace vellomar {
namespace {

// UDisks2 names a block device's object after its kernel name, other bytes as "_xx".
QString udisksBlockPath(const std::string& kernelName) {
  std::string path = "/org/freedesktop/UDisks2/block_devices/";
  static const char kHex[] = "0123456789abcdef";
  for (const unsigned char c : kernelName) {
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) {
      path += static_cast<char>(c);
    } else {
      path += '_';
      path += kHex[c >> 4];
      path += kHex[c & 15];
    }
  }
  return QString::fromStdString(path);
}

BlockDevice deviceOf(char letter, const DriveTable& table) {
  const Drive* drive = table.find(letter);
  if (drive == nullptr) return {};
  if (drive->boundToDevice()) return drive->device;
  const std::optional<MountEntry> mount = table.currentMount(letter);
  return mount ? table.devices().deviceOfMount(*mount) : BlockDevice{};
}

bool setLabelThroughUDisks(const std::string& kernelName, const std::string& label) {
  QDBusConnection bus = QDBusConnection::systemBus();
  if (kernelName.empty() || !bus.isConnected()) return false;
  QDBusMessage call =
      QDBusMessage::createMethodCall("org.freedesktop.UDisks2", udisksBlockPath(kernelName),
                                     "org.freedesktop.UDisks2.Filesystem", "SetLabel");
  call << QString::fromStdString(label) << QVariantMap();
  return bus.call(call).type() == QDBusMessage::ReplyMessage;
}

bool isListedKind(DriveKind kind) {
  return kind >= DriveKind::kRemovable && kind <= DriveKind::kRamDisk;
}

}  // namespace

std::string ReadVolumeLabel(char letter, const DriveTable& table) {
  const VolumeInfo info = volumeInfo(letter, table);
  return info.accessible ? info.label.substr(0, 255) : std::string();
}

std::string ReadNetConnection(char letter, const DriveTable& table) {
  const std::string share = networkShare(letter, table);
  return share.empty() ? ReadVolumeLabel(letter, table) : share;
}

DriveKind QueryDriveType(int index, const DriveTable& table) {
  if (index < 0 || index > 25) return DriveKind::kNoRootDir;
  return table.kindOf(static_cast<char>('A' + index));
}

std::vector<std::string> BuildDriveList(bool readDriveNames, const DriveTable& table) {
  std::vector<std::string> items;
  for (const Drive& drive : table.drives()) {
    if (!isListedKind(drive.kind)) continue;
    std::string item{drive.letter, ':'};
    if (readDriveNames && drive.kind != DriveKind::kRemovable) {
      const std::string name = drive.kind == DriveKind::kRemote
                                   ? ReadNetConnection(drive.letter, table)
                                   : ReadVolumeLabel(drive.letter, table);
      item += " [" + name + "]";
      // Letters are this program's own: the folder tells which drive of the machine it is.
      const std::string root{drive.letter, ':', '\\'};
      if (const std::string folder = ShownPath(root, table); folder != root) item += "  " + folder;
    }
    items.push_back(item);
  }
  return items;
}

std::string GetDiskLabel(char letter, const DriveTable& table) {
  const DriveKind kind = table.kindOf(letter);
  if (kind == DriveKind::kRemote) return ReadNetConnection(letter, table);
  return isListedKind(kind) ? ReadVolumeLabel(letter, table) : std::string();
}

QueriedVolume QueryVolumeInfo(char letter, size_t maxLabel, const DriveTable& table) {
  const VolumeInfo info = volumeInfo(letter, table);
  QueriedVolume volume;
  volume.type = info.kind;
  volume.accessible = info.accessible;
  if (!info.accessible) return volume;
  volume.label = info.kind == DriveKind::kRemote ? info.networkSource : info.label;
  if (volume.label.size() > maxLabel) volume.label.resize(maxLabel);
  if (info.fileSystem == "FAT") {
    volume.fileSystem = FileSystemKind::kFat;
  } else if (info.fileSystem == "HPFS") {
    volume.fileSystem = FileSystemKind::kHpfs;
  } else if (info.fileSystem == "NTFS") {
    volume.fileSystem = FileSystemKind::kNtfs;
  }
  return volume;
}

bool ChangeVolumeLabel(char letter, const std::string& label, const DriveTable& table) {
  if (!table.currentMount(letter)) return false;
  const BlockDevice device = deviceOf(letter, table);
  const std::string kernelName = device.valid() ? table.devices().kernelName(device) : "";
  return setLabelThroughUDisks(kernelName, label) || changeVolumeLabel(letter, label, table);
}

bool DriveIsRemovable(char letter, const DriveTable& table) {
  return table.kindOf(letter) == DriveKind::kRemovable;
}

std::string CdDriveLetters(const DriveTable& table) {
  std::string letters;
  for (const Drive& drive : table.drives()) {
    if (drive.kind == DriveKind::kOptical && letters.size() < 2) letters += drive.letter;
  }
  letters.resize(2, ' ');
  return letters;
}

std::string ShownPath(const std::string& path, const DriveTable& table) {
  if (IsCutPath(path)) {
    // Each name as Linux holds it, between Linux separators.
    std::string shown(kCutPathMarker);
    for (const char c : std::string_view(path).substr(kCutPathMarker.size()))
      shown += c == '\\' ? '/' : c == '/' ? '\\' : c;
    return shown;
  }
  if (path.size() >= 2 && path[1] == ':') {
    if (std::optional<std::string> shown = toLinuxPath(path, table)) return *shown;
  }
  return path;
}

std::string TypedPath(const std::string& typed, const DriveTable& table) {
  if (!typed.empty() && typed.front() == '/') {
    if (std::optional<std::string> system = toSystemPath(typed, table)) return *system;
  }
  return typed;
}

std::string LabelAsName(std::string_view label) {
  if (label.empty() || hasLowerCase(label)) return std::string(label);
  size_t first = 0;
  for (size_t n = 1; first == 0 && n <= label.size(); ++n) first = utf8CutLength(label, n);
  return std::string(label.substr(0, first)) + lowerText(label.substr(first));
}

std::string DeviceNodeOf(char letter, const DriveTable& table) {
  const Drive* drive = table.find(letter);
  if (drive == nullptr || !drive->boundToDevice()) return {};
  const std::string name = table.devices().kernelName(drive->device);
  return name.empty() ? std::string() : "/dev/" + name;
}

}  // namespace vellomar
