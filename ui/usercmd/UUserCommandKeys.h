#pragma once

#include <QKeyCombination>
#include <memory>
#include <vector>

#include "ui/settings/USettingsGlobals.h"

namespace vellomar {

// The key of a command of "UserCmd.ini" ('A'..'Z', '0'..'9', F1..F12); Key_unknown for any other.
Qt::Key UserCommandQtKey(uint16_t virtualKey);

// One key with modifiers and the commands it runs, in the order of the file.
struct UserCommandBinding {
  QKeyCombination key;
  std::vector<const TUserCommand*> commands;
};

// Every key combination some command answers: a modifier a command does not ask for is not
// tested, so a command without modifiers runs with any held, and every command whose key and
// modifiers match runs.
std::vector<UserCommandBinding> UserCommandBindings(
    const std::vector<std::unique_ptr<TUserCommand>>& commands);

}  // namespace vellomar
