#include "setup/Utils.h"

#include "foundation/UExceptions.h"
#include "platform/PKernelFile.h"

namespace vellomar::setup {

SplitPathParts SplitPath(std::string_view path) {
  SplitPathParts parts;
  const size_t dot = path.rfind('.');
  const bool hasExtension = dot != std::string_view::npos && path.size() - dot <= 4;
  const size_t slash = path.rfind(kPathSeparator);
  std::string_view rest = path;
  if (hasExtension && (slash == std::string_view::npos || dot > slash)) {
    parts.extension = rest.substr(dot);
    rest = rest.substr(0, dot);
  }
  if (slash == std::string_view::npos) {
    parts.name = rest;
  } else {
    parts.folder = rest.substr(0, slash + 1);
    parts.name = rest.substr(slash + 1);
  }
  return parts;
}

bool FileExistsShort(const std::string& name) {
  return kernelFileExists(name.c_str());
}

bool ExistsFolder(std::string_view path) {
  if (!path.empty() && path.back() == kPathSeparator) path.remove_suffix(1);
  if (path.empty()) return true;
  return kernelFileExists(std::string(path).c_str());
}

std::string GetProgramDir() {
  const std::string program = kernelProgramPath();
  return std::string(program.substr(0, program.rfind(kPathSeparator) + 1));
}

void ForceFolders(std::string_view path) {
  std::string chain(path);
  if (chain.empty() || chain.back() != kPathSeparator) chain += kPathSeparator;
  for (size_t end = chain.find(kPathSeparator); end != std::string::npos;
       end = chain.find(kPathSeparator, end + 1)) {
    const std::string folder = chain.substr(0, end);
    if (ExistsFolder(folder)) continue;
    if (!kernelCreateFolder(folder.c_str())) {
      throw EKstvNormalException(FolderNotCreatedText(folder));
    }
  }
}

std::string FolderNotCreatedText(std::string_view folder) {
  return "Složku " + std::string(folder) + " nelze vytvořit.";
}

void SetFileDosDate(const std::string& name, uint32_t dosDateTime) {
  int64_t seconds = 0;
  if (!kernelDosDateTimeToUnix(dosDateTime & 0xFFFF0000u, seconds)) return;
  kernelSetFileTime(name.c_str(), seconds);
}

}  // namespace vellomar::setup
