// The RTF filter: the document's text without control words, with the font table, style
// sheet, pictures, objects, fields' instructions, headers, footers and every "\*" destination
// left out. \'xx bytes are read in the code page of the current font's character set (else
// the document's \ansicpg); \uN gives the character N and skips its \ucN fallback characters.

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "modules/filterkit/CharDecoder.h"
#include "modules/filterkit/InputFile.h"
#include "modules/filterkit/TextSource.h"

namespace vellomar {

namespace {

// Pictures make documents large; their text lies in front of most of them.
constexpr size_t kInputLimit = 4 << 20;
constexpr size_t kMaxWordLength = 32;
constexpr size_t kMaxParameterDigits = 10;
// Deeper groups are counted but share the state of the deepest kept one.
constexpr size_t kMaxDepth = 512;
constexpr int kTokensPerStep = 4096;
constexpr uint32_t kDefaultCodePage = 1252;

enum class Destination { Text, FontTable, Skipped };

struct Group {
  Destination destination = Destination::Text;
  int32_t fallbackLength = 1;  // \uc
  int32_t font = -1;           // -1: the document's default font (\deff)
};

// The Windows code page of a font character set (\fcharset); 0 for the document's own.
uint32_t charsetCodePage(int32_t charset) {
  switch (charset) {
    case 77:
      return 10000;
    case 128:
      return 932;
    case 129:
      return 949;
    case 134:
      return 936;
    case 136:
      return 950;
    case 161:
      return 1253;
    case 162:
      return 1254;
    case 163:
      return 1258;
    case 177:
      return 1255;
    case 178:
      return 1256;
    case 186:
      return 1257;
    case 204:
      return 1251;
    case 222:
      return 874;
    case 238:
      return 1250;
    case 254:
      return 437;
    default:
      return 0;
  }
}

bool skippedDestination(std::string_view word) {
  static constexpr std::string_view kSkipped[] = {
      "colortbl",  "stylesheet",   "info",       "pict",
      "object",    "header",       "headerl",    "headerr",
      "headerf",   "footer",       "footerl",    "footerr",
      "footerf",   "footnote",     "fldinst",    "themedata",
      "datastore", "latentstyles", "listtable",  "listoverridetable",
      "rsidtbl",   "generator",    "xmlnstbl",   "filetbl",
      "revtbl",    "pgdsctbl",     "nonshppict", "colorschememapping",
      "mmathPr",   "annotation",   "atnid",      "atnauthor"};
  for (const std::string_view skipped : kSkipped) {
    if (word == skipped) return true;
  }
  return false;
}

char32_t wordCharacter(std::string_view word) {
  struct Named {
    std::string_view word;
    char32_t c;
  };
  static constexpr Named kNamed[] = {
      {"emdash", 0x2014},    {"endash", 0x2013},    {"lquote", 0x2018}, {"rquote", 0x2019},
      {"ldblquote", 0x201C}, {"rdblquote", 0x201D}, {"bullet", 0x2022}};
  for (const Named& named : kNamed) {
    if (word == named.word) return named.c;
  }
  return CharDecoder::kEnd;
}

bool isLetter(uint8_t c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

class RtfSource : public TextSource {
 public:
  explicit RtfSource(std::vector<uint8_t> document)
      : document_(std::move(document)), in_(document_) {
    groups_.emplace_back();
  }

 protected:
  bool convert() override {
    for (int i = 0; i < kTokensPerStep; ++i) {
      if (!in_.has(1)) {
        flushBytes();
        return false;
      }
      token();
    }
    return true;
  }

 private:
  Group& group() { return groups_.back(); }
  bool inText() { return group().destination == Destination::Text; }

  void token() {
    const uint8_t c = in_.u8();
    switch (c) {
      case '{':
        flushBytes();
        fallbackLeft_ = 0;
        if (groups_.size() < kMaxDepth) {
          groups_.push_back(group());
        } else {
          ++extraDepth_;
        }
        return;
      case '}':
        flushBytes();
        fallbackLeft_ = 0;
        if (extraDepth_ > 0) {
          --extraDepth_;
        } else if (groups_.size() > 1) {
          groups_.pop_back();
        }
        return;
      case '\\':
        control();
        return;
      case '\r':
      case '\n':
        return;
    }
    if (fallbackLeft_ > 0) {
      --fallbackLeft_;
      return;
    }
    if (!inText()) return;
    if (c >= 0x80) {
      bytes_.push_back(c);
      return;
    }
    flushBytes();
    text().character(c);
  }

  void control() {
    if (!in_.has(1)) return;
    const uint8_t first = in_.u8();
    if (!isLetter(first)) {
      symbol(first);
      return;
    }
    std::string word(1, static_cast<char>(first));
    while (in_.has(1)) {
      const size_t at = in_.position();
      const uint8_t c = in_.u8();
      if (!isLetter(c)) {
        in_.seek(at);
        break;
      }
      if (word.size() < kMaxWordLength) word += static_cast<char>(c);
    }
    bool hasParameter = false;
    const int32_t parameter = readParameter(hasParameter);
    if (in_.has(1)) {
      const size_t at = in_.position();
      if (in_.u8() != ' ') in_.seek(at);
    }
    if (word == "bin") {
      // Binary data of the given length, whatever the state.
      if (parameter > 0)
        in_.skip(std::min<size_t>(static_cast<size_t>(parameter), in_.remaining()));
      return;
    }
    if (fallbackLeft_ > 0) {
      --fallbackLeft_;
      return;
    }
    if (word != "u" && word != "uc") flushBytes();
    controlWord(word, hasParameter, parameter);
  }

  int32_t readParameter(bool& hasParameter) {
    const size_t at = in_.position();
    bool negative = false;
    if (in_.has(1) && in_.u8() == '-') {
      negative = true;
    } else {
      in_.seek(at);
    }
    int64_t value = 0;
    size_t digits = 0;
    while (in_.has(1)) {
      const size_t before = in_.position();
      const uint8_t c = in_.u8();
      if (c < '0' || c > '9') {
        in_.seek(before);
        break;
      }
      if (digits++ < kMaxParameterDigits) value = value * 10 + (c - '0');
    }
    hasParameter = digits > 0;
    if (!hasParameter) {
      in_.seek(at);
      return 0;
    }
    value = std::min<int64_t>(value, INT32_MAX);
    return static_cast<int32_t>(negative ? -value : value);
  }

  void symbol(uint8_t c) {
    if (c == '\'') {
      hexByte();
      return;
    }
    if (fallbackLeft_ > 0) {
      --fallbackLeft_;
      return;
    }
    if (c == '*') {
      group().destination = Destination::Skipped;
      return;
    }
    if (!inText()) return;
    flushBytes();
    switch (c) {
      case '\\':
      case '{':
      case '}':
        text().character(c);
        return;
      case '~':
        text().space();
        return;
      case '_':
        text().character('-');
        return;
      case '\r':
      case '\n':
        text().lineBreak();
        return;
    }
  }

  void hexByte() {
    int value = 0;
    for (int i = 0; i < 2; ++i) {
      const size_t at = in_.position();
      const uint8_t c = in_.has(1) ? in_.u8() : 0;
      int digit;
      if (c >= '0' && c <= '9') {
        digit = c - '0';
      } else if ((c | 0x20) >= 'a' && (c | 0x20) <= 'f') {
        digit = (c | 0x20) - 'a' + 10;
      } else {
        in_.seek(at);
        return;
      }
      value = value * 16 + digit;
    }
    if (fallbackLeft_ > 0) {
      --fallbackLeft_;
      return;
    }
    if (inText()) bytes_.push_back(static_cast<uint8_t>(value));
  }

  void controlWord(const std::string& word, bool hasParameter, int32_t parameter) {
    Group& g = group();
    if (word == "fonttbl") {
      g.destination = Destination::FontTable;
    } else if (skippedDestination(word)) {
      g.destination = Destination::Skipped;
    } else if (word == "f" && hasParameter) {
      g.font = parameter;
    } else if (word == "deff" && hasParameter) {
      defaultFont_ = parameter;
    } else if (word == "plain") {
      g.font = -1;
    } else if (word == "fcharset" && g.destination == Destination::FontTable) {
      fontCodePages_[g.font] = charsetCodePage(parameter);
    } else if (word == "cpg" && g.destination == Destination::FontTable) {
      fontCodePages_[g.font] = static_cast<uint32_t>(parameter);
    } else if (word == "ansicpg" && parameter > 0) {
      codePage_ = static_cast<uint32_t>(parameter);
      decoders_.clear();
    } else if (word == "uc" && parameter >= 0) {
      g.fallbackLength = parameter;
    } else if (word == "u" && hasParameter) {
      unicode(parameter);
    } else if (inText()) {
      textWord(word);
    }
  }

  void unicode(int32_t parameter) {
    if (!inText()) return;
    flushBytes();
    const char32_t unit =
        static_cast<char32_t>(parameter < 0 ? parameter + 65536 : parameter) & 0xFFFF;
    if (unit >= 0xD800 && unit <= 0xDBFF) {
      highSurrogate_ = unit;
    } else if (unit >= 0xDC00 && unit <= 0xDFFF && highSurrogate_) {
      text().character(0x10000 + ((highSurrogate_ - 0xD800) << 10) + (unit - 0xDC00));
      highSurrogate_ = 0;
    } else {
      text().character(unit);
    }
    fallbackLeft_ = group().fallbackLength;
  }

  void textWord(const std::string& word) {
    if (word == "par" || word == "line" || word == "sect" || word == "page" || word == "row") {
      text().lineBreak();
    } else if (word == "tab" || word == "cell" || word == "emspace" || word == "enspace") {
      text().space();
    } else if (const char32_t c = wordCharacter(word); c != CharDecoder::kEnd) {
      text().character(c);
    }
  }

  const CharDecoder& decoder() {
    uint32_t codePage = codePage_;
    const int32_t current = group().font >= 0 ? group().font : defaultFont_;
    if (const auto font = fontCodePages_.find(current);
        font != fontCodePages_.end() && font->second != 0) {
      codePage = font->second;
    }
    auto found = decoders_.find(codePage);
    if (found == decoders_.end()) {
      found = decoders_.emplace(codePage, CharDecoder::codePage(codePage)).first;
    }
    return found->second;
  }

  // Bytes of one run decode together, so double-byte code pages get both halves.
  void flushBytes() {
    if (bytes_.empty()) return;
    const CharDecoder& bytesDecoder = decoder();
    ByteReader run(bytes_);
    for (char32_t c = bytesDecoder.next(run); c != CharDecoder::kEnd; c = bytesDecoder.next(run)) {
      text().character(c);
    }
    bytes_.clear();
  }

  std::vector<uint8_t> document_;
  ByteReader in_;
  std::vector<Group> groups_;
  size_t extraDepth_ = 0;
  int32_t fallbackLeft_ = 0;
  char32_t highSurrogate_ = 0;
  uint32_t codePage_ = kDefaultCodePage;
  int32_t defaultFont_ = -1;
  std::map<int32_t, uint32_t> fontCodePages_;
  std::map<uint32_t, CharDecoder> decoders_;
  std::vector<uint8_t> bytes_;
};

}  // namespace

std::unique_ptr<TextSource> openTextSource(const std::string& path) {
  const std::optional<InputFile> file = InputFile::open(path);
  if (!file) return nullptr;
  std::vector<uint8_t> document = file->read(0, kInputLimit);
  static constexpr std::string_view kMagic = "{\\rtf";
  if (document.size() < kMagic.size() ||
      std::string_view(reinterpret_cast<const char*>(document.data()), kMagic.size()) != kMagic) {
    return nullptr;
  }
  return std::make_unique<RtfSource>(std::move(document));
}

}  // namespace vellomar
