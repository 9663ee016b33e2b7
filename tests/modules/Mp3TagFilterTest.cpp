#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/modules/FilterModule.h"
#include "tests/support/TempFolder.h"

namespace vellomar {
namespace {

using namespace std::string_literals;
using test::FilterModule;

const FilterModule& mp3tag() {
  return FilterModule::named("mp3tag");
}

// Some bytes of audio frames between the tags.
const std::string kAudio = "\xFF\xFB\x90\x00"s + std::string(400, '\x55');

std::string bigEndian(uint32_t v, int bytes) {
  std::string out;
  for (int i = bytes - 1; i >= 0; --i) out += static_cast<char>(v >> (8 * i));
  return out;
}

std::string syncsafe(uint32_t v) {
  return bigEndian(
      (v & 0x7F) | (v >> 7 & 0x7F) << 8 | (v >> 14 & 0x7F) << 16 | (v >> 21 & 0x7F) << 24, 4);
}

// A frame of a version 2.2, 2.3 or 2.4 tag.
std::string frame(int version, const std::string& id, const std::string& body, uint16_t flags = 0) {
  if (version == 2) return id + bigEndian(static_cast<uint32_t>(body.size()), 3) + body;
  const uint32_t size = static_cast<uint32_t>(body.size());
  return id + (version == 4 ? syncsafe(size) : bigEndian(size, 4)) + bigEndian(flags, 2) + body;
}

std::string tag(int version, const std::string& frames, uint8_t flags = 0, size_t padding = 20) {
  return "ID3"s + static_cast<char>(version) + '\0' + static_cast<char>(flags) +
         syncsafe(static_cast<uint32_t>(frames.size() + padding)) + frames +
         std::string(padding, '\0');
}

// A zero after every 0xFF, as writers hide false frame syncs; sizes stay those of the frames.
std::string unsynchronised(const std::string& frames) {
  std::string out;
  for (const char c : frames) {
    out += c;
    if (c == '\xFF') out += '\0';
  }
  return out;
}

std::string field(const std::string& text, size_t length) {
  return (text + std::string(length, '\0')).substr(0, length);
}

std::string version1(const std::string& title, const std::string& artist, const std::string& album,
                     const std::string& year, const std::string& comment) {
  return "TAG" + field(title, 30) + field(artist, 30) + field(album, 30) + field(year, 4) +
         field(comment, 28) + "\0\x07"s + "\x11";
}

std::string utf16le(const std::u16string& text) {
  std::string out = "\xFF\xFE";
  for (const char16_t c : text) out += std::string{static_cast<char>(c), static_cast<char>(c >> 8)};
  return out;
}

TEST(Mp3TagFilter, ReadsTheFieldsOfEveryTagVersion) {
  const std::string longTitle(200, 't');
  const test::FilterCase cases[] = {
      {"ID3v1 padded with zeros and blanks",
       kAudio + version1("Song", "Band   ", "Album", "1999", "Nice"),
       "Title: Song\r\nArtist: Band\r\nAlbum: Album\r\nYear: 1999\r\nComment: Nice"},
      {"ID3v2.3 in Latin-1 and UTF-16; a comment with a description is a program's note",
       tag(3, frame(3, "TIT2", "\0Caf\xE9"s) + frame(3, "TPE1", "\x01"s + utf16le(u"Bj\u00F6rk")) +
                  frame(3, "TALB", "\x02\0A\0l\0b"s) +
                  frame(3, "TYER",
                        "\0"
                        "2001"s) +
                  frame(3, "COMM",
                        "\0eng"
                        "iTunNORM\0 0000"s) +
                  frame(3, "COMM", "\0eng\0Real comment"s)) +
           kAudio,
       "Title: Caf\xC3\xA9\r\nArtist: Bj\xC3\xB6rk\r\nAlbum: Alb\r\nYear: 2001\r\n"
       "Comment: Real comment"},
      {"ID3v2.4 with syncsafe sizes, UTF-8 and a list of values",
       tag(4, frame(4, "TIT2", "\x03" + longTitle) +
                  frame(4, "TPE1",
                        "\x03"
                        "A\0B\0"s) +
                  frame(4, "TDRC",
                        "\x03"
                        "2004-05"s)) +
           kAudio,
       "Title: " + longTitle + "\r\nArtist: A / B\r\nYear: 2004-05"},
      {"ID3v2.2", tag(2, frame(2, "TT2", "\0Two"s) + frame(2, "COM", "\0eng\0Old style"s)) + kAudio,
       "Title: Two\r\nComment: Old style"},
      {"version 2 fields win, version 1 fills the rest",
       tag(3, frame(3, "TIT2", "\0New title"s)) + kAudio +
           version1("Old title", "", "Old album", "", ""),
       "Title: New title\r\nAlbum: Old album"},
      {"a large picture frame in front of the text frames",
       tag(3, frame(3, "APIC", std::string(300000, '\xFF')) + frame(3, "TIT2", "\0After"s)) +
           kAudio,
       "Title: After"},
      {"an unsynchronised version 2.3 tag",
       tag(3, unsynchronised(frame(3, "TIT2", "\0\xFF\xFF"s) + frame(3, "TPE1", "\0X"s)), 0x80) +
           kAudio,
       "Title: \xC3\xBF\xC3\xBF\r\nArtist: X"},
      {"an extended header",
       tag(3, bigEndian(6, 4) + std::string(6, '\0') + frame(3, "TIT2", "\0Extended"s), 0x40),
       "Title: Extended"},
      {"compressed and encrypted frames are passed by",
       tag(3, frame(3, "TIT2", "\0zzz"s, 0x0080) + frame(3, "TPE1", "\0zzz"s, 0x0040) +
                  frame(3, "TALB", "\0Plain"s)),
       "Album: Plain"},
  };
  test::expectTexts(mp3tag(), "song.mp3", cases);
}

TEST(Mp3TagFilter, KeepsWithinTheTagWhateverItsSizesSay) {
  const test::FilterCase cases[] = {
      {"a frame longer than its tag keeps what came before",
       tag(3, frame(3, "TIT2", "\0Kept"s) + "TPE1" + bigEndian(0xFFFFFFF0, 4) + "\0\0\0Lost"s),
       "Title: Kept"},
      {"a tag longer than the file", "ID3\x03\0\0\x7F\x7F\x7F\x7F"s + frame(3, "TIT2", "\0Short"s),
       "Title: Short"},
      {"a size that is not syncsafe", "ID3\x03\0\0\x80\0\0\0"s + frame(3, "TIT2", "\0No"s),
       std::nullopt},
      {"only the header", "ID3\x04\0\0\0\0\0\0"s, std::nullopt},
      {"an extended header longer than the tag",
       tag(3, bigEndian(0x7FFFFFFF, 4) + frame(3, "TIT2", "\0X"s), 0x40), std::nullopt},
      {"an empty frame", tag(3, frame(3, "TIT2", "") + frame(3, "TPE1", "\0Y"s)), "Artist: Y"},
      {"no tag at all", kAudio, std::nullopt},
      {"a file shorter than a version 1 tag", "TAG", std::nullopt},
  };
  test::expectTexts(mp3tag(), "song.mp3", cases);
}

}  // namespace
}  // namespace vellomar
