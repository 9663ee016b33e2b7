#include "fuzz/TreeCatalogue.h"

#include <span>
#include <string>
#include <vector>

#include "engine/UDescBlock.h"
#include "engine/UFileListBlock.h"

namespace vellomar::fuzz {

using testing::DBaseImage;

namespace {

struct FileSpec {
  std::string_view Name;
  std::string_view Description;
};

// A file list of the given files, each with its description block when it has one.
int32_t addFileList(DBaseImage& image, std::span<const FileSpec> files) {
  std::vector<int32_t> descOffsets;
  for (const FileSpec& file : files) {
    if (file.Description.empty()) {
      descOffsets.push_back(0);
      continue;
    }
    ByteWriter desc;
    writeDescBlock(desc, file.Description);
    descOffsets.push_back(image.append(desc.bytes()));
  }
  uint64_t nameBytes = 0;
  for (const FileSpec& file : files) nameBytes += file.Name.size();
  ByteWriter w;
  writeFileListHead(w, static_cast<int32_t>(fileListBlockLength(files.size(), nameBytes)),
                    static_cast<int32_t>(files.size()));
  for (size_t i = 0; i < files.size(); ++i) {
    TFileRecord record;
    record.DescOffset = descOffsets[i];
    record.DateTime = 0x5A214C63;
    record.Size = static_cast<int32_t>(1000 * (i + 1));
    record.Attr = 0x20;
    record.Ext = ".txt";
    writeFileEntry(w, record, files[i].Name);
  }
  return image.append(w.bytes());
}

}  // namespace

int32_t addTreeDisk(DBaseImage& image, std::string_view name) {
  const FileSpec rootFiles[] = {{"readme.txt", "Read me first"}, {"setup.exe", ""}};
  const FileSpec docFiles[] = {{"manual.doc", "The manual, 2nd edition"}};
  ByteWriter rootDesc;
  writeDescBlock(rootDesc, "The whole disk");
  const int32_t rootDescOffset = image.append(rootDesc.bytes());
  const int32_t rootList = addFileList(image, rootFiles);
  const int32_t docList = addFileList(image, docFiles);

  struct Folder {
    uint16_t SubDirs;
    std::string_view Name;
    int32_t FileList;
    int32_t Desc;
  };
  const Folder folders[] = {{2, "\\", rootList, rootDescOffset},
                            {1, "docs", docList, 0},
                            {0, "old", 0, 0},
                            {0, "tmp", 0, 0}};
  ByteWriter records;
  for (const Folder& folder : folders) {
    TDirData data;
    data.Attr = kAttrFolder;
    data.FileListOffset = folder.FileList;
    data.DescOffset = folder.Desc;
    writeFolderRecord(records, folder.SubDirs, data, folder.Name);
  }
  TDiskInfo info;
  info.DiskName = name;
  info.VolumeLabel = "TREE";
  info.ScannedPath = "/media/cdrom";
  info.Folders = 3;
  info.Files = 3;
  ByteWriter w;
  writeDiskBlockHead(w, static_cast<uint32_t>(records.size()));
  writeDiskInfo(w, info);
  w.bytes(records.bytes());
  return image.append(w.bytes());
}

void setLiveKeys(DBaseImage& image, std::initializer_list<TKeyEntry> entries) {
  TKeyField keys;
  keys.Keys = entries;
  for (const TKeyEntry& key : entries) keys.LiveCount += (key.Flags & kKeyDeleted) ? 0 : 1;
  image.setKeys(keys, true);
}

}  // namespace vellomar::fuzz
