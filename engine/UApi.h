#pragma once

#include <cstdint>

#include "engine/UCallbacks.h"
#include "engine/UDBase.h"
#include "engine/ULocalOptions.h"
#include "foundation/UShortString.h"

namespace vellomar {

// The flat interface through which the user interface reaches the engine. A call takes the
// database handle (or a folder node or file list obtained through it) first. A null object
// raises EKstvFatalException with one of the texts below; the queries marked "null answers"
// give 0, false or an empty string instead. Engine exceptions pass through unchanged, except
// in ApiOpenDBase. Out strings are cut to the caller's capacity, never inside a character.

inline constexpr const char* kDBaseIsNil = "Internal error 500: DBaseIsNil";

// ---- Callbacks ----

void ApiSetCallbacks(TCallbackQuery query, TCallbackChoice choice, TCallbackMessage message,
                     TCallbackAppendText appendText, TCallbackPercent percent,
                     TCallbackAbort abort);
void ApiResetCallbacks();

// ---- Database handles and files ----

// 0 good, 1..6 the refusal codes of the header check.
int32_t ApiTestDBaseFile(const ShortString& path);
// Creates the file through a handle of its own, which it frees again.
bool ApiCreateDBase(const ShortString& path);
// On any failure the handle is null and nothing stays open; an engine failure answers false
// with its message in errorText, any other exception passes on.
bool ApiOpenDBase(const ShortString& path, bool rebuildKeys, TDBase*& handle,
                  ShortString& errorText, int capacity = ShortString::kMaxLength);
// Null answers false. Writes the header (marked as a read-only export when asked) and frees
// the handle; the caller's handle is null afterwards even when the write fails and raises.
bool ApiCloseDBase(TDBase*& handle, bool readOnlyExport);

void ApiGetLocalOptions(TDBase* handle, TLocalOptions& options);
void ApiSetLocalOptions(TDBase* handle, const TLocalOptions& options);
// The record is zeroed first, also when the handle is null and the call raises.
void ApiGetDBaseStats(TDBase* handle, TDBaseStats& stats);

// Null answers false.
bool ApiKeysChanged(TDBase* handle);
bool ApiTreeChanged(TDBase* handle);
bool ApiFilesChanged(TDBase* handle);
// Null is ignored.
void ApiClearKeysChanged(TDBase* handle);
void ApiClearTreeChanged(TDBase* handle);
void ApiClearFilesChanged(TDBase* handle);
void ApiSetKeysChanged(TDBase* handle);
void ApiSetTreeChanged(TDBase* handle);
void ApiSetFilesChanged(TDBase* handle);

// ---- Disks; an index is a position in the key table as shown ----

// Disks shown (deleted ones too when the database shows them). Null answers 0.
int32_t ApiGetKeyCount(TDBase* handle);
// index: where the name is, or where it would go. When found, name becomes the stored name.
bool ApiFindDisk(TDBase* handle, ShortString& name, int32_t& index,
                 int capacity = ShortString::kMaxLength);
// An index outside the disks shown answers false and leaves name and flags alone.
bool ApiGetKey(TDBase* handle, ShortString& name, uint16_t& flags, int32_t index,
               int capacity = ShortString::kMaxLength);
// False for an empty table.
bool ApiGetCurrentKey(TDBase* handle, ShortString& name, uint16_t& flags, int32_t& index,
                      int capacity = ShortString::kMaxLength);
// An index outside the whole table answers false.
bool ApiSetCurrentKey(TDBase* handle, int32_t index);
// Null or a bad index answers false.
bool ApiIsKeySelected(TDBase* handle, int32_t index);
// A bad index or a deleted disk is ignored.
void ApiSelectKey(TDBase* handle, bool select, int32_t index);
void ApiToggleKeySelection(TDBase* handle, int32_t index);
int32_t ApiCountSelectedKeys(TDBase* handle);

}  // namespace vellomar
