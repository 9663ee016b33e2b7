#include "ui/usercmd/ULibraries.h"

#include "abi/LabelPluginAbi.h"
#include "abi/UserCommandAbi.h"
#include "abi/UtilityAbi.h"
#include "foundation/UDebugLog.h"

namespace vellomar {
namespace {

constexpr const char* kLabelPlugin = "vmp_sv.dll";
constexpr const char* kUtilityLibrary = "VlmrUtl.dll";

SharedLibrary loadFromFolder(const std::string& folder, const char* name) {
  const std::string path = findFileIgnoringCase(folder, name);
  return path.empty() ? SharedLibrary() : SharedLibrary::load(path);
}

struct LabelPlugin {
  SharedLibrary library;
  PluginSetLanguageProc setLanguage = nullptr;
  PluginPrintDialogProc printDialog = nullptr;
  bool present = false;
};

LabelPlugin loadLabelPlugin(const std::string& folder) {
  LabelPlugin plugin;
  plugin.library = loadFromFolder(folder, kLabelPlugin);
  if (!plugin.library.loaded()) return plugin;
  plugin.setLanguage =
      reinterpret_cast<PluginSetLanguageProc>(plugin.library.symbol("SetLanguage"));
  plugin.printDialog =
      reinterpret_cast<PluginPrintDialogProc>(plugin.library.symbol("DisplayPrintDialog"));
  plugin.present = plugin.library.symbol("GetVellomarPluginVersion") != nullptr &&
                   plugin.setLanguage != nullptr &&
                   plugin.library.symbol("GetMenuLabel") != nullptr;
  return plugin;
}

}  // namespace

std::string UserLibraryPath(const std::string& name, const std::string& folder) {
  if (name.find('/') != std::string::npos) return name;
  return folder + name;
}

bool CallUserCommand(const std::string& libraryPath, const UserCommandCall& call) {
  // dlopen would look up a name without "/" in the library search path.
  const SharedLibrary library = libraryPath.find('/') != std::string::npos
                                    ? SharedLibrary::load(libraryPath)
                                    : SharedLibrary();
  if (!library.loaded()) {
    DebugLog("Cannot load %s", libraryPath.c_str());
    return false;
  }
  const auto command = reinterpret_cast<UserCommandProc>(library.symbol("UserCommand"));
  if (command == nullptr) {
    DebugLog("Cannot loacte UserCommand in %s", libraryPath.c_str());
    return false;
  }
  command(call.window, call.params.c_str(), call.fullPath.c_str(), call.pathInArchive.c_str(),
          call.dosDateTime, call.size, call.attributes, call.description.c_str(),
          call.tempFolder.c_str(), call.flags, 0);
  return true;
}

bool IsSleevoraPluginPresent(const std::string& folder) {
  return loadLabelPlugin(folder).present;
}

void ShowSleevoraPrintDialog(uintptr_t window, const std::string& text, const std::string& folder) {
  const LabelPlugin plugin = loadLabelPlugin(folder);
  if (!plugin.present || plugin.printDialog == nullptr) return;
  // c_str() ends the text with one NUL; the second makes the end the plug-in looks for.
  const std::string names = text + '\0';
  plugin.setLanguage(0);
  plugin.printDialog(window, names.c_str());
}

bool EjectDrive(char letter, const std::string& device, const std::string& folder) {
  const SharedLibrary library = loadFromFolder(folder, kUtilityLibrary);
  const auto eject = reinterpret_cast<EjectProc>(library.symbol("Eject"));
  if (eject == nullptr) {
    DebugLog("Cannot load %s", kUtilityLibrary);
    return false;
  }
  return eject(static_cast<unsigned char>(letter), device.c_str()) == 0;
}

}  // namespace vellomar
