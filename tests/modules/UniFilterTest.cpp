#include <gtest/gtest.h>

#include <string>

#include "foundation/UByteReader.h"
#include "tests/modules/FilterModule.h"
#include "tests/support/TempFolder.h"
#include "tests/support/WordFixtures.h"

namespace vellomar {
namespace {

using namespace std::string_literals;
using test::compoundFile;
using test::FilterModule;
using test::WordBytes;
using test::WordPiece;

const FilterModule& uni() {
  return FilterModule::named("uni");
}

std::string asString(const WordBytes& bytes) {
  return {bytes.begin(), bytes.end()};
}

void patchU32(WordBytes& bytes, size_t offset, uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[offset + i] = static_cast<uint8_t>(value >> (8 * i));
}

TEST(UniFilter, ReadsTheTextOfWordAndWriteFiles) {
  const std::string longText(6000, 'x');
  const test::FilterCase cases[] = {
      {"Word 97, one 8-bit piece",
       asString(test::word97Document({{"Hello world\rSecond paragraph\r"}})),
       "Hello world\r\nSecond paragraph"},
      {"Word 97, 8-bit and UTF-16 pieces, fields, cells, the footnote left out",
       asString(test::word97Document(
           {{"Caf\xE9 "},
            {"\xCE\xA9\xCE\xBC\xCE\xAD\xCE\xB3\xCE\xB1 \xF0\x9F\x98\x80", true},
            {" \x13 HYPERLINK \"http://x\" \x14Shown\x15 end\r"},
            {"a\x07"
             "b\x07\x07non\x1E"
             "breaking\x0B"
             "next\r",
             true}},
           "Footnote text\r")),
       "Caf\xC3\xA9 \xCE\xA9\xCE\xBC\xCE\xAD\xCE\xB3\xCE\xB1 \xF0\x9F\x98\x80 Shown end\r\n"
       "a b non-breaking\r\nnext"},
      {"Word 97, nested fields",
       asString(test::word97Document({{"\x13 IF \x13 PAGE \x14"
                                       "1\x15 = 1 \x14yes\x15!"}})),
       "yes!"},
      {"Word 97 with streams in full sectors", asString(test::word97Document({{longText}})),
       longText},
      {"Word 6, the run after the header up to the main text's length",
       asString(test::word6Document("Word six \xE9\rtext\r", "Footnote")),
       "Word six \xC3\xA9\r\ntext"},
      {"Write, a picture paragraph left out",
       asString(
           test::writeDocument("First line\r\n\x08\x00\x01\x02picture\r\nLast \x93q\x94\r\n"s)),
       "First line\r\nLast \xE2\x80\x9Cq\xE2\x80\x9D"},
  };
  test::expectTexts(uni(), "doc.doc", cases);
}

TEST(UniFilter, RefusesWhatHoldsNoDocumentText) {
  test::Word97Streams encrypted = test::word97Streams({{"secret"}});
  encrypted.document[test::Word97Streams::kFlagsOffset + 1] |= 0x01;
  const test::FilterCase cases[] = {
      {"an encrypted document",
       asString(compoundFile({{"WordDocument", encrypted.document}, {"1Table", encrypted.table}})),
       std::nullopt},
      {"a compound file without a document",
       asString(compoundFile({{"Workbook", WordBytes(100, 1)}})), std::nullopt},
      {"a plain text file", "text", std::nullopt},
      {"a Write file without text", asString(test::writeDocument("")), std::nullopt},
  };
  test::expectTexts(uni(), "doc.doc", cases);
}

// Damaged files give no text or some text, and never crash, hang or read out of bounds (the
// sanitizer build checks that).
TEST(UniFilter, SurvivesDamagedFiles) {
  const WordBytes good = test::word97Document({{std::string(5000, 'y')}});
  const WordBytes small = test::word97Document({{"small"}});
  auto firstDirectorySector = [](const WordBytes& file) {
    ByteReader in(file);
    in.seek(0x30);
    return in.u32();
  };
  auto patched = [](WordBytes file, size_t offset, uint32_t value) {
    patchU32(file, offset, value);
    return file;
  };
  auto streams = [](auto change) {
    test::Word97Streams s = test::word97Streams({{"text"}});
    change(s);
    return compoundFile({{"WordDocument", s.document}, {"1Table", s.table}});
  };
  using S = test::Word97Streams;
  const std::pair<const char*, WordBytes> cases[] = {
      {"cut in the middle", WordBytes(good.begin(), good.begin() + 3000)},
      {"cut inside the header", WordBytes(good.begin(), good.begin() + 100)},
      {"a directory chain that loops",
       patched(good, 512 + 4 * firstDirectorySector(good), firstDirectorySector(good))},
      {"allocation table sectors beyond the file", patched(good, 0x4C, 0x00FFFFFF)},
      {"a huge allocation table count", patched(good, 0x2C, 0xFFFFFFFF)},
      {"a stream starting beyond the table", patched(small, 512 + 512 * 1 + 128 + 116, 0x7FFFFFF0)},
      {"a piece table past its stream",
       streams([](S& s) { patchU32(s.document, S::kClxOffset, 0xFFFFFF00); })},
      {"a piece table longer than its stream",
       streams([](S& s) { patchU32(s.document, S::kClxSizeOffset, 0x00300000); })},
      {"a piece past the document stream",
       streams([](S& s) { patchU32(s.table, 5 + 5 + 8 + 2, 0x7FFFFFFF); })},
      {"a piece table count that does not fit",
       streams([](S& s) { patchU32(s.table, 5 + 1, 0xFFFFFFF0); })},
      {"a main text length beyond every piece",
       streams([](S& s) { patchU32(s.document, S::kTextLengthOffset, 0xFFFFFFFF); })},
      {"a Write text end beyond the file", patched(test::writeDocument("write"), 0x0E, 0xFFFFFFFF)},
  };
  test::TempFolder folder;
  for (const auto& [what, file] : cases) {
    const std::optional<std::string> text = uni().text(folder.file("bad.doc", asString(file)));
    if (text) {
      EXPECT_LE(text->size(), 3 * file.size()) << what;
    }
  }
}

}  // namespace
}  // namespace vellomar
