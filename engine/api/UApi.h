#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "engine/api/UApiErrors.h"
#include "engine/api/UApiSearch.h"
#include "engine/api/UApiTypes.h"
#include "engine/api/UCallbacks.h"
#include "engine/api/ULocalOptions.h"
#include "foundation/UShortString.h"

namespace vellomar {

// Handles: made and freed by the engine, opaque to the program.
class TDBase;
class TDirCollection;
class TFileCollection;

// The flat interface through which the user interface reaches the engine. A call takes the
// database handle (or a folder node or file list obtained through it) first. A null object
// raises EKstvFatalException with one of the texts of UApiErrors.h; the queries marked "null
// answers" give 0, false or an empty string instead. Engine exceptions pass through unchanged,
// except in ApiOpenDBase. Out strings are cut to the caller's capacity, never inside a character.

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
// An empty table answers true with empty texts.
bool ApiGetCurrentDiskDetails(TDBase* handle, ShortString& name, int nameCapacity,
                              ShortString& label, int labelCapacity, ShortString& path,
                              int pathCapacity, uint16_t& flags, int32_t& index);

// The file offset of the disk block behind the key; 0 for an index outside the whole table.
int32_t ApiGetKeyBlock(TDBase* handle, int32_t index);
// The index of the key whose disk block lies at offset, found again after a save moved the
// keys; -1 when no key has it.
int32_t ApiFindKeyByBlock(TDBase* handle, int32_t offset);

// Makes the disk current and loads its tree. False without disks shown or for a bad index.
bool ApiGoToDisk(TDBase* handle, int32_t index);
// True only when a disk of that name was found and loaded.
bool ApiGoToDiskByName(TDBase* handle, const ShortString& name);
// Loads the current disk unless its block is the one the loaded tree was read from; with
// onlyIfLoaded, only when a tree is loaded. False without disks shown.
bool ApiReloadCurrentDisk(TDBase* handle, bool onlyIfLoaded);
// The current tree becomes a new disk under the name it has. Every call below that writes
// the database reopens the file after a failed write, before the failure passes on, so the
// handle holds what the disk holds.
bool ApiSaveDisk(TDBase* handle);
// The current tree becomes a new disk in place of disk index, its former version, which is
// marked deleted as ApiDeleteDisk does; both reach the key table in one write, so a break at
// any point leaves exactly one of the two live. False for a bad index.
bool ApiReplaceDisk(TDBase* handle, int32_t index);
// Marks the disk deleted in its block and moves its key among the deleted ones; a name that
// does not end in "]" takes the next deletion number as " [n]". False for a bad index, a block
// that cannot be read (nothing is written over it) or a read-only database.
bool ApiDeleteDisk(TDBase* handle, int32_t index);
// Deletes the selected disks; stops at the first that cannot be deleted.
bool ApiDeleteSelectedDisks(TDBase* handle);
// Renames the disk in its block, undeleting it when asked, and moves its key to its new place.
// False as for ApiDeleteDisk.
bool ApiRenameDisk(TDBase* handle, int32_t index, const ShortString& newName, bool undelete);
// Scans the drive or folder at path into a new current tree, carrying over from the second
// tree when one is loaded (the disk's former version). The path may be longer than a record
// holds: the disk keeps it cut to its tail.
bool ApiScanDisk(TDBase* handle, std::string_view path, const ShortString& diskName,
                 const ShortString& volumeLabel);

// ---- Trees, folder nodes and file lists ----

// Null is ignored by these four.
void ApiFreeTreeStruct(TDBase* handle);
void ApiFreeOldTreeStruct(TDBase* handle);
void ApiKeepTreeAsOld(TDBase* handle);
void ApiRestoreOldTree(TDBase* handle);
// Loads the disk as the second tree. False for a bad index or a block that cannot be read,
// which leaves no second tree.
bool ApiLoadOldDisk(TDBase* handle, int32_t index);

bool ApiGetDiskInfo(TDBase* handle, TDiskInfo& info);
TDirCollection* ApiGetRootDirCol(TDBase* handle);
TDirCollection* ApiGetCurrentDirCol(TDBase* handle);
// The node must belong to the current tree. The file list is not reloaded.
void ApiSetCurrentDirCol(TDBase* handle, TDirCollection* node);
// Null, no tree or no current folder answer false with the totals zeroed.
bool ApiGetCurrentDirTotals(TDBase* handle, TDirTotals& totals);
TFileCollection* ApiGetFileCol(TDBase* handle);
// Reloads the current folder's list: "..", subfolders, files.
void ApiUpdateFileCol(TDBase* handle);
// Makes the folder at path current and loads its list; true when its path is exactly path.
// A path that leads nowhere answers false and leaves the current folder as it was.
bool ApiGoToPath(TDBase* handle, const ShortString& path);
// These three answer false or an empty path for null, no disk shown, no tree or no folder.
bool ApiGetCurrentPath(TDBase* handle, ShortString& path, int capacity = ShortString::kMaxLength);
bool ApiIsInArchive(TDBase* handle);
void ApiGetArchivePath(TDBase* handle, ShortString& path);

int32_t ApiDirColCount(TDirCollection* node);
// A bad index raises "Internal problem in list indexing.".
TDirCollection* ApiDirColAt(TDirCollection* node, int32_t index);
bool ApiDirColCheck(TDirCollection* node, TOneDir& record);
int32_t ApiFileColCount(TFileCollection* files);
bool ApiFileColAt(TFileCollection* files, int32_t index, TOneFile& record);
// Every line of the list in its order, read in place: valid until the list is reloaded or freed.
std::span<const TOneFile* const> ApiFileColLines(TFileCollection* files);

// ---- Descriptions ----

// The cleaned short text from its beginning, through the handle's cache.
bool ApiGetShortDesc(TDBase* handle, int32_t offset, ShortString& text,
                     int capacity = ShortString::kMaxLength);
bool ApiGetFullDesc(TDBase* handle, int32_t offset, std::string& text);
// entry holds the entry offset of a file or folder record and receives the new description
// offset (0 when an empty text removed the description).
bool ApiSetDesc(TDBase* handle, int32_t& entry, std::string_view text);
// Puts the line's new description offset into the loaded tree.
void ApiUpdateDescRef(TDBase* handle, const TOneFile& line);

// ---- Masks ----

// The masks of a selection by masks from the text the user typed.
std::vector<ShortString> ApiParseSelectionMasks(std::string_view text);
// Whether name matches any of masks as a selection by masks takes it: case ignored, a mask's
// end without a star met at a word boundary.
bool ApiMatchesAnyMask(std::span<const ShortString> masks, std::string_view name);
// Selects the disks shown whose names match any of masks; deleted disks stay unselected.
void ApiSelectKeysByMasks(TDBase* handle, std::span<const ShortString> masks);

}  // namespace vellomar
