#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/PDrives.h"

namespace vellomar {

// The user interface's one view of the machine's drives, over the platform's drive table.
// Drive types are DriveKind's numbers (2 removable, 3 fixed, 4 network, 5 CD-ROM).

// The label of the letter's volume; empty when it cannot be read (no medium).
std::string ReadVolumeLabel(char letter, const DriveTable& table = processDriveTable());
// "\\server\share" of a network drive, else its volume label.
std::string ReadNetConnection(char letter, const DriveTable& table = processDriveTable());
// The kind of drive index 0..25 (A..Z), without touching the drive.
DriveKind QueryDriveType(int index, const DriveTable& table = processDriveTable());

// The scan dialog's items in letter order: "A:" for removable drives (never touched, so no
// floppy spins up), "C: [SYSTEM]  /" for the others with their label or share and, when the
// drive is there, the folder of this machine it stands for. Without readDriveNames no drive is
// touched and every item is the letter and colon.
std::vector<std::string> BuildDriveList(bool readDriveNames,
                                        const DriveTable& table = processDriveTable());

// The letter in either case; the label of removable, fixed, CD-ROM and RAM drives, the share of
// a network drive, empty for any other.
std::string GetDiskLabel(char letter, const DriveTable& table = processDriveTable());

// The file-system kinds the scanning commands tell apart.
enum class FileSystemKind : uint8_t { kFat = 0, kHpfs = 1, kNtfs = 2, kOther = 3 };

struct QueriedVolume {
  bool accessible = false;
  std::string label;  // cut to the caller's maximum; a network drive's share name
  DriveKind type = DriveKind::kNoRootDir;
  FileSystemKind fileSystem = FileSystemKind::kOther;  // FAT32 counts as other
};

// The letter's volume as the scanning commands check it. A network drive's label is its share,
// so labels recorded by any road compare like with like.
QueriedVolume QueryVolumeInfo(char letter, size_t maxLabel,
                              const DriveTable& table = processDriveTable());

// Renames the volume: through the desktop's disk service where it runs, else directly where
// the file system allows it. No message here; the caller reports a failure.
bool ChangeVolumeLabel(char letter, const std::string& label,
                       const DriveTable& table = processDriveTable());

// Whether A: and B: are removable drives (the main window enables "Scan &A:" and "Scan &B:").
bool DriveIsRemovable(char letter, const DriveTable& table = processDriveTable());

// The first two CD-ROM drives in letter order, a blank where there is none ("H ", "  ").
std::string CdDriveLetters(const DriveTable& table = processDriveTable());

// A path of this machine as the user reads and types it: "X:\..." as its Linux path when the
// drive is there ("C:\home\me" as "/home/me"), a path cut to its tail ("…\a\b") with the
// Linux separator; any other text as it is.
std::string ShownPath(const std::string& path, const DriveTable& table = processDriveTable());
// What the user typed, in the program's form: an absolute Linux path as the drive that holds it
// names it; any other text as typed.
std::string TypedPath(const std::string& typed, const DriveTable& table = processDriveTable());

// A label or folder name written wholly in capitals, as the program shows it: lower case but
// for its first character ("MYDISK" gives "Mydisk"); any other text stays as it is.
std::string LabelAsName(std::string_view label);

// "/dev/sr0" of a drive bound to its device, else empty: what the eject library works on.
std::string DeviceNodeOf(char letter, const DriveTable& table = processDriveTable());

}  // namespace vellomar
