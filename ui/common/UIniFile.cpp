#include "ui/common/UIniFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <charconv>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/PKernelFile.h"

namespace vellomar {

namespace {

constexpr size_t npos = std::string::npos;

// Characters 0x80..0x9F of CP1252; 0 where the code page leaves a hole (read as U+FFFD).
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

void appendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out.push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (c >> 6)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xE0 | (c >> 12)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

bool isValidUtf8(std::string_view text) {
  size_t i = 0;
  while (i < text.size()) {
    const auto b = static_cast<unsigned char>(text[i]);
    size_t extra;
    char32_t c;
    if (b < 0x80) {
      ++i;
      continue;
    } else if (b >= 0xC2 && b <= 0xDF) {
      extra = 1;
      c = b & 0x1F;
    } else if (b >= 0xE0 && b <= 0xEF) {
      extra = 2;
      c = b & 0x0F;
    } else if (b >= 0xF0 && b <= 0xF4) {
      extra = 3;
      c = b & 0x07;
    } else {
      return false;
    }
    if (i + extra >= text.size()) return false;
    for (size_t k = 1; k <= extra; ++k) {
      const auto t = static_cast<unsigned char>(text[i + k]);
      if ((t & 0xC0) != 0x80) return false;
      c = (c << 6) | (t & 0x3F);
    }
    if ((extra == 2 && (c < 0x800 || (c >= 0xD800 && c <= 0xDFFF))) ||
        (extra == 3 && (c < 0x10000 || c > 0x10FFFF)))
      return false;
    i += extra + 1;
  }
  return true;
}

std::string cp1252ToUtf8(std::string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 2);
  for (char ch : text) {
    const auto b = static_cast<unsigned char>(ch);
    if (b < 0x80) {
      out.push_back(ch);
    } else if (b < 0xA0) {
      const char16_t c = kCp1252High[b - 0x80];
      appendUtf8(out, c != 0 ? c : 0xFFFD);
    } else {
      appendUtf8(out, b);
    }
  }
  return out;
}

char lowerAscii(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool sameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (lowerAscii(a[i]) != lowerAscii(b[i])) return false;
  return true;
}

std::string_view trimmed(std::string_view s) {
  const size_t first = s.find_first_not_of(" \t");
  if (first == npos) return {};
  const size_t last = s.find_last_not_of(" \t");
  return s.substr(first, last - first + 1);
}

// The name of a section head "[name]", or nothing for any other line.
std::optional<std::string_view> sectionName(std::string_view line) {
  const std::string_view t = trimmed(line);
  if (t.size() < 2 || t.front() != '[') return std::nullopt;
  const size_t close = t.find(']');
  if (close == npos) return std::nullopt;
  return trimmed(t.substr(1, close - 1));
}

bool isComment(std::string_view line) {
  const std::string_view t = trimmed(line);
  return !t.empty() && (t.front() == ';' || t.front() == '#');
}

// The key of a "key=value" line, or nothing.
std::optional<std::string_view> keyName(std::string_view line) {
  if (isComment(line)) return std::nullopt;
  const size_t eq = line.find('=');
  if (eq == npos) return std::nullopt;
  return trimmed(line.substr(0, eq));
}

std::string valueOf(std::string_view line) {
  std::string_view v = trimmed(line.substr(line.find('=') + 1));
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
  std::string text = isValidUtf8(raw) ? std::string(raw) : cp1252ToUtf8(raw);
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

size_t IniFile::findSection(std::string_view section) const {
  for (size_t i = 0; i < lines_.size(); ++i) {
    const auto name = sectionName(lines_[i]);
    if (name && sameName(*name, section)) return i;
  }
  return npos;
}

size_t IniFile::findKey(size_t head, std::string_view key) const {
  for (size_t i = head + 1; i < lines_.size() && !sectionName(lines_[i]); ++i) {
    const auto name = keyName(lines_[i]);
    if (name && sameName(*name, key)) return i;
  }
  return npos;
}

bool IniFile::hasSection(std::string_view section) const {
  return findSection(section) != npos;
}

std::optional<std::string> IniFile::value(std::string_view section, std::string_view key) const {
  // A section that appears twice is searched in both, the first occurrence of the key winning.
  for (size_t i = 0; i < lines_.size(); ++i) {
    const auto name = sectionName(lines_[i]);
    if (!name || !sameName(*name, section)) continue;
    const size_t at = findKey(i, key);
    if (at != npos) return valueOf(lines_[at]);
  }
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

bool IniFile::readBool(std::string_view section, std::string_view key, bool def) const {
  return readInteger(section, key, def ? 1 : 0) != 0;
}

void IniFile::writeString(std::string_view section, std::string_view key, std::string_view v) {
  std::string line = std::string(key) + "=" + std::string(v);
  // The key's place in the first occurrence of its section that holds it.
  for (size_t i = 0; i < lines_.size(); ++i) {
    const auto name = sectionName(lines_[i]);
    if (!name || !sameName(*name, section)) continue;
    const size_t at = findKey(i, key);
    if (at != npos) {
      const size_t eq = lines_[at].find('=');
      lines_[at] = lines_[at].substr(0, eq + 1) + std::string(v);
      return;
    }
  }
  const size_t head = findSection(section);
  if (head == npos) {
    if (!lines_.empty() && !trimmed(lines_.back()).empty()) lines_.emplace_back();
    lines_.push_back("[" + std::string(section) + "]");
    lines_.push_back(std::move(line));
    return;
  }
  // After the last line of the section that is not blank, so blank lines before the next
  // section stay where they were.
  size_t insertAt = head + 1;
  for (size_t i = head + 1; i < lines_.size() && !sectionName(lines_[i]); ++i)
    if (!trimmed(lines_[i]).empty()) insertAt = i + 1;
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
