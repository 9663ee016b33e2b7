#pragma once

#include <cstddef>
#include <string>

namespace vellomar {

// Collects the text a filter extracts as UTF-8. White space is folded: runs of blanks become one
// blank, line breaks (CR LF) and blank lines are kept but never doubled, and nothing is written
// before the first or after the last visible character.
class TextWriter {
 public:
  // Control characters other than white space are dropped; characters that Unicode does not
  // have become U+FFFD.
  void character(char32_t c);
  void space() { gap(Gap::Space); }
  void lineBreak() { gap(Gap::Line); }
  // A blank line.
  void paragraph() { gap(Gap::Paragraph); }

  // The text written so far and not yet taken.
  size_t pending() const { return text_.size() - taken_; }
  const char* data() const { return text_.data() + taken_; }
  void take(size_t n);

 private:
  enum class Gap { None, Space, Line, Paragraph };
  void gap(Gap g);

  std::string text_;
  size_t taken_ = 0;
  bool started_ = false;
  Gap gap_ = Gap::None;
};

// Appends c encoded as UTF-8.
void appendUtf8(std::string& out, char32_t c);

// How many of the first n bytes of UTF-8 text can be given out without cutting a character.
size_t utf8PrefixLength(const char* text, size_t n, size_t available);

}  // namespace vellomar
