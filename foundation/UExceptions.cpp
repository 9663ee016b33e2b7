#include "foundation/UExceptions.h"

#include <cstdio>

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

}  // namespace vellomar
