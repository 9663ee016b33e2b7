#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "ui/drives/UDrives.h"

namespace vellomar {

// The naming rules of scanning, without widgets. Lengths count characters, never cutting one.

size_t CharacterCount(std::string_view text);

// The name the template generates: the first "#N" (else "#n") becomes counter + 1, then the
// first "#D" (else "#d") the proposed name. Empty for an empty template.
std::string GeneratedDiskName(std::string_view nameTemplate, int32_t counter,
                              std::string_view proposedName);

// The folder dialog's name generator: the label of the folder's drive, ": " and the folder
// without its drive (the folder alone when the drive has no label), shortened to 16 characters,
// "..." and the last 19 when longer than 35, with "/" for every "\". None when the folder does not
// begin with a drive letter.
std::optional<std::string> NameFromFolder(std::string_view folder, std::string_view driveLabel);

// The folder as it is scanned: one trailing "\" dropped unless it is a drive root ("C:\").
std::string ScanFolderText(std::string_view folder);
// Why OK refuses the folder ("X:\..." of any length): empty when it is a folder that exists (a
// drive root always counts as one); else the message, naming the folder as shown.
std::string ScanFolderRefusal(const std::string& folder, const std::string& shown);

}  // namespace vellomar
