#include "setup/StagedFiles.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>

#include "foundation/UExceptions.h"
#include "foundation/UStream.h"
#include "platform/PKernelFile.h"

namespace vellomar::setup {

namespace {

// Beside the target, so the renames stay within one file system.
constexpr char kTemporarySuffix[] = ".setup-part";
constexpr char kEarlierSuffix[] = ".setup-old";
constexpr int32_t kWriteErrorCode = -4;

}  // namespace

StagedFiles::~StagedFiles() {
  for (size_t i = committed_; i < files_.size(); ++i) kernelDeleteFile(files_[i].temporary.c_str());
}

std::string StagedFiles::stage(const std::string& target) {
  const auto same = std::ranges::find(files_, target, &Staged::target);
  if (same != files_.end()) return same->temporary;
  return files_.emplace_back(Staged{target + kTemporarySuffix, target}).temporary;
}

void StagedFiles::commit() {
  // The earlier files step aside first and come back when any new one cannot be put in place,
  // so a failure here too leaves the installation as it was.
  std::vector<bool> movedAside(files_.size(), false);
  for (; committed_ < files_.size(); ++committed_) {
    Staged& file = files_[committed_];
    const std::string earlier = file.target + kEarlierSuffix;
    // A folder in the way stays where it is, and the rename into its place fails.
    std::error_code ignored;
    const auto type = std::filesystem::symlink_status(file.target, ignored).type();
    const bool aside = type != std::filesystem::file_type::not_found &&
                       type != std::filesystem::file_type::directory &&
                       kernelRenameFile(file.target.c_str(), earlier.c_str());
    const bool placed = kernelRenameFile(file.temporary.c_str(), file.target.c_str());
    if (!placed) {
      const std::string reason = std::strerror(errno);
      if (aside) kernelRenameFile(earlier.c_str(), file.target.c_str());
      rollBack(movedAside);
      throw EKstvFatalException(fileErrorText(kWriteErrorCode) + "\n" + file.target + ": " +
                                reason);
    }
    movedAside[committed_] = aside;
  }
  for (size_t i = 0; i < files_.size(); ++i) {
    if (movedAside[i]) kernelDeleteFile((files_[i].target + kEarlierSuffix).c_str());
  }
}

void StagedFiles::rollBack(const std::vector<bool>& movedAside) {
  while (committed_ > 0) {
    const Staged& file = files_[--committed_];
    if (movedAside[committed_]) {
      kernelRenameFile((file.target + kEarlierSuffix).c_str(), file.target.c_str());
    } else {
      kernelDeleteFile(file.target.c_str());
    }
  }
}

}  // namespace vellomar::setup
