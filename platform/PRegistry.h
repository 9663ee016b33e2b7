#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace vellomar {

// The registry the installer records its work in: keys of values under a few roots, kept in one
// text file in the REGEDIT4 format, per user. Key and value names are compared ignoring case;
// values are strings or 32-bit numbers (other kinds found in the file are kept as they stand).

enum class RegistryRoot { kClassesRoot, kCurrentUser, kLocalMachine };

// A registry file that cannot be read or written, or a value it cannot hold.
class RegistryError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// $XDG_CONFIG_HOME/vellomar/registry.reg (~/.config/vellomar/ by default).
std::string registryFilePath();

// One view of the registry file, read when made. A key is opened, its values are read and
// written, and closing it writes the file back when anything changed; changes not followed by
// closeKey are dropped.
class Registry {
 public:
  // Raises RegistryError when the file exists but cannot be read.
  explicit Registry(std::string filePath = registryFilePath());

  RegistryRoot rootKey = RegistryRoot::kCurrentUser;

  // key is absolute ("\Software\...") or relative to the key open now; canCreate makes the
  // missing keys of the path. False when the key does not exist (and is not made) or the path
  // is malformed.
  bool openKey(std::string_view key, bool canCreate);
  // Writes the file when something changed; raises RegistryError when it cannot.
  void closeKey();

  bool valueExists(std::string_view name) const;
  // None when the value is missing or not a string; "" names the key's default value.
  std::optional<std::string> readString(std::string_view name) const;
  std::optional<uint32_t> readInteger(std::string_view name) const;
  // Without an open key these raise RegistryError; so does a string with a line break, which
  // the file cannot hold.
  void writeString(std::string_view name, std::string_view value);
  void writeInteger(std::string_view name, uint32_t value);
  bool deleteValue(std::string_view name);
  // Every value of the open key, its default value too; its subkeys stay.
  void deleteAllValues();

  // The file as it would be written now.
  std::string text() const;

 private:
  struct Value {
    std::string name;  // "" for the default value
    enum class Kind { kString, kInteger, kOther } kind = Kind::kString;
    std::string text;  // a string, or the raw data of another kind
    uint32_t number = 0;
  };
  struct Key {
    std::string path;  // with its root, as written between the brackets
    std::vector<Value> values;
  };

  void parse(std::string_view contents);
  Key* findKey(std::string_view path);
  const Key* findKey(std::string_view path) const;
  Key& addKey(std::string path);
  const Value* findValue(std::string_view name) const;
  Key& currentKey();
  Value& valueToWrite(Key& key, std::string_view name);

  std::string filePath_;
  std::vector<Key> keys_;
  std::optional<size_t> current_;
  bool changed_ = false;
};

}  // namespace vellomar
