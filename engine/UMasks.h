#pragma once

#include "engine/UEngineInternal.h"

#include <cstddef>
#include <cstdint>
#include <span>
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
