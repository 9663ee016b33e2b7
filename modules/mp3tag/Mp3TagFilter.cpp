// The MP3 filter: one line per tag field that is present, "Title: ...", "Artist: ...",
// "Album: ...", "Year: ...", "Comment: ...".

#include <string>

#include "modules/filterkit/CharDecoder.h"
#include "modules/filterkit/TextSource.h"
#include "modules/mp3tag/Id3Tag.h"

namespace vellomar {

namespace {

class Mp3TagSource : public TextSource {
 public:
  explicit Mp3TagSource(Id3Fields fields) : fields_(std::move(fields)) {}

 protected:
  bool convert() override {
    line("Title: ", fields_.title);
    line("Artist: ", fields_.artist);
    line("Album: ", fields_.album);
    line("Year: ", fields_.year);
    line("Comment: ", fields_.comment);
    return false;
  }

 private:
  void line(std::string_view label, const std::string& value) {
    if (value.empty()) return;
    text().lineBreak();
    const std::string whole = std::string(label) + value;
    ByteReader in(whole.data(), whole.size());
    const CharDecoder utf8 = CharDecoder::utf8();
    for (char32_t c = utf8.next(in); c != CharDecoder::kEnd; c = utf8.next(in)) {
      // Line breaks inside a comment stay; the fields themselves are one per line.
      text().character(c);
    }
  }

  Id3Fields fields_;
};

}  // namespace

std::unique_ptr<TextSource> openTextSource(const std::string& path) {
  const std::optional<InputFile> file = InputFile::open(path);
  if (!file) return nullptr;
  Id3Fields fields = readId3Fields(*file);
  if (fields.empty()) return nullptr;
  return std::make_unique<Mp3TagSource>(std::move(fields));
}

}  // namespace vellomar
