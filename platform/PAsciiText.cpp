#include "platform/PAsciiText.h"

#include <algorithm>

namespace vellomar {

std::string_view trimStart(std::string_view text, std::string_view blanks) {
  const size_t first = text.find_first_not_of(blanks);
  return first == std::string_view::npos ? std::string_view() : text.substr(first);
}

std::string_view trimEnd(std::string_view text, std::string_view blanks) {
  const size_t last = text.find_last_not_of(blanks);
  return last == std::string_view::npos ? std::string_view() : text.substr(0, last + 1);
}

std::string lowerAscii(std::string_view text) {
  std::string out(text);
  std::transform(out.begin(), out.end(), out.begin(), [](char c) { return lowerAscii(c); });
  return out;
}

std::string upperAscii(std::string_view text) {
  std::string out(text);
  std::transform(out.begin(), out.end(), out.begin(), [](char c) { return upperAscii(c); });
  return out;
}

bool sameAsciiIgnoringCase(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                    [](char x, char y) { return lowerAscii(x) == lowerAscii(y); });
}

}  // namespace vellomar
