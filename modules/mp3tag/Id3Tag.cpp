#include "modules/mp3tag/Id3Tag.h"

#include <string_view>
#include <vector>

#include "foundation/UByteReader.h"
#include "modules/filterkit/CharDecoder.h"
#include "modules/filterkit/TextWriter.h"

namespace vellomar {

namespace {

constexpr size_t kHeaderSize = 10;
constexpr size_t kV1Size = 128;
// A text field longer than this is cut; cover pictures and other large frames are passed by.
constexpr size_t kMaxFieldBytes = 64 * 1024;
// An unsynchronised tag must be read whole to be undone.
constexpr size_t kMaxUnsynchronisedTag = 16 << 20;
constexpr uint8_t kTagUnsynchronised = 0x80;
constexpr uint8_t kTagExtendedHeader = 0x40;

// Frame flags of version 2.3 and 2.4 that make a frame unreadable here.
constexpr uint16_t kV3Compressed = 0x0080, kV3Encrypted = 0x0040;
constexpr uint16_t kV4Compressed = 0x0008, kV4Encrypted = 0x0004;
constexpr uint16_t kV4Unsynchronised = 0x0002, kV4DataLength = 0x0001;
// A group byte stands in front of the frame's data.
constexpr uint16_t kV3Grouped = 0x0020, kV4Grouped = 0x0040;

uint32_t syncsafe(uint32_t v) {
  return ((v >> 24) & 0x7F) << 21 | ((v >> 16) & 0x7F) << 14 | ((v >> 8) & 0x7F) << 7 | (v & 0x7F);
}

uint32_t bigEndian(std::span<const uint8_t> b) {
  uint32_t v = 0;
  for (const uint8_t byte : b) v = v << 8 | byte;
  return v;
}

std::vector<uint8_t> undoUnsynchronisation(std::span<const uint8_t> bytes) {
  std::vector<uint8_t> out;
  out.reserve(bytes.size());
  for (size_t i = 0; i < bytes.size(); ++i) {
    out.push_back(bytes[i]);
    if (bytes[i] == 0xFF && i + 1 < bytes.size() && bytes[i + 1] == 0x00) ++i;
  }
  return out;
}

// Text in one of the four ID3 encodings. Values separated by zero characters are joined with
// " / "; with firstOnly, the text ends at the first zero character (the terminated part of a
// comment frame) and in is left behind it.
std::string decodeText(uint8_t encoding, ByteReader& in, bool firstOnly = false) {
  CharDecoder decoder;
  switch (encoding) {
    case 1: {
      const size_t at = in.position();
      const uint16_t bom = in.has(2) ? in.u16() : 0;
      if (bom != 0xFEFF && bom != 0xFFFE) in.seek(at);
      decoder = CharDecoder::utf16(bom == 0xFFFE);
      break;
    }
    case 2:
      decoder = CharDecoder::utf16(true);
      break;
    case 3:
      decoder = CharDecoder::utf8();
      break;
    default:
      // Latin-1 as the format says, read as windows-1252 as taggers on Windows write it.
      break;
  }
  std::string text;
  bool separatorDue = false;
  for (char32_t c = decoder.next(in); c != CharDecoder::kEnd; c = decoder.next(in)) {
    if (c == 0xFEFF) continue;  // each value of a list may carry its own byte-order mark
    if (c == 0) {
      if (firstOnly) break;
      separatorDue = !text.empty();
      continue;
    }
    if (separatorDue) text += " / ";
    separatorDue = false;
    appendUtf8(text, c);
  }
  return text;
}

struct Frame {
  std::string_view id;
  std::vector<uint8_t> body;
};

void takeFrame(const Frame& frame, Id3Fields& fields) {
  if (frame.body.empty()) return;
  ByteReader in(frame.body);
  const uint8_t encoding = in.u8();
  auto set = [&](std::string& field) {
    if (field.empty()) field = decodeText(encoding, in);
  };
  const std::string_view id = frame.id;
  if (id == "TIT2" || id == "TT2") {
    set(fields.title);
  } else if (id == "TPE1" || id == "TP1") {
    set(fields.artist);
  } else if (id == "TALB" || id == "TAL") {
    set(fields.album);
  } else if (id == "TYER" || id == "TDRC" || id == "TYE") {
    set(fields.year);
  } else if (id == "COMM" || id == "COM") {
    in.skip(3);  // language
    // Comments with a description are private notes of some program (iTunes and the like).
    if (!decodeText(encoding, in, true).empty() || !fields.comment.empty()) return;
    fields.comment = decodeText(encoding, in);
  }
}

bool wantedFrame(std::string_view id) {
  static constexpr std::string_view kWanted[] = {"TIT2", "TT2",  "TPE1", "TP1",  "TALB", "TAL",
                                                 "TYER", "TDRC", "TYE",  "COMM", "COM"};
  for (const std::string_view wanted : kWanted) {
    if (id == wanted) return true;
  }
  return false;
}

// The frames of a version 2 tag whose frame area is read through readArea (offset, length).
template <typename ReadArea>
void readFrames(uint8_t version, size_t areaSize, ReadArea readArea, Id3Fields& fields) {
  const size_t idLength = version == 2 ? 3 : 4;
  const size_t frameHeader = version == 2 ? 6 : 10;
  size_t pos = 0;
  while (frameHeader <= areaSize - pos) {
    const std::vector<uint8_t> header = readArea(pos, frameHeader);
    if (header.size() < frameHeader || header[0] == 0) return;  // padding
    const std::string id(header.begin(), header.begin() + static_cast<std::ptrdiff_t>(idLength));
    const std::span<const uint8_t> h(header);
    uint32_t size = version == 2 ? bigEndian(h.subspan(3, 3)) : bigEndian(h.subspan(4, 4));
    if (version == 4) size = syncsafe(size);
    const uint16_t flags = version == 2 ? 0 : static_cast<uint16_t>(header[8] << 8 | header[9]);
    pos += frameHeader;
    if (size > areaSize - pos) return;
    const bool unreadable = version == 3 ? (flags & (kV3Compressed | kV3Encrypted)) != 0
                                         : (flags & (kV4Compressed | kV4Encrypted)) != 0;
    if (wantedFrame(id) && !unreadable) {
      std::vector<uint8_t> body = readArea(pos, std::min<size_t>(size, kMaxFieldBytes));
      if (version == 4 && (flags & kV4Unsynchronised)) body = undoUnsynchronisation(body);
      const size_t prefix = (version == 3 && (flags & kV3Grouped) ? 1 : 0) +
                            (version == 4 && (flags & kV4Grouped) ? 1 : 0) +
                            (version == 4 && (flags & kV4DataLength) ? 4 : 0);
      body.erase(body.begin(),
                 body.begin() + static_cast<std::ptrdiff_t>(std::min(prefix, body.size())));
      takeFrame({id, std::move(body)}, fields);
    }
    pos += size;
  }
}

void readVersion2(const InputFile& file, Id3Fields& fields) {
  const std::vector<uint8_t> header = file.read(0, kHeaderSize);
  if (header.size() < kHeaderSize || header[0] != 'I' || header[1] != 'D' || header[2] != '3') {
    return;
  }
  const uint8_t version = header[3];
  const uint8_t flags = header[5];
  if (version < 2 || version > 4) return;
  for (size_t i = 6; i < kHeaderSize; ++i) {
    if (header[i] & 0x80) return;  // not a syncsafe size
  }
  size_t tagSize = syncsafe(bigEndian(std::span(header).subspan(6, 4)));
  if (tagSize > file.size() - kHeaderSize) tagSize = static_cast<size_t>(file.size() - kHeaderSize);

  // Version 2.4 unsynchronises frame by frame; earlier versions the whole tag.
  const bool wholeTagUnsynchronised = (flags & kTagUnsynchronised) && version < 4;
  std::vector<uint8_t> area;
  uint64_t areaStart = kHeaderSize;
  if (wholeTagUnsynchronised) {
    area = undoUnsynchronisation(file.read(kHeaderSize, std::min(tagSize, kMaxUnsynchronisedTag)));
    tagSize = area.size();
  }
  auto readArea = [&](size_t offset, size_t n) -> std::vector<uint8_t> {
    if (!wholeTagUnsynchronised)
      return file.read(areaStart + offset, std::min(n, tagSize - offset));
    const size_t take = std::min(n, area.size() - offset);
    return {area.begin() + static_cast<std::ptrdiff_t>(offset),
            area.begin() + static_cast<std::ptrdiff_t>(offset + take)};
  };

  size_t skip = 0;
  if (version > 2 && (flags & kTagExtendedHeader)) {
    const std::vector<uint8_t> extended = readArea(0, 4);
    if (extended.size() < 4) return;
    const uint32_t stored = bigEndian(extended);
    // Version 2.3 counts the size without its own four bytes, 2.4 with them.
    const uint64_t length = version == 3 ? uint64_t{stored} + 4 : syncsafe(stored);
    if (length > tagSize) return;
    skip = static_cast<size_t>(length);
  }
  auto readFrameArea = [&](size_t offset, size_t n) { return readArea(skip + offset, n); };
  readFrames(version, tagSize - skip, readFrameArea, fields);
}

// An ID3v1 field: Latin-1 (windows-1252 in practice) padded with zeros or blanks.
std::string version1Field(ByteReader& in, size_t length) {
  std::span<const uint8_t> bytes = in.bytes(length);
  size_t end = 0;
  while (end < bytes.size() && bytes[end] != 0) ++end;
  while (end > 0 && bytes[end - 1] == ' ') --end;
  ByteReader field(bytes.first(end));
  const CharDecoder decoder;
  std::string text;
  for (char32_t c = decoder.next(field); c != CharDecoder::kEnd; c = decoder.next(field)) {
    appendUtf8(text, c);
  }
  return text;
}

void readVersion1(const InputFile& file, Id3Fields& fields) {
  if (file.size() < kV1Size) return;
  const std::vector<uint8_t> tag = file.read(file.size() - kV1Size, kV1Size);
  if (tag.size() < kV1Size || tag[0] != 'T' || tag[1] != 'A' || tag[2] != 'G') return;
  ByteReader in(tag);
  in.skip(3);
  auto fill = [](std::string& field, std::string value) {
    if (field.empty()) field = std::move(value);
  };
  fill(fields.title, version1Field(in, 30));
  fill(fields.artist, version1Field(in, 30));
  fill(fields.album, version1Field(in, 30));
  fill(fields.year, version1Field(in, 4));
  fill(fields.comment, version1Field(in, 30));
}

}  // namespace

Id3Fields readId3Fields(const InputFile& file) {
  Id3Fields fields;
  readVersion2(file, fields);
  readVersion1(file, fields);
  return fields;
}

}  // namespace vellomar
