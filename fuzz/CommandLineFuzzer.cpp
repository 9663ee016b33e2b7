// Command lines as the shell hands them over: the parameters are the input split at its zero
// bytes. Whatever they hold, the parse ends with fields that fit and nothing pending on failure.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "ui/app/UCommandLine.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace vellomar;
  std::vector<std::string> parameters(1);
  for (size_t i = 0; i < size; ++i) {
    if (data[i] == 0) {
      parameters.emplace_back();
    } else {
      parameters.back() += static_cast<char>(data[i]);
    }
  }
  const TCommandLineParse parse = ParseCommandLine(parameters, expandToFullPath);
  if (!parse.Ok && (parse.Messages.empty() || !(parse.Line == TCommandLine{}))) std::abort();
  if (!parse.Line.CmdScanDrives.empty() && !parse.Line.CmdFindText.empty()) std::abort();
  return 0;
}
