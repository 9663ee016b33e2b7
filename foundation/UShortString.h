#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace vellomar {

// Largest prefix of text, at most limit bytes, that does not end inside a UTF-8 character.
// Bytes that are not valid UTF-8 (CP1252 names of old catalogues) count one byte each.
size_t utf8CutLength(std::string_view text, size_t limit);

// The prefix of text that utf8CutLength keeps.
inline std::string_view utf8Prefix(std::string_view text, size_t limit) {
  return text.substr(0, utf8CutLength(text, limit));
}

// A length-prefixed string of at most 255 bytes: how the catalogue keeps names, paths and
// messages. It holds bytes; names on Linux are UTF-8.
class ShortString {
 public:
  static constexpr int kMaxLength = 255;

  ShortString() : chars_{} {}
  // Longer text is cut at the last whole character that fits.
  ShortString(std::string_view text);  // NOLINT(google-explicit-constructor): used as a value
  ShortString(const char* text) : ShortString(std::string_view(text)) {}

  int length() const { return length_; }
  bool empty() const { return length_ == 0; }
  const char* data() const { return chars_; }
  char* data() { return chars_; }
  // Clamped to 0..255; the bytes beyond the old length are whatever was stored there.
  void setLength(int length);

  std::string_view view() const { return {chars_, length_}; }
  std::string str() const { return std::string(view()); }

  friend bool operator==(const ShortString& a, const ShortString& b) {
    return a.view() == b.view();
  }

 private:
  uint8_t length_ = 0;
  // Zero beyond the length unless written there (setLength, data()): records that keep the
  // whole field write them. Every constructor writes the whole field.
  char chars_[kMaxLength];
};

// Positions count from 1, as in the stored strings. Arguments out of range give the empty or
// unchanged result; nothing is reported.

// The count bytes of source from position index; cut at the end of source.
ShortString ShortCopy(const ShortString& source, int index, int count);
// Deletes count bytes from position index; a run past the end cuts s to index - 1 bytes.
void ShortDelete(ShortString& s, int index, int count);
// Inserts source into dest before position index (appends when index is past the end). dest is a
// field of capacity bytes (at most 255): what does not fit is left out, never half a character.
void ShortInsert(const ShortString& source, ShortString& dest, int capacity, int index);

// A heap copy of a short string: its length byte and characters in a block of 16-byte granules,
// so the many names kept in memory cost little. A null pointer reads as the empty string.
struct HeapShortStr;

// Bytes of the block that holds a string of the given length: 16 for 0..15, 32 for 16..31, ...
size_t heapShortStrSize(int length);
// Never null, even for the empty string.
HeapShortStr* NewShortStr(const ShortString& s);
// Frees p unless it is null, and sets it to null.
void DisposeShortStr(HeapShortStr*& p);
ShortString GetPStr(const HeapShortStr* p);

}  // namespace vellomar
