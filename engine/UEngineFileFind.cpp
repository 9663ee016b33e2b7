#include "engine/UEngineFileFind.h"

#include <algorithm>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/UDBase.h"
#include "engine/UDescriptions.h"
#include "engine/UEntryRecords.h"
#include "engine/UMasks.h"
#include "engine/UTreeStruct.h"
#include "foundation/UExceptions.h"

namespace vellomar {

namespace {

constexpr int kTreeAndRootFiles = 0;
constexpr int kNoDepthLimit = -1;
constexpr int32_t kFileProgressStep = 1000;

struct SearchRun {
  TDBase& Handle;
  TTreeSlots& Trees;
  TDescCache& Cache;
  SearchState& State;
  const TSearchDlgData& Request;
  ShortString DiskName;
  // The masks' texts, taken out of their heap strings once per search.
  std::vector<ShortString> SearchMasks;
  std::vector<ShortString> DirMasks;
  // Name and extension of the entry under test, reused from entry to entry.
  std::string FullName;
};

std::vector<ShortString> maskTexts(const TItemCollection<TMaskItem>& masks) {
  std::vector<ShortString> texts;
  texts.reserve(static_cast<size_t>(masks.Count()));
  for (const TMaskItem* mask : masks.Items()) texts.push_back(GetPStr(mask->Mask));
  return texts;
}

void reportProgress(SearchRun& run) {
  run.State.Progress(run.Handle.Abort);
}

// A full result ends the search through the abort flag; so does a full collection, whatever
// limit the request asks for.
bool roomForOne(SearchRun& run) {
  const int32_t limit = std::min(run.Request.MaxRecs, kMaxCollectionItems);
  if (run.State.Found.Count() < limit) return true;
  run.Handle.Abort = true;
  return false;
}

void addFound(SearchRun& run, TFoundItem* item) {
  std::unique_ptr<TFoundItem> owned(item);
  run.State.Found.Add(owned.get());
  owned.release();
  const int32_t count = run.State.Found.Count();
  if (count < 100 || count % 10 == 0) reportProgress(run);
}

std::string_view fullNameOf(const TOneFile& line, std::string& buffer) {
  buffer.assign(line.Name.view());
  buffer.append(line.Data.Ext.view());
  return buffer;
}

bool matchesAny(const std::vector<ShortString>& masks, std::string_view text, bool caseSensitive,
                bool strict) {
  for (const ShortString& mask : masks) {
    if (MatchesMask(mask.view(), text, caseSensitive, strict)) return true;
  }
  return false;
}

void searchDiskName(SearchRun& run) {
  const TSearchDlgData& request = run.Request;
  if (!request.DiskNames || run.Handle.Abort) return;
  if (!matchesAny(run.SearchMasks, run.DiskName.view(), request.CaseSensitive,
                  request.StrictMask)) {
    return;
  }
  if (roomForOne(run)) addFound(run, NewFoundFolderItem(run.DiskName, 0, 0, ShortString()));
}

// The full description is read at most once per entry, and only when a mask needs it.
class EntryDescription {
 public:
  EntryDescription(TDBase& handle, int32_t offset) : handle_(handle), offset_(offset) {}

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
  TDBase& handle_;
  int32_t offset_;
  bool read_ = false;
  bool readable_ = false;
  std::string text_;
};

void searchTestEntry(SearchRun& run, const TOneFile& line, const TDirCollection& node,
                     const ShortString& path) {
  const TSearchDlgData& request = run.Request;
  if (request.MoreOptionsActive && !PassesSearchLimits(request, run.State.ExcludeMasks, line)) {
    return;
  }
  const bool isFolder = (line.Data.Attr & kAttrFolder) != 0;
  const bool testName = isFolder ? request.FolderNames : request.FileNames;
  const std::string_view fullName = testName ? fullNameOf(line, run.FullName) : std::string_view();
  EntryDescription description(run.Handle, request.Descriptions ? line.Data.DescOffset : 0);
  for (const ShortString& mask : run.SearchMasks) {
    const bool nameHit =
        testName && MatchesMask(mask.view(), fullName, request.CaseSensitive, request.StrictMask);
    // Tested even after a name hit: the item shows the description from where it matched.
    const int descPosition = description.find(mask, request);
    if (!nameHit && descPosition < 0) continue;
    // The ".." line is the one that leads to the parent; a file may well be named "...".
    if (!roomForOne(run) || (node.Parent != nullptr && line.SubDir == node.Parent)) return;
    ShortString shortDesc;
    ReadShortDesc(run.Handle, run.Cache, line.Data.DescOffset, descPosition < 0 ? 0 : descPosition,
                  ShortString::kMaxLength, shortDesc);
    addFound(run, NewFoundItem(line, shortDesc, path, run.DiskName));
    return;
  }
}

// The folder's own lines, unless a folder mask leaves the folder out.
// path: the folder's path as found items show it; fullPath: the whole of it, which folder masks
// match.
void searchFolder(SearchRun& run, TDirCollection& node, bool filesLoaded, const ShortString& path,
                  std::string_view fullPath) {
  TTreeStruct& tree = *run.Trees.Current;
  if (run.DirMasks.empty() || matchesAny(run.DirMasks, fullPath, false, true)) {
    VisitCounters& counters = run.State.Counters;
    ++counters.Folders;
    const auto test = [&](const TOneFile& line) {
      if (++counters.Files % kFileProgressStep == 0) reportProgress(run);
      searchTestEntry(run, line, node, path);
      return !run.Handle.Abort;
    };
    if (filesLoaded && tree.CurDir == &node && tree.FileCol) {
      for (const TOneFile* line : tree.FileCol->Items()) {
        if (!test(*line)) break;
      }
    } else {
      // The lines are tested as they are read: a folder's lines are never all kept at once.
      tree.CurDir = &node;
      tree.FileCol.reset();
      run.Handle.FilesChanged = true;
      VisitFolderLines(run.Handle, node, test);
    }
  }
}

// pathText: the whole path text of node's parent, as AppendDirPathText builds it; left as given.
void searchTree(SearchRun& run, TDirCollection* node, int depth, bool filesLoaded,
                std::string& pathText) {
  if (run.Handle.Abort || node == nullptr) return;
  const size_t parentLength = pathText.size();
  AppendDirPathText(*node, pathText);
  const std::string_view fullPath =
      pathText.size() > 1 ? std::string_view(pathText).substr(0, pathText.size() - 1) : pathText;
  searchFolder(run, *node, filesLoaded, DirPathFromText(pathText), fullPath);
  if (!run.Handle.Abort &&
      (run.Request.ScanDirLevel == kNoDepthLimit || depth < run.Request.ScanDirLevel)) {
    for (TDirCollection* sub : node->Items()) searchTree(run, sub, depth + 1, false, pathText);
  }
  pathText.resize(parentLength);
}

}  // namespace

TFoundItem::~TFoundItem() {
  DisposeShortStr(DiskName);
  DisposeShortStr(FolderPath);
  DisposeShortStr(Name);
  DisposeShortStr(ShortDesc);
}

TFoundItem* NewFoundItem(const TOneFile& line, const ShortString& shortDesc,
                         const ShortString& path, const ShortString& diskName) {
  auto* item = new TFoundItem;
  item->DiskName = NewShortStr(diskName);
  item->FolderPath = NewShortStr(path);
  item->Name = NewShortStr(line.Name);
  item->ShortDesc = NewShortStr(shortDesc);
  item->Ext = line.Data.Ext;
  item->Kind = (line.Data.Attr & kAttrFolder) ? kFoundFolder : kFoundFile;
  item->Attr = line.Data.Attr;
  item->DateTime = line.Data.DateTime;
  item->Size = line.Data.Size;
  item->DescOffset = line.Data.DescOffset;
  item->EntryOffset = line.EntryOffset;
  return item;
}

TFoundItem* NewFoundFolderItem(const ShortString& diskName, int32_t dateField, int32_t sizeField,
                               const ShortString& text) {
  auto* item = new TFoundItem;
  item->DiskName = NewShortStr(diskName);
  item->ShortDesc = NewShortStr(text);
  item->DateTime = dateField;
  item->Size = sizeField;
  return item;
}

void ResetVisit(TDBase& handle) {
  VisitCounters& counters = handle.Search.Counters;
  counters.Disks = 0;
  counters.Folders = 0;
  counters.Files = 0;
  handle.DamageCounter = 0;
  handle.Abort = false;
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
                        const TItemCollection<TMaskItem>& excludeMasks, const TOneFile& line) {
  const auto dateTime = static_cast<uint32_t>(line.Data.DateTime);
  const auto size = static_cast<uint32_t>(line.Data.Size);
  if (request.DateFrom > 0 && dateTime < request.DateFrom) return false;
  if (request.DateTo > 0 && dateTime >= request.DateTo) return false;
  if (request.SizeFrom > 0 && size < request.SizeFrom) return false;
  if (request.SizeTo > 0 && size > request.SizeTo) return false;
  if (excludeMasks.Count() == 0) return true;
  const std::string fullName = line.Name.str() + std::string(line.Data.Ext.view());
  for (const TMaskItem* mask : excludeMasks.Items()) {
    if (MatchesMask(GetPStr(mask->Mask).view(), fullName, false, true)) return false;
  }
  return true;
}

void SearchFiles(TDBase& handle, TTreeSlots& trees, TDescCache& cache) {
  SearchState& state = handle.Search;
  ResetVisit(handle);
  state.Found.FreeAll();
  const TSearchDlgData& request = handle.SearchRequest;
  const bool searchEntries = request.FileNames || request.FolderNames || request.Descriptions;
  KeyTable& keys = handle.keyTable();
  SearchRun run{handle,
                trees,
                cache,
                state,
                request,
                {},
                maskTexts(state.SearchMasks),
                maskTexts(state.DirMasks),
                {}};
  for (int32_t i = 0; i < keys.keys().LiveCount; ++i) {
    if (!DiskInScope(keys.keys(), i, request.SearchIn)) continue;
    const int32_t offset = keys.keys().Keys[static_cast<size_t>(i)].Offset;
    try {
      // A search of disk names alone needs no tree: the names come from the key table.
      if (searchEntries) LoadTreeStruct(handle, trees, offset, kTreeAndRootFiles);
      run.DiskName = keys.ReadDiskName(offset);
      searchDiskName(run);
      if (searchEntries && trees.Current) {
        std::string pathText;
        searchTree(run, trees.Current->Root.get(), 0, true, pathText);
      }
    } catch (const EKstvDBaseStructException&) {
      ++handle.DamageCounter;
    }
    ++state.Counters.Disks;
    trees.Current.reset();
    reportProgress(run);
    if (handle.Abort) break;
  }
  trees.Current.reset();
}

}  // namespace vellomar
