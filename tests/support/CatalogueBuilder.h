#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "engine/UDBase.h"
#include "engine/UTreeStruct.h"
#include "foundation/UStream.h"
#include "tests/support/TempFolder.h"

namespace vellomar::testing {

// One file of a folder's list; the name is split into base and extension as stored.
struct FileSpec {
  std::string Name;
  uint64_t Size = 0;
  int32_t DateTime = 0;
  uint16_t Attr = 0;
  int32_t DescOffset = 0;
};

// A database file in a temporary folder, open read/write, with the trees of its handle. Disks
// are built in memory through the engine's own writers: file lists are appended as folders get
// their files, and saving appends the disk block and a key.
class TestCatalogue {
 public:
  TestCatalogue() : path_(folder_.at("catalogue.kvd")) {
    CreateDBaseFile(handle, path_);
    OpenDBaseFile(handle, path_, false);
  }
  // Closed before its folder goes.
  ~TestCatalogue() {
    trees = TTreeSlots{};
    CloseDBaseFile(handle, false);
  }
  TestCatalogue(const TestCatalogue&) = delete;
  TestCatalogue& operator=(const TestCatalogue&) = delete;

  const std::string& path() const { return path_; }

  // Closes and opens the file again; readOnly makes it a read-only export first, which opens
  // read-only whoever runs the test.
  void reopen(bool readOnly = false) {
    trees = TTreeSlots{};
    handle.ReadOnlyExport = readOnly;
    CloseDBaseFile(handle, false);
    handle.ReadOnlyExport = false;
    OpenDBaseFile(handle, path_, false);
  }

  // A new current tree for a disk of this name, with a bare root.
  TDirCollection& newDisk(std::string_view name) {
    trees.Current = TreeStructInit(handle, true);
    trees.Current->DiskInfo.DiskName = name;
    return *trees.Current->Root;
  }

  // A folder below parent; an archive shown as a folder takes kAttrArchiveFolder and its size.
  static TDirCollection& addFolder(TDirCollection& parent, std::string_view name,
                                   uint16_t attr = kAttrFolder, uint64_t size = 0) {
    auto* node =
        new TDirCollection(&parent, 10, parent.InsideArchive || (attr & kAttrArchiveFolder) != 0);
    node->Dir.Name = name;
    SplitName(node->Dir.Name, node->Dir.Data.Ext);
    node->Dir.Data.Attr = attr;
    node->Dir.Data.Size = storedFileSize(size);
    if (!parent.Add(node)) {
      delete node;
      ADD_FAILURE() << "folder " << name << " refused";
      return parent;
    }
    return *node;
  }

  // Appends the folder's file-list block now and points the folder at it, with its count and
  // total size.
  void setFiles(TDirCollection& folder, const std::vector<FileSpec>& files) {
    TFileCollection lines(static_cast<int32_t>(files.size()), 10);
    int64_t total = 0;
    for (const FileSpec& f : files) {
      auto* line = new TOneFile;
      line->Name = ShortString(f.Name);
      SplitName(line->Name, line->Data.Ext);
      line->Data.Size = storedFileSize(f.Size);
      line->Data.DateTime = f.DateTime;
      line->Data.Attr = f.Attr;
      line->Data.DescOffset = f.DescOffset;
      lines.Add(line);
      total += static_cast<int64_t>(f.Size);
    }
    handle.Stream.SeekToEnd();
    folder.Dir.Data.FileListOffset = static_cast<int32_t>(handle.Stream.GetPosition());
    int64_t size = 0;
    WriteFileList(lines, handle.Stream, size, true);
    folder.Dir.Data.FileCount = static_cast<int32_t>(files.size());
    folder.Dir.Data.FilesSize = total;
  }

  // Saves the current tree as a new disk; its block offset.
  int32_t saveDisk(bool uniqueName = false) {
    const auto offset = static_cast<int32_t>(handle.Stream.GetSize());
    EXPECT_TRUE(SaveTreeStruct(handle, trees, uniqueName));
    return offset;
  }

  // Appends raw bytes (a hand-made or damaged block); their offset.
  int32_t appendRaw(std::span<const uint8_t> bytes) {
    handle.Stream.SeekToEnd();
    const auto offset = static_cast<int32_t>(handle.Stream.GetPosition());
    handle.Stream.Write(bytes.data(), bytes.size());
    handle.Stream.Flush();
    return offset;
  }

  // Overwrites bytes in place, as damage would.
  void patch(int32_t offset, std::span<const uint8_t> bytes) {
    handle.Stream.Seek(static_cast<uint32_t>(offset));
    handle.Stream.Write(bytes.data(), bytes.size());
    handle.Stream.Flush();
  }

  std::vector<uint8_t> bytesAt(int32_t offset, size_t n) {
    std::vector<uint8_t> bytes(n);
    handle.Stream.Seek(static_cast<uint32_t>(offset));
    handle.Stream.ReadExact(bytes.data(), n);
    return bytes;
  }

  TDBase handle;
  TTreeSlots trees;

 private:
  vellomar::test::TempFolder folder_{"catalogue"};
  std::string path_;
};

// A copy of block with bytes put over it at `at`: one fault per copy.
inline std::vector<uint8_t> patched(std::vector<uint8_t> block, size_t at,
                                    const std::vector<uint8_t>& bytes) {
  std::copy(bytes.begin(), bytes.end(), block.begin() + static_cast<std::ptrdiff_t>(at));
  return block;
}

// The subfolder of node with this stored name (base part), null when none.
inline TDirCollection* subDirNamed(const TDirCollection& node, std::string_view name) {
  for (TDirCollection* sub : node.Items()) {
    if (sub->Dir.Name.view() == name) return sub;
  }
  return nullptr;
}

// The names of a file collection's lines, base and extension joined.
inline std::vector<std::string> lineNames(const TFileCollection& lines) {
  std::vector<std::string> names;
  for (const TOneFile* line : lines.Items()) {
    names.push_back(line->Name.str() + std::string(line->Data.Ext.view()));
  }
  return names;
}

}  // namespace vellomar::testing
