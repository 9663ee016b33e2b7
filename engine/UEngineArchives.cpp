#include "engine/UEngineArchives.h"

#include <algorithm>
#include <climits>
#include <filesystem>
#include <memory>
#include <optional>
#include <unordered_map>
#include <utility>

#include "abi/VUnZip32Abi.h"
#include "engine/UArchiveArc.h"
#include "engine/UArchiveArj.h"
#include "engine/UArchiveLha.h"
#include "engine/UArchiveRar.h"
#include "engine/UArchiveZip.h"
#include "engine/UBackupSets.h"
#include "engine/UCatalogueFile.h"
#include "engine/UDescCarryOver.h"
#include "engine/UEngineDescImport.h"
#include "engine/UMasks.h"
#include "engine/USelfExtractors.h"
#include "engine/UTreeStruct.h"
#include "engine/UUnAce.h"
#include "engine/UUnRar.h"
#include "engine/api/UApiGlobals.h"
#include "engine/api/UCallbacks.h"
#include "foundation/UBaseUtils.h"
#include "foundation/UExceptions.h"
#include "platform/PLibrary.h"
#include "platform/PTempFolder.h"
#include "platform/PText.h"

namespace vellomar {
namespace {

constexpr uint8_t kAnswerSkip = 0;
constexpr uint8_t kAnswerScan = 1;
constexpr uint32_t kBytesPerMB = 1048576;
constexpr int32_t kFilterOutputFactor = 10;
constexpr const char* kExtractEntryPoint = "ExtractFile";
constexpr const char* kTempFilePrefix = "Vlmr";
// The extraction folder is private to the module and holds one member at a time.
constexpr const char* kTempFileName = "Vlmr0001.tmp";

bool isDigit(char c) {
  return c >= '0' && c <= '9';
}

bool isLetter(char c) {
  return c >= 'a' && c <= 'z';
}

bool allDigits(std::string_view text) {
  return !text.empty() && std::all_of(text.begin(), text.end(), isDigit);
}

// ".a01", ".r12": a volume of a multi-volume archive.
bool isVolumeExt(std::string_view ext, char letter) {
  return ext.size() == 4 && ext[0] == '.' && ext[1] == letter && allDigits(ext.substr(2));
}

bool isNumberExt(std::string_view ext) {
  return ext.size() == 4 && ext[0] == '.' && allDigits(ext.substr(1));
}

// Norton Backup names its catalogues like "qb12345x".
bool isNortonName(std::string_view name) {
  return name.size() == 8 && isLetter(name[0]) && isLetter(name[1]) &&
         allDigits(name.substr(2, 5)) && isLetter(name[7]);
}

// Lists the archive with one reader; kind tells what its members are.
bool runReader(ArchiveReader reader, TArchiveEntryList& list, const std::string& path,
               const TLocalOptions& options, ArchiveKind& kind) {
  switch (reader) {
    case ArchiveReader::kSelfExtractor: {
      uint8_t found = kSfxNone;
      const bool listed = ReadSfxArchive(list, path, options.ScanOtherExeArchives, found);
      kind = static_cast<ArchiveKind>(found);
      return listed;
    }
    case ArchiveReader::kArj:
      kind = ArchiveKind::kArj;
      return ReadArjArchive(list, path, 0);
    case ArchiveReader::kRar:
      kind = ArchiveKind::kRar;
      return ReadRarArchive(list, path, 0);
    case ArchiveReader::kAce:
      kind = ArchiveKind::kAce;
      return ReadAceArchive(list, path);
    case ArchiveReader::kLha:
      kind = ArchiveKind::kLha;
      return ReadLhaArchive(list, path, 0);
    case ArchiveReader::kNortonBackup:
      kind = ArchiveKind::kNoExtraction;
      return ReadNortonBackup(list, path);
    case ArchiveReader::kDosBackup:
      kind = ArchiveKind::kNoExtraction;
      return ReadDosBackup(list, path);
    case ArchiveReader::kZip:
      kind = ArchiveKind::kZip;
      return ReadZipCentral(list, path, 0);
    case ArchiveReader::kArc:
      kind = ArchiveKind::kNoExtraction;
      return ReadArcArchive(list, path);
    case ArchiveReader::kPcBackup:
      kind = ArchiveKind::kNoExtraction;
      return ReadPcBackup(list, path);
  }
  return false;
}

const TArchiveModule* moduleFor(const TTreeStruct& tree, ArchiveKind kind) {
  for (const TArchiveModule* module : tree.ArchiveModules.Items()) {
    if (static_cast<uint8_t>(module->Kind) == static_cast<uint8_t>(kind)) return module;
  }
  return nullptr;
}

// A limit of 0 (the setting's default, shown as no limit) lets every member through.
bool aboveSizeLimit(const TArchiveModule& module, uint32_t entrySize) {
  return module.SizeLimitMB > 0 && int64_t{module.SizeLimitMB} < int64_t{entrySize / kBytesPerMB};
}

int32_t extractWith(const TArchiveModule& module, const ArchivePaths& archive,
                    const std::string& member, const std::string& target, int32_t maxBytes,
                    int32_t headerOffset) {
  if (!module.BuiltIn) {
    const auto extract = reinterpret_cast<ZipExtractFileProc>(module.ExtractFile);
    if (extract == nullptr) return kZipBadArgument;
    return extract(archive.Linux.c_str(), member.c_str(), target.c_str(), maxBytes, headerOffset);
  }
  if (module.Kind == ArchiveModuleKind::kRar) {
    return RarExtractFile(archive.Linux, member, target, maxBytes, headerOffset);
  }
  return AceExtractFile(archive.Linux, member, target, maxBytes, headerOffset);
}

// The lines of each folder node of one archive, written once each at the end: folders that
// differ only in case are one node, and the entries of such a node do not stand together.
class ArchiveFileLists {
 public:
  TFileCollection& linesOf(TDirCollection* node) {
    const auto [it, added] = index_.try_emplace(node, lists_.size());
    if (added) lists_.emplace_back(node, std::make_unique<TFileCollection>(100, 200));
    return *lists_[it->second].second;
  }

