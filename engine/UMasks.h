#pragma once

#include "engine/UEngineInternal.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "engine/UMaskItems.h"
#include "engine/api/UApiTypes.h"
#include "foundation/UCollections.h"
#include "foundation/UShortString.h"

namespace vellomar {

// Masks as the user types them: "*" any run of characters, "?" any one character (a whole
// UTF-8 character, or one byte of an old catalogue's CP1252 text). Without case sensitivity
// masks and names pass through the same lower-casing, so any mask finds names in any script.

// "A".."Z", "a".."z" and every byte from 128 up, so every non-ASCII character is one.
bool IsWordChar(char c);

// The description-import table: triples "mask|max|module|" up to the end of the text or its
// first zero byte. max is a character limit, taken as thousands below 100 and as 0 when it is
// not a number. Items with the same module name share one module of modules, added when new.
// Without case sensitivity the table is lower-cased first.
void ParseMaskList(std::string_view text, TItemCollection<TMaskItem>& masks,
                   TItemCollection<TFilterModule>& modules, bool caseSensitive);

// A mask text typed by the user: masks separated by blanks or ";"; blanks inside double quotes
// belong to the mask, two double quotes stand for one. phrase takes the whole text as one
// quoted mask (";" still separates); addWildcards puts "*" around every mask. Only Mask is set.
void ParseMaskListEx(std::string_view text, TItemCollection<TMaskItem>& masks, bool caseSensitive,
                     bool addWildcards, bool phrase);

// Whether name matches mask. Without case sensitivity the mask is expected lower-cased already
// (as ParseMaskListEx leaves it). A mask without a star at an end must meet the name's end
// there: exactly when strict, else at a word boundary ("red" finds "big red car" and "red-1",
// not "reddish"). Every way of placing the parts is tried, in time linear in the name per part.
bool MatchesMask(std::string_view mask, std::string_view name, bool caseSensitive, bool strict);

// A name as masks compare it: lower-cased without case sensitivity, an ASCII name on the stack.
// A search keeps one and sets it once per name, whatever the number of masks.
class MaskName {
 public:
  MaskName() = default;
  MaskName(const MaskName&) = delete;
  MaskName& operator=(const MaskName&) = delete;

  // The name and its extension, as one text, followed by eight readable bytes.
  void set(std::string_view name, std::string_view ext, bool caseSensitive);
  std::string_view view() const { return view_; }
  // Every byte below 128: each is a character of its own.
  bool ascii() const { return ascii_; }

 private:
  // Room for a name with its extension; a longer text, such as a path, goes to the heap.
  std::array<char, 512> buffer_;
  std::string heap_;
  std::string_view view_;
  bool ascii_ = true;
};

// A mask taken apart once, for matching many names as MatchesMask does. Views the mask's text,
// which must outlive it.
class CompiledMask {
 public:
  explicit CompiledMask(std::string_view mask);
  bool matches(const MaskName& name, bool strict) const;
  // Where the mask's first part matches in text, npos when the mask does not match there; the
  // end anchors as in MatchesMask. ascii: text is all ASCII; padded: eight bytes past its end
  // may be read, as past a MaskName's.
  size_t findFirst(std::string_view text, bool strict, bool ascii, bool padded) const;

 private:
  bool startFits(std::string_view text, size_t begin, bool strict) const;
  bool endFits(std::string_view text, size_t end, bool strict) const;
  size_t findSimple(std::string_view text, bool strict, bool padded) const;

  std::string_view mask_;
  // The mask without one star at each end, and whether there was one.
  std::string_view core_;
  bool any_ = false;  // the mask "*"
  bool lead_ = false;
  bool trail_ = false;
  size_t firstStar_ = std::string_view::npos;  // in core_
  // One part without "?" that begins with an ASCII byte: looked for as bytes.
  bool simple_ = false;
  bool star_ = false;      // anywhere in the mask
  bool question_ = false;  // anywhere in the mask
};

// The first of masks that name matches as MatchesMask does, nullptr when none does.
const TMaskItem* FindMatchingMask(const TItemCollection<TMaskItem>& masks, std::string_view name,
                                  bool caseSensitive, bool strict);
// The same over mask texts.
bool MatchesAnyMask(std::span<const ShortString> masks, std::string_view name, bool caseSensitive,
                    bool strict);

// Offset in text where mask matches as MatchesMask does without strict, -1 when it does not;
// 0 for the mask "*". With searchAsOem the text is also tried as OEM text (after the plain try
// when searchAsAnsi is set, alone otherwise). The offset is always one in the text as given.
int FindMaskInText(std::string_view mask, std::string_view text, bool caseSensitive,
                   bool searchAsAnsi, bool searchAsOem);

// 1-based position of the last occurrence of pattern in buffer, compared byte by byte; 0 when
// pattern is empty, longer than buffer, or absent.
size_t FindLastPattern(std::span<const uint8_t> buffer, std::string_view pattern);

// 1-based byte position in s of the first match of pattern ("?" any one character), 0 when
// none or pattern is empty.
int FindWildPos(std::string_view pattern, std::string_view s);

// The same as a 0-based offset, -1 when none.
int FindWildInText(std::string_view pattern, std::string_view text);

// FindWildInText with the text read as OEM text when fromOem is set, and lower-cased without
// case sensitivity; the offset is one in the text as given.
int FindWildInTextConv(std::string_view pattern, std::string_view text, bool fromOem,
                       bool caseSensitive);

}  // namespace vellomar
