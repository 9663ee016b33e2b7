#pragma once

#include <string>
#include <string_view>

namespace vellomar::setup {

// Files of the freedesktop desktop-entry format ("[Desktop Entry]" groups of Key=value lines).
class DesktopEntry {
 public:
  explicit DesktopEntry(std::string_view type);

  // A string value: backslashes and line breaks escaped.
  void set(std::string_view key, std::string_view value);
  // An Exec value: the program and its arguments each quoted, then the field code (such as
  // "%f") unquoted when given.
  void setExec(std::string_view program, std::string_view argument, std::string_view fieldCode);

  const std::string& text() const { return text_; }

 private:
  std::string text_;
};

}  // namespace vellomar::setup
