#pragma once

#include "engine/UEngineInternal.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/UDBaseHeader.h"
#include "engine/UDescriptions.h"
#include "engine/UEngineFileFind.h"
#include "engine/UKeyTable.h"
#include "engine/UScrambler.h"
#include "engine/UTreeStruct.h"
#include "engine/api/ULocalOptions.h"
#include "engine/api/USearchDlgData.h"
#include "foundation/UExceptions.h"
#include "foundation/UStream.h"

namespace vellomar {

// The key table's reads of the open database file, through the handle's stream.
class StreamDataArea : public DataAreaReader {
 public:
  explicit StreamDataArea(TKFileStream& stream) : stream_(&stream) {}
  uint64_t fileSize() override { return stream_->GetSize(); }
  void readAt(uint64_t offset, std::span<uint8_t> out) override;

 private:
  TKFileStream* stream_;
};

// The handle of one database file: its settings, header record and key table in memory, and
// the open stream. Made closed; a closed handle can be opened again.
class TDBase {
 public:
  // The scrambler writes the header at every close; tests bring their own for repeatable bytes.
  explicit TDBase(Scrambler& scrambler = processScrambler());
  // Closes the file with the short key table; never raises.
  ~TDBase();
  TDBase(const TDBase&) = delete;
  TDBase& operator=(const TDBase&) = delete;

  TLocalOptions LocalOptions;
  bool Open = false;
  bool TreeChanged = false;
  bool FilesChanged = false;
  THeaderRecord HeaderRecord{};
  // The header record and options as the open found them in the file: a close that writes them
  // unchanged, after no other change, has nothing new to put on the disk.
  THeaderRecord StoredHeaderRecord{};
  std::vector<uint8_t> StoredOptions;
  TKFileStream Stream;
  std::string FileName;
  TSearchDlgData SearchRequest;
  bool Abort = false;
  // At close, mark the file as a read-only export.
  bool ReadOnlyExport = false;
  // Structure errors met and passed over since the last reset.
  int32_t DamageCounter = 0;
  bool RebuildKeys = false;
  bool ReadOnly = false;
  // The disk loaded for browsing, search and walks, and one loaded beside it.
  TTreeSlots Trees;
  TDescCache DescCache;
  SearchState Search;

  Scrambler& scrambler() { return *scrambler_; }
  KeyTable& keyTable() { return keys_; }
  const KeyTable& keyTable() const { return keys_; }

 private:
  Scrambler* scrambler_;
  StreamDataArea dataArea_{Stream};
  KeyTable keys_{dataArea_, &DamageCounter};
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

// Writes the key table's head and used entries in place and puts them on the disk: the one
// write that makes a change of the disks part of the file. Selections stay in memory only.
void WriteKeyTable(TDBase& handle);

void GetDBaseStats(TDBase& handle, TDBaseStats& stats);

}  // namespace vellomar
