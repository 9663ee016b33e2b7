#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace vellomar {

// The one reader and writer of the program's INI files (the program's own, "Settings.ini",
// "UserCmd.ini"), in the Windows profile format: sections and keys compared ignoring ASCII
// case, the first occurrence wins, values trimmed of blanks and tabs and of one pair of
// matching quotes. A write changes the value in place and keeps every other line, comment and
// unknown key as it was; a new key goes after the last key of its section, a new section at the
// end. Lines end in CRLF or LF (a rewrite keeps the file's own); a file that is not valid UTF-8
// is read as CP1252.
class IniFile {
 public:
  IniFile() = default;
  // A missing or unreadable file reads as an empty one.
  static IniFile load(const std::string& path);
  static IniFile fromText(std::string_view text);

  bool hasSection(std::string_view section) const;
  // Nothing when the section or the key is missing.
  std::optional<std::string> value(std::string_view section, std::string_view key) const;
  std::string readString(std::string_view section, std::string_view key,
                         std::string_view def) const;
  // def when the key is missing or its value is not a whole decimal number in range.
  int32_t readInteger(std::string_view section, std::string_view key, int32_t def) const;
  // def also when the number lies outside low..high.
  int32_t readInteger(std::string_view section, std::string_view key, int32_t def, int32_t low,
                      int32_t high) const;
  // An integer, non-zero being true; def as for readInteger.
  bool readBool(std::string_view section, std::string_view key, bool def) const;

  void writeString(std::string_view section, std::string_view key, std::string_view value);
  void writeInteger(std::string_view section, std::string_view key, int32_t value);
  void writeBool(std::string_view section, std::string_view key, bool value);

  // Lines looked at by the reads so far, the index of the sections included: a reader's cost.
  size_t linesExamined() const { return linesExamined_; }

  // The file's text, UTF-8, with the line ends it was read with (LF for a new file).
  std::string text() const;
  // Replaces the file's content; false when it cannot be written.
  bool save(const std::string& path) const;

 private:
  // Index of the first head of the section, or npos.
  size_t findSection(std::string_view section) const;
  // Index of the first line of the section's first occurrence that holds the key, or npos.
  size_t findKey(size_t head, std::string_view key) const;

  // The section heads by lower-case name, in file order; built by the first read after a change,
  // so that reading a file of many sections costs one pass over it, not one per look-up.
  const std::vector<size_t>* heads(std::string_view section) const;

  std::vector<std::string> lines_;
  std::string lineEnd_ = "\n";
  mutable std::unordered_map<std::string, std::vector<size_t>> heads_;
  mutable bool indexed_ = false;
  mutable size_t linesExamined_ = 0;
};

// Whether the file at path may be written: it exists and its owner may write it (the read-only
// attribute), or it does not exist and a file of that name can be created (and is removed at once).
bool mayWriteFile(const std::string& path);

// The folder of the program's INI files, ending with "/": the program's own folder when it may
// be written, else $XDG_CONFIG_HOME/vellomar/ (~/.config/vellomar/ by default), made on demand.
std::string configFolder();
// Replaces the folder for the rest of the run (tests point it at a folder of their own).
void setConfigFolder(std::string folder);
// configFolder() + name.
std::string configFilePath(std::string_view name);
// The choice of configFolder() from its parts; configHome empty means $HOME/.config.
std::string chooseConfigFolder(const std::string& programDir, const std::string& configHome,
                               const std::string& home);

}  // namespace vellomar
