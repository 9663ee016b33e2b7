#include "setup/InstallFlow.h"

#include <algorithm>
#include <filesystem>
#include <optional>
#include <vector>

#include "foundation/UExceptions.h"
#include "platform/PKernelFile.h"
#include "platform/PRegistry.h"
#include "platform/PUserFolders.h"
#include "setup/FileTypes.h"
#include "setup/ProgmanGroup.h"
#include "setup/Utils.h"

namespace vellomar::setup {

namespace {

std::string withSlash(std::string folder) {
  if (folder.empty() || folder.back() != kPathSeparator) folder += kPathSeparator;
  return folder;
}

std::string recordedTarget() {
  try {
    Registry registry;
    registry.rootKey = RegistryRoot::kLocalMachine;
    if (!registry.openKey("\\Software\\Halvik\\Vellomar", false)) return {};
    return registry.readString("Path").value_or("");
  } catch (const RegistryError&) {
    return {};
  }
}

// Why the typed target cannot be installed to, before anything is made; none when it can.
std::optional<std::string> targetRefusal(std::string_view text) {
  if (text.find_first_not_of(' ') == std::string_view::npos) {
    return "Please enter the folder to install Vellomar to.";
  }
  // The registry file holds no line breaks, and no folder should hold other control characters.
  if (std::ranges::any_of(
          text, [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; })) {
    return "A folder name cannot hold a line break or another control character.";
  }
  return std::nullopt;
}

// The folders are made, and the target proved a folder files can be written to, before
// anything is removed or installed.
void prepareTarget(const std::string& target) {
  for (const std::string& folder : {target, target + "Export/"}) {
    ForceFolders(folder);
    const std::string probe = folder + ".vellomar-setup-probe";
    const KernelHandle handle = kernelCreate(probe.c_str());
    if (handle == kKernelBadHandle) {
      // The root keeps its "/", so the box always names a folder.
      const size_t named = std::max<size_t>(folder.size() - 1, 1);
      throw EKstvNormalException(FolderNotCreatedText(folder.substr(0, named)));
    }
    kernelClose(handle);
    kernelDeleteFile(probe.c_str());
  }
}

}  // namespace

std::string FindDefaultTargetDir() {
  const std::string usual = homeFolder() + "Vellomar/";
  if (FileExistsShort(usual + "Vellomar.exe")) return usual;
  const std::string recorded = recordedTarget();
  return withSlash(recorded.empty() ? usual : recorded);
}

std::string targetFolderOf(std::string_view text) {
  std::filesystem::path path(withSlash(std::string(text)));
  if (path.is_relative()) path = std::filesystem::path(kernelCurrentFolder()) / path;
  return withSlash(path.lexically_normal().string());
}

bool InstallFlow::dataFilePresent(const std::string& dataFile) {
  while (!FileExistsShort(dataFile)) {
    const MessageAnswer answer = messages_.show(
        "Vellomar Installation: Data file missing.",
        "The file \"" + dataFile + "\" does not exist. Cannot continue in installation. ",
        MessageButtons::kRetryCancel, MessageIcon::kNone);
    if (answer != MessageAnswer::kRetry) return false;
  }
  return true;
}

bool InstallFlow::ButtonInstallClick(const std::string& programDir, std::string_view targetText,
                                     bool addToProgman) {
  const std::string dataFile = withSlash(programDir) + kDataFileName;
  if (!dataFilePresent(dataFile)) return false;
  if (const std::optional<std::string> refusal = targetRefusal(targetText)) {
    messages_.show(kInstallCaption, *refusal, MessageButtons::kOk, MessageIcon::kNone);
    return false;
  }
  form_.showProgressControls();
  try {
    install(dataFile, targetFolderOf(targetText), addToProgman);
  } catch (const EKstvNormalException& error) {
    messages_.show(kInstallCaption, error.what(), MessageButtons::kOk, MessageIcon::kNone);
  } catch (const std::exception& error) {
    ShowCriticalErrorBox(error.what());
  }
  return true;
}

void InstallFlow::install(const std::string& dataFile, const std::string& target,
                          bool addToProgman) {
  prepareTarget(target);
  folders_.AddUninstallFolder(target + "Export");
  folders_.AddUninstallFolder(target);

  std::vector<std::string> installedFiles;
  ExtractFiles(dataFile, target, "*.*", installedFiles, form_);
  // The ZIP library of earlier versions, replaced by VUnZip32.dll; kept while a failed
  // installation leaves the earlier one in place.
  const std::string oldLibrary = target + "UnZip32.dll";
  if (FileExistsShort(oldLibrary)) kernelDeleteFile(oldLibrary.c_str());
  WriteInstallRegistry(target, folders_, std::move(installedFiles));
  if (addToProgman) CreateProgmanGroup(target);
  WriteMenuEntries();
  RegisterFileTypes(target);
  messages_.show(kInstallCaption, "Installation was successfully completed.", MessageButtons::kOk,
                 MessageIcon::kNone);
  form_.openHelp(target + "Vellomar.hlp", kHelpContextInstalled);
}

}  // namespace vellomar::setup
