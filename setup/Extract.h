#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vellomar::setup {

enum class InstallAnswer { kYes, kNo, kCancel };

// What the data-file reader needs from the install dialog.
class InstallProgress {
 public:
  virtual ~InstallProgress() = default;
  virtual void setProgressLabel(const std::string& text) = 0;
  virtual void setGauge(int percent) = 0;
  virtual bool abortRequested() = 0;
  // A Yes/No/Cancel question.
  virtual InstallAnswer ask(const std::string& caption, const std::string& text) = 0;
};

// Installs every entry of the ZIP data file that matches one of the blank-separated masks
// (at most 40; none means "*.*") into targetFolder, in one pass over the local headers. Each
// registered file adds a line to installedFiles: "*" + name when its time is kept, else " " +
// name; a file the user keeps is neither written nor listed. Entries are unpacked under
// temporary names and put in place only once the whole data file has proved sound: damage
// raises EKstvFatalException (its second line names the member, and the system's reason when
// there is one), a cancel EKstvNormalException, and either leaves the target as it was.
void ExtractFiles(std::string_view archiveName, std::string_view targetFolder,
                  std::string_view masks, std::vector<std::string>& installedFiles,
                  InstallProgress& progress);

// Name and extension match by MatchWildcard, folders (both made absolute) exactly.
bool MatchFileMask(std::string_view mask, std::string_view name);
// "?" is any one character and "*" any run; either side may hold wildcards; case is ignored.
bool MatchWildcard(std::string_view text, std::string_view pattern);

// One step of the reflected CRC-32 (polynomial 0xEDB88320); start at 0xFFFFFFFF and complement
// the end result.
uint32_t CrcUpdate(uint8_t byte, uint32_t crc);

}  // namespace vellomar::setup
