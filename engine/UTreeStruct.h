#pragma once

#include "engine/UEngineInternal.h"

#include <array>
#include <cstdint>
#include <limits>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/UDiskBlock.h"
#include "engine/UFileListBlock.h"
#include "engine/UFileWindow.h"
#include "engine/UKeyField.h"
#include "engine/UMaskItems.h"
#include "engine/api/UApiTypes.h"
#include "foundation/UByteReader.h"
#include "foundation/UCollections.h"
#include "foundation/UShortString.h"

namespace vellomar {

class TCatalogueFile;
class TKFileStream;

// Paths are short strings.
inline constexpr int kMaxPathLength = 255;

// A folder node: its subfolders in the order of name and then extension ignoring case. Names
// that differ only in case are both kept (file systems here tell them apart), ordered by their
// bytes; only an exact duplicate is refused.
class TDirCollection : public TSortedItemCollection<TDirCollection> {
 public:
  TDirCollection(TDirCollection* parent, int32_t capacity, bool insideArchive)
      : TSortedItemCollection(capacity, 100), Parent(parent), InsideArchive(insideArchive) {}
  // Frees the subtree without recursing: a tree is as deep as its disk block says.
  ~TDirCollection() override;

  int Compare(const TDirCollection* a, const TDirCollection* b) const override;

  TDirCollection* Parent;
  TOneDir Dir;
  TDirTotals Totals;
  // An archive shown as a folder, or a node inside one.
  bool InsideArchive;
};

// Calls visit(folder) for start and every folder below it, in pre-order with the subfolders in
// their sorted order, over a stack of its own, so that no depth of tree costs stack; visit
// answers false to end the walk. False when it was ended.
template <class Node, class Visit>
bool ForEachFolder(Node& start, Visit&& visit) {
  std::vector<Node*> pending{&start};
  while (!pending.empty()) {
    Node* node = pending.back();
    pending.pop_back();
    if (!visit(*node)) return false;
    const auto subs = node->Items();
    pending.insert(pending.end(), subs.rbegin(), subs.rend());
  }
  return true;
}

// The lines of one folder's file list. It holds as many lines as a file-list block can: the
// scan writes a folder's files whatever their number, so every reader must take them all.
class TFileCollection : public TItemCollection<TOneFile> {
 public:
  static constexpr int32_t kMaxLines = std::numeric_limits<int32_t>::max();

  TFileCollection(int32_t capacity, int32_t growBy)
      : TItemCollection(capacity, growBy, kMaxLines) {}
};

// One disk in memory: its details, its folder tree and the file list of its current folder.
class TTreeStruct {
 public:
  explicit TTreeStruct(TCatalogueFile& owner) : Owner(&owner) {}
  virtual ~TTreeStruct() = default;
  TTreeStruct(const TTreeStruct&) = delete;
  TTreeStruct& operator=(const TTreeStruct&) = delete;

