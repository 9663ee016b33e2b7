#include "engine/UEngineDescImport.h"

#include <algorithm>
#include <array>
#include <optional>

#include "engine/UCatalogueFile.h"
#include "engine/UDBaseLayout.h"
#include "engine/UDescBlock.h"
#include "engine/UDescriptions.h"
#include "engine/UFilterModules.h"
#include "engine/UMasks.h"
#include "engine/UStreamBytes.h"
#include "engine/api/UApiGlobals.h"
#include "engine/api/UCallbacks.h"
#include "foundation/UByteReader.h"
#include "foundation/UExceptions.h"
#include "foundation/UShortString.h"

namespace vellomar {

namespace {

// The most text a block can hold with its length still an int32.
constexpr int32_t kMaxDescText = static_cast<int32_t>(kMaxDBaseFileSize - kDescBlockFixedSize);
// The continuation bytes a UTF-8 character may have past its first.
constexpr size_t kLongestCharacterTail = 3;

std::optional<std::string> filterText(const TFilterModule& module, const std::string& fileName,
                                      int32_t limit) {
  int32_t transfer = 0;
  if (openTransferOf(module)(fileName.c_str(), &transfer) != kFilterOpened) return std::nullopt;
  std::string text;
  std::array<uint8_t, kFilterMaxBlock> buffer;
  int32_t result = kFilterMoreMayFollow;
  bool sound = true;
  while (static_cast<int32_t>(text.size()) < limit && result == kFilterMoreMayFollow) {
    const int32_t wanted = std::min(kFilterMaxBlock, limit - static_cast<int32_t>(text.size()));
    int32_t delivered = 0;
    result = getOneBlockOf(module)(transfer, buffer.data(), wanted, &delivered);
    if (delivered < 0 || delivered > wanted) {
      sound = false;
      break;
    }
    if (delivered == 0) break;
    text.append(reinterpret_cast<const char*>(buffer.data()), static_cast<size_t>(delivered));
  }
  closeTransferOf(module)(transfer);
  if (!sound) return std::nullopt;
  return text;
}

std::optional<std::string> plainText(const std::string& fileName, int32_t limit) {
  try {
    TKFileStream file;
    file.Init(fileName, TKFileStream::kModeReadOnly);
    const int64_t size = file.GetSize();
    const auto n =
        static_cast<size_t>(std::min<int64_t>({limit, size, int64_t{kMaxPlainDescLength}}));
    // The bytes past the cut that may finish a character standing across it.
    const auto wanted = static_cast<size_t>(
        std::min<int64_t>(size, static_cast<int64_t>(n + kLongestCharacterTail)));
    std::string text(wanted, '\0');
    size_t got = 0;
    if (n != 0) file.Read(text.data(), wanted, got);
    // The file shrank since its size was taken.
    if (got != wanted) return std::nullopt;
    // Cut back to the last whole character, so that no description ends in half of one.
    text.resize(utf8CutLength(text, n));
    if (text.empty()) return std::nullopt;
    for (char& c : text) {
      if (static_cast<unsigned char>(c) < 0x20 && c != '\r' && c != '\n') c = ' ';
    }
    return text;
  } catch (const EKstvException&) {
    return std::nullopt;
  }
}

}  // namespace

int32_t ImportDescription(TTreeStruct& tree, const TLocalOptions& options, TKFileStream& stream,
                          const std::string& linuxFile, const ShortString& name) {
  if (!options.ScanDesc || CallbackAbort()) return 0;
  // Strict, so "*.txt" does not take "notes.txt.bak".
  const TMaskItem* item = FindMatchingMask(tree.MaskList, name.view(), false, true);
  if (!item || item->MaxChars <= 0) return 0;
  const int32_t limit = std::min(item->MaxChars, kMaxDescText);
  const bool filtered = item->Module && item->Module->Handle;
  const std::optional<std::string> text =
      filtered ? filterText(*item->Module, linuxFile, limit) : plainText(linuxFile, limit);
  if (!text) return 0;
  return appendDescBlock(stream, *text);
}

}  // namespace vellomar
