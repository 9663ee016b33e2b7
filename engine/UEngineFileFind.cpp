#include "engine/UEngineFileFind.h"

#include <algorithm>
#include <array>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/UCatalogueFile.h"
#include "engine/UDescriptions.h"
#include "engine/UDiskFolderIndex.h"
#include "engine/UMasks.h"
#include "engine/UTreeStruct.h"
#include "engine/api/UEntryRecords.h"
#include "foundation/UExceptions.h"

namespace vellomar {

namespace {

constexpr int kNoDepthLimit = -1;
constexpr int32_t kFileProgressStep = 1000;
constexpr int32_t kRootFolder = 0;

// A folder still to search, with its depth and the length of its parent's path text.
struct PendingFolder {
  int32_t Folder;
  int Depth;
  size_t ParentPathLength;
};

struct SearchRun {
  TCatalogueFile& Handle;
  SearchState& State;
  const TSearchDlgData& Request;
  bool& Abort;
  ShortString DiskName;
  // The same for the found items of the disk, which share it.
  TFoundItem::SharedText DiskNameText;
  // The masks' texts, taken out of their heap strings once per search, and the search masks
  // taken apart over them.
  std::vector<ShortString> SearchMasks;
  std::vector<ShortString> DirMasks;
  std::vector<CompiledMask> CompiledSearchMasks;
  // The line under test's name as the masks compare it, and its full description.
  MaskName Name;
  std::string Description;
  // The folders of the disk under search, and its file lists read in place from stretches of
  // the file, kept from disk to disk and folder to folder.
  DiskFolderIndex Folders;
  FileWindow Lists;
  // The whole path text of the folder under search, as AppendDirPathText builds it.
  std::string PathText;
  std::vector<PendingFolder> Pending;
};

std::vector<ShortString> maskTexts(const TItemCollection<TMaskItem>& masks) {
  std::vector<ShortString> texts;
  texts.reserve(static_cast<size_t>(masks.Count()));
  for (const TMaskItem* mask : masks.Items()) texts.push_back(GetPStr(mask->Mask));
  return texts;
}

void reportProgress(SearchRun& run) {
  run.State.Progress(run.Abort);
}

// A full result ends the search through the abort flag; so does a full collection, whatever
// limit the request asks for.
bool roomForOne(SearchRun& run) {
  const int32_t limit = std::min(run.Request.MaxRecs, kMaxCollectionItems);
  if (run.State.Found.Count() < limit) return true;
  run.Abort = true;
  return false;
}

void addFound(SearchRun& run, TFoundItem* item) {
  std::unique_ptr<TFoundItem> owned(item);
  run.State.Found.Add(owned.get());
  owned.release();
  const int32_t count = run.State.Found.Count();
  if (count < 100 || count % 10 == 0) reportProgress(run);
}

void searchDiskName(SearchRun& run) {
  const TSearchDlgData& request = run.Request;
  if (!request.DiskNames || run.Abort) return;
  if (!MatchesAnyMask(run.SearchMasks, run.DiskName.view(), request.CaseSensitive,
                      request.StrictMask)) {
    return;
  }
  if (roomForOne(run)) addFound(run, NewFoundFolderItem(run.DiskNameText, 0, 0, {}));
}

// A line of a folder under test: a file entry left in its block, a subfolder line or the ".."
// line. An entry's record is decoded only when a test needs more than its name.
class LineUnderTest {
 public:
  LineUnderTest(const FileEntryView& entry, int32_t entryOffset)
      : name_(entry.Name), bytes_(entry.Record), entryOffset_(entryOffset) {}
  LineUnderTest(std::string_view name, const TFileRecord& record, int32_t entryOffset,
                bool parentLine)
      : name_(name),
        record_(record),
        decoded_(true),
        entryOffset_(entryOffset),
        parentLine_(parentLine) {}

  bool isParentLine() const { return parentLine_; }
  bool isFolder() const { return (attributes() & kAttrFolder) != 0; }

  std::string_view ext() const { return decoded_ ? record_.Ext.view() : recordExtension(bytes_); }

