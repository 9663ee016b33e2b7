#pragma once

#include <cstdint>
#include <string>

namespace vellomar {

class BenchDatabase;

// A folder of n empty-looking files (sparse; some above 2 GiB) with varied names, extensions
// and dates (some from 2044 on), as one folder of a real disk can hold; written once.
void writeFlatFolder(const std::string& dir, int n);

// Makes the first disk current, as the database window does before it lists a folder.
void goToFirstDisk(BenchDatabase& database);
// The engine's own load of the current folder: its list reloaded and every line read.
int64_t loadFolderByEngine(BenchDatabase& database);
// The database window's load of the same folder: its lines filled and sorted by criterion.
int64_t loadFolderIntoFileList(BenchDatabase& database, uint8_t criterion);

// The application object a window needs, made once in the process (before the measured run).
void makeWidgetApplication();
// Shows a database window on no database once: the program's first window (its main window)
// pays for setting up the widgets' shared state, fonts and styles, which a database window
// never does.
void warmUpDatabaseWindow();
// The engine's open and close of the database alone; answers the disks.
int64_t openDatabaseByEngine(const std::string& path);
// A database window opened on the file and filled by its first idle pass, then closed;
// answers the disks.
int64_t openDatabaseWindow(const std::string& path);

}  // namespace vellomar
