#include "engine/UMasks.h"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cstring>
#include <limits>
#include <memory>
#include <string>

#include "engine/api/UEntryRecords.h"
#include "platform/PText.h"

namespace vellomar {

namespace {

constexpr size_t kNone = std::string_view::npos;
bool isAscii(char c) {
  return static_cast<unsigned char>(c) < 0x80;
}

// Bytes of the character at text[pos]: a well-formed UTF-8 sequence, else the one byte (a
// CP1252 character), as the text layer reads text.
size_t charLength(std::string_view text, size_t pos) {
  const auto at = [&](size_t i) { return static_cast<unsigned char>(text[pos + i]); };
  const unsigned char lead = at(0);
  size_t length;
  unsigned char low = 0x80, high = 0xBF;  // the range of the second byte
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;   // no overlong forms
    if (lead == 0xED) high = 0x9F;  // no surrogates
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;  // nothing above U+10FFFF
  } else {
    return 1;
  }
  if (length > text.size() - pos || at(1) < low || at(1) > high) return 1;
  for (size_t i = 2; i < length; ++i) {
    if ((at(i) & 0xC0) != 0x80) return 1;
  }
  return length;
}

// Bytes of the character at text[pos]; in an ASCII text every byte is one.
size_t charStep(std::string_view text, size_t pos, bool ascii) {
  return ascii ? 1 : charLength(text, pos);
}

// End of a match of pattern at text[pos], kNone when it does not match there.
size_t wildMatchAt(std::string_view pattern, std::string_view text, size_t pos, bool ascii) {
  for (const char p : pattern) {
    if (pos >= text.size()) return kNone;
    if (p == '?') {
      pos += charStep(text, pos, ascii);
    } else if (text[pos] == p) {
      ++pos;
    } else {
      return kNone;
    }
  }
  return pos;
}

constexpr uint64_t kOnes = 0x0101010101010101;
constexpr uint64_t kHighBits = 0x80 * kOnes;
// Bytes readable past the end of a MaskName's text.
constexpr size_t kPadding = sizeof(uint64_t);

bool literalAt(std::string_view pattern, const char* at) {
  size_t i = 0;
  while (i < pattern.size() && at[i] == pattern[i]) ++i;
  return i == pattern.size();
}

// Of each byte of x that is zero the high bit, perhaps also of some above one.
uint64_t zeroBytes(uint64_t x) {
  return (x - kOnes) & ~x & kHighBits;
}

// First occurrence of a pattern without "?" from `from` on. Names are short: a plain scan
// costs less than the calls of a library search. padded: kPadding bytes past the text's end
// may be read, so it looks at eight places at a time for the pattern's first and last byte,
// and checks whole only the places where both are found.
inline size_t findLiteral(std::string_view pattern, std::string_view text, size_t from,
                          bool padded) {
  const size_t n = pattern.size();
  if (n > text.size()) return kNone;
  const char* data = text.data();
  const size_t last = text.size() - n;
  if (!padded) {
    for (size_t pos = from; pos <= last; ++pos) {
      if (literalAt(pattern, data + pos)) return pos;
    }
    return kNone;
  }
  static_assert(std::endian::native == std::endian::little, "the first byte is the lowest");
  const uint64_t firsts = kOnes * static_cast<unsigned char>(pattern[0]);
  const uint64_t lasts = kOnes * static_cast<unsigned char>(pattern[n - 1]);
  for (size_t word = from; word <= last; word += sizeof(uint64_t)) {
    uint64_t starts, ends;
    std::memcpy(&starts, data + word, sizeof starts);
    std::memcpy(&ends, data + word + n - 1, sizeof ends);
    for (uint64_t hits = zeroBytes(starts ^ firsts) & zeroBytes(ends ^ lasts); hits != 0;
         hits &= hits - 1) {
      const size_t pos = word + static_cast<size_t>(std::countr_zero(hits)) / 8;
      if (pos > last) return kNone;
      if (literalAt(pattern, data + pos)) return pos;
    }
  }
  return kNone;
}

struct Match {
  size_t begin = kNone;
  size_t end = kNone;
  bool found() const { return begin != kNone; }
};

// How the parts of a mask are looked for in one text.
struct PartSearch {
  std::string_view text;
  bool ascii;    // the text is all ASCII
  bool padded;   // kPadding bytes past its end may be read
  bool literal;  // no part holds "?"
};

// First match of a non-empty pattern at a character start from `from` on, by trying each.
Match findWildEach(std::string_view pattern, const PartSearch& s, size_t from) {
  const std::string_view text = s.text;
  // An ASCII byte always starts a character, so the search may jump to the next one.
  const bool jump = pattern[0] != '?' && isAscii(pattern[0]);
  for (size_t pos = from; pos < text.size(); pos += charStep(text, pos, s.ascii)) {
    if (jump) {
      pos = text.find(pattern[0], pos);
      if (pos == kNone) break;
    }
    const size_t end = wildMatchAt(pattern, text, pos, s.ascii);
    if (end != kNone) return {pos, end};
  }
  return {};
}

// The same; a pattern without "?" that begins with an ASCII byte, which always starts a
// character, is looked for as bytes.
Match findWild(std::string_view pattern, const PartSearch& s, size_t from) {
  if (!s.literal || !isAscii(pattern[0])) return findWildEach(pattern, s, from);
  const size_t pos = findLiteral(pattern, s.text, from, s.padded);
  return pos == kNone ? Match{} : Match{pos, pos + pattern.size()};
}

Match findNextWild(std::string_view pattern, const PartSearch& s, const Match& previous) {
  return findWild(pattern, s, previous.begin + charStep(s.text, previous.begin, s.ascii));
}

// Offset in source of the character whose conversion covers byte `target` of the converted
// text. step(source, pos) gives the bytes of one character at pos and of its conversion.
template <class StepFunction>
size_t sourceOffset(std::string_view source, size_t target, StepFunction step) {
  size_t pos = 0;
  size_t converted = 0;
  while (pos < source.size() && converted < target) {
    const auto [taken, made] = step(source, pos);
    if (converted + made > target) break;
    pos += taken;
    converted += made;
  }
  return pos;
}

struct Step {
  size_t taken;
  size_t made;
};

Step lowerStep(std::string_view source, size_t pos) {
  if (isAscii(source[pos])) return {1, 1};
  const size_t length = charLength(source, pos);
  return {length, lowerText(source.substr(pos, length)).size()};
}

// Every OEM byte is one character.
Step oemStep(std::string_view source, size_t pos) {
  if (isAscii(source[pos])) return {1, 1};
  return {1, oemToText(source.substr(pos, 1)).size()};
}

// A text as a comparison sees it: read as OEM text and lower-cased when asked, with the way
// back to offsets in the text as given.
class ComparedText {
 public:
  ComparedText(std::string_view original, bool fromOem, bool lower)
      : original_(original), fromOem_(fromOem), lower_(lower) {
    if (fromOem_) converted_ = oemToText(original_);
    if (lower_) lowered_ = lowerText(converted());
  }
  ComparedText(const ComparedText&) = delete;
  ComparedText& operator=(const ComparedText&) = delete;