  void write(TKFileStream& stream) {
    for (auto& [node, lines] : lists_) {
      if (lines->Count() == 0) continue;
      stream.SeekToEnd();
      node->Dir.Data.FileListOffset = static_cast<int32_t>(stream.GetPosition());
      int64_t size = 0;
      WriteFileList(*lines, stream, size, true);
    }
  }

 private:
  std::unordered_map<TDirCollection*, size_t> index_;
  std::vector<std::pair<TDirCollection*, std::unique_ptr<TFileCollection>>> lists_;
};

TOneFile* lineOf(const TArchiveEntry& entry) {
  auto line = std::make_unique<TOneFile>();
  line->Name = ShortString(entry.Name);
  SplitName(line->Name, line->Data.Ext);
  line->Data.Attr = entry.Attr;
  line->Data.DateTime = entry.DateTime;
  line->Data.Size = static_cast<int32_t>(entry.Size);
  return line.release();
}

// The one file name of a module's extraction folder, removed on every way out, so the next
// member finds the name free; a library may leave its target behind when it fails.
class ExtractedFile {
 public:
  explicit ExtractedFile(std::string path) : path_(std::move(path)) {}
  ~ExtractedFile() {
    std::error_code ignored;
    std::filesystem::remove(path_, ignored);
  }
  ExtractedFile(const ExtractedFile&) = delete;
  ExtractedFile& operator=(const ExtractedFile&) = delete;

  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

SharedLibrary* libraryOf(const TArchiveModule& module) {
  return static_cast<SharedLibrary*>(module.Handle);
}

void loadModule(TArchiveModule& module) {
  const std::string name = module.Name.str();
  CallbackMessage(ShortString("Loading library " + name));
  const std::string file = findFileIgnoringCase(programFolder(), name);
  SharedLibrary library = file.empty() ? SharedLibrary() : SharedLibrary::load(file);
  // A file cut short is there, but offers none of its functions.
  if (!library.loaded() && !library.broken()) {
    throw EKstvNormalException("The library " + name + " cannot be open.");
  }
  void* extract = library.symbol(kExtractEntryPoint);
  if (extract == nullptr) {
    throw EKstvNormalException("Library " + name + " does not contain all needed functions.");
  }
  // The handle field holds the loaded library itself, which FreeArchiveModules deletes.
  module.Handle = new SharedLibrary(std::move(library));
  module.ExtractFile = extract;
}

}  // namespace

std::vector<ArchiveReader> ArchiveReadersFor(std::string_view baseName, std::string_view extension,
                                             const TLocalOptions& options) {
  const std::string name = lowerText(baseName);
  const std::string ext = lowerText(extension);
  std::vector<ArchiveReader> readers;
  if (ext == ".exe" && (options.ScanZipExeArchives || options.ScanOtherExeArchives)) {
    readers.push_back(ArchiveReader::kSelfExtractor);
  }
  if (ext == ".arj" || isVolumeExt(ext, 'a')) readers.push_back(ArchiveReader::kArj);
  if (ext == ".rar" || isVolumeExt(ext, 'r')) readers.push_back(ArchiveReader::kRar);
  if (ext == ".ace") readers.push_back(ArchiveReader::kAce);
  if (ext == ".lzh" || ext == ".lha" || ext == ".ice") readers.push_back(ArchiveReader::kLha);
  if (isNortonName(name) && isNumberExt(ext)) readers.push_back(ArchiveReader::kNortonBackup);
  if (name == "control" && isNumberExt(ext)) readers.push_back(ArchiveReader::kDosBackup);
  if (ext == ".zip") readers.push_back(ArchiveReader::kZip);
  if (ext == ".arc") readers.push_back(ArchiveReader::kArc);
  if (name == "pcbackup" && ext == ".dir") readers.push_back(ArchiveReader::kPcBackup);
  return readers;
}

bool AskScanArchive(TTreeStruct& tree, const ShortString& path) {
  auto& state = tree.ScanState;
  switch (state[kScanKindByte]) {
    case kScanArchivesNoPrompt:
      state[kAnswerByte] = kAnswerScan;
      break;
    case kScanArchivesPrompt:
      if (state[kAskedByte] != 0) break;
      switch (CallbackChoice(path)) {
        case kChoiceScan:
          state[kAnswerByte] = kAnswerScan;
          break;
        case kChoiceSkip:
          state[kAnswerByte] = kAnswerSkip;
          break;
        case kChoiceScanAll:
          state[kAnswerByte] = kAnswerScan;
          state[kScanKindByte] = kScanArchivesNoPrompt;
          break;
        case kChoiceSkipAll:
          state[kAnswerByte] = kAnswerSkip;
          state[kScanKindByte] = kScanArchivesNo;
          break;
        default:
          break;
      }
      state[kAskedByte] = 1;
      break;
    default:
      state[kAnswerByte] = kAnswerSkip;
      break;
  }
  return state[kAnswerByte] == kAnswerScan;
}

bool ScanArchive(TTreeStruct& tree, TTreeStruct* previous, const TLocalOptions& options,
                 TDirCollection& folder, TScanLines& lines, size_t index,
                 const ArchivePaths& archive) {
  if (CallbackAbort()) return false;
  if (options.ScanArchives == kScanArchivesNo) return false;
  const TFileEntry line = lines.at(index);
  const std::vector<ArchiveReader> readers =
      ArchiveReadersFor(line.Name.view(), line.Record.Ext.view(), options);
  if (readers.empty()) return false;
  const ShortString shownPath = CutPathToTail(archive.System, ShortString::kMaxLength);
  const int64_t fileSize = fileSizeOf(line.Record.Size);
  tree.ScanState[kAskedByte] = 0;
  for (const ArchiveReader reader : readers) {
    if (!AskScanArchive(tree, shownPath)) continue;
    TArchiveEntryList entries;
    ArchiveKind kind = ArchiveKind::kNoExtraction;
    if (!runReader(reader, entries, archive.Linux, options, kind)) continue;
    ++tree.DiskInfo.Archives;
    TDirCollection* node = AddArchiveToTree(tree, options, folder, tree.Owner->Stream, archive,
                                            kind, entries, lines, index);
    if (node == nullptr) return false;
    // The scan counted the archive's own size; its members count instead.
    tree.DiskInfo.DataSize -= fileSize;
    CarryArchiveDescs(tree, previous, *node, tree.Owner->Stream);
    return true;
  }
  return false;
}

TDirCollection* AddArchiveToTree(TTreeStruct& tree, const TLocalOptions& options,
                                 TDirCollection& folder, TKFileStream& stream,
                                 const ArchivePaths& archive, ArchiveKind kind,
                                 const TArchiveEntryList& entries, TScanLines& lines,
                                 size_t index) {
  const TArchiveModule* module = moduleFor(tree, kind);
  if (entries.Count() == 0) return nullptr;
  const TFileEntry line = lines.at(index);
  auto made = std::make_unique<TDirCollection>(&folder, 0, true);
  made->Dir.Name = line.Name;
  made->Dir.Data.Ext = line.Record.Ext;
  made->Dir.Data.DateTime = line.Record.DateTime;
  made->Dir.Data.Size = line.Record.Size;
  made->Dir.Data.Attr = kAttrFolder | kAttrArchiveFolder;
  // A folder of exactly this name is there already: the archive stays a file.
  if (!folder.Add(made.get())) return nullptr;
  TDirCollection* archiveNode = made.release();
  lines.remove(index);

  TDiskInfo& info = tree.DiskInfo;
  ArchiveFileLists fileLists;
  std::string_view currentPath = "\\";
  TDirCollection* current = archiveNode;
  TFileCollection* currentLines = &fileLists.linesOf(current);
  for (const TArchiveEntry* entry : entries.Items()) {
    if (entry->Path != currentPath) {
      currentPath = entry->Path;
      current = ForceArchivePath(tree, *archiveNode, currentPath);
      currentLines = &fileLists.linesOf(current);
    }
    ++info.ArchiveFiles;
    info.ArchSize += entry->Size;
    info.DataSize += entry->Size;
    TOneFile* added = lineOf(*entry);
    currentLines->InsertAt(currentLines->Count(), added);
    if (module != nullptr) {
      added->Data.DescOffset =
          ExtractDescription(tree, options, stream, archive, entry->Size, entry->HeaderOffset,
                             *module, entry->Name, entry->Path);
    }
    ++current->Dir.Data.FileCount;
    current->Dir.Data.FilesSize += entry->Size;
  }
  fileLists.write(stream);
  return archiveNode;
}

TDirCollection* ForceArchivePath(TTreeStruct& tree, TDirCollection& archiveNode,
                                 std::string_view entryPath) {
  if (entryPath.starts_with('\\')) entryPath.remove_prefix(1);
  TDirCollection* node = &archiveNode;
  for (size_t slash; (slash = entryPath.find('\\')) != std::string_view::npos;) {
    const std::string_view part = entryPath.substr(0, slash);
    entryPath.remove_prefix(slash + 1);
    if (!part.empty()) node = FindOrAddArchiveDir(tree, part, *node);
  }
  return node;
}

TDirCollection* FindOrAddArchiveDir(TTreeStruct& tree, std::string_view name,
                                    TDirCollection& node) {
  if (TDirCollection* found = FindDirByPath(&node, name)) return found;
  auto made = std::make_unique<TDirCollection>(&node, 0, true);
  made->Dir.Name = ShortString(name);
  SplitName(made->Dir.Name, made->Dir.Data.Ext);
  made->Dir.Data.Attr = kAttrFolder;
  if (!node.Add(made.get())) return &node;
  ++tree.DiskInfo.ArchiveFolders;
  return made.release();
}

int32_t ExtractDescription(TTreeStruct& tree, const TLocalOptions& options, TKFileStream& stream,
                           const ArchivePaths& archive, uint32_t entrySize, int32_t headerOffset,
                           const TArchiveModule& module, const std::string& name,
                           const std::string& entryPath) {
  if (!options.ScanDesc || CallbackAbort()) return 0;
  if (aboveSizeLimit(module, entrySize)) return 0;
  const TMaskItem* mask = FindMatchingMask(tree.MaskList, name, false, true);
  if (mask == nullptr) return 0;
  if (!module.Extraction) return 0;
  const std::string member =
      std::string(entryPath.starts_with('\\') ? entryPath.substr(1) : entryPath) + name;
  const ExtractedFile target(module.Extraction->path() + kTempFileName);
  CallbackMessage(ShortString("Extracting " + name + " from " +
                              CutPathToTail(archive.System, ShortString::kMaxLength).str()));
  const int64_t factor = mask->Module != nullptr ? kFilterOutputFactor : 1;
  const auto maxBytes =
      static_cast<int32_t>(std::clamp<int64_t>(int64_t{mask->MaxChars} * factor, 0, INT32_MAX));
  if (extractWith(module, archive, member, target.path(), maxBytes, headerOffset) != 0) return 0;
  return ImportDescription(tree, options, stream, target.path(), ShortString(name));
}

void LoadArchiveModules(TTreeStruct& tree, const TLocalOptions& options) {
  FreeArchiveModules(tree);
  tree.ArchiveModules.FreeAll();
  const auto add = [&](ArchiveModuleKind kind) {
    tree.ArchiveModules.InsertAt(tree.ArchiveModules.Count(),
                                 new TArchiveModule(kind, options.SizeLimitMB));
  };
  if (options.ExtractFromZips) add(ArchiveModuleKind::kZipLibrary);
  if (options.ExtractFromRars) add(ArchiveModuleKind::kRar);
  if (options.ExtractFromAces) add(ArchiveModuleKind::kAce);
  for (TArchiveModule* module : tree.ArchiveModules.Items()) {
    if (!module->BuiltIn) loadModule(*module);
    module->Extraction = PrivateTempFolder::create(kTempFilePrefix);
  }
}

void FreeArchiveModules(TTreeStruct& tree) {
  for (TArchiveModule* module : tree.ArchiveModules.Items()) {
    module->Extraction.reset();
    if (module->Handle == nullptr) continue;
    CallbackMessage(ShortString("Releasing library " + module->Name.str()));
    delete libraryOf(*module);
    module->Handle = nullptr;
    module->ExtractFile = nullptr;
  }
}

}  // namespace vellomar
