#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "foundation/UShortString.h"

namespace vellomar {

// ---- Display globals, changed by the settings at run time ----
// The foundation's process-wide variables, all here. Every size and date shown anywhere (the
// engine's texts, the exports, the windows, the prints) follows them, and the settings change
// them while windows are open; handing them down with each call would thread them through every
// layer. The foundation's other process-wide state sits behind a function of the one unit that
// uses it: the locale's data, read once (displayLocale); the message box the interface puts in
// (UExceptions); the debug log's channel (UDebugLog); the settings folder a test moves
// (UIniFile); the run's counter (NextCounter).

// Order of FormatDosDate: 0 month-day-year, 1 year-month-day, 2 day-month-year,
// 3 the locale's short date format.
extern uint8_t DateOrder;
// The order 0..2 of the locale's short date format; DateOrder returns to it when the short
// date format is switched off.
extern uint8_t LocaleDateOrder;
// 1024 or 1000: the step between B, kB, MB and GB.
extern int32_t KiloUnit;

// What the user's locale says about showing numbers, dates and times.
struct DisplayLocale {
  std::string dateSeparator = "/";
  std::string timeSeparator = ":";
  std::string thousandsSeparator = ",";
  std::string decimalSeparator = ".";
  std::string shortDateFormat = "%m/%d/%y";  // strftime conversions
};

// Read once from the C library's data for the user's locale (LC_ALL, LC_TIME, LC_NUMERIC,
// LANG); the "C" locale's data when that locale is not installed.
DisplayLocale& displayLocale();

// The order 0..2 of a strftime date format: 0 when the month comes before the day and the day
// before the year, 1 when the year comes before the month and the month before the day,
// else 2.
uint8_t dateOrderOf(std::string_view shortDateFormat);

// ---- Paths and files; paths in the system's own form ("C:\data\file.txt") ----

// A file, not a folder, of that name exists.
bool FileExistsShort(const ShortString& name);
// "X:\" is true at once; one trailing "\" is ignored.
bool DirectoryExistsShort(const ShortString& path);
// What stands at a path, links followed, for messages that say why it cannot be used.
enum class PathKind { kMissing, kFile, kFolder, kPipe, kDevice, kOther };
// Of a path of this machine ("/home/me/a.kvd").
PathKind HostPathKind(const std::string& hostPath);
// Of a name in the system's form; a drive root "X:\" is a folder at once, as for
// DirectoryExistsShort. Any length: folders nest past what a short string holds.
PathKind SystemPathKind(std::string_view systemPath);
// The kind as a message names it: "a file", "a folder", "a named pipe", "a device", "a special
// file", "nothing".
std::string_view PathKindName(PathKind kind);
// A file of that name could be written. Never truncates nor deletes an existing file.
bool CanCreateFile(const ShortString& name);

// "C:\DATA\FILE.TXT" gives "C:\DATA\", "FILE" and ".TXT"; an extension has at most three
// characters after its dot, so "PAGE.HTML" has none.
void SplitFileName(const ShortString& path, ShortString& dir, ShortString& name, ShortString& ext);
// The text before the last "\"; empty when there is none or it is the first character.
ShortString ExtractDirShort(const ShortString& path);
// The folder of the running program, with its trailing "\".
ShortString GetProgramDir();
// Replaces the folders after the first separator ("\", or the one given) one by one with
// "..." until the path is at most maxLength long or no folder is left to elide.
ShortString ShortenPath(const ShortString& path, int maxLength, char separator = '\\');
// The marker that begins a path cut to its tail: "…" (U+2026); a path the program forms itself
// begins with a drive or "\".
inline constexpr std::string_view kCutPathMarker = "\xE2\x80\xA6";
// path itself when it fits capacity bytes (at most 255); otherwise "…\" and as many of its last
// names as fit, or "…" and the end of its last name when even that one does not, never part of
// a character.
ShortString CutPathToTail(std::string_view path, int capacity);
// A path that CutPathToTail cut, which leads nowhere of its own.
bool IsCutPath(std::string_view path);

// ---- Texts ----

// Blanks (character 32 only) removed at both ends.
ShortString TrimSpaces(const ShortString& s);
// TrimSpaces, and single blanks between words.
ShortString RemoveDoubleSpaces(const ShortString& s);
// The UTF-8 text as XML or HTML character data or attribute value: "&", "<", ">" and '"' as
// entities, and each control character they forbid (C0 but TAB, LF and CR; DEL; C1) as U+FFFD.
std::string xmlEscaped(std::string_view text);
// The same appended to out.
void AppendXmlEscaped(std::string& out, std::string_view text);
// The first n - 1 characters of a and b are equal (always for n of 0 or 1); a text that ends
// earlier matches only one that ends at the same place.
bool SamePrefix(const ShortString& a, const ShortString& b, uint16_t n);
// Adds the length of s to total and, unless countOnly, copies its characters to cursor and
// advances it: run once to size a buffer, then again to fill it.
void AppendPacked(bool countOnly, const ShortString& s, char*& cursor, size_t& total);

// ---- Numbers ----

inline int32_t MaxInteger(int32_t a, int32_t b) {
  return a > b ? a : b;
}
inline int32_t MinInteger(int32_t a, int32_t b) {
  return a < b ? a : b;
}
inline uint16_t MinWord(uint16_t a, uint16_t b) {
  return a < b ? a : b;
}
// 1 on the first call, then 2, 3, ...
int32_t NextCounter();

// ---- Disk space ----

// Size and free space of drive number drive (1 for A:) in kB; the sector outputs are 0. All
// four are 0 when the drive is absent, has no medium or cannot be reached.
void GetDiskSpaceKB(int drive, int32_t& totalKB, int32_t& freeKB, int32_t& bytesPerSector,
                    int32_t& sectorsPerCluster);
// Bytes in kB of 1024, rounded half to even; INT32_MAX from 2 TiB on instead of wrapping.
int32_t diskKB(uint64_t bytes);

// ---- DOS dates and times ----

// A DOS date-time: bits 25..31 year - 1980, 21..24 month, 16..20 day, 11..15 hours,
// 5..10 minutes, 0..4 seconds div 2.
struct DateTimeParts {
  uint16_t year, month, day, hour, minute, second;
};

// Years outside 1980..2107 give the first or last moment the format can hold; other fields
// are kept to their own bits.
uint32_t EncodeDosDateTime(const DateTimeParts& parts);

// "9:05" or "9:05:07" with the locale's time separator; empty for a time no clock shows.
ShortString FormatDosTime(uint32_t dosDateTime, bool withSeconds);
// The date in DateOrder with the locale's date separator: "3/14/03", "03/3/14", "14/3/03";
// empty for fields that form no calendar date (0xFFFFFFFF, month 15, 31 February).
ShortString FormatDosDate(uint32_t dosDateTime);
// The same texts appended to out, for a caller that formats many values into text it keeps.
void AppendDosTime(std::string& out, uint32_t dosDateTime, bool withSeconds);
void AppendDosDate(std::string& out, uint32_t dosDateTime);

// ---- Sizes ----

// Blank-grouped bytes ("1 234 567"), or with inKB "5.00 kB" / "12.3 MB".
ShortString FormatSizeShort(int32_t bytes, bool inKB);
// "0", " 5 B", "1,000 B", "1.50 kB", "10.0 MB", "2.00 GB".
ShortString FormatSize64(int64_t bytes);
// Blank-grouped: "-1 234".
ShortString FormatThousands(int32_t n);
// The same texts appended to out; AppendThousands takes any 64-bit number.
void AppendSizeShort(std::string& out, int32_t bytes, bool inKB);
void AppendSize64(std::string& out, int64_t bytes);
void AppendThousands(std::string& out, int64_t n);

}  // namespace vellomar
