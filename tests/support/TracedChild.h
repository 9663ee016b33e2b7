#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace vellomar::testing {

// One system call that writes to a file, or puts it on the disk.
struct FileWrite {
  enum class Kind { kWrite, kResize, kFlush };
  Kind What = Kind::kWrite;
  std::string Path;  // the file it went to
};

struct TracedRun {
  bool Finished = false;  // ran to its end rather than being killed
  int ExitCode = -1;
  // Every write and flush of a file below the watched folder, in order; a killed run lists
  // the ones done before the kill.
  std::vector<FileWrite> Writes;
};

// False where this process may not trace its children (a sandbox refusing ptrace).
bool canTraceChildren();

// Runs body in a child process traced through its system calls; body's result becomes the
// exit code. With killBefore n, the child is killed (SIGKILL) on entering its n-th write or
// flush of a file below folder (counting from 0), so exactly the first n took place. Files
// elsewhere (the test's own output) are neither counted nor recorded. Production code runs as
// it always does: the counting happens in this process, not in the child.
TracedRun runTraced(const std::function<int()>& body, const std::string& folder,
                    std::optional<size_t> killBefore = std::nullopt);

}  // namespace vellomar::testing
