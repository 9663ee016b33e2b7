#include "foundation/UIniFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <charconv>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/PAsciiText.h"
#include "platform/PKernelFile.h"
#include "platform/PText.h"

namespace vellomar {

namespace {

constexpr size_t npos = std::string::npos;

// The name of a section head "[name]", or nothing for any other line.
std::optional<std::string_view> sectionName(std::string_view line) {
  const std::string_view t = trim(line, kSpacesAndTabs);
  if (t.size() < 2 || t.front() != '[') return std::nullopt;
  const size_t close = t.find(']');
  if (close == npos) return std::nullopt;
  return trim(t.substr(1, close - 1), kSpacesAndTabs);
}

bool isComment(std::string_view line) {
  const std::string_view t = trim(line, kSpacesAndTabs);
  return !t.empty() && (t.front() == ';' || t.front() == '#');
}

// The key of a "key=value" line, or nothing.
std::optional<std::string_view> keyName(std::string_view line) {
  if (isComment(line)) return std::nullopt;
  const size_t eq = line.find('=');
  if (eq == npos) return std::nullopt;
  return trim(line.substr(0, eq), kSpacesAndTabs);
}

std::string valueOf(std::string_view line) {
  std::string_view v = trim(line.substr(line.find('=') + 1), kSpacesAndTabs);
  if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
    v = v.substr(1, v.size() - 2);
  return std::string(v);
}

std::string& configFolderOverride() {
  static std::string folder;
  return folder;
}

std::string withSlash(std::string folder) {
  if (!folder.empty() && folder.back() != '/') folder.push_back('/');
  return folder;
}

}  // namespace

IniFile IniFile::load(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return IniFile();
  return fromText(std::string(std::istreambuf_iterator<char>(in), {}));
}

IniFile IniFile::fromText(std::string_view raw) {
  IniFile ini;
  std::string text = textAsUtf8(raw);
  if (text.starts_with("\xEF\xBB\xBF")) text.erase(0, 3);
  const size_t firstEnd = text.find('\n');
  if (firstEnd != npos && firstEnd > 0 && text[firstEnd - 1] == '\r') ini.lineEnd_ = "\r\n";
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == npos) end = text.size();
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    ini.lines_.push_back(std::move(line));
    start = end + 1;
  }
  return ini;
}

const std::vector<size_t>* IniFile::heads(std::string_view section) const {
  if (!indexed_) {
    heads_.clear();
    for (size_t i = 0; i < lines_.size(); ++i) {
      ++linesExamined_;
      if (const auto name = sectionName(lines_[i])) heads_[lowerAscii(*name)].push_back(i);
    }
    indexed_ = true;
  }
  const auto found = heads_.find(lowerAscii(section));
  return found != heads_.end() ? &found->second : nullptr;
}

size_t IniFile::findSection(std::string_view section) const {
  const std::vector<size_t>* all = heads(section);
  return all != nullptr ? all->front() : npos;
}

size_t IniFile::findKey(size_t head, std::string_view key) const {
  for (size_t i = head + 1; i < lines_.size() && !sectionName(lines_[i]); ++i) {
    ++linesExamined_;
    const auto name = keyName(lines_[i]);
    if (name && sameAsciiIgnoringCase(*name, key)) return i;
  }
  return npos;
}

bool IniFile::hasSection(std::string_view section) const {
  return findSection(section) != npos;
}

std::optional<std::string> IniFile::value(std::string_view section, std::string_view key) const {
  // A section that appears twice is searched in both, the first occurrence of the key winning.
  if (const std::vector<size_t>* all = heads(section))
    for (const size_t head : *all)
      if (const size_t at = findKey(head, key); at != npos) return valueOf(lines_[at]);
  return std::nullopt;
}

std::string IniFile::readString(std::string_view section, std::string_view key,
                                std::string_view def) const {
  const auto v = value(section, key);
  return v ? *v : std::string(def);
}

