#pragma once

#include <string>

namespace vellomar {

// What a file is to the dynamic loader, told from its ELF header and program headers alone.
enum class ObjectFileFit {
  kOther,  // not an object of this machine's class and byte order: the loader refuses it itself
  kWhole,  // every program header, and every segment's file range, lies inside the file
  kCut,    // an object of this machine's kind whose headers or segments run past its end
};

// kOther as well for a file that cannot be read.
ObjectFileFit objectFileFit(const std::string& path);

}  // namespace vellomar
