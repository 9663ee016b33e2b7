#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/api/UApiTypes.h"
#include "engine/api/UCallbacks.h"
#include "foundation/UStream.h"

namespace vellomar {

class TDBase;

// One variable of a template: its identifier as sections write it, and its present value.
struct TIdValue {
  std::string Id;
  std::string Value;
};

inline constexpr int kExportVariableCount = 35;
inline constexpr int kExportSectionCount = 12;

// Variables by their number in the template language.
enum ExportVariable : int {
  kVarDatabaseName = 1,
  kVarDatabasePath,
  kVarNumberOfDisks,
  kVarDiskName,
  kVarDiskSizeKB,
  kVarDiskFreeKB,
  kVarDiskFreePercent,
  kVarFolders,
  kVarFiles,
  kVarArchives,
  kVarTotalFilesInArchives,
  kVarTotalFoldersInArchives,
  kVarTotalDataSize,
  kVarOriginalPath,
  kVarVolumeLabel,
  kVarPhysSize,
  kVarArchSize,
  kVarScanDate,
  kVarPathToFolder,
  kVarFolderName,
  kVarFolderDataSize,
  kVarFilesInFolder,
  kVarFoldersInFolder,
  kVarPhysFolderDataSize,
  kVarPhysFilesInFolder,
  kVarPhysFoldersInFolder,
  kVarFileName,
  kVarFileSize,
  kVarFileDate,
  kVarFileTime,
  kVarShortDesc,
  kVarDesc,
  kVarCrLf,
  kVarTab,
  kVarSpace,
};

// Sections by their number: when each is written.
enum ExportSection : int {
  kSecDatabaseBegin = 1,
  kSecDiskBegin,
  kSecFolderBegin,
  kSecFirstColumnBegin,
  kSecEachColumnBegin,
  kSecFile,
  kSecDescription,
  kSecEachColumnEnd,
  kSecLastColumnEnd,
  kSecFolderEnd,
  kSecDiskEnd,
  kSecDatabaseEnd,
};

// The names the template language gives them, by number - 1.
extern const std::array<std::string_view, kExportVariableCount> kExportVariableNames;
extern const std::array<std::string_view, kExportSectionCount> kExportSectionNames;

// A piece of a section as parsed at load: literal text, or the variable of that number.
struct ExportPiece {
  std::string Text;
  int Variable = 0;

  friend bool operator==(const ExportPiece&, const ExportPiece&) = default;
};

// How values are written into the template's text, after the character filter, as the header
// keyword "escape" asks ("Escape = html", "Escape = csv ;" with its delimiter, "," by default):
// as they are, as HTML text ("&", "<", ">" and '"' as entities), or as CSV fields (a field that
// holds the delimiter, a quote, CR or LF is quoted, its quotes doubled). A CSV field is the text
// of the value variables written next to each other, so "<<pathtofolder>><<foldername>>" is one.
enum class ExportEscape : uint8_t { kNone, kHtml, kCsv };

// ExcludeChars and ReplaceChars worked out once at load: what each ASCII character becomes, by
// its code, and the characters of both lists for the others.
struct ExportCharFilter {
  bool Active = false;
  std::array<bool, 256> Kept{};        // the ASCII character stays as it is; by byte
  bool PrintableKept = false;          // every one from the blank to the tilde stays
  std::array<std::string, 128> Ascii;  // what each becomes
  std::vector<std::string> Excluded;
  std::vector<std::string> Pairs;  // from, to, from, to, ...
};

// A file of the folder being written: its record, and where its name and its sort key lie in
// the folder's text.
struct ExportFolderFile {
  TFileRecord Data;
  uint32_t NameOffset = 0;
  uint32_t KeyOffset = 0;
  uint16_t NameLength = 0;
  uint16_t KeyLength = 0;
  bool KeyAscii = false;  // known once, not again for each comparison
};

// Text that grows at its end without its new bytes being cleared first: a line is sized once,
// then copied into place.
class TExportText {
 public:
  // Room for n more bytes at the end, for the caller to fill.
  char* extend(size_t n) {
    if (capacity_ - size_ < n) grow(size_ + n);
    char* at = room_.get() + size_;
    size_ += n;
    return at;
  }
  void append(std::string_view text);
  std::string_view view() const { return {room_.get(), size_}; }
  size_t size() const { return size_; }
  void clear() { size_ = 0; }

 private:
  void grow(size_t needed);

