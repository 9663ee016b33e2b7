#include "ui/dbruns/UFileFilters.h"

#include "platform/PAsciiText.h"

namespace vellomar {

namespace {

std::vector<std::string_view> split(std::string_view text) {
  std::vector<std::string_view> parts;
  while (true) {
    const size_t bar = text.find('|');
    parts.push_back(text.substr(0, bar));
    if (bar == std::string_view::npos) return parts;
    text.remove_prefix(bar + 1);
  }
}

}  // namespace

std::vector<std::string> fileDialogFilters(std::string_view filter) {
  std::vector<std::string> filters;
  const std::vector<std::string_view> parts = split(filter);
  for (size_t i = 0; i + 1 < parts.size(); i += 2) {
    std::string_view description = trim(parts[i], kSpaces);
    if (description.ends_with(')')) {
      const size_t open = description.rfind('(');
      if (open != std::string_view::npos) description = trim(description.substr(0, open), kSpaces);
    }
    std::string patterns;
    for (char c : trim(parts[i + 1], kSpaces)) patterns += c == ';' ? ' ' : c;
    // "*.*" is every file to the program's users, also those without a dot.
    if (patterns == "*.*") patterns.resize(1);
    if (description.empty() && patterns.empty()) continue;
    std::string entry(description);
    entry.append(" (").append(patterns).append(")");
    filters.push_back(std::move(entry));
  }
  return filters;
}

}  // namespace vellomar
