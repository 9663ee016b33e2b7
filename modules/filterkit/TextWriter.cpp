#include "modules/filterkit/TextWriter.h"

namespace vellomar {

void TextWriter::gap(Gap g) {
  if (started_ && g > gap_) gap_ = g;
}

void TextWriter::character(char32_t c) {
  switch (c) {
    case ' ':
    case '\t':
    case 0xA0:
      space();
      return;
    case '\r':
    case '\n':
    case '\f':
    case '\v':
    case 0x2028:
      lineBreak();
      return;
    case 0x2029:
      paragraph();
      return;
    case 0xFEFF:
      return;
  }
  if (c < 0x20 || (c >= 0x7F && c < 0xA0)) return;
  if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) c = 0xFFFD;
  switch (gap_) {
    case Gap::None:
      break;
    case Gap::Space:
      text_ += ' ';
      break;
    case Gap::Line:
      text_ += "\r\n";
      break;
    case Gap::Paragraph:
      text_ += "\r\n\r\n";
      break;
  }
  gap_ = Gap::None;
  started_ = true;
  appendUtf8(text_, c);
}

void appendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

void TextWriter::take(size_t n) {
  taken_ += n < pending() ? n : pending();
  // Given-out text is dropped in one move once it outweighs what waits, so taking stays linear.
  if (taken_ > 4096 && taken_ > pending()) {
    text_.erase(0, taken_);
    taken_ = 0;
  }
}

size_t utf8PrefixLength(const char* text, size_t n, size_t available) {
  if (n >= available) return available;
  // text[n] starts the first character left out; step back over continuation bytes.
  while (n > 0 && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80) --n;
  return n;
}

}  // namespace vellomar
