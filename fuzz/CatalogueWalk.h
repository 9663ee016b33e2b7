#pragma once

#include <string>

#include "engine/UDBase.h"

namespace vellomar::fuzz {

// Reads every block reachable from the key table of an open database, as browsing it does:
// each disk block's details and folder records, each folder's file list, each description.
// Every structure error is passed over and counted in the handle's damage counter.
void walkCatalogue(TDBase& handle);

// Checks and opens the file, walks it, moves keys about as deleting and renaming do, and closes
// it (which writes the header and key table back). Refusals and damage are expected outcomes;
// any other exception, and any sanitizer report, is a finding.
void exerciseCatalogue(const std::string& path);

}  // namespace vellomar::fuzz
