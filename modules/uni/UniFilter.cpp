// The Word and Write filter: the document's text from Word 97 and later files through their
// piece table, and the text run after the header of Word 6 and 95, older Word and Write files.
// Fields give their shown result, not their instructions.

#include <algorithm>
#include <functional>
#include <string>

#include "modules/filterkit/CharDecoder.h"
#include "modules/filterkit/InputFile.h"
#include "modules/filterkit/TextSource.h"
#include "modules/uni/CompoundFile.h"
#include "modules/uni/WordDocument.h"

namespace vellomar {

namespace {

constexpr size_t kHeaderBytes = 512;
constexpr size_t kChunk = 8192;
// A paragraph longer than this is taken in parts.
constexpr size_t kMaxParagraph = 64 * 1024;
constexpr size_t kMaxFieldDepth = 64;

constexpr char32_t kParagraphEnd = 0x0D;
constexpr char32_t kCellEnd = 0x07;
constexpr char32_t kFieldBegin = 0x13;
constexpr char32_t kFieldSeparator = 0x14;
constexpr char32_t kFieldEnd = 0x15;
constexpr char32_t kNonBreakingHyphen = 0x1E;
constexpr char32_t kColumnBreak = 0x0E;

using ReadBytes = std::function<std::vector<uint8_t>(uint64_t offset, size_t n)>;

class WordTextSource : public TextSource {
 public:
  // With binaryParagraphs, a paragraph holding a zero byte is left out: Write keeps pictures
  // inline in its text, as paragraphs of binary data.
  WordTextSource(std::unique_ptr<InputFile> file, std::vector<TextPiece> pieces,
                 bool binaryParagraphs)
      : file_(std::move(file)), pieces_(std::move(pieces)), binaryParagraphs_(binaryParagraphs) {}

  void readFrom(ReadBytes read) { read_ = std::move(read); }

 protected:
  bool convert() override {
    if (piece_ == pieces_.size()) return false;
    TextPiece& piece = pieces_[piece_];
    size_t end = paragraphEnd(piece.utf16);
    if (end == 0 && readDone_ < piece.bytes && buffer_.size() - used_ < kMaxParagraph) {
      fetch(piece);
      return true;
    }
    if (end == 0) end = buffer_.size();
    emit(std::span(buffer_).subspan(used_, end - used_), piece.utf16);
    used_ = end;
    if (used_ == buffer_.size() && readDone_ >= piece.bytes) {
      buffer_.clear();
      used_ = 0;
      readDone_ = 0;
      ++piece_;
    }
    return true;
  }

 private:
  // The position after the next paragraph mark in the buffer, 0 when none is there.
  size_t paragraphEnd(bool utf16) const {
    const size_t width = utf16 ? 2 : 1;
    for (size_t i = used_; width <= buffer_.size() - i; i += width) {
      if (buffer_[i] == kParagraphEnd && (!utf16 || buffer_[i + 1] == 0)) return i + width;
    }
    return 0;
  }

  void fetch(TextPiece& piece) {
    buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(used_));
    used_ = 0;
    const size_t want = static_cast<size_t>(std::min<uint64_t>(kChunk, piece.bytes - readDone_));
    const std::vector<uint8_t> bytes = read_(piece.offset + readDone_, want);
    buffer_.insert(buffer_.end(), bytes.begin(), bytes.end());
    // A file cut short ends the piece where its bytes end.
    readDone_ = bytes.size() < want ? piece.bytes : readDone_ + bytes.size();
  }

  void emit(std::span<const uint8_t> paragraph, bool utf16) {
    if (binaryParagraphs_ && std::ranges::find(paragraph, 0) != paragraph.end()) return;
    ByteReader in(paragraph);
    const CharDecoder& decoder = utf16 ? utf16_ : ansi_;
    for (char32_t c = decoder.next(in); c != CharDecoder::kEnd; c = decoder.next(in)) {
      character(c);
    }
  }

  void character(char32_t c) {
    switch (c) {
      case kFieldBegin:
        if (fields_.size() < kMaxFieldDepth) {
          fields_.push_back(true);
          ++inInstructions_;
        }
        return;
      case kFieldSeparator:
        if (!fields_.empty() && fields_.back()) {
          fields_.back() = false;
          --inInstructions_;
        }
        return;
      case kFieldEnd:
        if (!fields_.empty()) {
          if (fields_.back()) --inInstructions_;
          fields_.pop_back();
        }
        return;
    }
    // Inside any field's instructions nothing is shown, not even a nested field's result.
    if (inInstructions_ > 0) return;
    if (c == kColumnBreak) {
      text().lineBreak();
    } else if (c == kCellEnd) {
      text().space();
    } else if (c == kNonBreakingHyphen) {
      text().character('-');
    } else {
      text().character(c);
    }
  }

  std::unique_ptr<InputFile> file_;  // read through read_
  std::vector<TextPiece> pieces_;
  bool binaryParagraphs_;
  ReadBytes read_;
  size_t piece_ = 0;
  uint64_t readDone_ = 0;
  std::vector<uint8_t> buffer_;
  size_t used_ = 0;
  std::vector<bool> fields_;  // per open field: still in its instructions
  size_t inInstructions_ = 0;
  const CharDecoder ansi_;
  const CharDecoder utf16_ = CharDecoder::utf16(false);
};

std::unique_ptr<TextSource> compoundDocument(std::unique_ptr<InputFile> file) {
  std::optional<CompoundFile> container = CompoundFile::open(*file);
  if (!container) return nullptr;
  std::optional<CompoundStream> document = container->stream("WordDocument");
  if (!document) return nullptr;
  const std::vector<uint8_t> header = document->read(0, kHeaderBytes);
  std::vector<TextPiece> pieces;
  if (isWord97(header)) {
    std::optional<std::vector<TextPiece>> text = word97Text(*document, *container);
    if (!text) return nullptr;
    pieces = std::move(*text);
  } else {
    const std::optional<TextPiece> run = textRunAfterHeader(header, document->size());
    if (!run) return nullptr;
    pieces.push_back(*run);
  }
  auto source = std::make_unique<WordTextSource>(std::move(file), std::move(pieces), false);
  source->readFrom([document = std::move(*document)](uint64_t offset, size_t n) {
    return document.read(offset, n);
  });
  return source;
}

std::unique_ptr<TextSource> plainDocument(std::unique_ptr<InputFile> file,
                                          std::span<const uint8_t> header) {
  const std::optional<TextPiece> run = textRunAfterHeader(header, file->size());
  if (!run) return nullptr;
  const InputFile* input = file.get();
  auto source =
      std::make_unique<WordTextSource>(std::move(file), std::vector<TextPiece>{*run}, true);
  source->readFrom([input](uint64_t offset, size_t n) { return input->read(offset, n); });
  return source;
}

}  // namespace

std::unique_ptr<TextSource> openTextSource(const std::string& path) {
  std::optional<InputFile> opened = InputFile::open(path);
  if (!opened) return nullptr;
  auto file = std::make_unique<InputFile>(std::move(*opened));
  const std::vector<uint8_t> header = file->read(0, kHeaderBytes);
  if (CompoundFile::hasSignature(header)) return compoundDocument(std::move(file));
  return plainDocument(std::move(file), header);
}

}  // namespace vellomar
