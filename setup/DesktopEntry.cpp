#include "setup/DesktopEntry.h"

namespace vellomar::setup {

namespace {

std::string escapedValue(std::string_view value) {
  std::string out;
  for (char c : value) {
    switch (c) {
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        out += c;
    }
  }
  return out;
}

// Inside the quotes of an Exec argument the quote, backquote, dollar and backslash are escaped;
// a percent sign is doubled so it is not taken for a field code.
std::string quotedArgument(std::string_view text) {
  std::string out = "\"";
  for (char c : text) {
    if (c == '"' || c == '`' || c == '$' || c == '\\') out += '\\';
    if (c == '%') out += '%';
    out += c;
  }
  out += '"';
  return out;
}

}  // namespace

DesktopEntry::DesktopEntry(std::string_view type) : text_("[Desktop Entry]\n") {
  set("Type", type);
}

void DesktopEntry::set(std::string_view key, std::string_view value) {
  text_.append(key).append("=").append(escapedValue(value)).append("\n");
}

void DesktopEntry::setExec(std::string_view program, std::string_view argument,
                           std::string_view fieldCode) {
  std::string command = quotedArgument(program);
  if (!argument.empty()) command += " " + quotedArgument(argument);
  if (!fieldCode.empty()) command.append(" ").append(fieldCode);
  set("Exec", command);
}

}  // namespace vellomar::setup
