#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "modules/uni/CompoundFile.h"

namespace vellomar {

// A run of a document's text: bytes of one stream holding 8-bit (windows-1252) or UTF-16
// characters.
struct TextPiece {
  uint64_t offset;
  uint64_t bytes;
  bool utf16;
};

// The main text of a Word 97 or later document, in order, from the piece table of its table
// stream; footnotes, headers and the like that follow the main text are left out. Nothing when
// the document is encrypted or its tables are damaged.
std::optional<std::vector<TextPiece>> word97Text(const CompoundStream& document,
                                                 const CompoundFile& container);

// Whether the document stream starts with the header of Word 97 or later.
bool isWord97(std::span<const uint8_t> header);

// The text run that follows the header of a Word 6 or Word 95 document, of a file of Word for
// Windows 1 and 2 or Word for DOS, or of a Write file; sizes are checked against fileSize.
// Nothing when the header is none of these.
std::optional<TextPiece> textRunAfterHeader(std::span<const uint8_t> header, uint64_t fileSize);

}  // namespace vellomar
