#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/UApiTypes.h"
#include "foundation/UShortString.h"

namespace vellomar {

class TDirCollection;
class TKFileStream;
class TTreeStruct;

// Where a disk scan hands over to description import and to archive listing. Both come with
// their own units; until then these take no part: no module is loaded, no description is
// imported and no archive is opened.

// A line of the folder being scanned. Only a regular file may be opened: never a link, FIFO,
// socket or device.
struct TScanLine {
  TOneFile Line;
  bool Regular = false;
};
using TScanLines = std::vector<TScanLine>;

// Around the file pass. A module that cannot be loaded raises, after the ones already loaded
// are released again.
void LoadFilterModules(TTreeStruct& tree);
void FreeFilterModules(TTreeStruct& tree);
// Chooses the archive modules of the database's settings and loads them.
void LoadArchiveModules(TTreeStruct& tree);
void FreeArchiveModules(TTreeStruct& tree);

// The offset of a description imported for the regular file name in folderPath (ending with
// "\"), written to stream; 0 for none.
int32_t ImportDescription(TTreeStruct& tree, TKFileStream& stream, const ShortString& folderPath,
                          bool fromTemporary, const ShortString& name);

// Moves the unchanged archive of lines[index] over from the previous folder, contents and
// descriptions, and takes its line out of lines. False when there is none to move.
bool MovePrevArchive(TTreeStruct& tree, TDirCollection& folder, TDirCollection* previousFolder,
                     TScanLines& lines, size_t index);
// Lists the archive of lines[index] as a folder of folder, carrying its descriptions over from
// the previous version, and takes its line out of lines. False when the file is no archive that
// is listed. An abort raises nothing: it is seen by the next poll of the scan.
bool ScanArchive(TTreeStruct& tree, TDirCollection& folder, TScanLines& lines, size_t index,
                 const ShortString& folderPath);

}  // namespace vellomar
