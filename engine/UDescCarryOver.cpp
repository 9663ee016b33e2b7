#include "engine/UDescCarryOver.h"

#include <algorithm>
#include <memory>
#include <span>
#include <string_view>
#include <vector>

#include "engine/UCatalogueFile.h"
#include "engine/UStreamBytes.h"
#include "engine/api/UEntryRecords.h"
#include "foundation/UByteReader.h"
#include "foundation/UStream.h"
#include "platform/PText.h"

namespace vellomar {

namespace {

int compareNameExt(std::string_view name1, std::string_view ext1, std::string_view name2,
                   std::string_view ext2) {
  const int byName = compareText(name1, name2);
  return byName != 0 ? byName : compareText(ext1, ext2);
}

// Folders against a name, case ignored.
struct ByName {
  bool operator()(const TDirCollection* a, std::string_view b) const {
    return compareText(a->Dir.Name.view(), b) < 0;
  }
  bool operator()(std::string_view a, const TDirCollection* b) const {
    return compareText(a, b->Dir.Name.view()) < 0;
  }
};

// Subfolders are sorted by name first, its bytes breaking ties, and by extension only then: the
// folders of one name ignoring case form a run in which extensions are in no order.
std::span<TDirCollection* const> sameNameRun(const TDirCollection& folder, std::string_view name) {
  const std::span<TDirCollection* const> items = folder.Items();
  const auto [first, last] = std::equal_range(items.begin(), items.end(), name, ByName());
  return {first, last};
}

// The index of the first subfolder of folder that matches, -1 when none.
template <class Match>
int32_t findSubDirIndex(const TDirCollection& folder, std::string_view name, Match matches) {
  const std::span<TDirCollection* const> run = sameNameRun(folder, name);
  for (TDirCollection* const& sub : run) {
    if (matches(*sub)) return static_cast<int32_t>(&sub - folder.Items().data());
  }
  return -1;
}

// The file pass counted the archive's own size in the data size, which counts its contents
// instead.
void countArchive(TDiskInfo& info, const TDirTotals& contents, int64_t archiveSize) {
  info.Archives += 1;
  info.ArchiveFolders += contents.Folders;
  info.ArchiveFiles += contents.Files;
  info.ArchSize += contents.Size;
  info.DataSize += contents.Size - archiveSize;
}

// Rewrites the record at entry with the previous description and attributes; a place that
// cannot hold a record is left alone.
void carryIntoRecord(TKFileStream& stream, const TOneFile& entry, const TFileRecord& previous) {
  const auto offset = static_cast<uint32_t>(entry.EntryOffset);
  if (entry.EntryOffset <= 0 || bytesLeftAt(stream, offset) < kFileRecordSize) return;
  stream.Seek(offset);
  const std::vector<uint8_t> bytes = readStreamBytes(stream, kFileRecordSize);
  ByteReader r(bytes);
  TFileRecord record = readFileRecord(r);
  if (previous.DescOffset == 0 || (record.DescOffset != 0 && !(previous.Attr & kAttrUserDesc))) {
    return;
  }
  record.DescOffset = previous.DescOffset;
  record.Attr = previous.Attr;
  ByteWriter w;
  writeFileRecord(w, record);
  stream.Seek(offset);
  writeStreamBytes(stream, w.bytes());
}

std::unique_ptr<TFileCollection> fileListOf(TKFileStream& stream, int32_t& damageCounter,
                                            const TDirCollection& node, bool keepAll) {
  if (node.Dir.Data.FileListOffset == 0) return std::make_unique<TFileCollection>(0, 10);
  return ReadFileList(stream, damageCounter, keepAll, node.Dir.Data.FileListOffset);
}

// The first subfolder of folder of that name and extension; null when none.
TDirCollection* findSubDir(const TDirCollection& folder, std::string_view name,
                           std::string_view ext) {
  const int32_t index = findSubDirIndex(folder, name, [ext](const TDirCollection& sub) {
    return compareText(sub.Dir.Data.Ext.view(), ext) == 0;
  });
  return index < 0 ? nullptr : folder.ItemAt(index);
}

// The lines of a file list by name and extension, so that matching a folder's entries against
// them costs a lookup each, not a pass over the list.
class FileLineIndex {
 public:
  // lines must outlive the index.
  explicit FileLineIndex(const TFileCollection& lines);

