#include "tests/support/WordFixtures.h"

#include <algorithm>

#include "foundation/UByteReader.h"

namespace vellomar::test {

namespace {

constexpr size_t kSector = 512;
constexpr size_t kMiniSector = 64;
constexpr size_t kMiniCutoff = 4096;
constexpr uint32_t kEndOfChain = 0xFFFFFFFE;
constexpr uint32_t kFreeSector = 0xFFFFFFFF;
constexpr uint32_t kFatSector = 0xFFFFFFFD;
constexpr uint32_t kNoStream = 0xFFFFFFFF;

size_t roundUp(size_t n, size_t unit) {
  return (n + unit - 1) / unit * unit;
}

std::u16string utf16(const std::string& utf8) {
  std::u16string out;
  for (size_t i = 0; i < utf8.size();) {
    const uint8_t lead = static_cast<uint8_t>(utf8[i]);
    const size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    char32_t c = length == 1 ? lead : lead & (0x7F >> length);
    for (size_t k = 1; k < length; ++k) c = c << 6 | (static_cast<uint8_t>(utf8[i + k]) & 0x3F);
    if (c >= 0x10000) {
      out += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
      out += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
    } else {
      out += static_cast<char16_t>(c);
    }
    i += length;
  }
  return out;
}

void directoryEntry(ByteWriter& out, const std::string& name, uint8_t type, uint32_t child,
                    uint32_t right, uint32_t start, uint32_t size) {
  for (const char c : name) out.u16(static_cast<uint8_t>(c));
  out.zeros(64 - name.size() * 2);
  out.u16(name.empty() ? 0 : static_cast<uint16_t>((name.size() + 1) * 2));
  out.u8(type);
  out.u8(1);  // black
  out.u32(kNoStream);
  out.u32(right);
  out.u32(child);
  out.zeros(16 + 4 + 16);  // class id, state bits, times
  out.u32(start);
  out.u32(size);
  out.u32(0);
}

}  // namespace

WordBytes compoundFile(const std::vector<std::pair<std::string, WordBytes>>& streams) {
  // The mini stream and its table.
  WordBytes miniStream;
  std::vector<uint32_t> miniFat;
  std::vector<uint32_t> starts(streams.size(), kEndOfChain);
  for (size_t i = 0; i < streams.size(); ++i) {
    const WordBytes& data = streams[i].second;
    if (data.size() >= kMiniCutoff || data.empty()) continue;
    const uint32_t first = static_cast<uint32_t>(miniFat.size());
    const size_t count = roundUp(data.size(), kMiniSector) / kMiniSector;
    for (size_t k = 0; k < count; ++k) {
      miniFat.push_back(k + 1 == count ? kEndOfChain : first + static_cast<uint32_t>(k) + 1);
    }
    starts[i] = first;
    miniStream.insert(miniStream.end(), data.begin(), data.end());
    miniStream.resize(roundUp(miniStream.size(), kMiniSector), 0);
  }

  // Blobs in regular sectors, in file order after the allocation table: directory, mini
  // table, mini stream, then the large streams.
  std::vector<WordBytes> blobs;
  ByteWriter directory;
  blobs.emplace_back();  // directory, written once the starts are known
  ByteWriter miniFatBytes;
  for (const uint32_t next : miniFat) miniFatBytes.u32(next);
  blobs.push_back(miniFatBytes.bytes());
  blobs.push_back(miniStream);
  std::vector<size_t> blobOfStream(streams.size(), 0);
  for (size_t i = 0; i < streams.size(); ++i) {
    if (streams[i].second.size() >= kMiniCutoff) {
      blobOfStream[i] = blobs.size();
      blobs.push_back(streams[i].second);
    }
  }
  const size_t directoryBytes = roundUp((streams.size() + 1) * 128, kSector);
  blobs[0].resize(directoryBytes);
  size_t dataSectors = 0;
  for (const WordBytes& blob : blobs) dataSectors += roundUp(blob.size(), kSector) / kSector;
  size_t fatSectors = 1;
  while (fatSectors * (kSector / 4) < fatSectors + dataSectors) ++fatSectors;

  std::vector<uint32_t> fat(fatSectors * (kSector / 4), kFreeSector);
  std::fill_n(fat.begin(), fatSectors, kFatSector);
  std::vector<uint32_t> blobStart(blobs.size(), kEndOfChain);
  uint32_t sector = static_cast<uint32_t>(fatSectors);
  for (size_t b = 0; b < blobs.size(); ++b) {
    const size_t count = roundUp(blobs[b].size(), kSector) / kSector;
    if (count == 0) continue;
    blobStart[b] = sector;
    for (size_t k = 0; k < count; ++k, ++sector) {
      fat[sector] = k + 1 == count ? kEndOfChain : sector + 1;
    }
  }

  directoryEntry(directory, "Root Entry", 5, streams.empty() ? kNoStream : 1, kNoStream,
                 blobStart[2], static_cast<uint32_t>(miniStream.size()));
  for (size_t i = 0; i < streams.size(); ++i) {
    const bool large = streams[i].second.size() >= kMiniCutoff;
    directoryEntry(directory, streams[i].first, 2, kNoStream,
                   i + 1 < streams.size() ? static_cast<uint32_t>(i + 2) : kNoStream,
                   large ? blobStart[blobOfStream[i]] : starts[i],
                   static_cast<uint32_t>(streams[i].second.size()));
  }
  while (directory.size() < directoryBytes)
    directoryEntry(directory, "", 0, kNoStream, kNoStream, 0, 0);
  blobs[0] = directory.bytes();

  ByteWriter file;
  const uint8_t signature[] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
  file.bytes(signature, sizeof signature);
  file.zeros(16);
  file.u16(0x3E);
  file.u16(3);
  file.u16(0xFFFE);
  file.u16(9);
  file.u16(6);
  file.zeros(6);
  file.u32(0);  // directory sectors, 0 in version 3
  file.u32(static_cast<uint32_t>(fatSectors));
  file.u32(blobStart[0]);
  file.u32(0);
  file.u32(kMiniCutoff);
  file.u32(blobStart[1]);
  file.u32(static_cast<uint32_t>(roundUp(blobs[1].size(), kSector) / kSector));
  file.u32(kEndOfChain);
  file.u32(0);
  for (size_t i = 0; i < 109; ++i)
    file.u32(i < fatSectors ? static_cast<uint32_t>(i) : kFreeSector);
  for (const uint32_t next : fat) file.u32(next);
  for (const WordBytes& blob : blobs) {
    file.bytes(blob);
    file.zeros(roundUp(blob.size(), kSector) - blob.size());
  }
  return file.take();
}

Word97Streams word97Streams(const std::vector<WordPiece>& pieces, const std::string& footnote) {
  constexpr size_t kTextStart = 0x400;
  ByteWriter document;
  document.u16(0xA5EC);
  document.u16(0xC1);
  document.zeros(6);
  document.u16(0x0200);  // the table is "1Table"
  document.zeros(0x20 - document.size());
  document.u16(14);
  document.zeros(28);
  document.u16(22);
  const size_t longs = document.size();
  document.zeros(22 * 4);
  document.u16(93);
  const size_t pairs = document.size();
  document.zeros(93 * 8);
  document.zeros(kTextStart - document.size());

  std::vector<WordPiece> all = pieces;
  if (!footnote.empty()) all.push_back({footnote, false});
  std::vector<uint32_t> positions{0};
  std::vector<uint32_t> fcs;
  uint32_t mainLength = 0;
  for (size_t i = 0; i < all.size(); ++i) {
    const uint32_t offset = static_cast<uint32_t>(document.size());
    uint32_t characters;
    if (all[i].wide) {
      const std::u16string text = utf16(all[i].text);
      for (const char16_t c : text) document.u16(c);
      characters = static_cast<uint32_t>(text.size());
      fcs.push_back(offset);
    } else {
      document.bytes(all[i].text.data(), all[i].text.size());
      characters = static_cast<uint32_t>(all[i].text.size());
      fcs.push_back(offset * 2 | 0x40000000);
    }
    positions.push_back(positions.back() + characters);
    if (i < pieces.size()) mainLength += characters;
  }

  ByteWriter table;
  table.u8(1);  // a property run in front of the piece table
  table.u16(2);
  table.u16(0);
  table.u8(2);
  table.u32(static_cast<uint32_t>(positions.size() * 4 + fcs.size() * 8));
  for (const uint32_t cp : positions) table.u32(cp);
  for (const uint32_t fc : fcs) {
    table.u16(0);
    table.u32(fc);
    table.u16(0);
  }
  document.patchU32(longs + 3 * 4, mainLength);
  document.patchU32(pairs + 33 * 8, 0);
  document.patchU32(pairs + 33 * 8 + 4, static_cast<uint32_t>(table.size()));
  return {document.take(), table.take()};
}

WordBytes word97Document(const std::vector<WordPiece>& pieces, const std::string& footnote) {
  Word97Streams streams = word97Streams(pieces, footnote);
  return compoundFile({{"WordDocument", streams.document}, {"1Table", streams.table}});
}

WordBytes word6Document(const std::string& text, const std::string& footnote) {
  constexpr uint32_t kTextStart = 0x300;
  ByteWriter document;
  document.u16(0xA5DC);
  document.u16(101);
  document.zeros(0x18 - document.size());
  document.u32(kTextStart);
  document.u32(kTextStart + static_cast<uint32_t>(text.size() + footnote.size()));
  document.zeros(0x34 - document.size());
  document.u32(static_cast<uint32_t>(text.size()));
  document.zeros(kTextStart - document.size());
  document.bytes(text.data(), text.size());
  document.bytes(footnote.data(), footnote.size());
  return compoundFile({{"WordDocument", document.take()}});
}

WordBytes writeDocument(const std::string& text) {
  ByteWriter file;
  file.u16(0xBE31);
  file.u16(0);
  file.u16(0xAB00);
  file.zeros(0x0E - file.size());
  file.u32(128 + static_cast<uint32_t>(text.size()));
  file.zeros(128 - file.size());
  file.bytes(text.data(), text.size());
  return file.take();
}

}  // namespace vellomar::test
