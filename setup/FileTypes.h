#pragma once

#include <string>

namespace vellomar::setup {

// Associates the database, export-template and filter-module file types with the program
// installed in target (ending with "/"): their registry keys, and the same types told to the
// desktop (a shared MIME-info package and a desktop entry that opens databases in the program),
// whose caches are then brought up to date when the desktop's tools for it are there. Raises
// RegistryError or EKstvFatalException when a file cannot be written.
void RegisterFileTypes(const std::string& target);

// $XDG_DATA_HOME/mime/packages/vellomar.xml and $XDG_DATA_HOME/applications/vellomar.desktop.
std::string mimePackageFile();
std::string typesDesktopFile();

}  // namespace vellomar::setup
