#pragma once

#include <array>
#include <string>
#include <string_view>

namespace vellomar::setup {

// The program group of the installation, as a submenu of the desktop's applications menu: a
// merged menu file and its directory entry under the user's folders, and one desktop entry per
// item beside the user's other applications.

constexpr std::string_view kGroupName = "Vellomar 5";
// The program's icon in the desktop's icon theme, as its desktop entries name it.
constexpr std::string_view kIconName = "vellomar";

struct ProgmanItem {
  std::string_view name;       // shown in the menu
  std::string_view file;       // the installed file it starts or opens
  std::string_view entryName;  // its desktop entry, in the programs folder
  std::string_view failure;    // the message when it cannot be made
  bool document;               // opened by the desktop's viewer rather than run
};

// In menu order: the program, its help, the uninstaller.
extern const std::array<ProgmanItem, 3> kProgmanItems;

// Where the items' desktop entries live: $XDG_DATA_HOME/applications, without a trailing "/".
std::string programsFolder();
// The merged menu file that makes the group.
std::string groupMenuFile();

// Makes or replaces the group and its three items for the program installed in target (ending
// with "/"). Raises EKstvNormalException with the message of the step that failed.
void CreateProgmanGroup(const std::string& target);

}  // namespace vellomar::setup
