#pragma once

#include <string>
#include <vector>

#include "platform/PText.h"

namespace vellomar::test {

// Stored member names that every reader must take by the same rule, at most 12 bytes each (what
// an ARC header or a DOS BACKUP file record holds): climbing, rooted and drive names, empty,
// "." and ".." parts, a zero inside, an OEM byte, and names of folders or of nothing.
inline const std::vector<std::string>& storedMemberNames() {
  static const std::vector<std::string> names = {
      "../up.txt",    "/abs.txt",
      "\\bs.txt",     "C:\\d\\e.txt",
      "a/./b//c.txt", std::string("nul\0x.txt", 9),
      "\x8E.txt",     ".",
      "..",           "/",
      "\\",           "d/..",
  };
  return names;
}

// What they list as, path|name in list order; a name of a folder or of nothing lists nothing.
inline std::vector<std::string> listedMemberNames() {
  return {"\\|abs.txt",     "\\|bs.txt",  "\\|nul", "\\|up.txt", "\\|" + oemToText("\x8E") + ".txt",
          "\\a\\b\\|c.txt", "\\d\\|e.txt"};
}

// The path|name part of listing lines.
inline std::vector<std::string> pathsAndNames(const std::vector<std::string>& lines) {
  std::vector<std::string> kept;
  for (const std::string& line : lines) {
    kept.push_back(line.substr(0, line.find('|', line.find('|') + 1)));
  }
  return kept;
}

}  // namespace vellomar::test
