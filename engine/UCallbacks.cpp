#include "engine/api/UCallbacks.h"

namespace vellomar {
namespace {

template <typename Procedure>
Procedure orDefault(Procedure procedure, Procedure fallback) {
  return procedure ? procedure : fallback;
}

}  // namespace

void DefaultProgressCallback(bool&) {}
void DefaultPrintTextCallback(const ShortString&) {}
void DefaultPrintFileCallback(const TOneFile&) {}
void DefaultTextWidthCallback(const ShortString&, int32_t&) {}
void DefaultExportCallback() {}

TProgressCallback progressOrDefault(TProgressCallback progress) {
  return orDefault(progress, DefaultProgressCallback);
}

TPrintCallbacks makePrintCallbacks(TPrintTextCallback disk, TPrintTextCallback folder,
                                   TPrintFileCallback file, TTextWidthCallback measure) {
  return {orDefault(disk, DefaultPrintTextCallback), orDefault(folder, DefaultPrintTextCallback),
          orDefault(file, DefaultPrintFileCallback), orDefault(measure, DefaultTextWidthCallback)};
}

TExportCallbacks makeExportCallbacks(TExportCallback databaseBegin, TExportCallback databaseEnd,
                                     TExportCallback diskBegin, TExportCallback diskEnd,
                                     TExportCallback folderBegin, TExportCallback folderEnd,
                                     TExportCallback file) {
  return {orDefault(databaseBegin, DefaultExportCallback),
          orDefault(databaseEnd, DefaultExportCallback),
          orDefault(diskBegin, DefaultExportCallback),
          orDefault(diskEnd, DefaultExportCallback),
          orDefault(folderBegin, DefaultExportCallback),
          orDefault(folderEnd, DefaultExportCallback),
          orDefault(file, DefaultExportCallback)};
}

void TWalkSink::progress(bool&) {}
void TWalkSink::printDisk(const ShortString&) {}
void TWalkSink::printFolder(const ShortString&) {}
void TWalkSink::printFile(const TOneFile&) {}
void TWalkSink::measure(const ShortString&, int32_t&) {}
void TWalkSink::databaseBegin(const TDatabaseData&) {}
void TWalkSink::databaseEnd() {}
void TWalkSink::diskBegin(const TDiskData&) {}
void TWalkSink::diskEnd() {}
void TWalkSink::folderBegin(const TFolderData&) {}
void TWalkSink::folderEnd() {}
void TWalkSink::file(const TOneFile&) {}

}  // namespace vellomar
