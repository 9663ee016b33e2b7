#pragma once

#include <optional>
#include <string>
#include <vector>

namespace vellomar {

// Runs a program found on PATH with the arguments, its output discarded, and waits for it. The
// exit status, or none when the program is not there or did not end normally.
std::optional<int> runProgram(const std::string& program,
                              const std::vector<std::string>& arguments);

}  // namespace vellomar
