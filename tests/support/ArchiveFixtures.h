#pragma once

#include <string>

namespace vellomar::test {

// An archive made by another tool, stored once under tests/fixtures/archives/ for every test
// program; each program names that folder in VELLOMAR_FIXTURES.
inline std::string archiveFixture(const std::string& name) {
  return std::string(VELLOMAR_FIXTURES) + "/archives/" + name;
}

}  // namespace vellomar::test
