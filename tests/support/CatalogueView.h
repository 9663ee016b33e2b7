#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "engine/api/UApi.h"
#include "engine/api/UApiSearch.h"

namespace vellomar::testing {

// What the flat API shows of one disk: its name, then a line per folder and per file (path,
// size, date, attributes, short and full description), in tree order. Offsets are left out:
// a copy moves every block.
struct DiskView {
  std::string Name;
  bool Deleted = false;
  std::vector<std::string> Lines;

  friend bool operator==(const DiskView&, const DiskView&) = default;
};

struct CatalogueView {
  bool Opened = false;
  std::string Error;   // the refusal text when it did not open
  int32_t Damage = 0;  // the handle's damage counter after the walk
  std::vector<DiskView> Disks;
};

namespace detail {

inline std::string descriptionText(TDBase* db, int32_t offset) {
  if (offset == 0) return "";
  ShortString shortText;
  ApiGetShortDesc(db, offset, shortText);
  std::string full;
  ApiGetFullDesc(db, offset, full);
  return " [" + shortText.str() + "|" + full + "]";
}

inline std::string entryText(const std::string& path, int32_t size, int32_t dateTime,
                             uint16_t attr) {
  return path + " " + std::to_string(size) + " " + std::to_string(dateTime) + " " +
         std::to_string(attr);
}

}  // namespace detail

// Walks a folder's subtree through the API in tree order: each folder (its path made of the
// names above it), then the files of its list.
template <class OnFolder, class OnFile>
void walkFolder(TDBase* db, TDirCollection* node, const std::string& path, OnFolder& onFolder,
                OnFile& onFile) {
  TOneDir dir;
  ApiDirColCheck(node, dir);
  const std::string here = path + dir.Name.str() + std::string(dir.Data.Ext.view());
  onFolder(dir, here);
  ApiSetCurrentDirCol(db, node);
  ApiUpdateFileCol(db);
  TFileCollection* files = ApiGetFileCol(db);
  for (int32_t i = 0; i < ApiFileColCount(files); ++i) {
    TOneFile line;
    ApiFileColAt(files, i, line);
    if (line.SubDir != nullptr) continue;  // "..", and the subfolders walked below
    onFile(line, here + "/" + line.Name.str() + std::string(line.Data.Ext.view()));
  }
  for (int32_t i = 0; i < ApiDirColCount(node); ++i) {
    walkFolder(db, ApiDirColAt(node, i), here + "/", onFolder, onFile);
  }
}

namespace detail {

inline void viewFolder(TDBase* db, TDirCollection* root, DiskView& disk) {
  auto onFolder = [&](const TOneDir& dir, const std::string& path) {
    disk.Lines.push_back("D " + entryText(path, dir.Data.Size, dir.Data.DateTime, dir.Data.Attr) +
                         descriptionText(db, dir.Data.DescOffset));
  };
  auto onFile = [&](const TOneFile& line, const std::string& path) {
    disk.Lines.push_back("F " +
                         entryText(path, line.Data.Size, line.Data.DateTime, line.Data.Attr) +
                         descriptionText(db, line.Data.DescOffset));
  };
  walkFolder(db, root, "", onFolder, onFile);
}

}  // namespace detail

// Opens a copy of the database (so the file itself is not written by the close), shows its
// deleted disks too and walks every disk, folder, file list and description through the API.
inline CatalogueView viewCatalogue(const std::string& path) {
  const std::string copy = path + ".view";
  std::filesystem::copy_file(path, copy, std::filesystem::copy_options::overwrite_existing);
  CatalogueView view;
  TDBase* db = nullptr;
  ShortString error;
  view.Opened = ApiOpenDBase(ShortString(copy), false, db, error);
  if (!view.Opened) {
    view.Error = error.str();
  } else {
    TLocalOptions options;
    ApiGetLocalOptions(db, options);
    options.ShowDeleted = true;
    ApiSetLocalOptions(db, options);
    for (int32_t i = 0; i < ApiGetKeyCount(db); ++i) {
      DiskView disk;
      ShortString name;
      uint16_t flags = 0;
      ApiGetKey(db, name, flags, i);
      disk.Deleted = (flags & kKeyDeleted) != 0;
      if (ApiGoToDisk(db, i)) {
        TDiskInfo info;
        ApiGetDiskInfo(db, info);
        disk.Name = info.DiskName.str();
        detail::viewFolder(db, ApiGetRootDirCol(db), disk);
      }
      view.Disks.push_back(std::move(disk));
    }
    view.Damage = ApiGetErrorCount(db);
    ApiFreeTreeStruct(db);
    ApiCloseDBase(db, false);
  }
  std::filesystem::remove(copy);
  return view;
}

// The disk of that name in a view, null when there is none.
inline const DiskView* diskNamed(const CatalogueView& view, const std::string& name) {
  for (const DiskView& disk : view.Disks) {
    if (disk.Name == name) return &disk;
  }
  return nullptr;
}

// As the compress run does it, or with rebuildKeys the repair run: the file opened (its key
// table rebuilt), copied into a new database with its options. Empty when it worked, else
// what refused.
inline std::string copyCatalogue(const std::string& source, const std::string& target,
                                 bool rebuildKeys) {
  TDBase* from = nullptr;
  ShortString error;
  if (!ApiOpenDBase(ShortString(source), rebuildKeys, from, error)) {
    return "source: " + error.str();
  }
  TDBase* copy = nullptr;
  if (!ApiCreateDBase(ShortString(target)) ||
      !ApiOpenDBase(ShortString(target), false, copy, error)) {
    ApiCloseDBase(from, false);
    return "target: " + error.str();
  }
  const bool copied = ApiCompressDBase(from, copy, true, false, true);
  ApiCloseDBase(from, false);
  ApiCloseDBase(copy, false);
  return copied ? "" : "copy answered false";
}

inline std::string repairCatalogue(const std::string& damaged, const std::string& target) {
  return copyCatalogue(damaged, target, true);
}

}  // namespace vellomar::testing
