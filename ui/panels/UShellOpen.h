#pragma once

#include <optional>
#include <string>

#include "platform/PDrives.h"
#include "platform/PVolumes.h"

namespace vellomar {

// The Linux path of a catalogued file or folder ("D:\photos\a.jpg") on the drive that holds it
// now: the exact name when it exists, else each name looked up ignoring case, since media
// without case of their own were catalogued in lower case. None when it is not there, or is
// not of the kind asked for.
std::optional<std::string> findCataloguedPath(const std::string& systemPath, bool folder,
                                              const DriveTable& table = processDriveTable());

// Why a catalogued entry could not be opened, as the "Not Found" box lists it.
struct NotFoundCauses {
  bool notAccessible = false;
  bool anotherDisk = false;  // a removable or optical drive: the medium may have changed
  bool inArchive = false;
  bool network = false;
  bool labelsDiffer = false;  // the drive's label was read and is not the one recorded
};

NotFoundCauses notFoundCauses(const VolumeInfo& volume, const std::string& recordedLabel,
                              bool inArchive);

// The box text: the target, then the possible causes, one a line ("\r\n" ends each).
std::string notFoundMessage(const std::string& target, bool folder, const NotFoundCauses& why);

}  // namespace vellomar