  std::unique_ptr<char[]> room_;
  size_t size_ = 0;
  size_t capacity_ = 0;
};

// A section as the present folder's files write it: every value but the file's own in place as
// text, and each piece as the text it stands for.
struct ExportBoundSection {
  std::vector<ExportPiece> Pieces;
  std::vector<const std::string*> Texts;
};

// A loaded export template with its variable table and output: the export state of a run.
struct TDBaseExport {
  std::string IdentifierBegin = "<<";
  std::string IdentifierEnd = ">>";
  int32_t MaxDescLines = 0;  // 0: all
  int32_t MaxDescSize = 0;   // 0: all
  int32_t FileColumns = 1;
  std::array<TIdValue, kExportVariableCount> Variables;   // by number - 1
  std::array<std::string, kExportSectionCount> Sections;  // by number - 1, as read
  // Each section split once at load into text and variables, so that a value never becomes
  // template text.
  std::array<std::vector<ExportPiece>, kExportSectionCount> Parsed;
  // The variables some section writes, by number - 1: only these are worked out.
  std::array<bool, kExportVariableCount> Used{};
  // The file and description sections as the present folder's files write them.
  ExportBoundSection FolderFile;
  ExportBoundSection FolderDescription;
  TKFileStream Output;
  // The sections' text not yet written: it goes to the file in large blocks, so that a line
  // costs neither an allocation nor a write of its own.
  TExportText Line;
  // A number, date or time as it is formatted, before the filter.
  std::string Formatted;
  ShortString ShortDesc;  // room for a file's short description as it is read
  // The folder's files, kept until it ends so that they go out in their sort order.
  std::vector<ExportFolderFile> FolderFiles;
  std::string FolderText;
  std::vector<int32_t> FolderOrder;  // positions in FolderFiles, in their sort order
  TDBase* DBase = nullptr;
  bool Valid = false;
  std::string DefaultExt = "txt";
  std::string FileFilter;
  std::string ExcludeChars;
  std::string ReplaceChars;
  ExportCharFilter Filter;
  ExportEscape Escape = ExportEscape::kNone;
  char CsvDelimiter = ',';
  uint64_t BytesWritten = 0;
  int32_t FilesWritten = 0;
  uint8_t CurrentSection = 0;
  // The display options at load: the files' order, and how sizes and times are written.
  TFormatOptions Format;

  const std::string& value(int variable) const { return Variables[variable - 1].Value; }
  void setValue(int variable, std::string text) { Variables[variable - 1].Value = std::move(text); }
};

// Resets the record (taking the program's display options), reads the template file and parses
// its sections. Raises the file stream's exceptions when the file cannot be read; the caller
// tests Valid afterwards.
void LoadExportFormat(TDBaseExport& e, std::string_view fileName, TDBase* db);
// The same over the template's text.
void LoadExportFormatText(TDBaseExport& e, std::string_view text, TDBase* db);

void OpenExportOutput(TDBaseExport& e, std::string_view fileName);
// Writes what is gathered out and closes the file, also when the write raises; frees the lines.
// Until then a write that fails may raise from any event that writes.
void CloseExportOutput(TDBaseExport& e);

// The walk's events, each with the record it takes its values from.
void ExportDBaseBegin(TDBaseExport& e, const TDatabaseData& database);
void ExportDBaseEnd(TDBaseExport& e);
void ExportDiskBegin(TDBaseExport& e, const TDiskData& disk);
void ExportDiskEnd(TDBaseExport& e);
void ExportFolderBegin(TDBaseExport& e, const TFolderData& folder);
// Collects the entry; the folder's end writes the collected lines.
void ExportAddFile(TDBaseExport& e, const TOneFile& entry);
void ExportFolderEnd(TDBaseExport& e);
// One line of a found-files list: the disk's name and the folder's name from their records.
void ExportFoundFile(TDBaseExport& e, const TDiskData& disk, const TFolderData& folder,
                     const TOneFile& entry);

// The database export's side of a disk walk: each event goes to its export event, and the
// walk's progress to the given procedure (none: the walk is never stopped).
class TExportWalk : public TWalkSink {
 public:
  TExportWalk(TDBaseExport& e, std::function<void(bool& abort)> progress)
      : e_(e), progress_(std::move(progress)) {}

  void progress(bool& abort) override;
  void databaseBegin(const TDatabaseData& database) override { ExportDBaseBegin(e_, database); }
  void databaseEnd() override { ExportDBaseEnd(e_); }
  void diskBegin(const TDiskData& disk) override { ExportDiskBegin(e_, disk); }
  void diskEnd() override { ExportDiskEnd(e_); }
  void folderBegin(const TFolderData& folder) override { ExportFolderBegin(e_, folder); }
  void folderEnd() override { ExportFolderEnd(e_); }
  void file(const TOneFile& line) override { ExportAddFile(e_, line); }

 private:
  TDBaseExport& e_;
  std::function<void(bool& abort)> progress_;
};

// The text as the windows show it (valid UTF-8); then characters of ExcludeChars become blanks,
// and each pair of ReplaceChars maps its first character to its second, a later pair acting on
// the result of the earlier ones.
std::string FilterExportValue(const TDBaseExport& e, std::string_view text);
// Substitutes the section's variables and appends the result to the output.
void WriteExportSection(TDBaseExport& e, int section);
// The section's text with the present values, escaped as the template asks, as
// WriteExportSection would write it.
std::string ExpandExportSection(const TDBaseExport& e, int section);

}  // namespace vellomar
