#pragma once

#include "engine/UEngineInternal.h"

#include <cstdint>
#include <string_view>
#include <vector>

#include "engine/UCatalogueFile.h"
#include "engine/UDBaseHeader.h"
#include "engine/UDescriptions.h"
#include "engine/UEngineFileFind.h"
#include "engine/UScrambler.h"
#include "engine/UTreeStruct.h"
#include "engine/api/ULocalOptions.h"
#include "engine/api/USearchDlgData.h"
#include "foundation/UExceptions.h"

namespace vellomar {

// The handle of one database file: the open file, with its settings, the trees loaded from it,
// the description cache and the search state. Made closed; a closed handle can be opened again.
class TDBase : public TCatalogueFile {
 public:
  // The scrambler writes the header at every close; tests bring their own for repeatable bytes.
  explicit TDBase(Scrambler& scrambler = processScrambler());
  // Closes the file with the short key table; never raises.
  ~TDBase();
  TDBase(const TDBase&) = delete;
  TDBase& operator=(const TDBase&) = delete;

  TLocalOptions LocalOptions;
  // The options as the open found them in the file, compared at the close as the header is.
  std::vector<uint8_t> StoredOptions;
  TSearchDlgData SearchRequest;
  bool Abort = false;
  // At close, mark the file as a read-only export.
  bool ReadOnlyExport = false;
  bool RebuildKeys = false;
  // The disk loaded for browsing, search and walks, and one loaded beside it.
  TTreeSlots Trees;
  TDescCache DescCache;
  SearchState Search;

  Scrambler& scrambler() { return *scrambler_; }

 private:
  Scrambler* scrambler_;
};

// 0 sound and writable, 1 not a database, 2 needs a newer version, 3 corrupted header, 4 read-only
// export, 5 cannot be opened or read, 6 cannot be written. Leaves the file as it was.
HeaderStatus CheckDBaseHeader(std::string_view path, Scrambler& scrambler = processScrambler());

// Writes a new database of exactly 64961 bytes with the handle's options, replacing any file,
// and leaves the handle closed.
bool CreateDBaseFile(TDBase& handle, std::string_view path);

// Opens read/write, or read-only for a read-only export, a file that cannot be written or a
// damaged file opened to rebuild its key table (repair only reads it).
// Refusals raise EKstvNormalException; any failure leaves the handle closed and the file free.
void OpenDBaseFile(TDBase& handle, std::string_view path, bool rebuildKeys);

// After a failed write closed the stream: opens the file again as the disk holds it, its key
// table included, so what was saved before reads as it did. The settings, the current disk and
// the trees in memory stay. A file that cannot be opened again leaves the handle closed.
void ReopenDBaseFile(TDBase& handle);

// Runs a write into handle; a failure of it reopens the file before it passes on, so the disks
// saved before browse as they did.
template <class Write>
auto WritingTo(TDBase& handle, Write&& write) -> decltype(write()) {
  try {
    return write();
  } catch (const EKstvException&) {
    ReopenDBaseFile(handle);
    throw;
  }
}

// Writes header, options and key table (whole, or head and used entries) unless read-only, and
// closes. Harmless on a closed handle. Always true.
bool CloseDBaseFile(TDBase& handle, bool wholeKeyTable);

void GetDBaseStats(TDBase& handle, TDBaseStats& stats);

}  // namespace vellomar
