#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vellomar {

// Small files read and written whole: settings, records, desktop entries.

// None when the file cannot be read, with errno telling why (ENOENT for a missing file), so a
// missing file is told from one that cannot be read.
std::optional<std::string> readFileContents(const std::string& path);

// Puts contents in place of the file in one step: a temporary file beside it is written, put on
// the disk and renamed over it, so a crash leaves the old file or the new one, never a part. The
// missing folders of its path are made first; a replaced file keeps its permissions. False on
// any failure, with errno telling why and the old file untouched.
bool replaceWholeFile(const std::string& path, std::string_view contents);

// Makes every missing folder of path; true when it ends up a folder.
bool makeFolderChain(const std::string& path);

}  // namespace vellomar
