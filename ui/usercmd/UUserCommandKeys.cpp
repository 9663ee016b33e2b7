#include "ui/usercmd/UUserCommandKeys.h"

#include <set>

namespace vellomar {
namespace {

constexpr uint16_t kVkF1 = 0x70;
constexpr uint16_t kVkF12 = 0x7B;

bool matches(const TUserCommand& command, Qt::KeyboardModifiers held) {
  return (command.bShift == 0 || held.testFlag(Qt::ShiftModifier)) &&
         (command.bControl == 0 || held.testFlag(Qt::ControlModifier)) &&
         (command.bAlt == 0 || held.testFlag(Qt::AltModifier));
}

}  // namespace

Qt::Key UserCommandQtKey(uint16_t virtualKey) {
  // Letters and digits have the same codes in both.
  if ((virtualKey >= 'A' && virtualKey <= 'Z') || (virtualKey >= '0' && virtualKey <= '9'))
    return static_cast<Qt::Key>(virtualKey);
  if (virtualKey >= kVkF1 && virtualKey <= kVkF12)
    return static_cast<Qt::Key>(Qt::Key_F1 + (virtualKey - kVkF1));
  return Qt::Key_unknown;
}

std::vector<UserCommandBinding> UserCommandBindings(
    const std::vector<std::unique_ptr<TUserCommand>>& commands) {
  std::set<Qt::Key> keys;
  for (const auto& command : commands) keys.insert(UserCommandQtKey(command->wKey));
  keys.erase(Qt::Key_unknown);
  std::vector<UserCommandBinding> bindings;
  for (const Qt::Key key : keys) {
    for (int held = 0; held < 8; ++held) {
      Qt::KeyboardModifiers modifiers;
      modifiers.setFlag(Qt::ShiftModifier, (held & 1) != 0);
      modifiers.setFlag(Qt::ControlModifier, (held & 2) != 0);
      modifiers.setFlag(Qt::AltModifier, (held & 4) != 0);
      UserCommandBinding binding{QKeyCombination(modifiers, key), {}};
      for (const auto& command : commands) {
        if (UserCommandQtKey(command->wKey) == key && matches(*command, modifiers))
          binding.commands.push_back(command.get());
      }
      if (!binding.commands.empty()) bindings.push_back(std::move(binding));
    }
  }
  return bindings;
}

}  // namespace vellomar
