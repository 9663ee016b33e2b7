#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace vellomar::test {

using WordBytes = std::vector<uint8_t>;

// An OLE compound file (version 3, 512-byte sectors) holding the streams in the root storage;
// streams shorter than 4096 bytes go to the mini stream, as writers put them.
WordBytes compoundFile(const std::vector<std::pair<std::string, WordBytes>>& streams);

// A piece of a Word 97 document's text: 8-bit windows-1252 bytes, or UTF-16 when wide.
struct WordPiece {
  std::string text;  // UTF-8 for wide pieces, windows-1252 bytes otherwise
  bool wide = false;
};

struct Word97Streams {
  WordBytes document;  // "WordDocument"
  WordBytes table;     // "1Table"
  // Where the test may change what the document says.
  static constexpr size_t kFlagsOffset = 0x0A;
  static constexpr size_t kTextLengthOffset = 0x4C;
  static constexpr size_t kClxOffset = 0x1A2;
  static constexpr size_t kClxSizeOffset = 0x1A6;
};

// The two streams of a Word 97 document whose main text is the pieces in order; the footnote
// text follows the main text, as Word keeps it.
Word97Streams word97Streams(const std::vector<WordPiece>& pieces, const std::string& footnote = {});
// A whole .doc file of those streams.
WordBytes word97Document(const std::vector<WordPiece>& pieces, const std::string& footnote = {});

// A Word 6 document: the text (windows-1252) after the header in its WordDocument stream,
// followed by footnote text beyond the main text's length.
WordBytes word6Document(const std::string& text, const std::string& footnote = {});

// A Write file: the 128-byte header and the text (windows-1252).
WordBytes writeDocument(const std::string& text);

}  // namespace vellomar::test
