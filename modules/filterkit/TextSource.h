#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "modules/filterkit/TextWriter.h"

namespace vellomar {

// The text of one open file, converted piece by piece as the program asks for it, so a long
// file costs only as much as the part of its text that is taken.
class TextSource {
 public:
  virtual ~TextSource() = default;

  // Copies at most capacity bytes of the text to out, never a part of a character, and returns
  // their number.
  size_t read(uint8_t* out, size_t capacity);
  // Whether the whole text has been read.
  bool finished();

 protected:
  // Converts a further piece of the input into text(); false once the input is used up. Each
  // call must consume input, so conversion always ends.
  virtual bool convert() = 0;
  TextWriter& text() { return writer_; }

 private:
  // Converts until at least n bytes wait or the input is used up.
  void fill(size_t n);

  TextWriter writer_;
  bool inputLeft_ = true;
};

// Provided by each filter module: the text source for the file at path, or null when the file
// is not of the module's kind or cannot be read.
std::unique_ptr<TextSource> openTextSource(const std::string& path);

}  // namespace vellomar
