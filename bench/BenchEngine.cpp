#include "bench/BenchEngine.h"

#include <filesystem>
#include <stdexcept>

#include "engine/api/UApi.h"
#include "engine/api/UApiSearch.h"
#include "platform/PPaths.h"

namespace vellomar {
namespace {

// The description masks of a database whose filter modules are not installed: plain text only,
// as a user without them sets it.
constexpr const char* kPlainTextDescriptions = "*.txt|500||";

// The engine names folders as the drives the user picks them from.
}  // namespace

ShortString systemPath(const std::string& folder) {
  const std::optional<std::string> path = toSystemPath(folder);
  if (!path) throw std::runtime_error("no drive holds " + folder);
  return ShortString(*path);
}

namespace {

int64_t filesOfCurrentTree(TDBase* handle) {
  TDiskInfo info;
  if (!ApiGetDiskInfo(handle, info)) return 0;
  return int64_t{info.Files} + info.ArchiveFiles;
}

int64_t scanAndSave(TDBase* handle, const std::string& folder, const std::string& diskName) {
  ApiFreeTreeStruct(handle);
  if (!ApiScanDisk(handle, systemPath(folder).view(), ShortString(diskName), ShortString())) {
    throw std::runtime_error("the scan of " + folder + " failed");
  }
  const int64_t files = filesOfCurrentTree(handle);
  if (!ApiSaveDisk(handle)) throw std::runtime_error("cannot save disk " + diskName);
  ApiFreeTreeStruct(handle);
  return files;
}

}  // namespace

void createDatabase(const std::string& path, ScanReading reading) {
  std::filesystem::remove(path);
  if (!ApiCreateDBase(ShortString(path))) throw std::runtime_error("cannot create " + path);
  BenchDatabase db(path);
  TLocalOptions options;
  ApiGetLocalOptions(db.get(), options);
  const bool contents = reading == ScanReading::kDescriptionsAndArchives;
  options.ScanDesc = contents;
  options.ScanArchives = contents ? kScanArchivesNoPrompt : kScanArchivesNo;
  options.DescFileTable = kPlainTextDescriptions;
  // No simulated "DiskInfo.txt", so the catalogue holds the very names the baselines read.
  options.SimulateDiskInfo = false;
  ApiSetLocalOptions(db.get(), options);
  db.close();
}

BenchDatabase::BenchDatabase(const std::string& path) {
  ShortString error;
  if (!catalogue_.open(ShortString(path), false, error)) {
    throw std::runtime_error("cannot open " + path + ": " + error.str());
  }
}

// A failed close while unwinding is already reported by the failure that unwinds; the
// gateway swallows it.
BenchDatabase::~BenchDatabase() = default;

void BenchDatabase::close() {
  TDBase* handle = catalogue_.release();
  if (!ApiCloseDBase(handle, false)) throw std::runtime_error("cannot close the database");
}

int64_t scanIntoNewDatabase(const std::string& database, const std::string& folder,
                            const std::string& diskName, ScanReading reading) {
  createDatabase(database, reading);
  BenchDatabase db(database);
  const int64_t files = scanAndSave(db.get(), folder, diskName);
  db.close();
  return files;
}

int64_t rescanDisk(const std::string& database, const std::string& folder,
                   const std::string& diskName) {
  BenchDatabase db(database);
  TDBase* h = db.get();
  ShortString name(diskName);
  int32_t index = -1;
  if (!ApiFindDisk(h, name, index)) throw std::runtime_error("no disk " + diskName);
  if (!ApiLoadOldDisk(h, index)) throw std::runtime_error("cannot load disk " + diskName);
  ApiFreeTreeStruct(h);
  if (!ApiScanDisk(h, systemPath(folder).view(), name, ShortString())) {
    throw std::runtime_error("the rescan of " + folder + " failed");
  }
  const int64_t files = filesOfCurrentTree(h);
  ApiKeepTreeAsOld(h);
  if (!ApiDeleteDisk(h, index)) throw std::runtime_error("cannot replace disk " + diskName);
  ApiRestoreOldTree(h);
  if (!ApiSaveDisk(h)) throw std::runtime_error("cannot save disk " + diskName);
  ApiFreeTreeStruct(h);
  ApiFreeOldTreeStruct(h);
  db.close();
  return files;
}

int64_t scanDisksIntoNewDatabase(const std::string& database,
                                 const std::vector<std::string>& folders,
                                 const std::vector<std::string>& diskNames) {
  createDatabase(database);
  BenchDatabase db(database);
  for (size_t i = 0; i < folders.size(); ++i) scanAndSave(db.get(), folders[i], diskNames[i]);
  db.close();
  return static_cast<int64_t>(folders.size());
}

int64_t openAndReadDiskNames(const std::string& database) {
  BenchDatabase db(database);
  const int32_t count = ApiGetKeyCount(db.get());
  ShortString name;
  uint16_t flags = 0;
  for (int32_t i = 0; i < count; ++i) {
    if (!ApiGetKey(db.get(), name, flags, i)) throw std::runtime_error("cannot read a disk name");
  }
  return count;
}

TSearchDlgData searchRequest(const std::string& mask) {
  TSearchDlgData r;
  r.Mask = ShortString(mask);
  // The whole walk is what is measured: the dialog's cap of 50000 would end it early.
  r.MaxRecs = INT32_MAX;
  r.SearchIn = SearchScope::kWholeDatabase;
  r.FileNames = true;
  return r;
}

void limitToYears2001And2002(TSearchDlgData& request) {
  request.UseMoreOptions = true;
  request.DateFrom = (2001 - 1980) << 25 | 1 << 21 | 1 << 16;
  request.DateTo = (2003 - 1980) << 25 | 1 << 21 | 1 << 16;
  request.MoreOptionsActive = true;
}

int64_t searchDatabase(BenchDatabase& database, const TSearchDlgData& request) {
  ApiSearch(database.get(), request);
  return ApiFoundCount(database.get());
}

int64_t compressDatabase(const std::string& source, const std::string& target) {
  createDatabase(target);
  BenchDatabase from(source);
  BenchDatabase to(target);
  if (!ApiCompressDBase(from.get(), to.get(), true, false, true)) {
    throw std::runtime_error("the compression of " + source + " failed");
  }
  const int64_t disks = ApiGetKeyCount(to.get());
  to.close();
  return disks;
}

}  // namespace vellomar
