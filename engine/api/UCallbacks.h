#pragma once

#include <cstdint>

#include "foundation/UShortString.h"

namespace vellomar {

struct TOneFile;
struct TDatabaseData;
struct TDiskData;
struct TFolderData;

// The engine reports to the user interface only through these procedures (the variables that
// hold them, and their setters, are in UApiGlobals.h). The interface sets them before a long
// operation and resets them after it; every default does nothing, so the engine runs the same
// without an interface. All calls happen inside the engine call.

using TCallbackQuery = bool (*)(const ShortString& text);
// The archive prompt; answers kChoiceScan, kChoiceSkip, kChoiceScanAll or kChoiceSkipAll.
using TCallbackChoice = uint16_t (*)(const ShortString& text);
using TCallbackMessage = void (*)(const ShortString& text);
using TCallbackAppendText = void (*)(const ShortString& text);
using TCallbackPercent = void (*)(int32_t phase, int32_t percent);
// Polled by long operations; true stops them.
using TCallbackAbort = bool (*)();

inline constexpr uint16_t kChoiceScan = 12;
inline constexpr uint16_t kChoiceSkip = 13;
inline constexpr uint16_t kChoiceScanAll = 150;
inline constexpr uint16_t kChoiceSkipAll = 151;

// Per-handle callbacks, held by the database handle. The progress callback gets the handle's
// abort flag and may set it to stop a search, walk or copy.
using TProgressCallback = void (*)(bool& abort);
using TPrintTextCallback = void (*)(const ShortString& text);
using TPrintFileCallback = void (*)(const TOneFile& line);
// Measures a name; the walk keeps the largest width given back.
using TTextWidthCallback = void (*)(const ShortString& name, int32_t& width);
// Export callbacks read the walk's value records, filled just before each call.
using TExportCallback = void (*)();

// The do-nothing defaults of the per-handle slots.
void DefaultProgressCallback(bool& abort);
void DefaultPrintTextCallback(const ShortString& text);
void DefaultPrintFileCallback(const TOneFile& line);
void DefaultTextWidthCallback(const ShortString& name, int32_t& width);
void DefaultExportCallback();

// The print slots in their order: disk, folder, file, measure.
struct TPrintCallbacks {
  TPrintTextCallback Disk = DefaultPrintTextCallback;
  TPrintTextCallback Folder = DefaultPrintTextCallback;
  TPrintFileCallback File = DefaultPrintFileCallback;
  TTextWidthCallback Measure = DefaultTextWidthCallback;
};

// The export slots in their order.
struct TExportCallbacks {
  TExportCallback DatabaseBegin = DefaultExportCallback;
  TExportCallback DatabaseEnd = DefaultExportCallback;
  TExportCallback DiskBegin = DefaultExportCallback;
  TExportCallback DiskEnd = DefaultExportCallback;
  TExportCallback FolderBegin = DefaultExportCallback;
  TExportCallback FolderEnd = DefaultExportCallback;
  TExportCallback File = DefaultExportCallback;
};

// What a disk walk hands out, given to the walk itself (ApiWalkDisks), so that whoever walks
// keeps its own state and reads each record as it comes; each call does nothing unless
// overridden. The flat API's procedures above sit on one of these that the handle keeps.
class TWalkSink {
 public:
  virtual ~TWalkSink() = default;

  // After each disk and every 100 file lines; setting abort stops the walk.
  virtual void progress(bool& abort);
  // A print walk: each disk's name, each folder's path, each line but "..".
  virtual void printDisk(const ShortString& name);
  virtual void printFolder(const ShortString& path);
  virtual void printFile(const TOneFile& line);
  // A walk that does not print: width comes in as the name's length in characters and goes
  // out as the name's width; the walk keeps the largest.
  virtual void measure(const ShortString& name, int32_t& width);
  // An export walk, in the walk's order, each with its record.
  virtual void databaseBegin(const TDatabaseData& database);
  virtual void databaseEnd();
  virtual void diskBegin(const TDiskData& disk);
  virtual void diskEnd();
  virtual void folderBegin(const TFolderData& folder);
  virtual void folderEnd();
  virtual void file(const TOneFile& line);
};

// Each null procedure is replaced by its slot's default.
TProgressCallback progressOrDefault(TProgressCallback progress);
TPrintCallbacks makePrintCallbacks(TPrintTextCallback disk, TPrintTextCallback folder,
                                   TPrintFileCallback file, TTextWidthCallback measure);
TExportCallbacks makeExportCallbacks(TExportCallback databaseBegin, TExportCallback databaseEnd,
                                     TExportCallback diskBegin, TExportCallback diskEnd,
                                     TExportCallback folderBegin, TExportCallback folderEnd,
                                     TExportCallback file);

}  // namespace vellomar
