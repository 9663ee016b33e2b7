#include "engine/UEngineDescImport.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "engine/UDBase.h"
#include "engine/UDescBlock.h"
#include "engine/UFilterModules.h"
#include "engine/UMasks.h"
#include "tests/engine/DescImportFixtures.h"
#include "tests/support/TempFolder.h"

namespace vellomar {
namespace {

using test::CallbackRecorder;
using test::filterDoubleFolder;
using test::ProgramFolderAt;
using test::TempFolder;

// Bytes the database holds before the first description, so offsets are never 0.
constexpr size_t kDataStart = 100;

// A folder of files to describe, a database stream and the mask table of one scan.
class Import : public ::testing::Test {
 protected:
  void SetUp() override {
    options.ScanDesc = true;
    database.Init(temp.at("catalogue.kvd"), TKFileStream::kModeCreate);
    const std::vector<uint8_t> head(kDataStart, 0xAA);
    database.Write(head.data(), head.size());
    std::filesystem::create_directories(temp.at("disk"));
  }

  // The modules of the table come from moduleFolder.
  void useTable(const std::string& table, const std::string& moduleFolder = filterDoubleFolder()) {
    ProgramFolderAt program(moduleFolder);
    ParseMaskList(table, tree.MaskList, tree.FilterModules, false);
    LoadFilterModules(tree);
  }
  void TearDown() override { FreeFilterModules(tree); }

  std::string file(const std::string& name, const std::string& content) {
    return temp.file("disk/" + name, content);
  }

  int32_t import(const std::string& name) {
    // The name without the folders it lies in chooses the mask.
    const std::string ownName = name.substr(name.rfind('/') + 1);
    return ImportDescription(tree, options, database, temp.at("disk/" + name),
                             ShortString(ownName));
  }

  // The text of the block at offset, read back as the database readers read it.
  std::string blockText(int32_t offset) {
    database.Seek(static_cast<uint32_t>(offset));
    std::vector<uint8_t> bytes(database.GetSize() - static_cast<uint32_t>(offset));
    database.ReadExact(bytes.data(), bytes.size());
    ByteReader r(bytes.data(), bytes.size());
    const uint32_t length = readDescBlockHead(r, bytes.size(), 11);
    return std::string(reinterpret_cast<const char*>(bytes.data()) + kDescBlockFixedSize, length);
  }

  // The text imported for name, none when no block was written.
  std::optional<std::string> imported(const std::string& name) {
    const uint32_t end = database.GetSize();
    const int32_t offset = import(name);
    if (offset == 0) {
      EXPECT_EQ(database.GetSize(), end) << name << ": nothing is written without a description";
      return std::nullopt;
    }
    EXPECT_EQ(static_cast<uint32_t>(offset), end) << name << ": appended at the end";
    return blockText(offset);
  }

