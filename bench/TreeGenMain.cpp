// Writes a repeatable catalogue test tree: vellomar_treegen OUTDIR [--seed N] [--files N]
#include <charconv>
#include <chrono>
#include <cstdio>
#include <exception>
#include <optional>
#include <string>
#include <string_view>

#include "bench/TreeGenerator.h"

namespace vellomar {
namespace {

constexpr const char* kUsage =
    "usage: %s OUTDIR [--seed N] [--files N]\n"
    "Writes a repeatable test tree to OUTDIR/tree, its file names to OUTDIR/names.txt and, last,\n"
    "OUTDIR/manifest.txt; OUTDIR/tree must not exist.\n"
    "  --seed N   seed of the generator (default 1)\n"
    "  --files N  number of files, at least 10; folders are a tenth of it (default 1000000)\n";

struct TreeGenOptions {
  std::string outDir;
  TreeSpec spec;
};

std::optional<uint64_t> parseCount(std::string_view text) {
  uint64_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

// Fills options from the command line; on a fault names it on stderr and answers false. Every
// word that starts with '-' is an option, so a mistyped one never becomes the output folder.
bool parseOptions(int argc, char** argv, TreeGenOptions& options) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg.empty() || arg[0] != '-') {
      if (!options.outDir.empty()) {
        std::fprintf(stderr, "more than one output folder: %s\n", argv[i]);
        return false;
      }
      options.outDir = arg;
      continue;
    }
    if (arg != "--seed" && arg != "--files") {
      std::fprintf(stderr, "unknown option %s\n", argv[i]);
      return false;
    }
    if (i + 1 == argc) {
      std::fprintf(stderr, "option %s needs a value\n", argv[i]);
      return false;
    }
    const std::optional<uint64_t> value = parseCount(argv[++i]);
    if (!value || (arg == "--files" && *value < 10)) {
      std::fprintf(stderr, "bad value for %s: %s\n", argv[i - 1], argv[i]);
      return false;
    }
    (arg == "--seed" ? options.spec.seed : options.spec.files) = *value;
  }
  if (options.outDir.empty()) {
    std::fprintf(stderr, "no output folder given\n");
    return false;
  }
  return true;
}

}  // namespace
}  // namespace vellomar

int main(int argc, char** argv) {
  using namespace vellomar;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      std::printf(kUsage, argv[0]);
      return 0;
    }
  }
  TreeGenOptions options;
  if (!parseOptions(argc, argv, options)) {
    std::fprintf(stderr, kUsage, argv[0]);
    return 2;
  }
  try {
    const auto start = std::chrono::steady_clock::now();
    const TreeManifest m = generateTree(options.spec, options.outDir);
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    for (const auto& [key, value] : m) std::printf("%s=%s\n", key.c_str(), value.c_str());
    std::printf("seconds=%.1f\n", took.count());
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return 1;
  }
  return 0;
}
