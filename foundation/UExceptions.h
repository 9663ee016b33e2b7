#pragma once

#include <stdexcept>
#include <string>

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

}  // namespace vellomar
