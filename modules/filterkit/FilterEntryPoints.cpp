// The three entry points of a filter module over a table of open transfers. Handles are
// 32-bit numbers, so the table maps them to the sources; no pointer crosses the interface.

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>

#include "abi/FilterAbi.h"
#include "modules/filterkit/TextSource.h"

namespace vellomar {

namespace {

// Longer names are refused rather than cut, which would name another file.
constexpr size_t kMaxFileName = 4096;

std::mutex tableMutex;
std::map<int32_t, std::shared_ptr<TextSource>> transfers;
int32_t lastHandle = 0;

std::shared_ptr<TextSource> findTransfer(int32_t handle) {
  std::lock_guard lock(tableMutex);
  const auto found = transfers.find(handle);
  return found == transfers.end() ? nullptr : found->second;
}

int32_t addTransfer(std::shared_ptr<TextSource> source) {
  std::lock_guard lock(tableMutex);
  do {
    lastHandle = lastHandle == INT32_MAX ? 1 : lastHandle + 1;
  } while (transfers.contains(lastHandle));
  transfers.emplace(lastHandle, std::move(source));
  return lastHandle;
}

}  // namespace

extern "C" {

__attribute__((visibility("default"))) int32_t OpenTransfer(const char* fileName,
                                                            int32_t* transfer) {
  if (!fileName || !transfer) return kFilterNoText;
  *transfer = 0;
  const size_t length = strnlen(fileName, kMaxFileName + 1);
  if (length == 0 || length > kMaxFileName) return kFilterNoText;
  try {
    std::shared_ptr<TextSource> source = openTextSource(std::string(fileName, length));
    if (!source || source->finished()) return kFilterNoText;
    *transfer = addTransfer(std::move(source));
    return kFilterOpened;
  } catch (...) {
    return kFilterNoText;
  }
}

__attribute__((visibility("default"))) int32_t GetOneBlock(int32_t transfer, uint8_t* buffer,
                                                           int32_t wanted, int32_t* delivered) {
  if (delivered) *delivered = 0;
  const std::shared_ptr<TextSource> source = findTransfer(transfer);
  if (!source || !buffer || !delivered || wanted < 1) return kFilterLastBlock;
  try {
    // A larger request would make the source convert that much text ahead.
    const size_t capacity = static_cast<size_t>(std::min(wanted, kFilterMaxBlock));
    *delivered = static_cast<int32_t>(source->read(buffer, capacity));
    return source->finished() ? kFilterLastBlock : kFilterMoreMayFollow;
  } catch (...) {
    return kFilterLastBlock;
  }
}

__attribute__((visibility("default"))) void CloseTransfer(int32_t transfer) {
  std::shared_ptr<TextSource> source;
  {
    std::lock_guard lock(tableMutex);
    const auto found = transfers.find(transfer);
    if (found == transfers.end()) return;
    source = std::move(found->second);
    transfers.erase(found);
  }
}

}  // extern "C"

}  // namespace vellomar