  std::string_view view() const { return lower_ ? std::string_view(lowered_) : converted(); }

  int originalOffset(size_t offset) const {
    if (offset == kNone) return -1;
    if (lower_) offset = sourceOffset(converted(), offset, lowerStep);
    if (fromOem_) offset = sourceOffset(original_, offset, oemStep);
    return static_cast<int>(offset);
  }

 private:
  std::string_view converted() const { return fromOem_ ? std::string_view(converted_) : original_; }

  std::string_view original_;
  bool fromOem_;
  bool lower_;
  std::string converted_;
  std::string lowered_;
};

int findMaskIn(std::string_view mask, std::string_view text, bool fromOem, bool caseSensitive) {
  const ComparedText compared(text, fromOem, !caseSensitive);
  return compared.originalOffset(
      CompiledMask(mask).findFirst(compared.view(), false, false, false));
}

// The next field of the description-import table, up to "|" or the end; the "|" is skipped.
std::string_view nextField(std::string_view& rest) {
  const size_t bar = rest.find('|');
  const std::string_view field = rest.substr(0, bar);
  rest.remove_prefix(bar == kNone ? rest.size() : bar + 1);
  return field;
}

int32_t maxCharsOf(std::string_view field) {
  int32_t value = 0;
  const auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), value);
  if (error != std::errc() || end != field.data() + field.size()) return 0;
  if (value >= 100) return value;
  // A small number counts thousands.
  return static_cast<int32_t>(
      std::max<int64_t>(int64_t{value} * 1000, std::numeric_limits<int32_t>::min()));
}