  const TFileRecord& record() {
    if (!decoded_) {
      ByteReader r(bytes_);
      record_ = readFileRecord(r);
      decoded_ = true;
    }
    return record_;
  }

  std::string_view name() const { return name_; }
  int32_t entryOffset() const { return entryOffset_; }

 private:
  uint16_t attributes() const {
    if (decoded_) return record_.Attr;
    ByteReader r(bytes_);
    r.skip(kFileRecordAttrOffset);
    return r.u16();
  }

  std::string_view name_;
  std::span<const uint8_t> bytes_;
  TFileRecord record_;
  bool decoded_ = false;
  int32_t entryOffset_;
  bool parentLine_ = false;
};

// The full description is read at most once per entry, and only when a mask needs it, into
// room the search keeps from entry to entry.
class EntryDescription {
 public:
  EntryDescription(TCatalogueFile& handle, int32_t offset, std::string& text)
      : handle_(handle), offset_(offset), text_(text) {}

  // Where mask matches the text, -1 when it does not or there is no readable text.
  int find(const ShortString& mask, const TSearchDlgData& request) {
    if (offset_ == 0) return -1;
    if (!read_) {
      read_ = true;
      readable_ = ReadFullDesc(handle_, offset_, text_);
    }
    if (!readable_) return -1;
    return FindMaskInText(mask.view(), text_, request.CaseSensitive, request.SearchAsAnsi,
                          request.SearchAsOem);
  }

 private:
  TCatalogueFile& handle_;
  int32_t offset_;
  bool read_ = false;
  bool readable_ = false;
  std::string& text_;
};

// The path of the folder under search, made only for its hits, which share it.
class FolderPath {
 public:
  explicit FolderPath(std::string_view text) : text_(text) {}
  const TFoundItem::SharedText& get() {
    if (!path_) path_ = std::make_shared<const std::string>(DirPathFromText(text_).view());
    return path_;
  }

