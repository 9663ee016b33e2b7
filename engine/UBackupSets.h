#pragma once

#include "engine/UEngineInternal.h"

#include <string>

#include "engine/UArchiveEntry.h"

namespace vellomar {

// Readers of the catalogue files of three disk-backup formats. Each lists the backed-up files
// under their folder paths ("\" + folders, each followed by "\") and gives true when at least
// one file was listed; cut or damaged catalogues give false or end the listing.

// MS-DOS BACKUP control file ("CONTROL.nnn"): records that each begin with their own length.
bool ReadDosBackup(TArchiveEntryList& list, const std::string& path);

// PC-Backup directory file ("PCBACKUP.DIR"). Without its "DCP" start it tells the user through
// CallbackAppendText and gives false.
bool ReadPcBackup(TArchiveEntryList& list, const std::string& path);

// Norton Backup catalogue, laid out as this reader defines it, since no layout is published:
// - Signature records of 16 bytes, wherever a record may start: the 13 bytes 0x00 "NORTON Ver 1"
//   and 3 bytes the reader skips.
// - Entry records of 32 bytes; byte 0 is the type:
//   - 0xFF ends the catalogue; a catalogue cut before it gives false.
//   - 0, a file: +1 name part (8 bytes) and +9 extension part (3 bytes), both blank padded;
//     +12 attributes; +16 uint32 DOS date-time (time in the low word); +20 uint32 size.
//   - 1 and above, a folder at that depth: +1 its name, zero-terminated or blank padded, up to
//     31 bytes, a drive "X:" in front dropped. The path is cut back to depth - 1 folders before
//     the name is appended, so a depth 1 record "C:" stands for the root.
// A catalogue not starting with a signature record gives false without a status text.
bool ReadNortonBackup(TArchiveEntryList& list, const std::string& path);

}  // namespace vellomar
