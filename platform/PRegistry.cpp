#include "platform/PRegistry.h"

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>

#include "platform/PAsciiText.h"
#include "platform/PText.h"
#include "platform/PUserFolders.h"
#include "platform/PWholeFile.h"

namespace vellomar {

namespace {

constexpr std::string_view kHeader = "REGEDIT4";
constexpr std::string_view kDwordPrefix = "dword:";

std::string_view rootName(RegistryRoot root) {
  switch (root) {
    case RegistryRoot::kClassesRoot:
      return "HKEY_CLASSES_ROOT";
    case RegistryRoot::kCurrentUser:
      return "HKEY_CURRENT_USER";
    case RegistryRoot::kLocalMachine:
      return "HKEY_LOCAL_MACHINE";
  }
  return {};
}

bool sameName(std::string_view a, std::string_view b) {
  return a == b || lowerText(a) == lowerText(b);
}

// Blanks around a line's pieces, the CR of a file written on Windows among them.
constexpr std::string_view kLineBlanks = " \t\r";

std::string quoted(std::string_view text) {
  std::string result = "\"";
  for (char c : text) {
    if (c == '\\' || c == '"') result += '\\';
    result += c;
  }
  result += '"';
  return result;
}

// A quoted text at the start of in, its escapes undone; in is left after the closing quote.
std::optional<std::string> unquote(std::string_view& in) {
  if (in.empty() || in.front() != '"') return std::nullopt;
  std::string result;
  for (size_t i = 1; i < in.size(); ++i) {
    if (in[i] == '\\' && i + 1 < in.size()) {
      result += in[++i];
    } else if (in[i] == '"') {
      in.remove_prefix(i + 1);
      return result;
    } else {
      result += in[i];
    }
  }
  return std::nullopt;
}

std::optional<uint32_t> parseDword(std::string_view data) {
  if (!data.starts_with(kDwordPrefix)) return std::nullopt;
  data.remove_prefix(kDwordPrefix.size());
  uint32_t number = 0;
  const auto [end, error] = std::from_chars(data.data(), data.data() + data.size(), number, 16);
  if (error != std::errc() || end != data.data() + data.size() || data.empty() || data.size() > 8) {
    return std::nullopt;
  }
  return number;
}

void checkWritable(std::string_view text) {
  if (text.find_first_of("\r\n") != std::string_view::npos) {
    throw RegistryError("A registry value cannot hold a line break.");
  }
}

}  // namespace

std::string registryFilePath() {
  const std::string folder = userConfigFolder();
  return folder.empty() ? std::string() : folder + "vellomar/registry.reg";
}

Registry::Registry(std::string filePath) : filePath_(std::move(filePath)) {
  const std::optional<std::string> contents = readFileContents(filePath_);
  if (contents) {
    parse(*contents);
  } else if (errno != ENOENT && errno != ENOTDIR) {
    throw RegistryError("Cannot read the registry file " + filePath_ + ": " + std::strerror(errno));
  }
}

void Registry::parse(std::string_view contents) {
  Key* key = nullptr;
  std::string line;
  size_t start = 0;
  while (start < contents.size()) {
    size_t end = contents.find('\n', start);
    if (end == std::string_view::npos) end = contents.size();
    std::string_view piece = trim(contents.substr(start, end - start), kLineBlanks);
    start = end + 1;
    line += piece;
    // Data of other kinds may go on over the next lines after a trailing backslash.
    if (!line.empty() && line.back() == '\\' && line.front() != '[' &&
        line.find("=\"") == std::string::npos) {
      line.pop_back();
      continue;
    }
    const std::string_view text = line;
    if (text.starts_with("[") && text.ends_with("]")) {
      const std::string_view path = text.substr(1, text.size() - 2);
      // A deletion entry ("[-...]") names nothing to keep.
      key = nullptr;
      if (!path.empty() && !path.starts_with("-")) {
        key = findKey(path);
        if (key == nullptr) key = &addKey(std::string(path));
      }
    } else if (key != nullptr && !text.empty() && text.front() != ';') {
      std::string_view rest = text;
      std::optional<std::string> name;
      if (rest.starts_with("@")) {
        name = "";
        rest.remove_prefix(1);
      } else {
        name = unquote(rest);
      }
      if (name && rest.starts_with("=")) {
        rest.remove_prefix(1);
        Value value;
        value.name = *name;
        std::string_view data = rest;
        if (std::optional<std::string> string = unquote(data); string && data.empty()) {
          value.text = *string;
        } else if (std::optional<uint32_t> number = parseDword(rest)) {
          value.kind = Value::Kind::kInteger;
          value.number = *number;
        } else {
          value.kind = Value::Kind::kOther;
          value.text = rest;
        }
        // A later line for the same name wins, as an import of the file would have it.
        valueToWrite(*key, value.name) = value;
      }
    }
    line.clear();
  }
  changed_ = false;
}

Registry::Key* Registry::findKey(std::string_view path) {
  for (Key& key : keys_) {
    if (sameName(key.path, path)) return &key;
  }
  return nullptr;
}

const Registry::Key* Registry::findKey(std::string_view path) const {
  return const_cast<Registry*>(this)->findKey(path);
}

Registry::Key& Registry::addKey(std::string path) {
  keys_.push_back(Key{std::move(path), {}});
  changed_ = true;
  return keys_.back();
}

bool Registry::openKey(std::string_view key, bool canCreate) {
  std::string path;
  if (!key.starts_with("\\") && current_) {
    path = keys_[*current_].path;
  } else {
    path = rootName(rootKey);
  }
  if (key.starts_with("\\")) key.remove_prefix(1);
  if (key.ends_with("\\")) key.remove_suffix(1);
  if (key.empty() || key.find("\\\\") != std::string_view::npos) return false;
  const size_t chainStart = path.size();
  path += '\\';
  path += key;
  if (findKey(path) == nullptr) {
    if (!canCreate) return false;
    // Each missing key of the chain is made, so the file lists every parent as well.
    for (size_t slash = path.find('\\', chainStart + 1); slash != std::string::npos;
         slash = path.find('\\', slash + 1)) {
      if (findKey(std::string_view(path).substr(0, slash)) == nullptr)
        addKey(path.substr(0, slash));
    }
    addKey(path);
  }
  current_ = static_cast<size_t>(findKey(path) - keys_.data());
  return true;
}

void Registry::closeKey() {
  current_.reset();
  if (!changed_) return;
  if (filePath_.empty() || !replaceWholeFile(filePath_, text())) {
    const std::string reason = filePath_.empty() ? "no home folder" : std::strerror(errno);
    throw RegistryError("Cannot write the registry file " + filePath_ + ": " + reason);
  }
  changed_ = false;
}

const Registry::Value* Registry::findValue(std::string_view name) const {
  if (!current_) return nullptr;
  for (const Value& value : keys_[*current_].values) {
    if (sameName(value.name, name)) return &value;
  }
  return nullptr;
}

Registry::Key& Registry::currentKey() {
  if (!current_) throw RegistryError("No registry key is open.");
  return keys_[*current_];
}

Registry::Value& Registry::valueToWrite(Key& key, std::string_view name) {
  changed_ = true;
  for (Value& value : key.values) {
    if (sameName(value.name, name)) return value;
  }
  Value& value = key.values.emplace_back();
  value.name = name;
  return value;
}

bool Registry::valueExists(std::string_view name) const {
  return findValue(name) != nullptr;
}

std::optional<std::string> Registry::readString(std::string_view name) const {
  const Value* value = findValue(name);
  if (value == nullptr || value->kind != Value::Kind::kString) return std::nullopt;
  return value->text;
}

std::optional<uint32_t> Registry::readInteger(std::string_view name) const {
  const Value* value = findValue(name);
  if (value == nullptr || value->kind != Value::Kind::kInteger) return std::nullopt;
  return value->number;
}

void Registry::writeString(std::string_view name, std::string_view text) {
  checkWritable(name);
  checkWritable(text);
  Value& value = valueToWrite(currentKey(), name);
  value.kind = Value::Kind::kString;
  value.text = text;
}

void Registry::writeInteger(std::string_view name, uint32_t number) {
  checkWritable(name);
  Value& value = valueToWrite(currentKey(), name);
  value.kind = Value::Kind::kInteger;
  value.text.clear();
  value.number = number;
}

bool Registry::deleteValue(std::string_view name) {
  if (!current_) return false;
  std::vector<Value>& values = keys_[*current_].values;
  for (auto it = values.begin(); it != values.end(); ++it) {
    if (sameName(it->name, name)) {
      values.erase(it);
      changed_ = true;
      return true;
    }
  }
  return false;
}

void Registry::deleteAllValues() {
  if (!current_ || keys_[*current_].values.empty()) return;
  keys_[*current_].values.clear();
  changed_ = true;
}

std::string Registry::text() const {
  std::string out(kHeader);
  out += "\n\n";
  for (const Key& key : keys_) {
    out += '[' + key.path + "]\n";
    for (const Value& value : key.values) {
      out += value.name.empty() ? std::string("@") : quoted(value.name);
      out += '=';
      switch (value.kind) {
        case Value::Kind::kString:
          out += quoted(value.text);
          break;
        case Value::Kind::kInteger: {
          char digits[9];
          std::snprintf(digits, sizeof digits, "%08x", value.number);
          out += std::string(kDwordPrefix) + digits;
          break;
        }
        case Value::Kind::kOther:
          out += value.text;
          break;
      }
      out += '\n';
    }
    out += '\n';
  }
  return out;
}

}  // namespace vellomar
