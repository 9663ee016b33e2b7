#include "engine/UArchiveFile.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/UArchiveArc.h"
#include "engine/UArchiveArj.h"
#include "engine/UArchiveLha.h"
#include "engine/UArchiveRar.h"
#include "engine/UArchiveZip.h"
#include "engine/UMemberNames.h"
#include "engine/api/UApiGlobals.h"
#include "engine/api/UCallbacks.h"
#include "foundation/UExceptions.h"
#include "tests/support/ArchiveBuilders.h"
#include "tests/support/ArchiveListing.h"

namespace vellomar {
namespace {

std::vector<std::string> messages;
void recordMessage(const ShortString& text) {
  messages.push_back(text.str());
}

class ArchiveReading : public ::testing::Test {
 protected:
  void SetUp() override {
    messages.clear();
    SetCallbacks(nullptr, nullptr, recordMessage, nullptr, nullptr, nullptr);
  }
  void TearDown() override { ResetCallbacks(); }
};

TEST_F(ArchiveReading, WindowedReadsGiveTheBytesAtAnyOffset) {
  test::Bytes bytes(3 * ArchiveFile::kWindowSize + 5);
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i * 7 + i / 256);
  test::TempFolder folder;
  ArchiveFile file;
  ASSERT_TRUE(file.open(test::writeBytes(folder, "f", bytes)));
  EXPECT_EQ(file.size(), bytes.size());
  const size_t window = ArchiveFile::kWindowSize;
  // In the window, across its end, larger than a window, at the file end and past it.
  const std::pair<size_t, size_t> reads[] = {{10, 100},         {window - 3, 10},
                                             {5, 2 * window},   {bytes.size() - 4, 100},
                                             {bytes.size(), 1}, {bytes.size() + 100, 1}};
  for (const auto& [offset, n] : reads) {
    ByteReader r = file.read(offset, n);
    const size_t expected = offset >= bytes.size() ? 0 : std::min(n, bytes.size() - offset);
    ASSERT_EQ(r.size(), expected) << offset;
    const auto got = r.bytes(expected);
    EXPECT_TRUE(std::equal(got.begin(), got.end(), bytes.begin() + std::min(offset, bytes.size())))
        << offset;
  }
}

TEST_F(ArchiveReading, TailsStartOnACharacterBoundary) {
  struct Case {
    std::string text;
    size_t limit;
    std::string tail;
  };
  const Case cases[] = {
      {"abcdef", 3, "def"},
      {"abc", 3, "abc"},
      {"ab\xC3\xA9\xC3\xA9", 3, "\xC3\xA9"},  // the cut falls inside a character
      {"ab\xC3\xA9\xC3\xA9", 4, "\xC3\xA9\xC3\xA9"},
      {"a\xE2\x82\xAC\xE2\x82\xAC", 5, "\xE2\x82\xAC"},
      {"xy\xA9\xA9\xA9", 3, "\xA9\xA9\xA9"},  // bytes that are no UTF-8 count one each
  };
  for (const Case& c : cases) EXPECT_EQ(keepTail(c.text, c.limit), c.tail) << c.text;
}

TEST_F(ArchiveReading, UnixTimesBecomeDosTimesWithinTheirRange) {
  test::useUtc();
  EXPECT_EQ(static_cast<uint32_t>(dosDateTimeFromUnix(946684798)),
            test::dosDateTime(1999, 12, 31, 23, 59, 58));
  EXPECT_EQ(static_cast<uint32_t>(dosDateTimeFromUnix(0)), test::dosDateTime(1980, 1, 1, 0, 0, 0));
}

TEST_F(ArchiveReading, EveryReaderSendsItsStatusAndGivesFalseForAMissingFile) {
  const std::string path = "/nonexistent/folder/archive";
  const test::ArchiveReader readers[] = {
      [](TArchiveEntryList& l, const std::string& p) { return ReadZipCentral(l, p, 0); },
      [](TArchiveEntryList& l, const std::string& p) { return ReadZipLocal(l, p, 0); },
      [](TArchiveEntryList& l, const std::string& p) { return ReadArcArchive(l, p); },
      [](TArchiveEntryList& l, const std::string& p) { return ReadLhaArchive(l, p, 0); },
      [](TArchiveEntryList& l, const std::string& p) { return ReadArjArchive(l, p, 0); },
      [](TArchiveEntryList& l, const std::string& p) { return ReadRarArchive(l, p, 0); },
  };
  for (const auto& reader : readers) {
    messages.clear();
    EXPECT_FALSE(test::listWith(reader, path).ok);
    EXPECT_EQ(messages, std::vector<std::string>{"Scanning contents of " + path});
  }
  // Only regular files are read: a folder, or a FIFO that would block the open.
  test::TempFolder folder;
  ASSERT_TRUE(test::runIn(folder.path(), "mkfifo fifo.zip"));
  for (const std::string& other : {folder.path(), folder.at("fifo.zip")}) {
    for (const auto& reader : readers) EXPECT_FALSE(test::listWith(reader, other).ok) << other;
  }
}

TEST_F(ArchiveReading, ErrorsOfTheEngineBecomeFalseAndTheListIsSortedAnyway) {
  test::TempFolder folder;
  TArchiveEntryList list;
  const bool listed =
      listArchive(list, test::writeBytes(folder, "a", test::textBytes("x")), [&](ArchiveFile&) {
        addArchiveMember(list, memberName("b", NameCoding::kUtf8), 0, 0, 0, 0);
        addArchiveMember(list, memberName("a", NameCoding::kUtf8), 0, 0, 0, 0);
        throw EKstvFatalException("Too large list or not enough memory.");
        return true;
      });
  EXPECT_FALSE(listed);
  EXPECT_EQ(list.ItemAt(0)->Name, "a");
}

}  // namespace
}  // namespace vellomar
