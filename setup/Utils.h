#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "foundation/UShortString.h"

namespace vellomar::setup {

constexpr char kPathSeparator = '/';

struct SplitPathParts {
  ShortString folder;  // with its trailing separator
  ShortString name;
  ShortString extension;  // with its dot; only up to three characters follow a dot that counts
};

SplitPathParts SplitPath(std::string_view path);
// True for any entry of that name, a folder or a symbolic link as well.
bool FileExistsShort(const std::string& name);
// One trailing separator is ignored; the root exists without a look at the disk.
bool ExistsFolder(std::string_view path);
// The installer's own folder, with a trailing separator.
std::string GetProgramDir();
// Creates every missing folder of the chain; raises EKstvNormalException naming the folder
// that could not be made.
void ForceFolders(std::string_view path);
// The text of that failure.
std::string FolderNotCreatedText(std::string_view folder);
// Dates the file at midnight of the DOS date (the time word is not used); failures are silent.
void SetFileDosDate(const std::string& name, uint32_t dosDateTime);

}  // namespace vellomar::setup
