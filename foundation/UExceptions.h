#pragma once

#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace vellomar {

// The one exception family of the engine, the user interface and the installer.
// Every class carries only its message text.
class EKstvException : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Internal errors, failed writes, collection index errors.
class EKstvFatalException : public EKstvException {
 public:
  using EKstvException::EKstvException;
};

// Expected failures reported to the user.
class EKstvNormalException : public EKstvException {
 public:
  using EKstvException::EKstvException;
};

// Damage found in a database file; the code (1..12) names the place of detection.
class EKstvDBaseStructException : public EKstvException {
 public:
  explicit EKstvDBaseStructException(int code);
  int code() const { return code_; }

 private:
  int code_;
};

// "Error in database structure found. ...  (001)" for code 1.
std::string DBaseStructMessage(int code);

enum class MessageBoxIcon { kExclamation, kError };

// Shows one modal box with an OK button. The user interface installs its own; the engine, the
// tests and a program without a window have none installed and report on stderr, so a failure
// is never lost without a trace.
using MessageBoxHandler =
    std::function<void(std::string_view caption, std::string_view text, MessageBoxIcon icon)>;

// An empty handler puts back the stderr report.
void SetMessageBoxHandler(MessageBoxHandler handler);

// Caption "Error", the text as given, exclamation icon.
void ShowErrorBox(std::string_view text);
// Caption "Critical error", the text after the line "Critical error.", error icon.
void ShowCriticalErrorBox(std::string_view text);

}  // namespace vellomar
