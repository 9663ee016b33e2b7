#include "engine/UApi.h"

#include <algorithm>
#include <memory>
#include <string_view>

#include "foundation/UExceptions.h"

namespace vellomar {

namespace {

TDBase& requireDBase(TDBase* handle) {
  if (handle == nullptr) throw EKstvFatalException(kDBaseIsNil);
  return *handle;
}

void copyOut(ShortString& out, std::string_view text, int capacity) {
  const auto limit = static_cast<size_t>(std::clamp(capacity, 0, ShortString::kMaxLength));
  out = ShortString(text.substr(0, utf8CutLength(text, limit)));
}

int32_t shownKeyCount(TDBase& handle) {
  return handle.keyTable().GetKeyCount(handle.LocalOptions.ShowDeleted);
}

bool isIndexIn(int32_t index, int32_t count) {
  return index >= 0 && index < count;
}

TKeyEntry& keyAt(TDBase& handle, int32_t index) {
  return handle.keyTable().keys().Keys[static_cast<size_t>(index)];
}

void readKey(TDBase& handle, int32_t index, ShortString& name, uint16_t& flags, int capacity) {
  const TKeyEntry key = keyAt(handle, index);
  flags = key.Flags;
  copyOut(name, handle.keyTable().ReadDiskName(key.Offset).view(), capacity);
}

void setFlag(TDBase* handle, bool TDBase::*flag, bool value) {
  if (handle != nullptr) handle->*flag = value;
}

void setKeysChanged(TDBase* handle, bool value) {
  if (handle != nullptr) handle->keyTable().setDisksChanged(value);
}

// A deleted disk cannot be selected.
void changeSelection(TDBase& handle, int32_t index, bool toggle, bool select) {
  if (!isIndexIn(index, handle.keyTable().keys().count())) return;
  TKeyEntry& key = keyAt(handle, index);
  if (key.Flags & kKeyDeleted) return;
  const bool selected = toggle ? (key.Flags & kKeySelected) == 0 : select;
  key.Flags = selected ? static_cast<uint16_t>(key.Flags | kKeySelected)
                       : static_cast<uint16_t>(key.Flags & ~kKeySelected);
}

}  // namespace

void ApiSetCallbacks(TCallbackQuery query, TCallbackChoice choice, TCallbackMessage message,
                     TCallbackAppendText appendText, TCallbackPercent percent,
                     TCallbackAbort abort) {
  SetCallbacks(query, choice, message, appendText, percent, abort);
}

void ApiResetCallbacks() {
  ResetCallbacks();
}

int32_t ApiTestDBaseFile(const ShortString& path) {
  return static_cast<int32_t>(CheckDBaseHeader(path.view()));
}

bool ApiCreateDBase(const ShortString& path) {
  TDBase handle;
  handle.FileName = path.str();
  return CreateDBaseFile(handle, path.view());
}

bool ApiOpenDBase(const ShortString& path, bool rebuildKeys, TDBase*& handle,
                  ShortString& errorText, int capacity) {
  handle = nullptr;
  auto made = std::make_unique<TDBase>();
  try {
    OpenDBaseFile(*made, path.view(), rebuildKeys);
  } catch (const EKstvException& e) {
    copyOut(errorText, e.what(), capacity);
    return false;
  }
  handle = made.release();
  return true;
}

bool ApiCloseDBase(TDBase*& handle, bool readOnlyExport) {
  if (handle == nullptr) return false;
  std::unique_ptr<TDBase> owned(handle);
  handle = nullptr;
  owned->ReadOnlyExport = readOnlyExport;
  // Closed here rather than by the destructor, so that a failed header write is reported.
  return CloseDBaseFile(*owned, false);
}

void ApiGetLocalOptions(TDBase* handle, TLocalOptions& options) {
  options = requireDBase(handle).LocalOptions;
}

void ApiSetLocalOptions(TDBase* handle, const TLocalOptions& options) {
  requireDBase(handle).LocalOptions = options;
}

void ApiGetDBaseStats(TDBase* handle, TDBaseStats& stats) {
  stats = TDBaseStats{};
  GetDBaseStats(requireDBase(handle), stats);
}

bool ApiKeysChanged(TDBase* handle) {
  return handle != nullptr && handle->keyTable().disksChanged();
}

bool ApiTreeChanged(TDBase* handle) {
  return handle != nullptr && handle->TreeChanged;
}

bool ApiFilesChanged(TDBase* handle) {
  return handle != nullptr && handle->FilesChanged;
}

void ApiClearKeysChanged(TDBase* handle) {
  setKeysChanged(handle, false);
}

void ApiClearTreeChanged(TDBase* handle) {
  setFlag(handle, &TDBase::TreeChanged, false);
}

void ApiClearFilesChanged(TDBase* handle) {
  setFlag(handle, &TDBase::FilesChanged, false);
}

void ApiSetKeysChanged(TDBase* handle) {
  setKeysChanged(handle, true);
}

void ApiSetTreeChanged(TDBase* handle) {
  setFlag(handle, &TDBase::TreeChanged, true);
}

void ApiSetFilesChanged(TDBase* handle) {
  setFlag(handle, &TDBase::FilesChanged, true);
}

int32_t ApiGetKeyCount(TDBase* handle) {
  return handle == nullptr ? 0 : shownKeyCount(*handle);
}

bool ApiFindDisk(TDBase* handle, ShortString& name, int32_t& index, int capacity) {
  TDBase& db = requireDBase(handle);
  const KeyTable::FoundKey found = db.keyTable().FindKey(name, 0);
  index = found.Index;
  if (!found.Found) return false;
  copyOut(name, db.keyTable().ReadDiskName(keyAt(db, found.Index).Offset).view(), capacity);
  return true;
}

bool ApiGetKey(TDBase* handle, ShortString& name, uint16_t& flags, int32_t index, int capacity) {
  TDBase& db = requireDBase(handle);
  if (!isIndexIn(index, shownKeyCount(db))) return false;
  readKey(db, index, name, flags, capacity);
  return true;
}

bool ApiGetCurrentKey(TDBase* handle, ShortString& name, uint16_t& flags, int32_t& index,
                      int capacity) {
  TDBase& db = requireDBase(handle);
  if (shownKeyCount(db) == 0) return false;
  index = db.keyTable().keys().CurrentIndex;
  readKey(db, index, name, flags, capacity);
  return true;
}

bool ApiSetCurrentKey(TDBase* handle, int32_t index) {
  TDBase& db = requireDBase(handle);
  TKeyField& keys = db.keyTable().keys();
  if (!isIndexIn(index, keys.count())) return false;
  if (keys.CurrentIndex != index) {
    keys.CurrentIndex = index;
    db.keyTable().setDisksChanged(true);
  }
  return true;
}

bool ApiIsKeySelected(TDBase* handle, int32_t index) {
  if (handle == nullptr || !isIndexIn(index, handle->keyTable().keys().count())) return false;
  return (keyAt(*handle, index).Flags & kKeySelected) != 0;
}

void ApiSelectKey(TDBase* handle, bool select, int32_t index) {
  changeSelection(requireDBase(handle), index, false, select);
}

void ApiToggleKeySelection(TDBase* handle, int32_t index) {
  changeSelection(requireDBase(handle), index, true, false);
}

int32_t ApiCountSelectedKeys(TDBase* handle) {
  return requireDBase(handle).keyTable().CountSelectedKeys();
}

}  // namespace vellomar
