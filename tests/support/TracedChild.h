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

// How the writes of a child are watched.
enum class WriteWatch {
  // Its system calls traced from this process; production code runs as it always does.
  kPtrace,
  // The C library's write, pwrite, ftruncate, fsync and fdatasync, as this test program links
  // them, stand in for the file layer: switched on in the child only, they report each call
  // before passing it on. Writes made inside the C library (its streams) go unseen.
  kFileCallDouble,
};

// False where this process may not trace its children (a sandbox refusing ptrace).
bool canTraceChildren();
// kPtrace where children can be traced, else kFileCallDouble.
WriteWatch availableWriteWatch();

// Runs body in a child process whose writes are watched; body's result becomes the exit code.
// With killBefore n, the child is killed (SIGKILL) on entering its n-th write or flush of a
// file below folder (counting from 0), so exactly the first n took place. Files elsewhere (the
// test's own output) are neither counted nor recorded.
TracedRun runTraced(const std::function<int()>& body, const std::string& folder,
                    std::optional<size_t> killBefore = std::nullopt,
                    WriteWatch watch = availableWriteWatch());

}  // namespace vellomar::testing