  std::unique_ptr<TDirCollection> Root;
  TDirCollection* CurDir = nullptr;
  std::unique_ptr<TFileCollection> FileCol;
  TItemCollection<TMaskItem> MaskList{50, 100};
  TItemCollection<TFilterModule> FilterModules{50, 100};
  TItemCollection<TArchiveModule> ArchiveModules{10, 10};
  TCatalogueFile* Owner;
  TDiskInfo DiskInfo;
  std::array<uint8_t, 3> ScanState{};
  // Subfolders that the folder records read name but damage kept from being read (what lay
  // below them is not known).
  int64_t UnreadFolders = 0;
};

// The trees a handle holds: the disk loaded for browsing, search and walks, and one beside it.
struct TTreeSlots {
  std::unique_ptr<TTreeStruct> Current;
  std::unique_ptr<TTreeStruct> Second;
};

// A new tree with zeroed details; sets the owner's tree changed flag. withRoot gives it the
// root "\" as its current folder, with an empty file list.
std::unique_ptr<TTreeStruct> TreeStructInit(TCatalogueFile& owner, bool withRoot);

// Reads the disk block at the stream's position; sets the tree changed flag. Mode 1: details
// only; otherwise the tree too and the root's file list. A wrong block head raises damage 005;
// damage among the folder records is counted and the tree keeps what was read.
std::unique_ptr<TTreeStruct> ReadDiskBlock(TCatalogueFile& owner, int mode);
// The disk block at offset as far as the file holds it, for a block that runs past the end of
// the file: its details and the folder records that lie inside the file, with the root's file
// list; the records cut off are damage, counted as among the folder records. A head that is no
// disk block's, or details the file does not hold whole, raise damage 005.
std::unique_ptr<TTreeStruct> ReadDiskBlockAsHeld(TCatalogueFile& owner, int32_t offset);
// Mode 0 appends the whole block at the stream position; mode 1 rewrites, in the block the
// stream stands at, the first 372 bytes of the details (everything up to the disk name).
// A folder of more than 65535 subfolders is refused with EKstvNormalException before anything is
// written. Flushes; true.
bool WriteDiskBlock(TTreeStruct& tree, int mode);

// Replaces the current tree by the disk block at offset; a damaged block gives an empty tree
// and one more damage count.
void LoadTreeStruct(TCatalogueFile& handle, TTreeSlots& trees, int32_t offset, int mode);
// Replaces the second tree by the disk block at offset, details and folders; damage raises. It
// loads no file list (FileCol stays none): a rescan reads the lists of the folders it compares,
// and the whole root list as lines would cost a huge folder far more than the scan itself.
TTreeStruct* LoadOldTreeStruct(TCatalogueFile& handle, TTreeSlots& trees, int32_t offset);
// Rewrites the current tree's details in place in the block at offset. False when read-only
// or without a current tree; a place that holds no disk block raises damage 005.
bool RewriteDiskInfo(TCatalogueFile& handle, TTreeSlots& trees, int32_t offset);
// The same with details of the caller's.
void RewriteDiskDetails(TCatalogueFile& handle, int32_t offset, const TDiskInfo& info);
// A deleted disk's details: the deleted flag, and the name followed by " [n]" with the next
// deletion number of the table, unless it already ends in "]".
void MarkDiskDeleted(TDiskInfo& info, TKeyField& keys);
// Appends the current tree as a new disk and writes the key table. uniqueName gives a name
// that a live disk has already the suffix " ~1", " ~2" ... " ~999" (the name shortened to make
// room); past 999 the name stays shared. replacedIndex names a key whose disk the new one
// replaces: it is marked deleted in the same write of the key table, and its block afterwards.
// False when read-only or without a current tree. A full key table raises "Database is full.
// Make compression."
bool SaveTreeStruct(TCatalogueFile& handle, TTreeSlots& trees, bool uniqueName,
                    int32_t replacedIndex = -1);

// Loads the current folder's lines. Mode 0: "..", the subfolders, the files; mode 1: the
// subfolders and the files that have a description; mode 2: the files only.
void LoadFileCol(TTreeStruct& tree, int mode);

// The path of a folder from the root: "\" for the root, "\a\b" for b inside a; a path of more
// than 255 bytes is cut to its tail (CutPathToTail), so it still shows where the folder is.
ShortString GetDirPath(const TDirCollection& node);
// GetDirPath whatever its length, for finding the same folder in another tree.
std::string FullDirPath(const TDirCollection& node);
// A folder's part of the whole path text from the root, appended to its parent's: its name and
// extension and a "\"; the root gives "\" alone. A walk keeps the text so as not to rebuild it.
void AppendDirPathText(const TDirCollection& node, std::string& text);
void AppendDirPathText(std::string_view name, const ExtensionString& ext, std::string& text);
// GetDirPath of the folder whose whole path text is text.
ShortString DirPathFromText(std::string_view text);
// For a node inside an archive the path of the archive that holds it, with a final "\";
// other nodes leave path unchanged.
void GetArchiveDirPath(const TDirCollection& node, ShortString& path);
// Every node from the root counts with includeAll; without it only the nodes outside archives
// and the archive node itself. Each ends in "\"; cut to its tail to fit maximum bytes.
void BuildDirPath(const TDirCollection& node, ShortString& path, int maximum, bool includeAll);

// Cuts the extension off name: from the last "." among its last four characters, dot included.
void SplitName(ShortString& name, ExtensionString& extension);
// Where SplitName cuts name; its length when it has no extension.
size_t ExtensionStart(std::string_view name);

// The entries of the file-list block at offset, one at a time from the block read whole, so a
// search needs no line per entry. Offset 0 is a folder without a list: no entries. A damaged
// head gives no entries, a damaged entry ends them; either adds 1 to damageCounter.
class FileListReader {
 public:
  FileListReader(TKFileStream& stream, int32_t& damageCounter, int32_t offset);
  // Reads the block into buffer, whose room a walk reuses from folder to folder.
  FileListReader(TKFileStream& stream, int32_t& damageCounter, int32_t offset,
                 std::vector<uint8_t>& buffer);
  // Reads the block in place from the window, whose next use ends the entries' validity.
  FileListReader(FileWindow& window, TKFileStream& stream, int32_t& damageCounter, int32_t offset);
  FileListReader(const FileListReader&) = delete;
  FileListReader& operator=(const FileListReader&) = delete;

