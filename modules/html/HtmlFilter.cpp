// The HTML filter: the text of a page with tags, comments, scripts and styles left out,
// character references resolved, block elements as line breaks. The character set comes from a
// byte-order mark or the page's meta tag; without either, UTF-8 when the bytes are UTF-8, else
// windows-1252.

#include <algorithm>
#include <array>
#include <string>
#include <string_view>

#include "modules/filterkit/CharDecoder.h"
#include "modules/filterkit/InputFile.h"
#include "modules/filterkit/TextSource.h"

namespace vellomar {

namespace {

// A description is taken from the start of a page; text beyond this is never reached.
constexpr size_t kInputLimit = 1 << 20;
// Where a meta tag naming the character set may stand.
constexpr size_t kCharsetScan = 4096;
constexpr size_t kMaxNameLength = 32;
// Characters converted per call, so the program's blocks come back soon.
constexpr int kCharsPerStep = 4096;

constexpr char32_t kEnd = CharDecoder::kEnd;

// Characters beyond ASCII give 0, so they never match markup.
char lowerAscii(char32_t c) {
  if (c >= 0x80) return 0;
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : static_cast<char>(c);
}

bool isAsciiLetter(char32_t c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool isAsciiAlnum(char32_t c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

std::string lowerAsciiString(std::span<const uint8_t> bytes) {
  std::string s(bytes.begin(), bytes.end());
  for (char& c : s) c = lowerAscii(static_cast<unsigned char>(c));
  return s;
}

// The value of "charset=" in the first meta tag that has one.
std::string metaCharset(std::span<const uint8_t> head) {
  const std::string text = lowerAsciiString(head.first(std::min(head.size(), kCharsetScan)));
  for (size_t meta = text.find("<meta"); meta != std::string::npos;
       meta = text.find("<meta", meta + 5)) {
    const size_t end = std::min(text.find('>', meta), text.size());
    const size_t key = text.find("charset", meta);
    if (key >= end) continue;
    size_t pos = key + 7;
    while (pos < end &&
           (text[pos] == ' ' || text[pos] == '=' || text[pos] == '"' || text[pos] == '\'')) {
      ++pos;
    }
    size_t stop = pos;
    while (stop < end && (isAsciiAlnum(static_cast<unsigned char>(text[stop])) ||
                          std::string_view("-_.:").find(text[stop]) != std::string_view::npos)) {
      ++stop;
    }
    if (stop > pos) return text.substr(pos, stop - pos);
  }
  return {};
}

CharDecoder pageCharset(ByteReader& page) {
  const std::span<const uint8_t> bytes = page.bytes(page.size());
  page.seek(0);
  if (bytes.size() >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF) {
    page.seek(3);
    return CharDecoder::utf8();
  }
  if (bytes.size() >= 2 && (bytes[0] == 0xFE || bytes[0] == 0xFF) && bytes[0] + bytes[1] == 0x1FD) {
    page.seek(2);
    return CharDecoder::utf16(bytes[0] == 0xFE);
  }
  const std::string declared = metaCharset(bytes);
  // A page read byte by byte cannot be UTF-16, whatever it says; pages that say Latin-1 or
  // ASCII were written on Windows, with windows-1252 characters in 0x80..0x9F.
  if (declared == "iso-8859-1" || declared == "latin1" || declared == "us-ascii") {
    return CharDecoder();
  }
  if (!declared.empty() && !declared.starts_with("utf-16")) return CharDecoder::named(declared);
  return isUtf8(bytes) ? CharDecoder::utf8() : CharDecoder();
}

// Names of the characters U+00A0..U+00FF, in order.
constexpr std::array<std::string_view, 96> kLatin1Names = {
    "nbsp",   "iexcl",  "cent",   "pound",  "curren", "yen",    "brvbar", "sect",   "uml",
    "copy",   "ordf",   "laquo",  "not",    "shy",    "reg",    "macr",   "deg",    "plusmn",
    "sup2",   "sup3",   "acute",  "micro",  "para",   "middot", "cedil",  "sup1",   "ordm",
    "raquo",  "frac14", "frac12", "frac34", "iquest", "Agrave", "Aacute", "Acirc",  "Atilde",
    "Auml",   "Aring",  "AElig",  "Ccedil", "Egrave", "Eacute", "Ecirc",  "Euml",   "Igrave",
    "Iacute", "Icirc",  "Iuml",   "ETH",    "Ntilde", "Ograve", "Oacute", "Ocirc",  "Otilde",
    "Ouml",   "times",  "Oslash", "Ugrave", "Uacute", "Ucirc",  "Uuml",   "Yacute", "THORN",
    "szlig",  "agrave", "aacute", "acirc",  "atilde", "auml",   "aring",  "aelig",  "ccedil",
    "egrave", "eacute", "ecirc",  "euml",   "igrave", "iacute", "icirc",  "iuml",   "eth",
    "ntilde", "ograve", "oacute", "ocirc",  "otilde", "ouml",   "divide", "oslash", "ugrave",
    "uacute", "ucirc",  "uuml",   "yacute", "thorn",  "yuml"};

struct NamedCharacter {
  std::string_view name;
  char32_t c;
};

constexpr NamedCharacter kOtherNames[] = {
    {"quot", '"'},      {"amp", '&'},       {"apos", '\''},    {"lt", '<'},
    {"gt", '>'},        {"OElig", 0x152},   {"oelig", 0x153},  {"Scaron", 0x160},
    {"scaron", 0x161},  {"Yuml", 0x178},    {"fnof", 0x192},   {"circ", 0x2C6},
    {"tilde", 0x2DC},   {"ensp", 0x2002},   {"emsp", 0x2003},  {"thinsp", 0x2009},
    {"ndash", 0x2013},  {"mdash", 0x2014},  {"lsquo", 0x2018}, {"rsquo", 0x2019},
    {"sbquo", 0x201A},  {"ldquo", 0x201C},  {"rdquo", 0x201D}, {"bdquo", 0x201E},
    {"dagger", 0x2020}, {"Dagger", 0x2021}, {"bull", 0x2022},  {"hellip", 0x2026},
    {"permil", 0x2030}, {"prime", 0x2032},  {"Prime", 0x2033}, {"lsaquo", 0x2039},
    {"rsaquo", 0x203A}, {"euro", 0x20AC},   {"trade", 0x2122}, {"larr", 0x2190},
    {"uarr", 0x2191},   {"rarr", 0x2192},   {"darr", 0x2193},  {"harr", 0x2194}};

char32_t namedCharacter(std::string_view name) {
  const auto latin = std::find(kLatin1Names.begin(), kLatin1Names.end(), name);
  if (latin != kLatin1Names.end())
    return 0xA0 + static_cast<char32_t>(latin - kLatin1Names.begin());
  for (const NamedCharacter& named : kOtherNames) {
    if (named.name == name) return named.c;
  }
  return kEnd;
}

// Numeric references to 0x80..0x9F mean windows-1252, as pages written on Windows use them.
char32_t numericCharacter(uint32_t value) {
  if (value >= 0x80 && value <= 0x9F) {
    const uint8_t byte = static_cast<uint8_t>(value);
    ByteReader in(&byte, 1);
    return CharDecoder().next(in);
  }
  if (value == 0 || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
    return CharDecoder::kReplacement;
  }
  return value;
}

enum class Element { Other, Skipped, Break, Block, Heading, Cell };

Element elementKind(std::string_view name) {
  static constexpr std::string_view kSkipped[] = {"script", "style", "template"};
  static constexpr std::string_view kBlocks[] = {
      "address", "article", "aside",    "blockquote", "center", "dd",     "div",
      "dl",      "dt",      "fieldset", "figcaption", "figure", "footer", "form",
      "header",  "hr",      "li",       "main",       "nav",    "ol",     "pre",
      "section", "table",   "tr",       "ul",         "option", "caption"};
  static constexpr std::string_view kHeadings[] = {"h1", "h2", "h3", "h4",
                                                   "h5", "h6", "p",  "title"};
  auto in = [&](const auto& list) { return std::ranges::find(list, name) != std::end(list); };
  if (name == "br") return Element::Break;
  if (name == "td" || name == "th") return Element::Cell;
  if (in(kSkipped)) return Element::Skipped;
  if (in(kHeadings)) return Element::Heading;
  if (in(kBlocks)) return Element::Block;
  return Element::Other;
}

class HtmlSource : public TextSource {
 public:
  explicit HtmlSource(std::vector<uint8_t> page) : page_(std::move(page)), in_(page_) {
    decoder_ = pageCharset(in_);
  }

 protected:
  bool convert() override {
    for (int i = 0; i < kCharsPerStep; ++i) {
      const char32_t c = next();
      if (c == kEnd) return false;
      if (c == '<') {
        markup();
      } else if (c == '&') {
        reference();
      } else if (c == '\n' || c == '\r' || c == '\t' || c == '\f') {
        // Line ends in the source are blanks; only the markup breaks lines.
        text().space();
      } else {
        text().character(c);
      }
    }
    return true;
  }

 private:
  char32_t next() { return decoder_.next(in_); }

  char32_t peek() {
    const size_t at = in_.position();
    const char32_t c = next();
    in_.seek(at);
    return c;
  }

  // Moves past the first occurrence of the ASCII text end (compared ignoring case).
  void skipPast(std::string_view end) {
    std::string last(end.size(), '\0');
    while (last != end) {
      const char32_t c = next();
      if (c == kEnd) return;
      last.erase(0, 1);
      last += lowerAscii(c);
    }
  }

  // Past the ">" that ends a tag; quoted attribute values may hold ">".
  void skipTagRest() {
    char32_t quote = 0;
    char32_t previous = 0;
    for (char32_t c = next(); c != kEnd; c = next()) {
      if (quote) {
        if (c == quote) quote = 0;
      } else if (c == '>') {
        return;
      } else if ((c == '"' || c == '\'') && previous == '=') {
        quote = c;
      }
      if (c != ' ') previous = c;
    }
  }

  void markup() {
    const size_t at = in_.position();
    const char32_t first = next();
    if (first == '!') {
      const size_t bang = in_.position();
      if (next() == '-' && next() == '-') {
        skipPast("-->");
      } else {
        in_.seek(bang);
        skipPast(">");
      }
      return;
    }
    if (first == '?') {
      skipPast(">");
      return;
    }
    const bool closing = first == '/';
    std::string name;
    char32_t c = closing ? next() : first;
    if (!isAsciiLetter(c)) {
      // Not a tag: the "<" is text.
      in_.seek(at);
      text().character('<');
      return;
    }
    while (c < 0x80 && isAsciiAlnum(c)) {
      if (name.size() < kMaxNameLength) name += lowerAscii(c);
      const size_t before = in_.position();
      c = next();
      if (!(c < 0x80 && isAsciiAlnum(c))) in_.seek(before);
    }
    skipTagRest();
    element(name, closing);
  }

  void element(const std::string& name, bool closing) {
    switch (elementKind(name)) {
      case Element::Other:
        return;
      case Element::Skipped:
        if (!closing) {
          skipPast("</" + name);
          skipTagRest();
        }
        return;
      case Element::Break:
      case Element::Block:
        text().lineBreak();
        return;
      case Element::Heading:
        text().paragraph();
        return;
      case Element::Cell:
        text().space();
        return;
    }
  }

  // After "&": the character a reference names, or "&" itself when it names none.
  void reference() {
    const size_t at = in_.position();
    std::string name;
    for (char32_t c = peek(); c < 0x80 && (isAsciiAlnum(c) || c == '#'); c = peek()) {
      if (name.size() == kMaxNameLength) break;
      name += static_cast<char>(c);
      next();
    }
    if (peek() == ';') next();
    const char32_t c = resolve(name);
    if (c == kEnd) {
      in_.seek(at);
      text().character('&');
    } else {
      text().character(c);
    }
  }

  static char32_t resolve(const std::string& name) {
    if (name.size() < 2 || name[0] != '#') return namedCharacter(name);
    const bool hex = name[1] == 'x' || name[1] == 'X';
    const std::string digits = name.substr(hex ? 2 : 1);
    if (digits.empty() || digits.size() > (hex ? 6u : 7u)) return kEnd;
    uint32_t value = 0;
    for (const char d : digits) {
      uint32_t digit;
      if (d >= '0' && d <= '9') {
        digit = static_cast<uint32_t>(d - '0');
      } else if (hex && lowerAscii(static_cast<unsigned char>(d)) >= 'a' &&
                 lowerAscii(static_cast<unsigned char>(d)) <= 'f') {
        digit = static_cast<uint32_t>(lowerAscii(static_cast<unsigned char>(d)) - 'a' + 10);
      } else {
        return kEnd;
      }
      value = value * (hex ? 16 : 10) + digit;
    }
    return numericCharacter(value);
  }

  std::vector<uint8_t> page_;
  ByteReader in_;
  CharDecoder decoder_;
};

}  // namespace

std::unique_ptr<TextSource> openTextSource(const std::string& path) {
  const std::optional<InputFile> file = InputFile::open(path);
  if (!file) return nullptr;
  return std::make_unique<HtmlSource>(file->read(0, kInputLimit));
}

}  // namespace vellomar
