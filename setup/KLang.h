#pragma once

#include <string_view>

#include "foundation/UShortString.h"

namespace vellomar::setup {

// One row of the install name table.
struct InstallNameRow {
  std::string_view archiveName;    // 8.3 name in the data file
  std::string_view installedName;  // name in the target folder, maybe with a subfolder
  bool registerFile;               // listed in the uninstall record
  bool keepTime;                   // a newer installed copy is kept unless the user agrees
};

// Compares the archive names ignoring case; on equality copies the row's installed name.
bool MatchInstallName(std::string_view archiveName, const InstallNameRow& row,
                      ShortString& installedName);
// The installed name (cut to maxLength) and flags of an archive name. A name in no row installs
// under itself in lower case with both flags set.
void TranslateInstallFileName(std::string_view archiveName, ShortString& installedName,
                              int maxLength, bool& registerFile, bool& keepTime);

}  // namespace vellomar::setup
