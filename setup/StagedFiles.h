#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace vellomar::setup {

// The files of one installation, written under temporary names beside their places and put in
// place together once every one of them is whole, so a failure part-way, or while they are put
// in place, leaves the files there as they were. Temporary files not put in place are removed when
// the object goes.
class StagedFiles {
 public:
  StagedFiles() = default;
  StagedFiles(const StagedFiles&) = delete;
  StagedFiles& operator=(const StagedFiles&) = delete;
  ~StagedFiles();

  // The temporary name to write target's new content under; the same one when target is staged
  // again.
  std::string stage(const std::string& target);
  // Renames every staged file over its target, in staging order. Raises EKstvFatalException
  // naming the file and the system's reason when one cannot be put in place, after the files
  // put in place before it were taken back and the earlier ones restored.
  void commit();

 private:
  struct Staged {
    std::string temporary;
    std::string target;
  };

  // Takes back the files put in place so far: each earlier file returns, a new one goes.
  void rollBack(const std::vector<bool>& movedAside);

  std::vector<Staged> files_;
  size_t committed_ = 0;
};

}  // namespace vellomar::setup
