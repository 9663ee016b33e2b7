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

// The program's settings with their defaults (the tree shown), from an INI file of their own
// in a new folder under /tmp; with the application object. Made once in the process.
void makeProgramSettings();
// The engine's open of the database and its load of the current disk's folder tree, every
// folder's record read; answers the folders.
int64_t loadTreeByEngine(const std::string& path);
// A database window opened on the file up to the first paint of its three panels, its tree
// fully expanded when asked ("show always expanded"); answers the folders of its outline.
int64_t openDatabaseWindowPainted(const std::string& path, bool expanded);
// The scanning command "scan folder as disk" of a window on a new empty database, its scan in
// the scan progress window, the disk saved and shown; answers the files catalogued.
int64_t scanFromProgram(const std::string& database, const std::string& folder,
                        const std::string& diskName);
// The rescanning command of a window on the database, on its current disk and from the folder
// it was scanned from, the folder dialog answered with OK; the old version left as a deleted
// disk, the new one shown; answers the files catalogued.
int64_t rescanFromProgram(const std::string& database);
// The current disk exported through the shipped template of that name into output; answers
// the files written.
int64_t exportThroughTemplate(const std::string& database, const std::string& templateName,
                              const std::string& output);
// The engine's export walk of the current disk with callbacks that do nothing; answers the
// files walked.
int64_t exportWalkByEngine(const std::string& database);
// The catalogue print of the whole current disk, pages 1 to pages, into a PDF file; answers
// the pages the counting walk expects for the whole disk.
int64_t printPagesToPdf(const std::string& database, const std::string& pdf, int32_t pages);

}  // namespace vellomar
