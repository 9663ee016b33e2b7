#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>

namespace vellomar {

// What a generated tree holds; written beside it as "manifest.txt", one key=value a line.
using TreeManifest = std::map<std::string, std::string>;

struct TreeSpec {
  uint64_t seed = 1;
  uint64_t files = 1000000;  // folders are a tenth of this
};

// The words the benchmark searches for; the generator plants them at known rates.
inline constexpr const char* kNameWord = "report";
inline constexpr const char* kNamePhrase = "summer holiday";
inline constexpr const char* kDescriptionWord = "lighthouse";

// Writes outDir/tree (the files), outDir/names.txt (one line per file and archive member:
// "YYYY-MM-DD HH:MM:SS size name", local time) and, last, outDir/manifest.txt. outDir/tree
// must not exist. Raises std::runtime_error when a file cannot be made.
TreeManifest generateTree(const TreeSpec& spec, const std::filesystem::path& outDir);

TreeManifest readManifest(const std::filesystem::path& outDir);

}  // namespace vellomar
