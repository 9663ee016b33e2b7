#include "foundation/UExceptions.h"

#include <cstdio>
#include <utility>

namespace vellomar {

std::string DBaseStructMessage(int code) {
  char digits[16];
  std::snprintf(digits, sizeof digits, "%03d", code);
  return std::string(
             "Error in database structure found. Close the database and call Repair from the "
             "File menu.  (") +
         digits + ")";
}

EKstvDBaseStructException::EKstvDBaseStructException(int code)
    : EKstvException(DBaseStructMessage(code)), code_(code) {}

namespace {

void reportOnStderr(std::string_view caption, std::string_view text, MessageBoxIcon) {
  std::fprintf(stderr, "%.*s: %.*s\n", static_cast<int>(caption.size()), caption.data(),
               static_cast<int>(text.size()), text.data());
}

MessageBoxHandler& messageBoxHandler() {
  static MessageBoxHandler handler = reportOnStderr;
  return handler;
}

}  // namespace

void SetMessageBoxHandler(MessageBoxHandler handler) {
  messageBoxHandler() = handler ? std::move(handler) : MessageBoxHandler(reportOnStderr);
}

void ShowErrorBox(std::string_view text) {
  messageBoxHandler()("Error", text, MessageBoxIcon::kExclamation);
}

void ShowCriticalErrorBox(std::string_view text) {
  const std::string full = std::string("Critical error.\n").append(text);
  messageBoxHandler()("Critical error", full, MessageBoxIcon::kError);
}

}  // namespace vellomar