  // The first line of that name and extension; null when none.
  const TOneFile* find(std::string_view name, std::string_view ext) const;

 private:
  std::vector<const TOneFile*> sorted_;  // by name, extension, then list order
};

FileLineIndex::FileLineIndex(const TFileCollection& lines)
    : sorted_(lines.Items().begin(), lines.Items().end()) {
  std::stable_sort(sorted_.begin(), sorted_.end(), [](const TOneFile* a, const TOneFile* b) {
    return compareNameExt(a->Name.view(), a->Data.Ext.view(), b->Name.view(), b->Data.Ext.view()) <
           0;
  });
}

const TOneFile* FileLineIndex::find(std::string_view name, std::string_view ext) const {
  const auto found =
      std::lower_bound(sorted_.begin(), sorted_.end(), name, [ext](const TOneFile* line, auto n) {
        return compareNameExt(line->Name.view(), line->Data.Ext.view(), n, ext) < 0;
      });
  if (found == sorted_.end()) return nullptr;
  const TOneFile* line = *found;
  return compareNameExt(line->Name.view(), line->Data.Ext.view(), name, ext) == 0 ? line : nullptr;
}

}  // namespace

bool MovePrevArchive(TTreeStruct& tree, TDirCollection& folder, TDirCollection* previousFolder,
                     TScanLines& lines, size_t index) {
  if (!previousFolder || index >= lines.slots() || !lines.kept(index)) return false;
  const TFileEntry line = lines.at(index);
  const int32_t found =
      findSubDirIndex(*previousFolder, line.Name.view(), [&line](const TDirCollection& sub) {
        const TDirData& data = sub.Dir.Data;
        return (data.Attr & kAttrArchiveFolder) && data.DateTime == line.Record.DateTime &&
               compareText(data.Ext.view(), line.Record.Ext.view()) == 0;
      });
  if (found < 0) return false;
  TDirCollection* archive = previousFolder->ItemAt(found);
  previousFolder->RemoveAt(found);
  if (!folder.Add(archive)) {
    previousFolder->InsertAt(found, archive);
    return false;
  }
  archive->Parent = &folder;
  countArchive(tree.DiskInfo, archive->Totals, fileSizeOf(line.Record.Size));
  lines.remove(index);
  return true;
}

void CarryArchiveDescs(TTreeStruct& tree, TTreeStruct* previous, TDirCollection& archiveNode,
                       TKFileStream& stream) {
  if (!previous || previous == &tree) return;
  const TDirCollection* previousNode =
      FindDirByPath(previous->Root.get(), FullDirPath(archiveNode));
  if (!previousNode || previousNode == previous->Root.get()) return;
  CopyArchiveDescs(stream, tree.Owner->DamageCounter, *previousNode, archiveNode);
}

void CopyArchiveDescs(TKFileStream& stream, int32_t& damageCounter,
                      const TDirCollection& previousNode, TDirCollection& newNode) {
  const std::unique_ptr<TFileCollection> previousLines =
      fileListOf(stream, damageCounter, previousNode, false);
  if (previousLines->Count() > 0) {
    const std::unique_ptr<TFileCollection> newLines =
        fileListOf(stream, damageCounter, newNode, true);
    const FileLineIndex index(*newLines);
    for (const TOneFile* previous : previousLines->Items()) {
      const TOneFile* entry = index.find(previous->Name.view(), previous->Data.Ext.view());
      if (entry) carryIntoRecord(stream, *entry, previous->Data);
      if (stream.Status() != 0) return;
    }
  }
  for (const TDirCollection* previousSub : previousNode.Items()) {
    TDirCollection* sub =
        findSubDir(newNode, previousSub->Dir.Name.view(), previousSub->Dir.Data.Ext.view());
    if (!sub) continue;
    TDirData& data = sub->Dir.Data;
    data.DescOffset = previousSub->Dir.Data.DescOffset;
    if (data.DescOffset != 0) {
      data.Attr = static_cast<uint16_t>((data.Attr & ~kAttrUserDesc) |
                                        (previousSub->Dir.Data.Attr & kAttrUserDesc));
    }
    CopyArchiveDescs(stream, damageCounter, *previousSub, *sub);
  }
}

}  // namespace vellomar
