#pragma once

#include <cstdint>
#include <string>

#include "foundation/UIniFile.h"

namespace vellomar {

// The side files beside the program's INI file and the private temporary folder.
inline constexpr const char* kSettingsIniName = "Settings.ini";
inline constexpr const char* kUserCmdIniName = "UserCmd.ini";

// The virtual-key code of a "UserCmd.ini" key text ("a" is 'A', "f10" is F10); 0 for anything
// else.
uint16_t userCommandKey(const std::string& text);

// Fills UserCommandList from "UserCmd.ini" ([cmd1], [cmd2], ...; gaps allowed below cmd20);
// [settings] tempdir replaces TempFolder. Invalid commands only reach the debug log.
void ReadUserCommands(const IniFile& ini);

// Removes the folders there that runs now gone left, then makes the run's private temporary
// folder in TempFolder ("VellomarTemp-", the process id and a unique suffix, mode 0700) and lets
// TempFolder name it; nothing when TempFolder is empty or the folder cannot
// be made there (TempFolder is then empty).
void CreateTempFolder();
// Removes the folder and everything in it; links are removed, never followed, also when the
// folder itself was replaced by one.
void DeleteTempFolder();
// A folder (not a link to one) owned by this user that no one else may enter.
bool isPrivateFolder(const std::string& path);

}  // namespace vellomar
