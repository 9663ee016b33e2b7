#include "ui/scan/UScanNames.h"

#include <vector>

#include "foundation/UBaseUtils.h"
#include "foundation/UShortString.h"

namespace vellomar {
namespace {

std::vector<std::string_view> characters(std::string_view text) {
  std::vector<std::string_view> chars;
  while (!text.empty()) {
    size_t length = 0;
    for (size_t n = 1; length == 0 && n <= text.size(); ++n) length = utf8CutLength(text, n);
    chars.push_back(text.substr(0, length));
    text.remove_prefix(length);
  }
  return chars;
}

std::string joined(const std::vector<std::string_view>& chars, size_t from, size_t to) {
  std::string text;
  for (size_t i = from; i < to; ++i) text += chars[i];
  return text;
}

void replaceFirst(std::string& text, std::string_view upper, std::string_view lower,
                  std::string_view by) {
  size_t at = text.find(upper);
  if (at == std::string::npos) at = text.find(lower);
  if (at != std::string::npos) text.replace(at, upper.size(), by);
}

bool isDriveLetter(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

}  // namespace

size_t CharacterCount(std::string_view text) {
  return characters(text).size();
}

std::string GeneratedDiskName(std::string_view nameTemplate, int32_t counter,
                              std::string_view proposedName) {
  std::string name(nameTemplate);
  if (name.empty()) return name;
  replaceFirst(name, "#N", "#n", std::to_string(static_cast<int64_t>(counter) + 1));
  replaceFirst(name, "#D", "#d", proposedName);
  return name;
}

std::optional<std::string> NameFromFolder(std::string_view folder, std::string_view driveLabel) {
  if (folder.empty() || !isDriveLetter(folder.front())) return std::nullopt;
  const std::string_view rest = folder.substr(std::min<size_t>(2, folder.size()));
  // A drive without a label gives the path alone, not a name that begins with ": ".
  const std::string label = LabelAsName(driveLabel);
  std::string name = label.empty() ? std::string(rest) : label + ": " + std::string(rest);
  const std::vector<std::string_view> chars = characters(name);
  if (chars.size() > 35) {
    name = joined(chars, 0, 16) + "..." + joined(chars, chars.size() - 19, chars.size());
  }
  for (char& c : name) {
    if (c == '\\') c = '/';
  }
  return name;
}

std::string ScanFolderText(std::string_view folder) {
  if (folder.size() > 3 && folder.back() == '\\') folder.remove_suffix(1);
  return std::string(folder);
}

std::string ScanFolderRefusal(const std::string& folder, const std::string& shown) {
  if (folder.size() < 3 || folder[1] != ':' || folder[2] != '\\' || !isDriveLetter(folder[0])) {
    return "Invalid folder. Enter full path, including the disk letter.";
  }
  const PathKind kind = SystemPathKind(folder);
  if (kind == PathKind::kFolder) return {};
  if (kind == PathKind::kMissing) return "Folder does not exist: " + shown;
  return shown + " is " + std::string(PathKindName(kind)) + ", not a folder.";
}

}  // namespace vellomar