TFilterModule* moduleNamed(TItemCollection<TFilterModule>& modules, const ShortString& name) {
  for (TFilterModule* module : modules.Items()) {
    if (module->Name == name) return module;
  }
  auto module = std::make_unique<TFilterModule>(name);
  modules.Add(module.get());
  return module.release();
}

void addMask(TItemCollection<TMaskItem>& masks, std::unique_ptr<TMaskItem> item) {
  masks.Add(item.get());
  item.release();
}

// One word of a typed mask text while it is being read.
class MaskWord {
 public:
  void append(char c, bool togglingQuote) {
    if (text_.empty()) startsWithQuote_ = togglingQuote;
    endsWithQuote_ = togglingQuote;
    text_.push_back(c);
  }

  // The mask the word stands for, without one quote at each end; empty for none.
  std::string take(bool addWildcards) {
    std::string_view mask = text_;
    if (startsWithQuote_) mask.remove_prefix(1);
    if (endsWithQuote_ && !mask.empty()) mask.remove_suffix(1);
    std::string result(mask);
    if (addWildcards && !result.empty()) {
      if (!result.starts_with('*')) result.insert(0, 1, '*');
      if (!result.ends_with('*')) result.push_back('*');
    }
    // The quote marks belong to this word; a blank run after it is an empty word, not a quote.
    text_.clear();
    startsWithQuote_ = false;
    endsWithQuote_ = false;
    return result;
  }

 private:
  std::string text_;
  bool startsWithQuote_ = false;
  bool endsWithQuote_ = false;
};

// The whole text quoted as one mask, each ";" closing it and opening the next.
std::string asPhrase(std::string_view text) {
  std::string quoted = text.starts_with('"') ? "" : "\"";
  quoted += text;
  if (!quoted.ends_with('"')) quoted.push_back('"');
  std::string out;
  for (const char c : quoted) {
    if (c == ';') {
      out += "\" \"";
    } else {
      out.push_back(c);
    }
  }
  return out;
}

}  // namespace

bool IsWordChar(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || !isAscii(c);
}

void ParseMaskList(std::string_view text, TItemCollection<TMaskItem>& masks,
                   TItemCollection<TFilterModule>& modules, bool caseSensitive) {
  masks.FreeAll();
  text = text.substr(0, text.find('\0'));
  const std::string table = caseSensitive ? std::string(text) : lowerText(text);
  std::string_view rest = table;
  while (!rest.empty()) {
    auto item = std::make_unique<TMaskItem>(ShortString(nextField(rest)));
    item->MaxChars = maxCharsOf(nextField(rest));
    const ShortString module(nextField(rest));
    if (!module.empty()) item->Module = moduleNamed(modules, module);
    addMask(masks, std::move(item));
  }
}

