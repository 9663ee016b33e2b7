#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "engine/api/USearchDlgData.h"

namespace vellomar {

class BenchDatabase;
class TFormFoundFileList;

// A search of one database shown in the found-files window, as the program does it: the
// engine's search, then the window's copy of the hits, their three-key sort and its first
// paint. Needs the application object (makeWidgetApplication).
class FoundFilesBench {
 public:
  explicit FoundFilesBench(const std::string& database);
  ~FoundFilesBench();
  FoundFilesBench(const FoundFilesBench&) = delete;
  FoundFilesBench& operator=(const FoundFilesBench&) = delete;

  // The engine's search alone; answers the hits.
  int64_t search(const TSearchDlgData& request);
  // The search, filled into a new found-files window, sorted and painted; answers its lines.
  int64_t searchIntoWindow(const TSearchDlgData& request);
  // The window of the last searchIntoWindow sorted by size, as a click on its header does,
  // and painted again; answers its lines.
  int64_t resortBySize();

 private:
  std::unique_ptr<BenchDatabase> database_;
  std::unique_ptr<TFormFoundFileList> window_;
};

}  // namespace vellomar
