#pragma once

#include <string>

#include "engine/UApi.h"

namespace vellomar {

// What the scan progress dialog is given to run.
struct ScanRequest {
  TDBase* handle = nullptr;
  char drive = 0;
  std::string diskName;
  std::string volumeLabel;
  std::string scanPath;  // empty: the drive's root
};

}  // namespace vellomar