 private:
  std::string_view text_;
  TFoundItem::SharedText path_;
};

void addHit(SearchRun& run, LineUnderTest& line, int descPosition, FolderPath& path) {
  addFound(run, NewFoundItem(line.record(), line.name(), line.entryOffset(),
                             descPosition < 0 ? 0 : descPosition, path.get(), run.DiskNameText));
}

void searchTestEntry(SearchRun& run, LineUnderTest& line, FolderPath& path) {
  const TSearchDlgData& request = run.Request;
  if (request.MoreOptionsActive &&
      !PassesSearchLimits(request, run.State.ExcludeMasks, line.record(), line.name())) {
    return;
  }
  const bool testName = line.isFolder() ? request.FolderNames : request.FileNames;
  if (testName) run.Name.set(line.name(), line.ext(), request.CaseSensitive);
  EntryDescription description(run.Handle, request.Descriptions ? line.record().DescOffset : 0,
                               run.Description);
  for (size_t i = 0; i < run.SearchMasks.size(); ++i) {
    const bool nameHit =
        testName && run.CompiledSearchMasks[i].matches(run.Name, request.StrictMask);
    // Tested even after a name hit: the item shows the description from where it matched.
    const int descPosition = description.find(run.SearchMasks[i], request);
    if (!nameHit && descPosition < 0) continue;
    // The ".." line is the one that leads to the parent; a file may well be named "...".
    if (!roomForOne(run) || line.isParentLine()) return;
    addHit(run, line, descPosition, path);
    return;
  }
}

// Tests one line; false once the search is to stop.
bool testLine(SearchRun& run, LineUnderTest&& line, FolderPath& path) {
  if (++run.State.Counters.Files % kFileProgressStep == 0) reportProgress(run);
  searchTestEntry(run, line, path);
  return !run.Abort;
}

// The folder's lines, "..", the subfolders, then its files, unless a folder mask leaves the
// folder out. files: the folder's list, when it is read already.
void searchFolder(SearchRun& run, int32_t folder, FileListReader* files) {
  const std::string_view pathText = run.PathText;
  const std::string_view fullPath =
      pathText.size() > 1 ? pathText.substr(0, pathText.size() - 1) : pathText;
  if (!run.DirMasks.empty() && !MatchesAnyMask(run.DirMasks, fullPath, false, true)) {
    // A list read already is read to its end now, before the folders below read over it.
    if (files != nullptr) files->skipRest();
    return;
  }
  ++run.State.Counters.Folders;
  FolderPath path(pathText);
  const DiskFolderIndex& folders = run.Folders;
  const FolderEntry& entry = folders.at(folder);
  if (entry.Parent >= 0) {
    TFileRecord parent;
    parent.Attr = kAttrFolder;
    if (!testLine(run, LineUnderTest("..", parent, 0, true), path)) return;
  }
  for (int32_t sub = entry.FirstChild; sub >= 0; sub = folders.at(sub).NextSibling) {
    const FolderEntry& line = folders.at(sub);
    if (!testLine(run, LineUnderTest(line.Name, fileRecordOf(line.Data), line.EntryOffset, false),
                  path)) {
      return;
    }
  }
  std::optional<FileListReader> own;
  if (files == nullptr) {
    files = &own.emplace(run.Lists, run.Handle.Stream, run.Handle.DamageCounter,
                         entry.Data.FileListOffset);
  }
  FileEntryView view;
  int32_t entryOffset = 0;
  while (files->next(view, entryOffset)) {
    if (!testLine(run, LineUnderTest(view, entryOffset), path)) return;
  }
}

// The folders from the root down in pre-order, over a stack of their own: a tree costs no stack
// whatever its depth. rootFiles: the root's list, read already.
void searchTree(SearchRun& run, FileListReader& rootFiles) {
  std::vector<PendingFolder>& pending = run.Pending;
  pending.assign(1, {kRootFolder, 0, 0});
  FileListReader* files = &rootFiles;
  while (!pending.empty() && !run.Abort) {
    const PendingFolder next = pending.back();
    pending.pop_back();
    run.PathText.resize(next.ParentPathLength);
    const FolderEntry& entry = run.Folders.at(next.Folder);
    AppendDirPathText(entry.Name, entry.Data.Ext, run.PathText);
    searchFolder(run, next.Folder, files);
    files = nullptr;
    if (run.Abort ||
        (run.Request.ScanDirLevel != kNoDepthLimit && next.Depth >= run.Request.ScanDirLevel)) {
      continue;
    }
    // The first subfolder on top, to be searched next.
    const size_t first = pending.size();
    for (int32_t sub = entry.FirstChild; sub >= 0; sub = run.Folders.at(sub).NextSibling) {
      pending.push_back({sub, next.Depth + 1, run.PathText.size()});
    }
    std::reverse(pending.begin() + static_cast<std::ptrdiff_t>(first), pending.end());
  }
}

void setDiskName(SearchRun& run, int32_t offset) {
  run.DiskName = run.Handle.keyTable().ReadDiskName(offset);
  run.DiskNameText = std::make_shared<const std::string>(run.DiskName.view());
}

// A loaded disk reads its root's list whole, so its damage counts whatever the search reaches.
void searchDisk(SearchRun& run, int32_t offset) {
  TCatalogueFile& handle = run.Handle;
  run.Folders.load(handle, offset);
  handle.TreeChanged = true;
  handle.FilesChanged = true;
  // A disk's file lists are written before its block.
  run.Lists.setEnd(static_cast<uint32_t>(offset));
  FileListReader rootFiles(run.Lists, handle.Stream, handle.DamageCounter,
                           run.Folders.at(kRootFolder).Data.FileListOffset);
  setDiskName(run, offset);
  searchDiskName(run);
  searchTree(run, rootFiles);
  rootFiles.skipRest();
}

}  // namespace

TFoundItem* NewFoundItem(const TFileRecord& record, std::string_view name, int32_t entryOffset,
                         int32_t descStart, TFoundItem::SharedText path,
                         TFoundItem::SharedText diskName) {
  auto* item = new TFoundItem;
  item->DiskName = std::move(diskName);
  item->FolderPath = std::move(path);
  item->Name = name;
  item->DescInBlock = true;
  item->DescStart = descStart;
  item->Ext = record.Ext;
  item->Kind = (record.Attr & kAttrFolder) ? kFoundFolder : kFoundFile;
  item->Attr = record.Attr;
  item->DateTime = record.DateTime;
  item->Size = record.Size;
  item->DescOffset = record.DescOffset;
  item->EntryOffset = entryOffset;
  return item;
}

TFoundItem* NewFoundFolderItem(TFoundItem::SharedText diskName, int32_t dateField,
                               int32_t sizeField, std::string_view text) {
  auto* item = new TFoundItem;
  item->DiskName = std::move(diskName);
  item->ShortDesc = text;
  item->DateTime = dateField;
  item->Size = sizeField;
  return item;
}

void ResetVisit(TCatalogueFile& file, VisitCounters& counters, bool& abort) {
  counters.Disks = 0;
  counters.Folders = 0;
  counters.Files = 0;
  file.DamageCounter = 0;
  abort = false;
}

bool DiskInScope(const TKeyField& keys, int32_t index, SearchScope scope) {
  if (index < 0 || index >= keys.LiveCount || index >= keys.count()) return false;
  const bool selected = (keys.Keys[static_cast<size_t>(index)].Flags & kKeySelected) != 0;
  switch (scope) {
    case SearchScope::kWholeDatabase:
      return true;
    case SearchScope::kCurrentDisk:
      return index == keys.CurrentIndex;
    case SearchScope::kSelectedDisks:
      return selected;
    case SearchScope::kNotSelectedDisks:
      return !selected;
  }
  return false;
}

bool PassesSearchLimits(const TSearchDlgData& request,
                        const TItemCollection<TMaskItem>& excludeMasks, const TFileRecord& record,
                        std::string_view name) {
  const auto dateTime = static_cast<uint32_t>(record.DateTime);
  const auto size = static_cast<uint32_t>(record.Size);
  if (request.DateFrom > 0 && dateTime < request.DateFrom) return false;
  if (request.DateTo > 0 && dateTime >= request.DateTo) return false;
  if (request.SizeFrom > 0 && size < request.SizeFrom) return false;
  if (request.SizeTo > 0 && size > request.SizeTo) return false;
  if (excludeMasks.Count() == 0) return true;
  const std::string fullName = std::string(name) + std::string(record.Ext.view());
  return FindMatchingMask(excludeMasks, fullName, false, true) == nullptr;
}

void SearchFiles(TCatalogueFile& handle, TTreeSlots& trees, SearchState& state,
                 const TSearchDlgData& request, bool& abort) {
  ResetVisit(handle, state.Counters, abort);
  state.Found.FreeAll();
  const bool searchEntries = request.FileNames || request.FolderNames || request.Descriptions;
  KeyTable& keys = handle.keyTable();
  SearchRun run{handle,
                state,
                request,
                abort,
                {},
                {},
                maskTexts(state.SearchMasks),
                maskTexts(state.DirMasks),
                {},
                {},
                {},
                {},
                FileWindow(handle.Stream),
                {},
                {}};
  for (const ShortString& mask : run.SearchMasks) run.CompiledSearchMasks.emplace_back(mask.view());
  for (int32_t i = 0; i < keys.keys().LiveCount; ++i) {
    if (!DiskInScope(keys.keys(), i, request.SearchIn)) continue;
    const int32_t offset = keys.keys().Keys[static_cast<size_t>(i)].Offset;
    trees.Current.reset();
    try {
      if (searchEntries) {
        searchDisk(run, offset);
      } else {
        // A search of disk names alone needs no folders: the names come from the key table.
        setDiskName(run, offset);
        searchDiskName(run);
      }
    } catch (const EKstvDBaseStructException&) {
      ++handle.DamageCounter;
    }
    ++state.Counters.Disks;
    reportProgress(run);
    if (abort) break;
  }
  trees.Current.reset();
}

}  // namespace vellomar
