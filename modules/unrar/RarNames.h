#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace vellomar {

// A member name as the library reports it.
struct RarName {
  std::string text;
  bool utf8 = false;  // else the bytes as stored, in the DOS code page of the archiver
};

// The name of a RAR 1.5 to 4 file block. A Unicode name is stored as the plain name, a zero and
// the Unicode form packed against the plain bytes, or as UTF-8 alone; it is decoded to UTF-8,
// and falls back to the plain bytes when the Unicode form gives nothing.
RarName rarFileName(std::span<const uint8_t> stored, bool unicode);

}  // namespace vellomar
