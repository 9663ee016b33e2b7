#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vellomar {

// One member of a generated ZIP archive: stored (method 0), its data made from its name.
struct ZipMemberSpec {
  std::string name;  // with "/" between folders, as ZIP keeps it
  uint32_t size = 0;
  uint32_t dosDateTime = 0;
};

// The bytes of a whole archive: local headers with data, central directory, end record.
std::vector<uint8_t> buildStoredZip(const std::vector<ZipMemberSpec>& members);

}  // namespace vellomar
