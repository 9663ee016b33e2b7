#include "modules/filterkit/CharDecoder.h"

#include <unicode/ucnv.h>

#include <string>

namespace vellomar {

namespace {

enum class Utf8Status { Good, Malformed, Truncated };

// Bytes that are not UTF-8 give U+FFFD.
char32_t decodeUtf8(ByteReader& in, Utf8Status& status) {
  status = Utf8Status::Malformed;
  const uint8_t lead = in.u8();
  if (lead < 0x80) {
    status = Utf8Status::Good;
    return lead;
  }
  size_t length;
  char32_t c, minimum;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 1, c = lead & 0x1F, minimum = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 2, c = lead & 0x0F, minimum = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 3, c = lead & 0x07, minimum = 0x10000;
  } else {
    return CharDecoder::kReplacement;
  }
  const size_t start = in.position();
  for (size_t i = 0; i < length; ++i) {
    if (!in.has(1)) {
      status = Utf8Status::Truncated;
      return CharDecoder::kReplacement;
    }
    const uint8_t b = in.u8();
    if ((b & 0xC0) != 0x80) {
      in.seek(start + i);
      return CharDecoder::kReplacement;
    }
    c = (c << 6) | (b & 0x3F);
  }
  if (c < minimum || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return CharDecoder::kReplacement;
  status = Utf8Status::Good;
  return c;
}

char32_t decodeUtf16(ByteReader& in, bool bigEndian) {
  auto unit = [&] {
    const uint16_t u = in.u16();
    return bigEndian ? static_cast<uint16_t>((u >> 8) | (u << 8)) : u;
  };
  if (!in.has(2)) {
    in.skip(in.remaining());
    return CharDecoder::kReplacement;
  }
  const char32_t first = unit();
  if (first < 0xD800 || first > 0xDFFF) return first;
  if (first > 0xDBFF || !in.has(2)) return CharDecoder::kReplacement;
  const size_t start = in.position();
  const char32_t second = unit();
  if (second < 0xDC00 || second > 0xDFFF) {
    in.seek(start);
    return CharDecoder::kReplacement;
  }
  return 0x10000 + ((first - 0xD800) << 10) + (second - 0xDC00);
}

}  // namespace

CharDecoder::CharDecoder() {
  // Built once: most files use it, several times each.
  static const CharDecoder windows1252 = [] {
    CharDecoder decoder(Kind::SingleByte);
    fromIcu("windows-1252", decoder);
    return decoder;
  }();
  *this = windows1252;
}

bool CharDecoder::fromIcu(std::string_view name, CharDecoder& out) {
  UErrorCode status = U_ZERO_ERROR;
  const std::string zeroTerminated(name);
  UConverter* raw = ucnv_open(zeroTerminated.c_str(), &status);
  if (U_FAILURE(status) || !raw) return false;
  std::shared_ptr<UConverter> converter(raw, ucnv_close);
  const std::string canonical = ucnv_getName(raw, &status);
  if (canonical == "UTF-8") {
    out = utf8();
    return true;
  }
  if (canonical.starts_with("UTF-16")) {
    out = utf16(canonical == "UTF-16BE");
    return true;
  }
  if (ucnv_getMaxCharSize(raw) == 1) {
    CharDecoder table(Kind::SingleByte);
    for (int byte = 0; byte < 256; ++byte) {
      const char in = static_cast<char>(byte);
      const char* source = &in;
      status = U_ZERO_ERROR;
      ucnv_reset(raw);
      const UChar32 c = ucnv_getNextUChar(raw, &source, &in + 1, &status);
      table.table_[byte] = U_SUCCESS(status) && c >= 0 ? static_cast<char32_t>(c) : kReplacement;
    }
    out = table;
    return true;
  }
  CharDecoder multi(Kind::MultiByte);
  ucnv_setToUCallBack(raw, UCNV_TO_U_CALLBACK_SUBSTITUTE, nullptr, nullptr, nullptr, &status);
  multi.converter_ = std::move(converter);
  out = multi;
  return true;
}

CharDecoder CharDecoder::named(std::string_view charset) {
  CharDecoder decoder;
  if (!charset.empty() && charset.size() < 64) fromIcu(charset, decoder);
  return decoder;
}

CharDecoder CharDecoder::codePage(uint32_t number) {
  if (number == 65001) return utf8();
  CharDecoder decoder;
  if (number == 0 || number >= 100000) return decoder;
  if (!fromIcu("windows-" + std::to_string(number), decoder)) {
    fromIcu("cp" + std::to_string(number), decoder);
  }
  return decoder;
}

CharDecoder CharDecoder::utf8() {
  return CharDecoder(Kind::Utf8);
}

CharDecoder CharDecoder::utf16(bool bigEndian) {
  return CharDecoder(bigEndian ? Kind::Utf16Be : Kind::Utf16Le);
}

char32_t CharDecoder::next(ByteReader& in) const {
  if (!in.has(1)) return kEnd;
  switch (kind_) {
    case Kind::Utf8: {
      Utf8Status status;
      return decodeUtf8(in, status);
    }
    case Kind::Utf16Le:
    case Kind::Utf16Be:
      return decodeUtf16(in, kind_ == Kind::Utf16Be);
    case Kind::SingleByte:
      return table_[in.u8()];
    case Kind::MultiByte:
      break;
  }
  const size_t start = in.position();
  const std::span<const uint8_t> rest = in.bytes(in.remaining());
  const char* source = reinterpret_cast<const char*>(rest.data());
  UErrorCode status = U_ZERO_ERROR;
  const UChar32 c = ucnv_getNextUChar(converter_.get(), &source, source + rest.size(), &status);
  size_t used = static_cast<size_t>(source - reinterpret_cast<const char*>(rest.data()));
  if (used == 0) used = 1;
  in.seek(start + used);
  return U_SUCCESS(status) && c >= 0 ? static_cast<char32_t>(c) : kReplacement;
}

bool isUtf8(std::span<const uint8_t> bytes) {
  ByteReader in(bytes);
  Utf8Status status;
  while (!in.atEnd()) {
    decodeUtf8(in, status);
    // A text cut inside its last character is still UTF-8.
    if (status != Utf8Status::Good) return status == Utf8Status::Truncated;
  }
  return true;
}

}  // namespace vellomar
