#pragma once

#include <string_view>

namespace vellomar::setup {

enum class MessageButtons { kOk, kRetryCancel, kYesNoCancel };
enum class MessageIcon { kNone, kExclamation, kError };
enum class MessageAnswer { kOk, kCancel, kRetry, kYes, kNo };

// The installer's modal message boxes, behind an interface so the flow runs without a display.
class MessageService {
 public:
  virtual ~MessageService() = default;
  virtual MessageAnswer show(std::string_view caption, std::string_view text,
                             MessageButtons buttons, MessageIcon icon) = 0;
};

}  // namespace vellomar::setup
