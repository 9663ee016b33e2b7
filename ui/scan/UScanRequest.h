#pragma once

#include <string>

#include "ui/common/UCatalogueGateway.h"

namespace vellomar {

// What the scan progress dialog is given to run.
struct ScanRequest {
  CatalogueGateway* catalogue = nullptr;
  char drive = 0;
  std::string diskName;
  std::string volumeLabel;
  std::string scanPath;  // empty: the drive's root
};

}  // namespace vellomar