  TempFolder temp;
  TDBase owner;
  TTreeStruct tree{owner};
  TLocalOptions& options = owner.LocalOptions;
  TKFileStream database;
};

TEST_F(Import, TheFirstMaskInTableOrderDecides) {
  useTable("*.txt|500||read*|100||*.md|200||");
  const std::string text(300, 'x');
  for (const char* name : {"readme.TXT", "readme.md", "notes.md", "notes.txt.bak", "notes.doc"}) {
    file(name, text);
  }
  EXPECT_EQ(imported("readme.TXT"), text) << "masks ignore case";
  EXPECT_EQ(imported("readme.md"), text.substr(0, 100)) << "read* comes before *.md";
  EXPECT_EQ(imported("notes.md"), text.substr(0, 200));
  EXPECT_EQ(imported("notes.txt.bak"), std::nullopt) << "a mask matches the whole name";
  EXPECT_EQ(imported("notes.doc"), std::nullopt) << "no mask";
}

TEST_F(Import, PlainTextTakesUpToItsLimitWithControlCharactersAsBlanks) {
  useTable("*.txt|500||*.cut|100||*.big|2000000||");
  file("three.txt", std::string(300, 'x'));
  file("ctrl.txt", std::string("a\tb\r\nc\0d\x1f"
                               "e\x7f\xc3\xa9",
                               13));
  file("long.cut", std::string(100, 'c') + "cut off");
  file("huge.big", std::string(70000, 'y'));
  EXPECT_EQ(imported("three.txt"), std::string(300, 'x'));
  EXPECT_EQ(imported("ctrl.txt"), std::string("a b\r\nc d e\x7f\xc3\xa9"));
  EXPECT_EQ(imported("long.cut"), std::string(100, 'c'));
  EXPECT_EQ(imported("huge.big"), std::string(65535, 'y'));
}

TEST_F(Import, PlainTextIsCutAtTheLastWholeCharacter) {
  useTable("*.txt|100||");
  // A character of two, three or four bytes across the limit of 100.
  const std::string a98(98, 'a'), a99(99, 'a');
  const struct {
    const char* name;
    std::string content;
    std::string expected;
  } cases[] = {
      {"two.txt", a99 + "\xc3\xa9", a99},
      {"three.txt", a98 + "\xe2\x82\xac", a98},
      {"four.txt", a98 + "\xf0\x9f\x98\x80z", a98},
      {"whole.txt", a98 + "\xc3\xa9z", a98 + "\xc3\xa9"},
      {"latin1.txt", a99 + "\xe9zz", a99 + "\xe9"},
      {"ends.txt", a99 + "\xc3", a99 + "\xc3"},
  };
  for (const auto& c : cases) {
    file(c.name, c.content);
    EXPECT_EQ(imported(c.name), c.expected) << c.name;
  }
}

TEST_F(Import, NothingToImportGivesNoDescription) {
  useTable("*.txt|500||*.none|0||*.neg|-3||");
  file("empty.txt", "");
  file("zero.none", "text");
  file("minus.neg", "text");
  ASSERT_EQ(mkfifo(temp.at("disk/pipe.txt").c_str(), 0600), 0);
  std::filesystem::create_directories(temp.at("disk/folder.txt"));
  for (const char* name :
       {"empty.txt", "absent.txt", "zero.none", "minus.neg", "pipe.txt", "folder.txt"}) {
    EXPECT_EQ(imported(name), std::nullopt) << name;
  }
}

TEST_F(Import, AFileFarBelowTheRootIsDescribed) {
  useTable("*.txt|500||");
  std::string deep;
  for (int level = 0; level < 8; ++level)
    deep += std::string(60, static_cast<char>('a' + level)) + "/";
  file(deep + "notes.txt", "deep down");
  EXPECT_EQ(imported(deep + "notes.txt"), "deep down") << "a path of more than 480 bytes";
}

TEST_F(Import, SwitchedOffOrAbortedGivesNoDescription) {
  useTable("*.txt|500||");
  file("a.txt", "text");
  options.ScanDesc = false;
  EXPECT_EQ(imported("a.txt"), std::nullopt);
  options.ScanDesc = true;
  CallbackRecorder recorder;
  CallbackRecorder::abortAnswer() = true;
  EXPECT_EQ(imported("a.txt"), std::nullopt);
}

TEST_F(Import, AFilterModuleGivesTheText) {
  // fewer.k32 gives "shorter than any limit" five bytes at a time.
  useTable("*.all|500|fewer|*.max|2147483647|fewer|*.no|500|refuse|");
  const std::string text = "shorter than any limit";
  for (const char* name : {"a.all", "a.max", "a.no"}) file(name, "not read");
  const int32_t offset = import("a.all");
  EXPECT_EQ(blockText(offset), text) << "the head gives the length delivered, not the limit";
  EXPECT_EQ(imported("a.max"), text) << "a limit near 2^31 never overflows the block length";
  EXPECT_EQ(imported("a.no"), std::nullopt) << "the module refused the file";
}

TEST_F(Import, AModuleThatReportsMoreThanAskedGivesNoDescription) {
  useTable("*.txt|500|overcount|");
  file("a.txt", "text");
  EXPECT_EQ(imported("a.txt"), std::nullopt);
}

// Entry points of a module that reports an impossible count: the count of the case at hand.
int32_t reportedCount = 0;
int32_t openAny(const char*, int32_t* transfer) {
  *transfer = 1;
  return kFilterOpened;
}
int32_t blockOfReportedCount(int32_t, uint8_t* buffer, int32_t wanted, int32_t* delivered) {
  buffer[0] = 'x';
  *delivered = reportedCount < 0 ? reportedCount : wanted + reportedCount;
  return kFilterMoreMayFollow;
}
void closeAny(int32_t) {}

TEST_F(Import, ACountBelowZeroOrAboveTheAskedGivesNoDescription) {
  ParseMaskList("*.txt|500|counts|", tree.MaskList, tree.FilterModules, false);
  TFilterModule& module = *tree.FilterModules.ItemAt(0);
  int loaded = 0;  // stands for the library; never released through it
  module.Handle = &loaded;
  module.OpenTransfer = reinterpret_cast<void*>(&openAny);
  module.GetOneBlock = reinterpret_cast<void*>(&blockOfReportedCount);
  module.CloseTransfer = reinterpret_cast<void*>(&closeAny);
  file("a.txt", "text");
  for (const int32_t count : {-1, INT32_MIN, 1}) {
    reportedCount = count;
    EXPECT_EQ(imported("a.txt"), std::nullopt) << count;
  }
  module.Handle = nullptr;
}

TEST_F(Import, AnUnloadedModuleReadsThePlainText) {
  ParseMaskList("*.txt|500|fewer|", tree.MaskList, tree.FilterModules, false);
  file("a.txt", "plain");
  EXPECT_EQ(imported("a.txt"), "plain");
}

TEST_F(Import, ATemporaryFileIsNamedWholeAndItsNameChoosesTheMask) {
  useTable("*.txt|500||*.cut|100||");
  const std::string extracted = file("x1234.tmp", std::string(150, 'e'));
  EXPECT_EQ(blockText(ImportDescription(tree, options, database, extracted, "a.cut")),
            std::string(100, 'e'));
  EXPECT_EQ(ImportDescription(tree, options, database, extracted, "a.doc"), 0);
}

}  // namespace
}  // namespace vellomar
