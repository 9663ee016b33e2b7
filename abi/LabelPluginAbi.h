#pragma once

// The interface of the optional label-printing plug-in "vmp_sv.dll". The program shows its menu
// item only when the first three entry points are there, and hands it the selected disks' names.

#include <cstdint>

namespace vellomar {

extern "C" {

using PluginVersionProc = int32_t (*)();
using PluginSetLanguageProc = void (*)(int32_t language);  // 0: English
using PluginMenuLabelProc = const char* (*)();
// diskNames: UTF-8 names, each followed by "\r\n", the whole ended by two NULs (just two NULs
// when no disk is selected). window: the main window's native id.
using PluginPrintDialogProc = void (*)(uintptr_t window, const char* diskNames);

int32_t GetVellomarPluginVersion();
void SetLanguage(int32_t language);
const char* GetMenuLabel();
void DisplayPrintDialog(uintptr_t window, const char* diskNames);

}  // extern "C"

}  // namespace vellomar
