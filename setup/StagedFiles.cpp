#include "setup/StagedFiles.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "foundation/UExceptions.h"
#include "foundation/UStream.h"
#include "platform/PKernelFile.h"

namespace vellomar::setup {

namespace {

// Beside the target, so the rename stays within one file system.
constexpr char kTemporarySuffix[] = ".setup-part";
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
  for (; committed_ < files_.size(); ++committed_) {
    const Staged& file = files_[committed_];
    if (!kernelRenameFile(file.temporary.c_str(), file.target.c_str())) {
      throw EKstvFatalException(fileErrorText(kWriteErrorCode) + "\n" + file.target + ": " +
                                std::strerror(errno));
    }
  }
}

}  // namespace vellomar::setup
