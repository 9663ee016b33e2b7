#pragma once

#include "engine/UEngineInternal.h"

#include <cstdint>
#include <memory>

#include "foundation/UCollections.h"
#include "foundation/UShortString.h"
#include "platform/PTempFolder.h"

namespace vellomar {

class TFilterModule;

// One mask of a mask list. A description-import mask also carries its character limit and its
// filter module, which belongs to the module list.
class TMaskItem : public TPlainObject {
 public:
  explicit TMaskItem(const ShortString& mask) : Mask(NewShortStr(mask)) {}
  ~TMaskItem() override { DisposeShortStr(Mask); }
  TMaskItem(const TMaskItem&) = delete;
  TMaskItem& operator=(const TMaskItem&) = delete;

  HeapShortStr* Mask;
  int32_t MaxChars = 0;
  TFilterModule* Module = nullptr;
};

// A description filter module, named after its file; the import loads and releases it.
class TFilterModule : public TPlainObject {
 public:
  explicit TFilterModule(const ShortString& name) : Name(name) {}

  ShortString Name;
  void* Handle = nullptr;  // null while not loaded, like the entry points
  void* OpenTransfer = nullptr;
  void* GetOneBlock = nullptr;
  void* CloseTransfer = nullptr;
};

enum class ArchiveModuleKind : uint8_t {
  kZipLibrary = 0,
  kRar = 3,
  kAce = 5,
};

// How the archives of one kind are extracted: through a library file, or through the program's
// own binding.
class TArchiveModule : public TPlainObject {
 public:
  // The ZIP extraction library "VUnZip32.dll" is loaded; RAR and ACE are built in.
  TArchiveModule(ArchiveModuleKind kind, int32_t sizeLimitMB);

  ShortString Name;  // the library's file name, empty for a built-in reader
  ArchiveModuleKind Kind;
  void* Handle = nullptr;  // null until loaded, like the entry point
  void* ExtractFile = nullptr;
  bool BuiltIn;
  int32_t SizeLimitMB;  // files above this size are not extracted
  // The private folder its members are extracted into, one file at a time, while the module
  // is loaded: a folder made and removed for each member would cost more than its bytes.
  std::unique_ptr<PrivateTempFolder> Extraction;
};

}  // namespace vellomar
