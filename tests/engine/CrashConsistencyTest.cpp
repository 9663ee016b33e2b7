#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "engine/UDBaseLayout.h"
#include "engine/api/UApi.h"
#include "engine/api/UApiSearch.h"
#include "tests/support/CatalogueView.h"
#include "tests/support/SampleCatalogue.h"
#include "tests/support/TempFolder.h"
#include "tests/support/TracedChild.h"

namespace vellomar {
namespace {

using testing::CatalogueView;
using testing::DiskView;
using testing::FileWrite;
using testing::TracedRun;
using testing::WriteWatch;

// One operation run in a child that is killed before each of its file writes in turn.
struct Operation {
  std::string Name;
  // The child's work; 0 when every step answered success.
  std::function<int()> Body;
  // The database that must come through any kill with every disk it held.
  std::string Database;
  // A copy's source, which no kill may change while the copy runs (empty for the others).
  std::string Source;
  // A copy's target, which is on the disk before the run reports success.
  std::string Target;
  // Disks the finished run has added to the database or made in the target.
  std::vector<std::string> NewDisks;
  // One change of the disks: after any kill the live disks are those before it or those after
  // it, never a mixture, and no deletion number is given twice.
  bool OneChange = false;
};

// The disks a view shows live.
std::vector<DiskView> liveDisks(const CatalogueView& view) {
  std::vector<DiskView> live;
  for (const DiskView& disk : view.Disks) {
    if (!disk.Deleted) live.push_back(disk);
  }
  return live;
}

// Run both ways where the system allows ptrace, else through the double of the file calls.
class CrashConsistencyTest : public ::testing::TestWithParam<WriteWatch> {
 protected:
  void SetUp() override {
    if (GetParam() == WriteWatch::kPtrace && !testing::canTraceChildren()) {
      GTEST_SKIP() << "child processes cannot be traced here; the file-call double runs";
    }
    const std::vector<uint8_t> sample = testing::sampleCatalogueBytes();
    if (sample.empty()) GTEST_SKIP() << "no drive holds the temporary folder";
    sample_ = std::string(sample.begin(), sample.end());
    folder_ = std::filesystem::canonical(dir_.path()).string();
    testing::writeDiskFolder(dir_, "fresh", 5);
    testing::writeDiskFolder(dir_, "changed", 2);
    dir_.file("changed/new.txt", "new");
    fresh_ = *testing::scanPath(dir_, "fresh");
    changed_ = *testing::scanPath(dir_, "changed");
  }

  std::string path(const std::string& name) const { return folder_ + "/" + name; }

  // Resets the files an operation starts from: the sample as the database, the sample without
  // its key table to repair, and a second database to import from.
  void prepare() {
    dir_.file("db.kvd", sample_);
    // The key table lost: only a repair finds the disks again.
    std::string broken = sample_;
    std::fill_n(broken.begin() + kKeyFieldOffset, kKeyFieldHeadSize, '\0');
    dir_.file("broken.kvd", broken);
    std::filesystem::remove(path("target.kvd"));
    std::filesystem::remove(path("phase"));
    // Made once, so that every run starts from the same bytes.
    if (!other_.empty()) {
      dir_.file("other.kvd", other_);
      return;
    }
    ASSERT_TRUE(ApiCreateDBase(ShortString(path("other.kvd"))));
    TDBase* other = nullptr;
    ShortString error;
    ASSERT_TRUE(ApiOpenDBase(ShortString(path("other.kvd")), false, other, error));
    EXPECT_TRUE(testing::scanAndSave(*other, fresh_, "Alpha"));
    EXPECT_TRUE(testing::scanAndSave(*other, fresh_, "Delta"));
    ApiCloseDBase(other, false);
    other_ = vellomar::test::contentOf(path("other.kvd"));
  }

