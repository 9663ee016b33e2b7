#include "engine/UFilterModules.h"

#include <memory>
#include <string>
#include <utility>

#include "engine/api/UApiGlobals.h"
#include "engine/api/UCallbacks.h"
#include "foundation/UExceptions.h"
#include "platform/PLibrary.h"

namespace vellomar {

namespace {

std::string fileNameOf(const TFilterModule& module) {
  return module.Name.str() + ".k32";
}

// The name comes from the database file: one that could reach outside the program's folder
// names no module.
bool isPlainFileName(const std::string& name) {
  return name.find_first_of(std::string("/\\\0", 3)) == std::string::npos;
}

SharedLibrary loadModuleFile(const std::string& fileName) {
  if (!isPlainFileName(fileName)) return SharedLibrary();
  const std::string path = findFileIgnoringCase(programFolder(), fileName);
  return path.empty() ? SharedLibrary() : SharedLibrary::load(path);
}

void clearModule(TFilterModule& module) {
  module.Handle = nullptr;
  module.OpenTransfer = nullptr;
  module.GetOneBlock = nullptr;
  module.CloseTransfer = nullptr;
}

void loadModule(TFilterModule& module) {
  const std::string fileName = fileNameOf(module);
  CallbackMessage(ShortString("Loading library " + fileName));
  clearModule(module);
  auto library = std::make_unique<SharedLibrary>(loadModuleFile(fileName));
  // A file cut short is there, but offers none of its functions.
  if (!library->loaded() && !library->broken()) {
    throw EKstvNormalException("The library " + fileName + " cannot be open.");
  }
  void* open = library->symbol("OpenTransfer");
  void* block = library->symbol("GetOneBlock");
  void* close = library->symbol("CloseTransfer");
  if (!open || !block || !close) {
    throw EKstvNormalException("Library " + fileName + " does not contain all needed functions.");
  }
  module.OpenTransfer = open;
  module.GetOneBlock = block;
  module.CloseTransfer = close;
  module.Handle = library.release();
}

}  // namespace

void LoadFilterModules(TTreeStruct& tree) {
  try {
    for (TFilterModule* module : tree.FilterModules.Items()) loadModule(*module);
  } catch (...) {
    FreeFilterModules(tree);
    throw;
  }
}

void FreeFilterModules(TTreeStruct& tree) {
  for (TFilterModule* module : tree.FilterModules.Items()) {
    if (!module->Handle) continue;
    CallbackMessage(ShortString("Releasing library " + fileNameOf(*module)));
    delete static_cast<SharedLibrary*>(module->Handle);
    clearModule(*module);
  }
}

}  // namespace vellomar
