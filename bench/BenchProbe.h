#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace vellomar {

// One measured run.
struct Sample {
  bool ok = false;
  double seconds = 0;
  uint64_t peakBytes = 0;  // resident memory the run added at its peak
  uint64_t readBytes = 0;  // bytes passed through read calls (page cache included)
  uint64_t writtenBytes = 0;
  uint64_t readCalls = 0;
  int64_t count = 0;  // what the run found: files, hits, disks
  std::string error;
};

// Runs prepare, then work, in a child process, so each run starts from the same memory and
// its peak, reads and writes are its own; only work is measured. work answers the count it
// found.
Sample measureInChild(const std::function<int64_t()>& work,
                      const std::function<void()>& prepare = {});

// The process name a child takes once prepared (at most 15 bytes are kept), so that a
// profile of the whole run can be cut to one row's work: perf report --comm NAME.
void setWorkName(const std::string& name);

// Runs a shell command; the count is the number its standard output starts with, if any.
Sample measureCommand(const std::string& command);

// The median of the successful runs by time; its memory and byte figures come with it.
Sample medianOf(std::vector<Sample> runs);

// Drops the page cache of every file under each path, where posix_fadvise can.
void dropCachesUnder(const std::vector<std::string>& paths);

// Quotes text for /bin/sh.
std::string shellQuoted(const std::string& text);

}  // namespace vellomar
