#include <gtest/gtest.h>
#include <sys/stat.h>

#include <random>
#include <string>
#include <vector>

#include "tests/modules/FilterModule.h"
#include "tests/support/TempFolder.h"
#include "tests/support/WordFixtures.h"

namespace vellomar {
namespace {

using namespace std::string_literals;
using test::FilterModule;

// One file each module turns into text: characters of one to four UTF-8 bytes, several
// lines, several kilobytes, so blocks of every size end on every kind of boundary.
struct Sample {
  std::string module;
  std::string fileName;
  std::string content;
};

std::vector<Sample> samples() {
  std::string html, rtf, utf16Text;
  for (int i = 0; i < 300; ++i) {
    html += "<p>a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80 " + std::to_string(i) + "</p>";
    rtf += "a\\'e9\\u8364?\\u-10179?\\u-8704? " + std::to_string(i) + "\\par ";
    utf16Text += "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80 " + std::to_string(i) + "\r";
  }
  const test::WordBytes doc = test::word97Document({{utf16Text, true}});
  const std::string title = "\x03" + std::string(30, 'x') + "\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80";
  return {
      {"html", "sample.htm", html},
      {"rtf", "sample.rtf", "{\\rtf1 " + rtf + "}"},
      {"uni", "sample.doc", std::string(doc.begin(), doc.end())},
      {"mp3tag", "sample.mp3",
       "ID3\x04\0\0\0\0\0\x40TIT2\0\0\0"s + static_cast<char>(title.size()) + "\0\0"s + title +
           std::string(64 - 10 - title.size(), '\0')},
  };
}

TEST(FilterModule, BlocksOfAnySizeGiveTheWholeTextWithoutCuttingACharacter) {
  test::TempFolder folder;
  for (const Sample& sample : samples()) {
    const FilterModule& module = FilterModule::named(sample.module);
    ASSERT_TRUE(module.complete()) << sample.module;
    const std::string path = folder.file(sample.fileName, sample.content);
    const std::optional<std::string> whole = module.text(path);
    ASSERT_TRUE(whole && !whole->empty()) << sample.module;
    for (const int32_t blockSize : {1, 2, 3, 4, 5, 7, 100, 8191, 100000}) {
      const std::optional<std::string> text = module.text(path, blockSize);
      ASSERT_TRUE(text) << sample.module;
      if (blockSize >= 4) {
        EXPECT_EQ(*text, *whole) << sample.module << " in blocks of " << blockSize;
      } else {
        // A character longer than the block ends the text, whole.
        EXPECT_EQ(*text, whole->substr(0, text->size())) << sample.module << " " << blockSize;
        EXPECT_TRUE(text->size() == whole->size() ||
                    (static_cast<uint8_t>((*whole)[text->size()]) & 0xC0) != 0x80)
            << sample.module << " cut a character in blocks of " << blockSize;
      }
    }
  }
}

// Bytes changed at random and files cut anywhere: a module gives some text or none, and never
// crashes, hangs or reads out of bounds (the sanitizer build checks the last).
TEST(FilterModule, SurvivesRandomDamage) {
  test::TempFolder folder;
  std::mt19937 random(20261210);
  for (const Sample& sample : samples()) {
    const FilterModule& module = FilterModule::named(sample.module);
    for (int round = 0; round < 200; ++round) {
      std::string damaged = sample.content;
      if (round % 3 == 0) {
        damaged.resize(random() % damaged.size());
      } else {
        for (int i = 0; i < 1 + round % 8; ++i) {
          damaged[random() % damaged.size()] = static_cast<char>(random());
        }
      }
      const std::optional<std::string> text =
          module.text(folder.file(sample.fileName, damaged), 1 + round % 200);
      if (text) {
        EXPECT_LE(text->size(), 4 * damaged.size()) << sample.module << " round " << round;
      }
    }
  }
}

TEST(FilterModule, GivesNoMoreThanTheLargestBlockAtOnce) {
  test::TempFolder folder;
  const std::string path = folder.file("long.htm", std::string(3 * kFilterMaxBlock, 'z'));
  const FilterModule& html = FilterModule::named("html");
  int32_t handle;
  ASSERT_EQ(html.open(path.c_str(), &handle), kFilterOpened);
  std::vector<uint8_t> buffer(4 * kFilterMaxBlock);
  int32_t delivered;
  EXPECT_EQ(html.getOneBlock(handle, buffer.data(), 4 * kFilterMaxBlock, &delivered),
            kFilterMoreMayFollow);
  EXPECT_EQ(delivered, kFilterMaxBlock);
  html.close(handle);
}

TEST(FilterModule, TellsWhenTheLastBlockIsGiven) {
  test::TempFolder folder;
  const std::string path = folder.file("short.htm", "<p>abc</p>");
  const FilterModule& html = FilterModule::named("html");
  int32_t handle;
  ASSERT_EQ(html.open(path.c_str(), &handle), kFilterOpened);
  uint8_t buffer[8];
  int32_t delivered = -1;
  EXPECT_EQ(html.getOneBlock(handle, buffer, 2, &delivered), kFilterMoreMayFollow);
  EXPECT_EQ(delivered, 2);
  EXPECT_EQ(html.getOneBlock(handle, buffer, 2, &delivered), kFilterLastBlock);
  EXPECT_EQ(delivered, 1);
  EXPECT_EQ(buffer[0], 'c');
  EXPECT_EQ(html.getOneBlock(handle, buffer, 2, &delivered), kFilterLastBlock);
  EXPECT_EQ(delivered, 0);
  html.close(handle);
}

TEST(FilterModule, RefusesWhatCannotBeOpened) {
  test::TempFolder folder;
  const std::string fifo = folder.at("fifo.htm");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const std::string tooLong = folder.at(std::string(5000, 'n'));
  for (const std::string module : {"html", "rtf", "mp3tag", "uni"}) {
    const FilterModule& filter = FilterModule::named(module);
    ASSERT_TRUE(filter.complete()) << module;
    // A FIFO would block a reader that waits for a writer.
    for (const std::string& path :
         {folder.at("missing"), folder.path(), fifo, tooLong, folder.file("empty", "")}) {
      int32_t handle = 99;
      EXPECT_EQ(filter.open(path.c_str(), &handle), kFilterNoText) << module << " " << path;
      EXPECT_EQ(handle, 0);
    }
    int32_t handle;
    EXPECT_EQ(filter.open(nullptr, &handle), kFilterNoText);
    EXPECT_EQ(filter.open(fifo.c_str(), nullptr), kFilterNoText);
  }
}

TEST(FilterModule, KeepsTransfersApartAndForgetsClosedOnes) {
  test::TempFolder folder;
  const FilterModule& rtf = FilterModule::named("rtf");
  const std::string first = folder.file("1.rtf", "{\\rtf1 first text}");
  const std::string second = folder.file("2.rtf", "{\\rtf1 second}");
  int32_t a, b;
  ASSERT_EQ(rtf.open(first.c_str(), &a), kFilterOpened);
  ASSERT_EQ(rtf.open(second.c_str(), &b), kFilterOpened);
  EXPECT_NE(a, b);
  uint8_t buffer[16];
  int32_t delivered;
  rtf.getOneBlock(a, buffer, 6, &delivered);
  EXPECT_EQ(std::string(buffer, buffer + delivered), "first ");
  rtf.getOneBlock(b, buffer, 16, &delivered);
  EXPECT_EQ(std::string(buffer, buffer + delivered), "second");
  rtf.close(b);
  EXPECT_EQ(rtf.getOneBlock(b, buffer, 16, &delivered), kFilterLastBlock);
  EXPECT_EQ(delivered, 0);
  rtf.close(b);
  for (const int32_t wanted : {0, -1}) {
    EXPECT_EQ(rtf.getOneBlock(a, buffer, wanted, &delivered), kFilterLastBlock);
    EXPECT_EQ(delivered, 0);
  }
  EXPECT_EQ(rtf.getOneBlock(a, nullptr, 16, &delivered), kFilterLastBlock);
  rtf.getOneBlock(a, buffer, 16, &delivered);
  EXPECT_EQ(std::string(buffer, buffer + delivered), "text");
  rtf.close(a);
}

// The broken modules the tests of the program's module loader use.
TEST(FilterModule, TestDoublesAreBrokenAsNamed) {
  test::TempFolder folder;
  const std::string path = folder.file("any.txt", "x");
  const std::string doubles = test::filterDoubleFolder();
  uint8_t buffer[64];
  int32_t handle, delivered;

  const FilterModule fewer(doubles + "fewer.k32");
  ASSERT_TRUE(fewer.complete());
  ASSERT_EQ(fewer.open(path.c_str(), &handle), kFilterOpened);
  EXPECT_EQ(fewer.getOneBlock(handle, buffer, 64, &delivered), kFilterMoreMayFollow);
  EXPECT_EQ(delivered, 5);
  EXPECT_EQ(fewer.text(path, 64), "shorter than any limit");

  const FilterModule refuse(doubles + "refuse.k32");
  ASSERT_TRUE(refuse.complete());
  EXPECT_NE(refuse.open(path.c_str(), &handle), kFilterOpened);

  const FilterModule partial(doubles + "partial.k32");
  EXPECT_TRUE(partial.library.loaded() && partial.open && partial.getOneBlock);
  EXPECT_EQ(partial.close, nullptr);

  const FilterModule overcount(doubles + "overcount.k32");
  ASSERT_TRUE(overcount.complete());
  ASSERT_EQ(overcount.open(path.c_str(), &handle), kFilterOpened);
  overcount.getOneBlock(handle, buffer, 8, &delivered);
  EXPECT_GT(delivered, 8);
}

}  // namespace
}  // namespace vellomar
