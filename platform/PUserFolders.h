#pragma once

#include <string>

namespace vellomar {

// The user's own folders of the freedesktop base-directory rules, each ending with "/". A
// variable that is unset, empty or not an absolute path is ignored, as the rules ask. Empty when
// not even the home folder is known.

// $HOME, else the home folder of the user's account entry.
std::string homeFolder();
// $XDG_CONFIG_HOME, else ~/.config/.
std::string userConfigFolder();
// $XDG_DATA_HOME, else ~/.local/share/.
std::string userDataFolder();

}  // namespace vellomar