int32_t IniFile::readInteger(std::string_view section, std::string_view key, int32_t def) const {
  const auto v = value(section, key);
  if (!v || v->empty()) return def;
  const char* first = v->data();
  const char* last = first + v->size();
  if (*first == '+') ++first;
  int32_t result = 0;
  const auto [end, error] = std::from_chars(first, last, result);
  return error == std::errc() && end == last ? result : def;
}

int32_t IniFile::readInteger(std::string_view section, std::string_view key, int32_t def,
                             int32_t low, int32_t high) const {
  const int32_t v = readInteger(section, key, def);
  return v >= low && v <= high ? v : def;
}

bool IniFile::readBool(std::string_view section, std::string_view key, bool def) const {
  return readInteger(section, key, def ? 1 : 0) != 0;
}

void IniFile::writeString(std::string_view section, std::string_view key, std::string_view v) {
  std::string line = std::string(key) + "=" + std::string(v);
  // The key's place in the first occurrence of its section that holds it.
  const std::vector<size_t>* all = heads(section);
  if (all != nullptr) {
    for (const size_t head : *all) {
      if (const size_t at = findKey(head, key); at != npos) {
        const size_t eq = lines_[at].find('=');
        lines_[at] = lines_[at].substr(0, eq + 1) + std::string(v);
        return;
      }
    }
  }
  // A line comes in: the section heads move.
  indexed_ = false;
  if (all == nullptr) {
    if (!lines_.empty() && !trim(lines_.back(), kSpacesAndTabs).empty()) lines_.emplace_back();
    lines_.push_back("[" + std::string(section) + "]");
    lines_.push_back(std::move(line));
    return;
  }
  // After the last line of the section that is not blank, so blank lines before the next
  // section stay where they were.
  const size_t head = all->front();
  size_t insertAt = head + 1;
  for (size_t i = head + 1; i < lines_.size() && !sectionName(lines_[i]); ++i)
    if (!trim(lines_[i], kSpacesAndTabs).empty()) insertAt = i + 1;
  lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(insertAt), std::move(line));
}

void IniFile::writeInteger(std::string_view section, std::string_view key, int32_t v) {
  writeString(section, key, std::to_string(v));
}

void IniFile::writeBool(std::string_view section, std::string_view key, bool v) {
  writeString(section, key, v ? "1" : "0");
}

std::string IniFile::text() const {
  std::string out;
  for (const std::string& line : lines_) out += line + lineEnd_;
  return out;
}

bool IniFile::save(const std::string& path) const {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) return false;
  out << text();
  out.close();
  return !out.fail();
}

bool mayWriteFile(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) == 0)
    return S_ISREG(st.st_mode) && (st.st_mode & S_IWUSR) != 0 && ::access(path.c_str(), W_OK) == 0;
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  ::close(fd);
  ::unlink(path.c_str());
  return true;
}

std::string chooseConfigFolder(const std::string& programDir, const std::string& configHome,
                               const std::string& home) {
  if (!programDir.empty() && ::access(programDir.c_str(), W_OK) == 0) return withSlash(programDir);
  if (!configHome.empty() && configHome.front() == '/') return withSlash(configHome) + "vellomar/";
  return withSlash(home) + ".config/vellomar/";
}

std::string configFolder() {
  std::string& folder = configFolderOverride();
  if (folder.empty()) {
    const std::string program = kernelProgramPath();
    const std::string dir = std::filesystem::path(program).parent_path().string();
    const char* configHome = std::getenv("XDG_CONFIG_HOME");
    const char* home = std::getenv("HOME");
    folder = chooseConfigFolder(dir, configHome ? configHome : "", home ? home : "");
    std::error_code ignored;
    std::filesystem::create_directories(folder, ignored);
  }
  return folder;
}

void setConfigFolder(std::string folder) {
  configFolderOverride() = withSlash(std::move(folder));
}

std::string configFilePath(std::string_view name) {
  return configFolder() + std::string(name);
}

}  // namespace vellomar
