#pragma once

#include <string>
#include <string_view>

namespace vellomar::test {

// A private folder under the test's temporary directory, removed with everything in it when the
// object goes away.
class TempFolder {
 public:
  explicit TempFolder(std::string_view prefix = "vellomar");
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::string& path() const { return path_; }
  // Path of name inside the folder.
  std::string at(std::string_view name) const;
  // Writes content to name inside the folder (parents created) and returns its path.
  std::string file(std::string_view name, std::string_view content) const;

 private:
  std::string path_;
};

// Whole content of a file, empty when it cannot be read.
std::string contentOf(const std::string& path);

}  // namespace vellomar::test
