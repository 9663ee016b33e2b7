#include <gtest/gtest.h>
#include <sys/resource.h>

#include <QApplication>
#include <QHeaderView>
#include <QTest>
#include <algorithm>
#include <csignal>
#include <cstring>
#include <functional>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "engine/UDBaseLayout.h"
#include "engine/UDiskBlock.h"
#include "engine/api/UApi.h"
#include "export/UFileLine.h"
#include "foundation/UIniFile.h"
#include "platform/PLibrary.h"
#include "platform/PPaths.h"
#include "tests/support/CatalogueView.h"
#include "tests/support/SampleCatalogue.h"
#include "tests/support/TempFolder.h"
#include "tests/ui/support/RecordingServices.h"
#include "ui/dbase/FDBase.h"
#include "ui/dbase/FDiskPanel.h"
#include "ui/dbase/FFilePanel.h"
#include "ui/dbase/FTreePanel.h"
#include "ui/dbase/UDBaseStatus.h"
#include "ui/settings/FSettings.h"

namespace vellomar::test {
namespace {

using Bytes = std::vector<uint8_t>;

const std::string kInconsistency =
    "Database inconsistency was found.\r\nClose the database and repair it.";

// What the window showed of one disk once the user had clicked it.
struct DiskSeen {
  std::string Name;
  std::vector<std::string> Folders;  // the outline, from the root
  std::vector<std::string> Lines;    // the file list, from the top
  TDirTotals Totals;
  std::string Subtotals;  // the status bar's first section

  friend bool operator==(const DiskSeen&, const DiskSeen&) = default;
};

struct WindowSeen {
  bool Opened = false;
  int Boxes = 0;  // inconsistency boxes
  std::vector<std::string> OtherBoxes;
  std::vector<DiskSeen> Disks;
};

int32_t int32At(const Bytes& bytes, size_t at) {
  int32_t value = 0;
  std::memcpy(&value, bytes.data() + at, sizeof value);
  return value;
}

// The disk blocks the key table points at, in file order.
std::vector<int32_t> diskBlocks(const Bytes& bytes) {
  std::vector<int32_t> blocks;
  const int32_t count = int32At(bytes, kKeyFieldOffset + 8);
  for (int32_t k = 0; k < count; ++k) {
    blocks.push_back(int32At(bytes, kKeyFieldOffset + kKeyFieldHeadSize + 6 * size_t(k) + 2));
  }
  std::sort(blocks.begin(), blocks.end());
  return blocks;
}

// The sample catalogue (three live disks and a deleted one, descriptions, an archive shown as
// a folder) opened in the database window, disk by disk as a user clicks through them.
class DamagedWindowTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    // The sample's scan reads descriptions through the filter modules built beside the
    // program; this test program lies two folders below.
    setProgramFolder({});
    setProgramFolder(programFolder() + "../../bin/");
    sound_ = new Bytes(vellomar::testing::sampleCatalogueBytes());
  }
  static void TearDownTestSuite() {
    delete sound_;
    setProgramFolder({});
  }

  void SetUp() override {
    if (sound_->empty()) GTEST_SKIP() << "no drive holds the temporary folder";
    setConfigFolder(config_.path() + "/");
    settings_ = std::make_unique<TFormSettings>(config_.at("Vellomar.INI"));
  }
  void TearDown() override { settings_.reset(); }