  // The number of entries the head gives; 0 for a damaged head.
  uint32_t count() const { return count_; }
  // The entries that can be read: the count, or those before a damaged entry once next met it.
  uint32_t held() const { return held_; }
  // Sets Name, Data and EntryOffset of line to the next entry; false at the end or at damage.
  bool next(TOneFile& line);
  // The next entry left in the buffer, valid until the buffer is read into again, and the
  // file offset of its record.
  bool next(FileEntryView& entry, int32_t& entryOffset);
  // Reads the entries not read yet, counting damage as next does.
  void skipRest();

 private:
  void read(TKFileStream& stream, int32_t offset);
  // The entry count of the head, or damage; bodyLength gets the bytes after the fixed part.
  uint32_t readHead(std::span<const uint8_t> head, uint64_t left, uint32_t& bodyLength) const;

  int32_t& damageCounter_;
  std::vector<uint8_t> ownBody_;
  std::vector<uint8_t>& body_;
  uint32_t start_ = 0;
  uint32_t count_ = 0;
  uint32_t held_ = 0;
  uint32_t index_ = 0;
  ByteReader reader_;
};

// Whether a line of a file list is kept when only lines with a description are.
bool HasDescription(const TFileRecord& record);

// The file-list block at offset. keepAll false keeps only lines with a description. A damaged
// head gives an empty list, a damaged entry ends the list; either adds 1 to damageCounter.
std::unique_ptr<TFileCollection> ReadFileList(TKFileStream& stream, int32_t& damageCounter,
                                              bool keepAll, int32_t offset);
// The same; held gets the entries the block holds up to any damage, which a copy must write.
std::unique_ptr<TFileCollection> ReadFileList(TKFileStream& stream, int32_t& damageCounter,
                                              bool keepAll, int32_t offset, uint32_t& held);
// Adds the block's length to size; with write set, writes the block at the stream position
// in one write ("Database is full. Make compression." when it would not fit the file).
void WriteFileList(const TFileCollection& collection, TKFileStream& stream, int64_t& size,
                   bool write);

// Name, volume label and scanned path of the disk block at offset, each cut to its maximum.
// An empty scanned path gives the drive letter and ":". A wrong head raises damage 009.
void ReadDiskDetails(TCatalogueFile& handle, int32_t offset, ShortString& name, int nameMaximum,
                     ShortString& label, int labelMaximum, ShortString& path, int pathMaximum);

// The folder at path below node ("\a\b", "a\b"; an empty path or "\" is node itself), with
// names compared ignoring case where no name matches exactly. Null for a null node or a path
// that leads nowhere.
TDirCollection* FindDirByPath(TDirCollection* node, std::string_view path);
// The first folder below root, in tree order, whose path GetDirPath cuts to the cut path
// (CutPathToTail's form): a path too long for its record still leads to its folder.
TDirCollection* FindDirByCutPath(TDirCollection* root, std::string_view path);

}  // namespace vellomar