  // A write of its own that the trace records: the copy has ended here.
  void markPhase() const {
    const int fd = ::open(path("phase").c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
    if (fd >= 0) {
      [[maybe_unused]] const ssize_t put = ::write(fd, "|", 1);
      ::close(fd);
    }
  }

  static bool open(const std::string& file, bool rebuild, TDBase*& db) {
    ShortString error;
    return ApiOpenDBase(ShortString(file), rebuild, db, error);
  }

  // A copy as the run dialogs make it: source opened (or kept open), target created.
  int copy(const std::string& source, bool rebuild, bool allDisks, bool copyOptions,
           bool readOnlyExport, bool closeSource) {
    TDBase* from = nullptr;
    TDBase* to = nullptr;
    if (!open(source, rebuild, from)) return 1;
    if (!allDisks) ApiSelectKey(from, true, 0);
    if (!ApiCreateDBase(ShortString(path("target.kvd"))) || !open(path("target.kvd"), false, to)) {
      return 2;
    }
    const bool copied = ApiCompressDBase(from, to, allDisks, false, copyOptions);
    markPhase();
    if (closeSource) ApiCloseDBase(from, false);
    const bool closed = ApiCloseDBase(to, readOnlyExport);
    return copied && closed ? 0 : 3;
  }

  // The run of a change of the disks as the window makes it: the database opened, the change,
  // the database closed.
  int change(const std::function<bool(TDBase*)>& body) const {
    TDBase* h = nullptr;
    if (!open(path("db.kvd"), false, h)) return 1;
    // Deleted disks are found by name too; the file keeps its own setting.
    const bool shown = h->LocalOptions.ShowDeleted;
    h->LocalOptions.ShowDeleted = true;
    const bool changed = body(h);
    h->LocalOptions.ShowDeleted = shown;
    ApiFreeTreeStruct(h);
    ApiFreeOldTreeStruct(h);
    return changed && ApiCloseDBase(h, false) ? 0 : 2;
  }

  static int32_t indexOf(TDBase* h, const std::string& name) {
    for (int32_t i = 0; i < ApiGetKeyCount(h); ++i) {
      ShortString key;
      uint16_t flags = 0;
      if (ApiGetKey(h, key, flags, i) && key.str() == name) return i;
    }
    return -1;
  }

  std::vector<Operation> changes() {
    const std::string db = path("db.kvd");
    return {
        {"rescan over a disk",
         [=, this] {
           return change([&](TDBase* h) {
             h->LocalOptions.SimulateDiskInfo = false;
             const int32_t index = indexOf(h, "Alpha");
             return ApiLoadOldDisk(h, index) && ApiScanDisk(h, changed_.view(), "Alpha", "") &&
                    ApiReplaceDisk(h, index);
           });
         },
         db,
         "",
         "",
         {"Alpha"},
         true},
        {"delete",
         [=, this] {
           return change([](TDBase* h) { return ApiDeleteDisk(h, indexOf(h, "Beta")); });
         },
         db,
         "",
         "",
         {"Beta [2]"},
         true},
        {"delete selected",
         [=, this] {
           return change([](TDBase* h) {
             ApiSelectKey(h, true, indexOf(h, "Alpha"));
             ApiSelectKey(h, true, indexOf(h, "Gamma"));
             return ApiDeleteSelectedDisks(h);
           });
         },
         db,
         "",
         "",
         {"Alpha [2]", "Gamma [3]"},
         true},
        {"undelete",
         [=, this] {
           return change(
               [](TDBase* h) { return ApiRenameDisk(h, indexOf(h, "Gone [1]"), "Gone", true); });
         },
         db,
         "",
         "",
         {"Gone"},
         true},
        {"rename",
         [=, this] {
           return change(
               [](TDBase* h) { return ApiRenameDisk(h, indexOf(h, "Beta"), "Zeta", false); });
         },
         db,
         "",
         "",
         {"Zeta"},
         true},
        {"description edit",
         [=, this] {
           return change([](TDBase* h) {
             if (!ApiGoToDiskByName(h, "Alpha")) return false;
             TFileCollection* files = ApiGetFileCol(h);
             for (int32_t i = 0; i < ApiFileColCount(files); ++i) {
               TOneFile line;
               ApiFileColAt(files, i, line);
               if (line.Name.str() != "readme") continue;
               int32_t entry = line.EntryOffset;
               return ApiSetDesc(h, entry, "words written over the old ones");
             }
             return false;
           });
         },
         db,
         "",
         "",
         {"Alpha"},
         true},
    };
  }

  std::vector<Operation> operations() {
    const std::string db = path("db.kvd");
    return {
        {"scan and save",
         [=, this] {
           TDBase* h = nullptr;
           if (!open(db, false, h)) return 1;
           h->LocalOptions.SimulateDiskInfo = false;
           const bool saved = testing::scanAndSave(*h, fresh_, "Fresh");
           return saved && ApiCloseDBase(h, false) ? 0 : 2;
         },
         db,
         "",
         "",
         {"Fresh"}},
        {"import",
         [=, this] {
           TDBase* target = nullptr;
           TDBase* source = nullptr;
           if (!open(db, false, target) || !open(path("other.kvd"), false, source)) return 1;
           const bool copied = ApiCompressDBase(source, target, true, true, false);
           markPhase();
           ApiCloseDBase(source, false);
           return copied && ApiCloseDBase(target, false) ? 0 : 2;
         },
         db,
         path("other.kvd"),
         "",
         {"Alpha ~1", "Delta"}},
        {"compress",
         [=, this] { return copy(db, false, true, true, false, true); },
         "",
         db,
         path("target.kvd"),
         {"Alpha", "Beta", "Gamma"}},
        {"read-only export",
         [=, this] { return copy(db, false, false, false, true, false); },
         "",
         db,
         path("target.kvd"),
         {"Alpha"}},
        {"repair",
         [=, this] { return copy(path("broken.kvd"), true, true, true, false, true); },
         "",
         path("broken.kvd"),
         path("target.kvd"),
         {"Alpha", "Beta", "Gamma"}},
    };
  }

  // Every disk of before is still there with all it holds; a deletion that was under way may
  // have renamed it with its deletion number.
  static void expectHolds(const CatalogueView& after, const CatalogueView& before) {
    ASSERT_TRUE(after.Opened) << after.Error;
    EXPECT_EQ(after.Damage, 0);
    for (const DiskView& disk : before.Disks) {
      const bool held = std::any_of(after.Disks.begin(), after.Disks.end(), [&](const DiskView& d) {
        return d.Lines == disk.Lines &&
               (d.Name == disk.Name || d.Name.rfind(disk.Name + " [", 0) == 0);
      });
      EXPECT_TRUE(held) << disk.Name << " lost";
    }
  }

  static void expectNamed(const CatalogueView& view, const std::vector<std::string>& names) {
    for (const std::string& name : names) {
      EXPECT_NE(testing::diskNamed(view, name), nullptr) << name << " missing";
    }
  }

  std::vector<std::string> liveNames(const std::string& file) {
    const CatalogueView view = testing::viewCatalogue(file);
    std::vector<std::string> names;
    for (const DiskView& disk : view.Disks) {
      if (disk.Name.find(" [") == std::string::npos) names.push_back(disk.Name);
    }
    return names;
  }

  // One change, killed at any write: the live disks are all those before it or all those after.
  // Deleting every live disk afterwards spends numbers that no disk carries yet.
  void expectOneChange(const std::string& database, const CatalogueView& after,
                       const CatalogueView& before, const CatalogueView& finished) {
    const std::vector<DiskView> live = liveDisks(after);
    EXPECT_TRUE(live == liveDisks(before) || live == liveDisks(finished))
        << "the live disks mix the two states";
    const std::string copy = path("numbers.kvd");
    std::filesystem::copy_file(database, copy, std::filesystem::copy_options::overwrite_existing);
    TDBase* h = nullptr;
    ASSERT_TRUE(open(copy, false, h));
    h->LocalOptions.ShowDeleted = false;
    while (ApiGetKeyCount(h) > 0 && ApiDeleteDisk(h, 0)) {
    }
    ApiCloseDBase(h, false);
    std::set<std::string> numbers;
    for (const DiskView& disk : testing::viewCatalogue(copy).Disks) {
      const size_t at = disk.Name.rfind(" [");
      if (at == std::string::npos) continue;
      EXPECT_TRUE(numbers.insert(disk.Name.substr(at)).second)
          << disk.Name << ": a deletion number given twice";
    }
  }

  // After a kill before write n (or none): the database holds its disks and can be repaired,
  // a copy's source is as it was while the copy ran.
  void checkAfter(const Operation& op, const TracedRun& run, const CatalogueView& before,
                  const CatalogueView& finished, const CatalogueView& sourceBefore,
                  const std::string& sourceBytes) {
    const bool copyEnded = std::any_of(run.Writes.begin(), run.Writes.end(),
                                       [&](const FileWrite& w) { return w.Path == path("phase"); });
    if (!op.Database.empty()) {
      const CatalogueView after = testing::viewCatalogue(op.Database);
      if (op.OneChange) {
        ASSERT_TRUE(after.Opened) << after.Error;
        EXPECT_EQ(after.Damage, 0);
        expectOneChange(op.Database, after, before, finished);
      } else {
        expectHolds(after, before);
      }
      EXPECT_EQ(testing::repairCatalogue(op.Database, path("repaired.kvd")), "");
      CatalogueView repaired = testing::viewCatalogue(path("repaired.kvd"));
      // A repair copies the live disks of what the kill left; a disk whose deletion it caught
      // before the new version was saved already carries its deletion number.
      CatalogueView live = after;
      std::erase_if(live.Disks,
                    [](const DiskView& d) { return d.Name.find(" [") != std::string::npos; });
      expectHolds(repaired, live);
    }
    if (!op.Source.empty()) {
      if (!copyEnded) {
        EXPECT_TRUE(vellomar::test::contentOf(op.Source) == sourceBytes) << "source written";
      }
      expectHolds(testing::viewCatalogue(op.Source), sourceBefore);
    }
  }

  // The finished run: what it made, and for a copy, the order of its writes.
  void checkFinished(const Operation& op, const TracedRun& run) {
    ASSERT_TRUE(run.Finished);
    EXPECT_EQ(run.ExitCode, 0);
    const std::string made = op.Database.empty() ? op.Target : op.Database;
    expectNamed(testing::viewCatalogue(made), op.NewDisks);
    if (op.Target.empty()) return;
    EXPECT_EQ(liveNames(op.Target).size(), op.NewDisks.size());
    // From the target's creation on; the source's open has only probed that it can be written.
    bool copying = false;
    std::optional<size_t> lastWrite;
    std::optional<size_t> lastFlush;
    for (size_t i = 0; i < run.Writes.size(); ++i) {
      const FileWrite& w = run.Writes[i];
      if (w.Path == path("phase")) copying = false;
      if (w.Path == op.Source && w.What != FileWrite::Kind::kFlush) {
        EXPECT_FALSE(copying) << "the copy wrote its source";
      }
      if (w.Path != op.Target) continue;
      copying = copying || !std::any_of(run.Writes.begin(), run.Writes.begin() + i,
                                        [&](auto& e) { return e.Path == path("phase"); });
      (w.What == FileWrite::Kind::kFlush ? lastFlush : lastWrite) = i;
    }
    ASSERT_TRUE(lastWrite.has_value());
    EXPECT_TRUE(lastFlush && *lastFlush > *lastWrite) << "the target's last write was not flushed";
  }

  void killBeforeEveryWrite(const std::vector<Operation>& ops) {
    for (const Operation& op : ops) {
      SCOPED_TRACE(op.Name);
      prepare();
      const CatalogueView before =
          op.Database.empty() ? CatalogueView{} : testing::viewCatalogue(op.Database);
      const CatalogueView sourceBefore =
          op.Source.empty() ? CatalogueView{} : testing::viewCatalogue(op.Source);
      const std::string sourceBytes = vellomar::test::contentOf(op.Source);
      const TracedRun whole = testing::runTraced(op.Body, folder_, std::nullopt, GetParam());
      checkFinished(op, whole);
      const CatalogueView finished =
          op.Database.empty() ? CatalogueView{} : testing::viewCatalogue(op.Database);
      ASSERT_GT(whole.Writes.size(), 3u);
      for (size_t n = 0; n < whole.Writes.size(); ++n) {
        SCOPED_TRACE("killed before write " + std::to_string(n));
        prepare();
        const TracedRun run = testing::runTraced(op.Body, folder_, n, GetParam());
        ASSERT_FALSE(run.Finished);
        ASSERT_EQ(run.Writes.size(), n);
        checkAfter(op, run, before, finished, sourceBefore, sourceBytes);
        if (HasFatalFailure()) return;
      }
    }
  }

  vellomar::test::TempFolder dir_{"crash"};
  std::string folder_;
  std::string sample_;
  std::string other_;
  ShortString fresh_;
  ShortString changed_;
};

TEST_P(CrashConsistencyTest, KilledBeforeEveryWrite) {
  killBeforeEveryWrite(operations());
}

TEST_P(CrashConsistencyTest, ChangesOfTheDisksKilledBeforeEveryWrite) {
  killBeforeEveryWrite(changes());
}

// Where both ways work, they see the same writes in the same order.
TEST_P(CrashConsistencyTest, TheFileCallDoubleSeesTheWritesTheTraceSees) {
  if (GetParam() != WriteWatch::kFileCallDouble || !testing::canTraceChildren()) {
    GTEST_SKIP() << "compared once, where children can be traced";
  }
  const auto writesOf = [this](const Operation& op, WriteWatch watch) {
    prepare();
    std::vector<std::pair<FileWrite::Kind, std::string>> writes;
    for (const FileWrite& w : testing::runTraced(op.Body, folder_, std::nullopt, watch).Writes) {
      writes.emplace_back(w.What, w.Path);
    }
    return writes;
  };
  for (const Operation& op : operations()) {
    EXPECT_EQ(writesOf(op, WriteWatch::kFileCallDouble), writesOf(op, WriteWatch::kPtrace))
        << op.Name;
  }
}

INSTANTIATE_TEST_SUITE_P(WatchedBy, CrashConsistencyTest,
                         ::testing::Values(WriteWatch::kPtrace, WriteWatch::kFileCallDouble),
                         [](const ::testing::TestParamInfo<WriteWatch>& info) {
                           return info.param == WriteWatch::kPtrace ? "Ptrace" : "FileCallDouble";
                         });

}  // namespace
}  // namespace vellomar