  std::string write(const Bytes& bytes) {
    return folder_.file(
        "window.kvd", std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
  }

  static void idle(TFormDBase& window) {
    window.IdleUpdate();
    window.IdleUpdate();
  }

  // Clicks every disk row in turn and records what each showed; boxes are counted from the
  // opening on.
  static void visit(TFormDBase& window, WindowSeen& seen) {
    TDiskPanel& disks = *window.diskPanel();
    const int32_t shown = ApiGetKeyCount(window.catalogue().handle());
    for (int row = 0; row < shown && !window.closing(); ++row) {
      QTest::mouseClick(disks.viewport(), Qt::LeftButton, Qt::NoModifier,
                        disks.cellRect(0, row).center());
      idle(window);
      DiskSeen disk;
      TDBase* db = window.catalogue().handle();
      ShortString name;
      uint16_t flags = 0;
      ApiGetKey(db, name, flags, row);
      disk.Name = name.str();
      TTreePanel& tree = *window.treePanel();
      for (int i = 0; i < tree.itemCount(); ++i) {
        disk.Folders.push_back(tree.itemAtIndex(i).data(Qt::DisplayRole).toString().toStdString());
      }
      TFilePanel& files = *window.filePanel();
      for (int32_t i = 0; i < files.lines().count(); ++i) {
        disk.Lines.push_back(FullNameOf(*files.lines().at(i)));
      }
      ApiGetCurrentDirTotals(db, disk.Totals);
      disk.Subtotals =
          window.headerBottom()->model()->headerData(0, Qt::Horizontal).toString().toStdString();
      seen.Disks.push_back(std::move(disk));
    }
  }

  static void countBoxes(WindowSeen& seen) {
    for (const RecordedBox& box : recorder().boxes) {
      if (box.text == kInconsistency) {
        ++seen.Boxes;
      } else {
        seen.OtherBoxes.push_back(box.text);
      }
    }
    recorder().clear();
  }

  static std::unique_ptr<TFormDBase> newWindow() {
    auto window = std::make_unique<TFormDBase>();
    window->resize(900, 420);
    window->show();
    return window;
  }

  WindowSeen open(const Bytes& bytes) {
    recorder().clear();
    WindowSeen seen;
    const std::string path = write(bytes);
    auto window = newWindow();
    seen.Opened = window->OpenDBase(path);
    if (seen.Opened) {
      idle(*window);
      visit(*window, seen);
    }
    countBoxes(seen);
    return seen;
  }

  // A count of files the file cannot hold: more than it has room for entries, or below zero.
  // Sizes show as stored, whatever their sign or height.
  static void expectPossible(const DiskSeen& disk, size_t fileSize) {
    const TDirTotals& t = disk.Totals;
    const auto maxFiles = static_cast<int64_t>(fileSize / 20);
    for (const int32_t files : {t.Files, t.PhysFiles}) {
      EXPECT_GE(files, 0) << disk.Name;
      EXPECT_LE(files, maxFiles) << disk.Name;
    }
    EXPECT_EQ(disk.Subtotals, SubtotalsText(t)) << disk.Name;
  }

  static Bytes* sound_;
  TempFolder config_{"damagedconfig"};
  TempFolder folder_{"damagedwindow"};
  std::unique_ptr<TFormSettings> settings_;
};

Bytes* DamagedWindowTest::sound_ = nullptr;

TEST_F(DamagedWindowTest, ASoundCatalogueBrowsesWithoutABox) {
  const WindowSeen seen = open(*sound_);
  ASSERT_TRUE(seen.Opened);
  EXPECT_EQ(seen.Boxes, 0);
  EXPECT_TRUE(seen.OtherBoxes.empty());
  ASSERT_EQ(seen.Disks.size(), 3u);
  for (const DiskSeen& disk : seen.Disks) {
    EXPECT_NE(disk.Name, "???");
    EXPECT_FALSE(disk.Lines.empty()) << disk.Name;
  }
}

TEST_F(DamagedWindowTest, EveryDamageGetsTheBoxAndNoImpossibleTotal) {
  const std::vector<int32_t> blocks = diskBlocks(*sound_);
  ASSERT_GE(blocks.size(), 3u);
  const int32_t lastDisk = blocks.back();
  struct Damage {
    std::string Name;
    std::function<void(Bytes&)> Apply;
  };
  std::vector<Damage> damages = {
      {"cut at 5000", [](Bytes& b) { b.resize(5000); }},
      {"cut at the data area", [](Bytes& b) { b.resize(kDataAreaOffset); }},
      {"cut at 65500", [](Bytes& b) { b.resize(65500); }},
      {"cut inside the last disk block", [=](Bytes& b) { b.resize(size_t(lastDisk) + 600); }},
      {"key entries zeroed",
       [](Bytes& b) {
         std::fill_n(b.begin() + kKeyFieldOffset + kKeyFieldHeadSize, 3 * kKeyEntrySize, 0);
       }},
      {"first disk block zeroed",
       [=](Bytes& b) { std::fill_n(b.begin() + blocks.front(), 400, uint8_t{0}); }},
      {"key count 10000",
       [](Bytes& b) {
         const int32_t count = 10000;
         std::memcpy(b.data() + kKeyFieldOffset + 8, &count, sizeof count);
       }},
  };
  for (unsigned seed = 1; seed <= 4; ++seed) {
    damages.push_back({"200 bits flipped, seed " + std::to_string(seed), [seed](Bytes& b) {
                         std::mt19937 random(seed);
                         for (int i = 0; i < 200; ++i) {
                           const size_t at =
                               kDataAreaOffset + random() % (b.size() - kDataAreaOffset);
                           b[at] ^= static_cast<uint8_t>(1u << (random() % 8));
                         }
                       }});
  }
  for (const Damage& damage : damages) {
    SCOPED_TRACE(damage.Name);
    Bytes bytes = *sound_;
    damage.Apply(bytes);
    const WindowSeen seen = open(bytes);
    ASSERT_TRUE(seen.Opened);
    EXPECT_GE(seen.Boxes, 1);
    EXPECT_TRUE(seen.OtherBoxes.empty()) << seen.OtherBoxes.front();
    // Each disk needs a block of a head and the older details at least.
    EXPECT_LE(seen.Disks.size(), (bytes.size() - std::min(bytes.size(), kDataAreaOffset)) /
                                     (kBlockHeadSize + kOldDiskInfoSize));
    for (const DiskSeen& disk : seen.Disks) {
      expectPossible(disk, bytes.size());
      if (disk.Name != "???") continue;
      // Its own empty tree and list, never those of the disk clicked before.
      EXPECT_EQ(disk.Folders, std::vector<std::string>{"\\"});
      EXPECT_TRUE(disk.Lines.empty());
      EXPECT_EQ(disk.Subtotals, " ");
    }
  }
}

// The file system refuses to let the catalogue grow while a scan writes its file lists: the
// scan fails with the write error, and every disk saved before browses as it did, without a
// word of damage, since the file reads back whole.
TEST_F(DamagedWindowTest, AWriteFailingPartWayLeavesEveryEarlierDiskAsItWas) {
  TempFolder disk{"fulldisk"};
  // More entries than the stream gathers before it writes: the scan itself hits the limit.
  for (int i = 0; i < 1500; ++i) {
    disk.file("many/a file with a long name number " + std::to_string(i) + ".txt", "x");
  }
  const std::optional<std::string> scanned = toSystemPath(disk.path());
  if (!scanned) GTEST_SKIP() << "no drive holds the temporary folder";
  const std::string path = write(*sound_);
  recorder().clear();
  auto window = newWindow();
  ASSERT_TRUE(window->OpenDBase(path));
  idle(*window);
  WindowSeen before;
  visit(*window, before);
  countBoxes(before);
  ASSERT_EQ(before.Boxes, 0);
  ASSERT_EQ(before.Disks.size(), 3u);

  rlimit saved{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  const auto previous = std::signal(SIGXFSZ, SIG_IGN);
  rlimit limited = saved;
  limited.rlim_cur = sound_->size() + 1000;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
  window->ScanFolderAsDisk(*scanned, "Fresh", "");
  setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, previous);
  ASSERT_FALSE(window->closing());
  ASSERT_EQ(recorder().boxes.size(), 1u);
  EXPECT_EQ(recorder().boxes[0].text, "File writing error.");
  recorder().clear();
  idle(*window);

  WindowSeen after;
  visit(*window, after);
  countBoxes(after);
  EXPECT_EQ(after.Boxes, 0);
  EXPECT_TRUE(after.OtherBoxes.empty()) << after.OtherBoxes.front();
  EXPECT_TRUE(after.Disks == before.Disks) << "the disks saved before browse as they did";
  window.reset();
  const vellomar::testing::CatalogueView view = vellomar::testing::viewCatalogue(path);
  EXPECT_TRUE(view.Opened);
  EXPECT_EQ(view.Damage, 0);
  EXPECT_EQ(vellomar::testing::diskNamed(view, "Fresh"), nullptr);
}

}  // namespace
}  // namespace vellomar::test
