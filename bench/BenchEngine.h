#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/api/USearchDlgData.h"
#include "foundation/UShortString.h"
#include "ui/common/UCatalogueGateway.h"

namespace vellomar {

class TDBase;

// An open database, closed when it goes.
class BenchDatabase {
 public:
  explicit BenchDatabase(const std::string& path);
  ~BenchDatabase();
  BenchDatabase(const BenchDatabase&) = delete;
  BenchDatabase& operator=(const BenchDatabase&) = delete;

  TDBase* get() const { return catalogue_.handle(); }
  CatalogueGateway& catalogue() { return catalogue_; }
  void close();

 private:
  CatalogueGateway catalogue_;
};

// The engine work of each row, through the flat API only, in the order of calls the user
// interface makes. Each answers what it counted and raises std::runtime_error when the engine
// refuses.

// What a scan reads besides the folders.
enum class ScanReading { kDescriptionsAndArchives, kFoldersOnly };

// A new empty database with the scan options of the rows below.
void createDatabase(const std::string& path,
                    ScanReading reading = ScanReading::kDescriptionsAndArchives);
// The folder as the engine names it: on the drive that holds it.
ShortString systemPath(const std::string& folder);

// A new database holding the folder as one disk; answers the files catalogued.
int64_t scanIntoNewDatabase(const std::string& database, const std::string& folder,
                            const std::string& diskName,
                            ScanReading reading = ScanReading::kDescriptionsAndArchives);

// Rescans the disk of that name from the folder, the old version carried over and left as a
// deleted disk; answers the files catalogued.
int64_t rescanDisk(const std::string& database, const std::string& folder,
                   const std::string& diskName);

// A new database with one disk per folder, named by diskNames; answers the disks saved.
int64_t scanDisksIntoNewDatabase(const std::string& database,
                                 const std::vector<std::string>& folders,
                                 const std::vector<std::string>& diskNames);

// Opens the database and reads every disk name, as the disk list shows them; answers the disks.
int64_t openAndReadDiskNames(const std::string& database);

// The request of the search dialog with nothing but its defaults and the given mask.
TSearchDlgData searchRequest(const std::string& mask);

// The more options of the dates rows: files dated 2001 or 2002.
void limitToYears2001And2002(TSearchDlgData& request);

// Answers the number of found items.
int64_t searchDatabase(BenchDatabase& database, const TSearchDlgData& request);

// Copies every live disk into a new database, as compress does; answers the disks copied.
int64_t compressDatabase(const std::string& source, const std::string& target);

}  // namespace vellomar
