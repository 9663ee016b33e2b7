#include "engine/UScanPrevious.h"

#include <algorithm>
#include <span>
#include <vector>

#include "engine/UCatalogueFile.h"
#include "engine/UFileListBlock.h"
#include "engine/api/UEntryRecords.h"
#include "platform/PText.h"

namespace vellomar {

namespace {

// Equal keys for names equal ignoring case; a stored name may hold "/" but never "\".
std::string nameKey(std::string_view name, std::string_view ext) {
  return lowerText(name) + '\\' + lowerText(ext);
}

bool bytesBefore(std::span<const uint8_t> a, std::span<const uint8_t> b) {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end());
}

bool sameBytes(std::span<const uint8_t> a, std::span<const uint8_t> b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end());
}

// The new lines from first on against the previous entries the reader has still to give, in
// any order: each previous entry takes a new line of the same bytes that none took before.
bool sameLinesInAnyOrder(const TScanLines& lines, size_t first, const TOneFile& mismatched,
                         FileListReader& reader) {
  std::vector<size_t> sorted;
  sorted.reserve(lines.size());
  for (size_t i = first; i < lines.slots(); ++i) {
    if (lines.kept(i)) sorted.push_back(i);
  }
  std::sort(sorted.begin(), sorted.end(), [&lines](size_t a, size_t b) {
    return bytesBefore(lines.entryBytes(a), lines.entryBytes(b));
  });
  std::vector<bool> taken(sorted.size());
  TOneFile previous = mismatched;
  do {
    ByteWriter w;
    writeFileEntry(w, previous.Data, previous.Name.view());
    const std::span<const uint8_t> key(w.bytes());
    auto it = std::lower_bound(sorted.begin(), sorted.end(), key, [&lines](size_t i, auto k) {
      return bytesBefore(lines.entryBytes(i), k);
    });
    while (it != sorted.end() && taken[static_cast<size_t>(it - sorted.begin())]) ++it;
    if (it == sorted.end() || !sameBytes(lines.entryBytes(*it), key)) return false;
    taken[static_cast<size_t>(it - sorted.begin())] = true;
  } while (reader.next(previous));
  return reader.held() == reader.count();
}

}  // namespace

void PreviousFolder::Index::add(std::string_view name, std::string_view ext,
                                const TFileRecord& record) {
  const std::string key = nameKey(name, ext);
  candidates_.push_back({static_cast<uint32_t>(keys_.size()), static_cast<uint32_t>(key.size()),
                         record.DateTime, record.DescOffset, record.Attr});
  keys_ += key;
}

void PreviousFolder::Index::seal() {
  std::stable_sort(candidates_.begin(), candidates_.end(),
                   [this](const Candidate& a, const Candidate& b) { return keyOf(a) < keyOf(b); });
  candidates_.shrink_to_fit();
  keys_.shrink_to_fit();
}

std::span<const PreviousFolder::Candidate> PreviousFolder::Index::of(std::string_view name,
                                                                     std::string_view ext) const {
  const std::string key = nameKey(name, ext);
  const auto first =
      std::lower_bound(candidates_.begin(), candidates_.end(), key,
                       [this](const Candidate& c, std::string_view k) { return keyOf(c) < k; });
  const auto last =
      std::upper_bound(first, candidates_.end(), key,
                       [this](std::string_view k, const Candidate& c) { return k < keyOf(c); });
  return {first, last};
}

std::optional<PreviousFolder> PreviousFolder::find(TTreeStruct* previous, TDirCollection* node,
                                                   bool alwaysRecreate) {
  if (previous == nullptr || node == nullptr) return std::nullopt;
  return PreviousFolder(*previous, *node, alwaysRecreate);
}

PreviousFolder::PreviousFolder(TTreeStruct& tree, TDirCollection& node, bool alwaysRecreate)
    : tree_(&tree), node_(&node), alwaysRecreate_(alwaysRecreate) {
  for (const TDirCollection* sub : node.Items()) {
    const TFileRecord record = fileRecordOf(sub->Dir.Data);
    files_.add(sub->Dir.Name.view(), record.Ext.view(), record);
    dirs_.add(sub->Dir.Name.view(), record.Ext.view(), record);
  }
  TCatalogueFile& owner = *tree.Owner;
  FileListReader reader(owner.Stream, owner.DamageCounter, node.Dir.Data.FileListOffset);
  FileEntryView entry;
  int32_t entryOffset = 0;
  while (reader.next(entry, entryOffset)) {
    ByteReader record(entry.Record);
    const TFileRecord data = readFileRecord(record);
    if (HasDescription(data)) files_.add(entry.Name, data.Ext.view(), data);
  }
  files_.seal();
  dirs_.seal();
}

TCarriedDesc PreviousFolder::lookUp(const Index& index, int32_t dosDateTime, std::string_view name,
                                    std::string_view ext) const {
  if (index.empty()) return {};
  for (const Candidate& c : index.of(name, ext)) {
    const bool userWritten = (c.Attr & kAttrUserDesc) != 0;
    if (userWritten || (c.DosDateTime == dosDateTime && !alwaysRecreate_)) {
      return {c.DescOffset, c.DescOffset != 0 && userWritten};
    }
  }
  return {};
}

TCarriedDesc PreviousFolder::fileDesc(int32_t dosDateTime, std::string_view name,
                                      std::string_view ext) const {
  return lookUp(files_, dosDateTime, name, ext);
}

TCarriedDesc PreviousFolder::dirDesc(int32_t dosDateTime, std::string_view name,
                                     std::string_view ext) const {
  return lookUp(dirs_, dosDateTime, name, ext);
}

std::optional<int32_t> PreviousFolder::sharedFileList(const TScanLines& lines) const {
  const int32_t offset = node_->Dir.Data.FileListOffset;
  if (offset == 0) return lines.empty() ? std::optional<int32_t>(0) : std::nullopt;
  FileListReader reader(tree_->Owner->Stream, tree_->Owner->DamageCounter, offset);
  if (reader.count() != lines.size()) return std::nullopt;
  TOneFile previous;
  for (size_t i = 0; i < lines.slots(); ++i) {
    if (!lines.kept(i)) continue;
    if (!reader.next(previous)) return std::nullopt;
    const TFileEntry line = lines.at(i);
    if (line.Record == previous.Data && line.Name == previous.Name) continue;
    if (!sameLinesInAnyOrder(lines, i, previous, reader)) return std::nullopt;
    break;
  }
  return offset;
}

}  // namespace vellomar
