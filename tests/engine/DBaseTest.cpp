#include "engine/UDBase.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/UDBaseLayout.h"
#include "engine/UDamageCodes.h"
#include "foundation/UExceptions.h"
#include "tests/support/DBaseImage.h"
#include "tests/support/TempFolder.h"
#include "tests/support/TracedChild.h"

namespace vellomar {
namespace {

using testing::DBaseImage;

class DBaseTest : public ::testing::Test {
 protected:
  std::string path(const std::string& name) const { return dir_.at(name); }

  std::string write(const std::string& name, const std::vector<uint8_t>& bytes) const {
    return dir_.file(name,
                     std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
  }

  test::TempFolder dir_{"dbase"};
};

std::vector<uint8_t> contentOf(const std::string& path) {
  const std::string content = test::contentOf(path);
  return std::vector<uint8_t>(content.begin(), content.end());
}

std::string refusalOf(TDBase& handle, const std::string& path) {
  try {
    OpenDBaseFile(handle, path, false);
  } catch (const EKstvNormalException& e) {
    return e.what();
  }
  return "opened";
}

void setOldTime(const std::string& path) {
  const timespec times[2] = {{1000000000, 0}, {1000000000, 0}};
  ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

int64_t modificationSeconds(const std::string& path) {
  struct stat st {};
  ::stat(path.c_str(), &st);
  return st.st_mtim.tv_sec;
}

TEST_F(DBaseTest, CreateThenOpenGivesAnEmptyDatabase) {
  Scrambler scrambler(255);
  const std::string file = path("new.kvd");
  {
    TDBase handle(scrambler);
    ASSERT_TRUE(CreateDBaseFile(handle, file));
    EXPECT_FALSE(handle.Open);
    EXPECT_TRUE(handle.FileName.empty());
  }
  TLocalOptions defaults;
  SetDefaultLocalOptions(defaults);
  Scrambler golden(255);
  EXPECT_EQ(contentOf(file), newDBaseFileBytes(THeaderRecord{}, defaults, golden));

  TDBase handle(scrambler);
  handle.LocalOptions.ShowDeleted = true;
  OpenDBaseFile(handle, file, false);
  EXPECT_TRUE(handle.Open);
  EXPECT_FALSE(handle.ReadOnly);
  EXPECT_EQ(handle.FileName, file);
  EXPECT_EQ(handle.keyTable().keys().count(), 0);
  EXPECT_FALSE(handle.LocalOptions.ShowDeleted) << "the options come from the file";
  EXPECT_FALSE(handle.keyTable().keysModified());
  EXPECT_TRUE(handle.keyTable().disksChanged());
  EXPECT_TRUE(handle.TreeChanged);
  EXPECT_TRUE(handle.FilesChanged);
  TDBaseStats stats;
  GetDBaseStats(handle, stats);
  EXPECT_EQ(stats.FileSize, 64961);
  EXPECT_EQ(stats.KeyCount, 0);
  EXPECT_EQ(stats.ReadOnly, 0);
}

TEST_F(DBaseTest, RefusalsRaiseTheirTextAndLeaveTheHandleClosed) {
  DBaseImage sound;
  std::vector<uint8_t> notDatabase = sound.bytes();
  notDatabase[0] = 'k';
  std::vector<uint8_t> newer = sound.bytes();
  newer[22] = 0x02;
  std::vector<uint8_t> corrupted = sound.bytes();
  corrupted[kHeaderCopyBOffset + 40] ^= 0x01;
  const std::vector<uint8_t> shortFile(sound.bytes().begin(), sound.bytes().begin() + 2625);
  struct Case {
    std::string file;
    HeaderStatus status;
    const char* text;
  };
  const Case cases[] = {
      {write("magic.kvd", notDatabase), HeaderStatus::kNotDatabase,
       "This file is not a Vellomar database."},
      {write("newer.kvd", newer), HeaderStatus::kNewerVersion,
       "This database requires newer version of the program."},
      {write("corrupted.kvd", corrupted), HeaderStatus::kCorrupted,
       "The database has corrupted header."},
      {write("short.kvd", shortFile), HeaderStatus::kUnreadable,
       "The database cannot be open\r\nIt is not a catalogue."},
      {path("missing.kvd"), HeaderStatus::kUnreadable,
       "The database cannot be open\r\nIt does not exist."},
      {dir_.path(), HeaderStatus::kUnreadable, "The database cannot be open\r\nIt is a folder."},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CheckDBaseHeader(c.file), c.status) << c.file;
    TDBase handle;
    EXPECT_EQ(refusalOf(handle, c.file), c.text) << c.file;
    EXPECT_FALSE(handle.Open);
    EXPECT_TRUE(handle.FileName.empty());
    EXPECT_EQ(handle.Stream.Mode(), TKFileStream::kModeClosed);
  }
  EXPECT_EQ(contentOf(cases[0].file), notDatabase) << "a refused file is left as it was";
  // Root opens any file: only other users meet the refusal.
  if (::geteuid() != 0) {
    const std::string closed = write("closed.kvd", sound.bytes());
    ASSERT_EQ(::chmod(closed.c_str(), 0), 0);
    TDBase handle;
    EXPECT_EQ(refusalOf(handle, closed),
              "The database cannot be open\r\nYou have no permission to open it.");
  }
}

TEST_F(DBaseTest, ReadOnlyExportOpensReadOnlyAndClosingWritesNothing) {
  const std::string file = path("export.kvd");
  {
    TDBase handle;
    CreateDBaseFile(handle, file);
    OpenDBaseFile(handle, file, false);
    handle.ReadOnlyExport = true;
    CloseDBaseFile(handle, false);
  }
  EXPECT_EQ(CheckDBaseHeader(file), HeaderStatus::kReadOnlyExport);
  const std::vector<uint8_t> before = contentOf(file);
  TDBase handle;
  OpenDBaseFile(handle, file, false);
  EXPECT_TRUE(handle.ReadOnly);
  EXPECT_TRUE(isReadOnlyExport(handle.HeaderRecord));
  TDBaseStats stats;
  GetDBaseStats(handle, stats);
  EXPECT_EQ(stats.ReadOnly, 1);
  CloseDBaseFile(handle, true);
  EXPECT_EQ(contentOf(file), before);
}

TEST_F(DBaseTest, FileThatCannotBeWrittenOpensReadOnly) {
  const std::string file = path("locked.kvd");
  {
    TDBase handle;
    CreateDBaseFile(handle, file);
  }
  const std::vector<uint8_t> before = contentOf(file);
  TKFileStream reader;  // another reader keeps writers out
  reader.Init(file, TKFileStream::kModeReadOnly);
  EXPECT_EQ(CheckDBaseHeader(file), HeaderStatus::kNotWritable);
  TDBase handle;
  OpenDBaseFile(handle, file, false);
  EXPECT_TRUE(handle.ReadOnly);
  handle.keyTable().keys().Keys.push_back({0, 64961});
  CloseDBaseFile(handle, true);
  EXPECT_EQ(contentOf(file), before);
}

TEST_F(DBaseTest, SecondReadWriteOpenIsRefused) {
  const std::string file = path("twice.kvd");
  TDBase first;
  CreateDBaseFile(first, file);
  OpenDBaseFile(first, file, false);
  TDBase second;
  EXPECT_EQ(refusalOf(second, file), "The database cannot be open\r\nAnother program holds it.");
  EXPECT_TRUE(first.Open);
  CloseDBaseFile(first, false);
  EXPECT_EQ(refusalOf(second, file), "opened");
  EXPECT_FALSE(second.ReadOnly);
}

TEST_F(DBaseTest, CreatingOverAnOpenDatabaseFailsWithoutTruncating) {
  const std::string file = path("held.kvd");
  TDBase holder;
  CreateDBaseFile(holder, file);
  OpenDBaseFile(holder, file, false);
  const std::vector<uint8_t> before = contentOf(file);
  TDBase creator;
  EXPECT_THROW(CreateDBaseFile(creator, file), EKstvFatalException);
  EXPECT_FALSE(creator.Open);
  EXPECT_TRUE(creator.FileName.empty());
  EXPECT_EQ(contentOf(file), before);
}

TEST_F(DBaseTest, FailedOpenReleasesTheFile) {
  DBaseImage image;
  image.bytes().resize(3000);
  const std::string file = write("cut.kvd", image.bytes());
  TDBase handle;
  try {
    OpenDBaseFile(handle, file, false);
    ADD_FAILURE() << "a file cut inside its settings opened";
  } catch (const EKstvDBaseStructException& e) {
    EXPECT_EQ(e.code(), kDamageReadPastEnd);
  }
  EXPECT_FALSE(handle.Open);
  EXPECT_EQ(handle.Stream.Mode(), TKFileStream::kModeClosed);
  TKFileStream writer;
  EXPECT_NO_THROW(writer.Init(file, TKFileStream::kModeReadWrite)) << "the lock was released";
  writer.Done();
  EXPECT_THROW(OpenDBaseFile(handle, file, false), EKstvDBaseStructException) << "again at once";
}

TEST_F(DBaseTest, CloseWritesKeysWithoutSelectionAndOnlyRealChangesCount) {
  DBaseImage image;
  const int32_t beta = image.addDisk("beta");
  const int32_t alpha = image.addDisk("alpha");
  const int32_t gone = image.addDisk("gone [1]", true);
  TKeyField keys;
  keys.Keys = {{kKeySelected, beta}, {kKeySelected, alpha}, {kKeyDeleted, gone}};
  keys.LiveCount = 2;
  image.setKeys(keys, false);
  const std::string file = write("keys.kvd", image.bytes());
  setOldTime(file);
  {
    TDBase handle;
    OpenDBaseFile(handle, file, false);
    EXPECT_EQ(handle.keyTable().keys().Keys[0].Offset, alpha) << "re-sorted at open";
    TDBaseStats stats;
    GetDBaseStats(handle, stats);
    EXPECT_EQ(stats.Selected, 2);
    EXPECT_EQ(stats.Unselected, 0);
    EXPECT_EQ(stats.KeyCount, 3);
    EXPECT_EQ(stats.LiveKeys, 2);
    EXPECT_TRUE(CloseDBaseFile(handle, false));
    EXPECT_TRUE(CloseDBaseFile(handle, false)) << "closing twice is harmless";
  }
  EXPECT_EQ(modificationSeconds(file), 1000000000) << "browsing is no change";

  TDBase handle;
  OpenDBaseFile(handle, file, false);
  for (const TKeyEntry& key : handle.keyTable().keys().Keys) EXPECT_EQ(key.Flags & kKeySelected, 0);
  EXPECT_EQ(handle.keyTable().keys().Keys[0].Offset, alpha);
  ASSERT_TRUE(handle.keyTable().InsertKey(image.addDisk("unused"), 0));
  // The destructor closes with the short table, marking the change.
}

TEST_F(DBaseTest, ChangedKeysMarkTheFileModified) {
  DBaseImage image;
  const int32_t disk = image.addDisk("disk");
  const std::string file = write("changed.kvd", image.bytes());
  setOldTime(file);
  {
    TDBase handle;
    OpenDBaseFile(handle, file, false);
    ASSERT_TRUE(handle.keyTable().InsertKey(disk, 0));
  }
  EXPECT_NE(modificationSeconds(file), 1000000000);
  const std::vector<uint8_t> bytes = contentOf(file);
  ASSERT_EQ(bytes.size(), image.bytes().size());
  ByteReader r(bytes.data(), bytes.size());
  r.seek(kKeyFieldOffset);
  TKeyField keys = readKeyFieldHead(r);
  readKeyEntries(r, keys);
  EXPECT_EQ(keys.Keys, (std::vector<TKeyEntry>{{0, disk}}));
}

// A close puts the file on the disk when it writes anything the file did not hold: a changed
// option, key or header record. After no change, it rewrites the front without a sync.
TEST_F(DBaseTest, CloseSyncsOnlyWhatChanged) {
  DBaseImage image;
  const int32_t disk = image.addDisk("disk");
  TKeyField keys;
  keys.Keys = {{0, disk}};
  keys.LiveCount = 1;
  image.setKeys(keys, false);
  const std::string file = write("synced.kvd", image.bytes());
  struct Case {
    const char* Change;
    void (*Make)(TDBase&);
    bool Synced;
  };
  const Case cases[] = {
      {"none", [](TDBase&) {}, false},
      {"an option", [](TDBase& h) { h.LocalOptions.ShowDeleted = !h.LocalOptions.ShowDeleted; },
       true},
      {"the keys", [](TDBase& h) { h.keyTable().setKeysModified(true); }, true},
      {"the header record", [](TDBase& h) { h.ReadOnlyExport = true; }, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Change);
    write("synced.kvd", image.bytes());
    const testing::TracedRun run = testing::runTraced(
        [&] {
          TDBase handle;
          OpenDBaseFile(handle, file, false);
          c.Make(handle);
          CloseDBaseFile(handle, false);
          return 0;
        },
        std::filesystem::canonical(dir_.path()).string());
    ASSERT_TRUE(run.Finished);
    const bool synced = std::any_of(run.Writes.begin(), run.Writes.end(), [](const auto& w) {
      return w.What == testing::FileWrite::Kind::kFlush;
    });
    EXPECT_EQ(synced, c.Synced);
  }
}

TEST_F(DBaseTest, DamagedKeyHeadIsClampedAtOpen) {
  DBaseImage image;
  const int32_t disk = image.addDisk("disk");
  ByteWriter head;
  for (int32_t v : {10000, 123456, 20000, 30000, 0, 0}) head.i32(v);
  std::copy(head.bytes().begin(), head.bytes().end(), image.bytes().begin() + kKeyFieldOffset);
  ByteWriter entry;
  entry.u16(0);
  entry.i32(disk);
  std::copy(entry.bytes().begin(), entry.bytes().end(),
            image.bytes().begin() + kKeyFieldOffset + kKeyFieldHeadSize);
  // A second key inside the one block: a place the file has, but no disk block starts there.
  entry.u16(0);
  entry.i32(disk + 3);
  std::copy(entry.bytes().begin(), entry.bytes().end(),
            image.bytes().begin() + kKeyFieldOffset + kKeyFieldHeadSize);
  const std::string file = write("head.kvd", image.bytes());
  TDBase handle;
  OpenDBaseFile(handle, file, false);
  // The 9998 zero entries point at no place a disk block can start: one damage, no key each.
  EXPECT_EQ(handle.keyTable().keys().count(), 2);
  EXPECT_EQ(handle.keyTable().keys().LiveCount, 2);
  EXPECT_LT(handle.keyTable().keys().CurrentIndex, 2);
  EXPECT_EQ(handle.keyTable().ReadDiskName(handle.keyTable().keys().Keys.back().Offset).str(),
            "disk")
      << "the one real disk sorts after the unreadable \"???\" key";
  EXPECT_EQ(handle.DamageCounter, 2) << "the entries left out, and the unreadable key";
}

// Each key needs a disk block: a count the data area has no room for is cut to that room.
TEST_F(DBaseTest, MoreKeysThanTheFileHasRoomForAreCut) {
  DBaseImage image;
  const int32_t disk = image.addDisk("disk");
  TKeyField keys;
  keys.Keys.assign(100, TKeyEntry{0, disk});
  keys.LiveCount = 100;
  image.setKeys(keys, false);
  const std::string file = write("room.kvd", image.bytes());
  TDBase handle;
  OpenDBaseFile(handle, file, false);
  const int32_t room = static_cast<int32_t>((image.bytes().size() - kDataAreaOffset) /
                                            (kBlockHeadSize + kOldDiskInfoSize));
  EXPECT_EQ(handle.keyTable().keys().count(), room);
  EXPECT_EQ(handle.DamageCounter, 1);
}

// A damaged file is repaired into another file: the one it is read from is never written.
TEST_F(DBaseTest, RepairRebuildsTheKeysAndOnlyReadsTheFile) {
  DBaseImage image;
  const int32_t disk = image.addDisk("found");
  const int32_t gone = image.addDisk("gone [2]", true);
  const std::string file = write("repair.kvd", image.bytes());
  {
    TDBase handle;
    OpenDBaseFile(handle, file, true);
    EXPECT_TRUE(handle.RebuildKeys);
    EXPECT_TRUE(handle.ReadOnly);
    EXPECT_EQ(handle.keyTable().keys().Keys,
              (std::vector<TKeyEntry>{{0, disk}, {kKeyDeleted, gone}}));
    CloseDBaseFile(handle, true);
  }
  EXPECT_TRUE(contentOf(file) == image.bytes());
  TDBase handle;
  OpenDBaseFile(handle, file, false);
  EXPECT_EQ(handle.keyTable().keys().count(), 0);
}

}  // namespace
}  // namespace vellomar
