#include "ui/common/UCatalogueGateway.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "engine/UDBase.h"
#include "platform/PLibrary.h"
#include "tests/support/SampleCatalogue.h"
#include "tests/support/TempFolder.h"

namespace vellomar {
namespace {

// A catalogue opened through the gateway and a small folder to scan into it.
class CatalogueGatewayTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setProgramFolder(VELLOMAR_BUILD_DIR "bin/");  // the scan loads the filter modules
    testing::writeDiskFolder(disk_, "docs", 3);
    const std::optional<ShortString> path = testing::scanPath(disk_, "docs");
    if (!path) GTEST_SKIP() << "no drive holds the temporary folder";
    scanPath_ = *path;
    dbPath_ = dbFolder_.at("gateway.kvd");
    ASSERT_TRUE(ApiCreateDBase(ShortString(dbPath_)));
    ShortString error;
    ASSERT_TRUE(catalogue_.open(ShortString(dbPath_), false, error)) << error.str();
    TLocalOptions options;
    ApiGetLocalOptions(catalogue_.handle(), options);
    options.ShowDeleted = true;
    ApiSetLocalOptions(catalogue_.handle(), options);
  }
  void TearDown() override { setProgramFolder({}); }

  // A scan as the scanning commands run it: the former version of a disk of that name kept,
  // then the new disk saved in its place.
  bool scan(const std::string& name) {
    int32_t formerBlock = 0;
    if (const std::optional<int32_t> former = catalogue_.findDisk(name)) {
      formerBlock = catalogue_.keepAsFormerVersion(*former);
    }
    catalogue_.clearForScan();
    const bool saved =
        catalogue_.scanDisk(scanPath_.view(), ShortString(name), ShortString("LABEL")) &&
        catalogue_.saveScannedDisk(formerBlock);
    catalogue_.freeScanTrees();
    return saved;
  }
  std::vector<std::string> diskNames() {
    std::vector<std::string> names;
    for (int32_t i = 0; i < ApiGetKeyCount(catalogue_.handle()); ++i) {
      ShortString name;
      uint16_t flags = 0;
      ApiGetKey(catalogue_.handle(), name, flags, i);
      names.push_back(name.str() + ((flags & kKeyDeleted) != 0 ? " (deleted)" : ""));
    }
    return names;
  }

  test::TempFolder disk_{"gatewaydisk"};
  test::TempFolder dbFolder_{"gatewaydb"};
  ShortString scanPath_;
  std::string dbPath_;
  CatalogueGateway catalogue_;
};

TEST_F(CatalogueGatewayTest, ARescanReplacesTheDiskOfItsNameAndAFreshNameAddsOne) {
  ASSERT_TRUE(scan("Docs"));
  ASSERT_TRUE(scan("Docs"));
  EXPECT_EQ(diskNames(), (std::vector<std::string>{"Docs", "Docs [1] (deleted)"}));
  ASSERT_TRUE(scan("Other"));
  EXPECT_EQ(diskNames(), (std::vector<std::string>{"Docs", "Other", "Docs [1] (deleted)"}));
  EXPECT_FALSE(ApiGetCurrentPath(catalogue_.handle(), scanPath_)) << "no tree stays loaded";
}

TEST_F(CatalogueGatewayTest, TheCurrentPlaceIsAValueAndEmptyWithoutDisks) {
  EXPECT_FALSE(catalogue_.currentKey());
  EXPECT_TRUE(catalogue_.empty());
  EXPECT_EQ(catalogue_.currentPlace().Disk, "");
  ASSERT_TRUE(scan("Docs"));
  ASSERT_TRUE(scan("Docs"));
  ASSERT_TRUE(ApiGoToDisk(catalogue_.handle(), 1));
  ASSERT_TRUE(ApiGoToPath(catalogue_.handle(), ShortString("\\docs")));
  const std::optional<CatalogueKey> key = catalogue_.currentKey();
  ASSERT_TRUE(key);
  EXPECT_EQ(key->Name.str(), "Docs [1]");
  EXPECT_EQ(key->Index, 1);
  EXPECT_TRUE(key->deleted());
  const CataloguePlace place = catalogue_.currentPlace();
  EXPECT_EQ(place.Disk, "Docs [1]");
  EXPECT_EQ(place.Folder, "\\docs");
}

// Raising from the progress callback stands for any failure inside the engine's search.
void failingProgress(bool&) {
  throw std::runtime_error("progress failed");
}

TEST_F(CatalogueGatewayTest, ASearchRunStartsCleanAndResetsItsCallbackEvenWhenItFails) {
  ASSERT_TRUE(scan("Docs"));
  TSearchDlgData request;
  request.Mask = ShortString("*.txt");
  request.FileNames = true;
  request.MaxRecs = 1000;
  EXPECT_TRUE(catalogue_.searchFiles(request, nullptr));
  EXPECT_GT(catalogue_.foundCount(), 0);
  EXPECT_EQ(catalogue_.searchCounts().Percent, 100);

  ASSERT_TRUE(ApiGoToDisk(catalogue_.handle(), 0));
  request.Mask = ShortString("nothing-is-called-so");
  EXPECT_FALSE(catalogue_.searchFiles(request, nullptr)) << "the last run's items are cleared";
  EXPECT_EQ(catalogue_.foundCount(), 0);
  EXPECT_EQ(catalogue_.currentPath(), "") << "the tree is freed before a search";

  EXPECT_THROW(catalogue_.searchFiles(request, &failingProgress), std::runtime_error);
  EXPECT_NO_THROW(ApiSearch(catalogue_.handle(), request)) << "the failing callback is gone";
  EXPECT_TRUE(catalogue_.searchFreeSpace(nullptr));
}

TEST_F(CatalogueGatewayTest, DamageIsReportedOnceAndAReadOnlyExportOpensReadOnly) {
  EXPECT_FALSE(catalogue_.takeDamage());
  catalogue_.handle()->DamageCounter = 2;
  EXPECT_TRUE(catalogue_.takeDamage());
  EXPECT_FALSE(catalogue_.takeDamage());

  EXPECT_FALSE(catalogue_.readOnly());
  TDBase* handle = catalogue_.release();
  ASSERT_TRUE(ApiCloseDBase(handle, true));
  EXPECT_FALSE(catalogue_.isOpen());
  ShortString error;
  ASSERT_TRUE(catalogue_.open(ShortString(dbPath_), false, error)) << error.str();
  EXPECT_TRUE(catalogue_.readOnly());
  catalogue_.close();
  EXPECT_EQ(catalogue_.handle(), nullptr);
}

}  // namespace
}  // namespace vellomar