void ParseMaskListEx(std::string_view text, TItemCollection<TMaskItem>& masks, bool caseSensitive,
                     bool addWildcards, bool phrase) {
  masks.FreeAll();
  std::string work = caseSensitive ? std::string(text) : lowerText(text);
  if (phrase) {
    work = asPhrase(work);
  } else {
    std::replace(work.begin(), work.end(), ';', ' ');
  }
  MaskWord word;
  const auto endWord = [&] {
    const std::string mask = word.take(addWildcards);
    if (!mask.empty()) addMask(masks, std::make_unique<TMaskItem>(ShortString(mask)));
  };
  bool quoted = false;
  for (size_t i = 0; i < work.size(); ++i) {
    const char c = work[i];
    if (c == '"' && i + 1 < work.size() && work[i + 1] == '"') {
      word.append('"', false);  // two quotes: one literal quote
      ++i;
    } else if (c == '"') {
      quoted = !quoted;
      word.append(c, true);
    } else if (c == ' ' && !quoted) {
      endWord();
    } else {
      word.append(c, false);
    }
  }
  endWord();
}

bool MatchesMask(std::string_view mask, std::string_view name, bool caseSensitive, bool strict) {
  MaskName compared;
  compared.set(name, {}, caseSensitive);
  return CompiledMask(mask).matches(compared, strict);
}

void MaskName::set(std::string_view name, std::string_view ext, bool caseSensitive) {
  const size_t length = name.size() + ext.size();
  if (length + kPadding <= buffer_.size()) {
    char* out = buffer_.data();
    char* extOut = std::copy(name.begin(), name.end(), out);
    // Most extensions have all four bytes ("." and three): one move of a known size.
    if (ext.size() == ExtensionString::kCapacity) {
      std::memcpy(extOut, ext.data(), ExtensionString::kCapacity);
    } else {
      std::copy(ext.begin(), ext.end(), extOut);
    }
    std::memset(out + length, 0, kPadding);
    view_ = std::string_view(out, length);
    if (caseSensitive) {
      ascii_ = std::all_of(view_.begin(), view_.end(), isAscii);
      return;
    }
    // In whole words: the zeros after the name lower to themselves.
    const size_t words = (length + kPadding - 1) / kPadding * kPadding;
    ascii_ = lowerAsciiInto(std::string_view(out, words), out);
    if (ascii_) return;
  }
  heap_.assign(name);
  heap_ += ext;
  ascii_ = std::all_of(heap_.begin(), heap_.end(), isAscii);
  if (!caseSensitive) heap_ = lowerText(heap_);
  const size_t text = heap_.size();
  heap_.append(kPadding, '\0');
  view_ = std::string_view(heap_.data(), text);
}

CompiledMask::CompiledMask(std::string_view mask)
    : mask_(mask),
      core_(mask),
      any_(mask == "*"),
      star_(mask.find('*') != kNone),
      question_(mask.find('?') != kNone) {
  lead_ = core_.starts_with('*');
  if (lead_) core_.remove_prefix(1);
  trail_ = core_.ends_with('*');
  if (trail_) core_.remove_suffix(1);
  firstStar_ = core_.find('*');
  simple_ = !core_.empty() && firstStar_ == kNone && !question_ && isAscii(core_[0]);
}

// A mask that does not begin with "*" must begin at the text's start (strict) or at a word
// start; one that does not end with "*" must end at the text's end or at a word end likewise.
bool CompiledMask::startFits(std::string_view text, size_t begin, bool strict) const {
  return lead_ || begin == 0 || (!strict && !IsWordChar(text[begin - 1]));
}

bool CompiledMask::endFits(std::string_view text, size_t end, bool strict) const {
  return trail_ || end == text.size() || (!strict && !IsWordChar(text[end]));
}

size_t CompiledMask::findSimple(std::string_view text, bool strict, bool padded) const {
  const size_t n = core_.size();
  for (size_t pos = findLiteral(core_, text, 0, padded); pos != kNone;
       pos = findLiteral(core_, text, pos + 1, padded)) {
    if (startFits(text, pos, strict) && endFits(text, pos + n, strict)) return pos;
  }
  return kNone;
}

