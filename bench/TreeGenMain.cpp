// Writes a repeatable catalogue test tree: vellomar_treegen OUTDIR [--seed N] [--files N]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>

#include "bench/TreeGenerator.h"

int main(int argc, char** argv) {
  using namespace vellomar;
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s OUTDIR [--seed N] [--files N]\n", argv[0]);
    return 2;
  }
  TreeSpec spec;
  for (int i = 2; i + 1 < argc; i += 2) {
    const std::string key = argv[i];
    const uint64_t value = std::strtoull(argv[i + 1], nullptr, 10);
    if (key == "--seed") {
      spec.seed = value;
    } else if (key == "--files" && value >= 10) {
      spec.files = value;
    } else {
      std::fprintf(stderr, "unknown or bad option %s\n", key.c_str());
      return 2;
    }
  }
  try {
    const auto start = std::chrono::steady_clock::now();
    const TreeManifest m = generateTree(spec, argv[1]);
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    for (const auto& [key, value] : m) std::printf("%s=%s\n", key.c_str(), value.c_str());
    std::printf("seconds=%.1f\n", took.count());
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return 1;
  }
  return 0;
}
