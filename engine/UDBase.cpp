#include "engine/UDBase.h"

#include <algorithm>
#include <vector>

#include "engine/UDBaseLayout.h"
#include "engine/UDiskBlock.h"
#include "engine/UKeyField.h"
#include "engine/UStreamBytes.h"
#include "foundation/UByteReader.h"
#include "foundation/UExceptions.h"
#include "platform/PFile.h"

namespace vellomar {

namespace {

constexpr size_t kWritabilityProbeSize = 4;
// The least a disk block of either form takes: its head and the older form's details.
constexpr size_t kMinDiskBlockSize = kBlockHeadSize + kOldDiskInfoSize;

// The second line of "cannot be open": what the user can do something about.
std::string unreadableReason(std::string_view path) {
  switch (openRefusal(std::string(path), FileOpenMode::kReadOnly)) {
    case OpenRefusal::kHeld:
      return "Another program holds it.";
    case OpenRefusal::kNoPermission:
      return "You have no permission to open it.";
    case OpenRefusal::kFolder:
      return "It is a folder.";
    case OpenRefusal::kMissing:
      return "It does not exist.";
    case OpenRefusal::kNone:
    case OpenRefusal::kNotRegularFile:
      // Opened, but too short for a header, or a device.
      return "It is not a catalogue.";
    case OpenRefusal::kOther:
      break;
  }
  return "It cannot be read.";
}

[[noreturn]] void refuse(HeaderStatus status, std::string_view path) {
  switch (status) {
    case HeaderStatus::kNotDatabase:
      throw EKstvNormalException("This file is not a Vellomar database.");
    case HeaderStatus::kNewerVersion:
      throw EKstvNormalException("This database requires newer version of the program.");
    case HeaderStatus::kCorrupted:
      throw EKstvNormalException("The database has corrupted header.");
    default:
      throw EKstvNormalException("The database cannot be open\r\n" + unreadableReason(path));
  }
}

bool refused(HeaderStatus status) {
  return status != HeaderStatus::kSound && status != HeaderStatus::kReadOnlyExport &&
         status != HeaderStatus::kNotWritable;
}

HeaderStatus readHeaderStatus(std::string_view path, Scrambler& scrambler) {
  try {
    TKFileStream stream;
    stream.Init(path, TKFileStream::kModeReadOnly);
    stream.SetCheckBounds(true);
    return readDBaseHeader(readStreamBytes(stream, kHeaderSize), scrambler).Status;
  } catch (const EKstvException&) {
    return HeaderStatus::kUnreadable;
  }
}

// Rewrites the first bytes as they are; leaves the file's modification time alone.
bool isWritable(std::string_view path) {
  try {
    TKFileStream stream;
    stream.Init(path, TKFileStream::kModeReadWrite);
    const std::vector<uint8_t> probe = readStreamBytes(stream, kWritabilityProbeSize);
    stream.Seek(0);
    stream.Write(probe.data(), probe.size());
    stream.SetModified(false);
    stream.Done();
    return true;
  } catch (const EKstvException&) {
    return false;
  }
}

// A key is a disk block's offset: one that cannot start a block inside the file, or more keys
// than the file has room for blocks, is damage, left out before any name is read.
void dropKeysTheFileCannotHold(TDBase& handle, TKeyField& keys) {
  const uint32_t size = handle.Stream.GetSize();
  const uint32_t lastStart = size >= kMinDiskBlockSize ? size - kMinDiskBlockSize : 0;
  const auto before = keys.Keys.size();
  std::erase_if(keys.Keys, [&](const TKeyEntry& key) {
    return key.Offset < static_cast<int32_t>(kDataAreaOffset) ||
           static_cast<uint32_t>(key.Offset) > lastStart;
  });
  const size_t room = size > kDataAreaOffset ? (size - kDataAreaOffset) / kMinDiskBlockSize : 0;
  if (keys.Keys.size() > room) keys.Keys.resize(room);
  if (keys.Keys.size() == before) return;
  ++handle.DamageCounter;
  keys.LiveCount = std::min(keys.LiveCount, keys.count());
  keys.CurrentIndex = std::clamp(keys.CurrentIndex, 0, std::max(keys.count() - 1, 0));
}

void readKeyTable(TDBase& handle) {
  const std::vector<uint8_t> headBytes = readStreamBytes(handle.Stream, kKeyFieldHeadSize);
  ByteReader head(headBytes);
  TKeyField keys = readKeyFieldHead(head);
  const std::vector<uint8_t> entries =
      readStreamBytes(handle.Stream, kKeyEntrySize * keys.Keys.size());
  ByteReader entryReader(entries);
  readKeyEntries(entryReader, keys);
  dropKeysTheFileCannotHold(handle, keys);
  handle.keyTable().assign(std::move(keys));
  handle.keyTable().ResortKeys();
}

// True when the front or the key table may differ from what the file held at the open.
bool writeFront(TDBase& handle, bool wholeKeyTable) {
  KeyTable& keys = handle.keyTable();
  keys.clearSelection();
  handle.Stream.Seek(0);
  if (handle.ReadOnlyExport) setReadOnlyExport(handle.HeaderRecord, true);
  ByteWriter front;
  front.reserve(kKeyFieldOffset);
  front.bytes(buildDBaseHeader(handle.HeaderRecord, handle.scrambler()));
  writeLocalOptions(front, handle.LocalOptions);
  // Header and options are written at every close and are no change of the database.
  const bool modified = handle.Stream.Modified();
  handle.Stream.Write(front.bytes().data(), front.size());
  handle.Stream.SetModified(modified);

  ByteWriter table;
  writeKeyField(table, keys.keys(), wholeKeyTable);
  handle.Stream.Write(table.bytes().data(), table.size());
  if (!wholeKeyTable) handle.Stream.SetModified(modified || keys.keysModified());
  const std::span<const uint8_t> options =
      std::span<const uint8_t>(front.bytes()).subspan(kHeaderSize);
  return modified || wholeKeyTable || keys.keysModified() ||
         handle.HeaderRecord != handle.StoredHeaderRecord ||
         !std::ranges::equal(options, handle.StoredOptions);
}

}  // namespace

TDBase::TDBase(Scrambler& scrambler) : scrambler_(&scrambler) {
  SetDefaultLocalOptions(LocalOptions);
}

TDBase::~TDBase() {
  try {
    CloseDBaseFile(*this, false);
  } catch (...) {
    // A failed write has closed the stream already; a destructor must not raise.
  }
}

HeaderStatus CheckDBaseHeader(std::string_view path, Scrambler& scrambler) {
  const HeaderStatus status = readHeaderStatus(path, scrambler);
  if (status != HeaderStatus::kSound) return status;
  return isWritable(path) ? HeaderStatus::kSound : HeaderStatus::kNotWritable;
}

bool CreateDBaseFile(TDBase& handle, std::string_view path) {
  CloseDBaseFile(handle, false);
  handle.FileName = path;
  try {
    handle.Stream.Init(path, TKFileStream::kModeCreate);
  } catch (...) {
    handle.FileName.clear();
    throw;
  }
  handle.Open = true;
  handle.ReadOnly = false;
  handle.keyTable().assign(TKeyField{});
  handle.keyTable().setKeysModified(true);
  return CloseDBaseFile(handle, true);
}

void OpenDBaseFile(TDBase& handle, std::string_view path, bool rebuildKeys) {
  CloseDBaseFile(handle, false);
  handle.DescCache.clear();
  handle.RebuildKeys = rebuildKeys;
  const HeaderStatus status = CheckDBaseHeader(path, handle.scrambler());
  if (refused(status)) refuse(status, path);
  handle.keyTable().setKeysModified(false);
  handle.FileName = path;
  // A file opened to rebuild its keys is a damaged one being repaired: only ever read.
  handle.ReadOnly = rebuildKeys || status != HeaderStatus::kSound;
  try {
    handle.Stream.Init(
        path, handle.ReadOnly ? TKFileStream::kModeReadOnly : TKFileStream::kModeReadWrite);
    handle.Stream.SetCheckBounds(true);
    const THeaderReadResult header =
        readDBaseHeader(readStreamBytes(handle.Stream, kHeaderSize), handle.scrambler());
    // The file may have changed since it was checked.
    if (refused(header.Status)) refuse(header.Status, path);
    handle.HeaderRecord = header.Record;
    handle.StoredHeaderRecord = header.Record;
    handle.StoredOptions = readStreamBytes(handle.Stream, kLocalOptionsSize);
    ByteReader options(handle.StoredOptions);
    handle.LocalOptions = readLocalOptions(options);
    handle.keyTable().assign(TKeyField{});
    if (rebuildKeys) {
      handle.keyTable().RebuildKeyTable();
    } else {
      readKeyTable(handle);
    }
  } catch (...) {
    handle.Stream.Done();
    handle.FileName.clear();
    handle.keyTable().assign(TKeyField{});
    throw;
  }
  handle.keyTable().setKeysModified(false);
  handle.Open = true;
  handle.keyTable().setDisksChanged(true);
  handle.TreeChanged = true;
  handle.FilesChanged = true;
}

void ReopenDBaseFile(TDBase& handle) {
  if (!handle.Open || handle.Stream.Mode() != TKFileStream::kModeClosed) return;
  const std::string path = handle.FileName;
  const TLocalOptions options = handle.LocalOptions;
  const int32_t current = handle.keyTable().keys().CurrentIndex;
  handle.Open = false;
  try {
    OpenDBaseFile(handle, path, handle.RebuildKeys);
  } catch (const EKstvException&) {
    return;
  }
  handle.LocalOptions = options;
  TKeyField& keys = handle.keyTable().keys();
  keys.CurrentIndex = std::clamp(current, 0, std::max(keys.count() - 1, 0));
}

bool CloseDBaseFile(TDBase& handle, bool wholeKeyTable) {
  handle.FileName.clear();
  if (!handle.Open) return true;
  handle.Open = false;
  try {
    // A closed database counts as saved: a copy reports success, and is swapped in, only
    // once its key table and options are on the disk. A close after no change rewrites the
    // front as the disk holds it (newly scrambled), which needs no sync of its own.
    if (!handle.ReadOnly && writeFront(handle, wholeKeyTable)) handle.Stream.Flush();
  } catch (...) {
    handle.Stream.Done();
    throw;
  }
  handle.Stream.Done();
  return true;
}

void GetDBaseStats(TDBase& handle, TDBaseStats& stats) {
  const KeyTable& keys = handle.keyTable();
  stats.FileSize = static_cast<int32_t>(handle.Stream.GetSize());
  stats.KeyCount = keys.keys().count();
  stats.LiveKeys = keys.keys().LiveCount;
  stats.ReadOnly = handle.ReadOnly ? 1 : 0;
  stats.Selected = keys.CountSelectedKeys();
  stats.Unselected = stats.LiveKeys - stats.Selected;
}

}  // namespace vellomar
