#pragma once

#include <string>
#include <vector>

namespace vellomar {

// A shared object loaded at run time; unloaded when the object goes. Stands in for the
// system's load, symbol lookup and free calls.
class SharedLibrary {
 public:
  SharedLibrary() = default;
  ~SharedLibrary();
  SharedLibrary(SharedLibrary&& other) noexcept;
  SharedLibrary& operator=(SharedLibrary&& other) noexcept;
  SharedLibrary(const SharedLibrary&) = delete;
  SharedLibrary& operator=(const SharedLibrary&) = delete;

  // An unloaded library when the file cannot be loaded. A shared object of this machine's kind
  // whose segments lie past the end of its file (a copy cut short) is not handed to the loader,
  // which would map the missing pages and die of SIGBUS touching them: it stays unloaded and
  // counts as broken.
  static SharedLibrary load(const std::string& path);

  bool loaded() const { return handle_ != nullptr; }
  // A library file whose contents are cut or out of bounds: there, but without any entry point.
  bool broken() const { return broken_; }
  // nullptr when the library does not export the name.
  void* symbol(const char* name) const;
  void unload();

 private:
  explicit SharedLibrary(void* handle, bool broken = false) : handle_(handle), broken_(broken) {}
  void* handle_ = nullptr;
  bool broken_ = false;
};

// A library of the program's folder that is bound at its first use and kept until the program
// ends. It counts as bound only when every one of its entry points resolves; a failed attempt
// is never repeated.
class LibraryBinding {
 public:
  // folder empty: the program's folder at the first attempt.
  LibraryBinding(std::string fileName, std::vector<const char*> entryNames,
                 std::string folder = {});

  bool bind();
  // The resolved entry point of entryNames[index]; null unless bound.
  void* entry(size_t index) const;

 private:
  enum class State { NotTried, Absent, Bound };

  std::string fileName_;
  std::vector<const char*> entryNames_;
  std::string folder_;
  State state_ = State::NotTried;
  SharedLibrary library_;
  std::vector<void*> entries_;
};

// Full path of the entry of folder whose name equals name ignoring ASCII case (an exact match
// first); empty when there is none or folder is empty. Library names come from a system whose file
// names ignore case, so "UnAceV2.Dll" must be found as "unacev2.dll" too.
std::string findFileIgnoringCase(const std::string& folder, const std::string& name);

// The folder of the running program, ending with "/"; empty when the system does not tell.
std::string programFolder();
// Makes programFolder() answer folder (a "/" is added when missing); empty restores the real
// one. Tests use it to point the program at their own modules.
void setProgramFolder(const std::string& folder);

}  // namespace vellomar
