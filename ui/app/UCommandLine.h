#pragma once

#include <functional>
#include <string>
#include <vector>

#include "foundation/UShortString.h"

namespace vellomar {

// What the command line asks for: [database] [/f:text] [/s:letters] [/a].
struct TCommandLine {
  ShortString CmdDatabase;    // full path of the database to open
  ShortString CmdFindText;    // /f: a file search once the database is open
  ShortString CmdScanDrives;  // /s: drive letters to scan into it
  bool CmdAutoMode = false;   // /a: scan without questions, then close the program

  friend bool operator==(const TCommandLine&, const TCommandLine&) = default;
};

// One message box of the parse, shown with the exclamation icon and an OK button.
struct TCommandLineMessage {
  std::string Text;
  std::string Caption;

  friend bool operator==(const TCommandLineMessage&, const TCommandLineMessage&) = default;
};

struct TCommandLineParse {
  bool Ok = true;
  TCommandLine Line;  // all empty when the parse failed
  std::vector<TCommandLineMessage> Messages;
};

inline constexpr const char* kCommandLineErrorCaption = "Error on command line";

// The parameters of the program as bytes, without its name: argv as the application object left
// it, with Qt's own options ("-platform", "-style", ...) taken out.
std::vector<std::string> programParameters(int argc, char** argv);

// Turns a database parameter into a full path; false when it cannot name a file.
using ExpandPath = std::function<bool(const std::string& parameter, ShortString& fullPath)>;

// The parameters without the program's name and without Qt's own options. A parameter is an
// option part when it is "/a", begins with "/f:" or "/s:" (any case), begins with "-", or while a
// "|" quote is open; any other names the database, so an absolute path "/home/me/d.kvd" does too.
// Every error gives its message and makes the parse fail; a failed parse leaves nothing pending.
TCommandLineParse ParseCommandLine(const std::vector<std::string>& parameters,
                                   const ExpandPath& expand);

// The parameter as an absolute, lexically normal path against the current folder; false when
// that does not fit a short string.
bool expandToFullPath(const std::string& parameter, ShortString& fullPath);

}  // namespace vellomar