bool CompiledMask::matches(const MaskName& name, bool strict) const {
  if (any_) return true;
  const std::string_view text = name.view();
  if (text == mask_) return true;
  if (strict && !star_) {
    return question_ && wildMatchAt(mask_, text, 0, name.ascii()) == text.size();
  }
  if (simple_) return findSimple(text, strict, true) != kNone;
  return findFirst(text, strict, name.ascii(), true) != kNone;
}

size_t CompiledMask::findFirst(std::string_view text, bool strict, bool ascii, bool padded) const {
  if (simple_) return findSimple(text, strict, padded);
  std::string_view mask = core_;
  if (mask.empty()) return kNone;
  const PartSearch search{text, ascii, padded, !question_};
  // Only the first part has a start to fit and only the last an end. Any other part is best
  // taken at its first occurrence, which leaves the most room for the parts behind it; the
  // first and the last part try their occurrences in turn until one fits.
  size_t first = kNone;
  size_t from = 0;
  for (;;) {
    const bool isFirst = first == kNone;
    const size_t star = isFirst ? firstStar_ : mask.find('*');
    const std::string_view part = mask.substr(0, star);
    if (part.empty()) return kNone;  // two stars in a row
    const bool isLast = star == kNone;
    Match m = findWild(part, search, from);
    while (m.found() && ((isFirst && !startFits(text, m.begin, strict)) ||
                         (isLast && !endFits(text, m.end, strict)))) {
      m = findNextWild(part, search, m);
    }
    if (!m.found()) return kNone;
    if (isFirst) first = m.begin;
    if (isLast) return first;
    from = m.end;
    mask.remove_prefix(star + 1);
  }
}

const TMaskItem* FindMatchingMask(const TItemCollection<TMaskItem>& masks, std::string_view name,
                                  bool caseSensitive, bool strict) {
  for (const TMaskItem* item : masks.Items()) {
    if (MatchesMask(GetPStr(item->Mask).view(), name, caseSensitive, strict)) return item;
  }
  return nullptr;
}

bool MatchesAnyMask(std::span<const ShortString> masks, std::string_view name, bool caseSensitive,
                    bool strict) {
  return std::any_of(masks.begin(), masks.end(), [&](const ShortString& mask) {
    return MatchesMask(mask.view(), name, caseSensitive, strict);
  });
}

int FindMaskInText(std::string_view mask, std::string_view text, bool caseSensitive,
                   bool searchAsAnsi, bool searchAsOem) {
  if (mask == "*") return 0;
  if (!searchAsOem || searchAsAnsi) {
    const int found = findMaskIn(mask, text, false, caseSensitive);
    if (found >= 0 || !searchAsOem) return found;
  }
  return findMaskIn(mask, text, true, caseSensitive);
}

size_t FindLastPattern(std::span<const uint8_t> buffer, std::string_view pattern) {
  if (pattern.empty()) return 0;
  const std::string_view bytes(reinterpret_cast<const char*>(buffer.data()), buffer.size());
  const size_t at = bytes.rfind(pattern);
  return at == kNone ? 0 : at + 1;
}

int FindWildPos(std::string_view pattern, std::string_view s) {
  return FindWildInText(pattern, s) + 1;
}

int FindWildInText(std::string_view pattern, std::string_view text) {
  if (pattern.empty()) return -1;
  const Match m = findWild(pattern, {text, false, false, false}, 0);
  return m.found() ? static_cast<int>(m.begin) : -1;
}

int FindWildInTextConv(std::string_view pattern, std::string_view text, bool fromOem,
                       bool caseSensitive) {
  if (pattern.empty()) return -1;
  const ComparedText compared(text, fromOem, !caseSensitive);
  return compared.originalOffset(
      findWild(pattern, {compared.view(), false, false, false}, 0).begin);
}

}  // namespace vellomar
