#include "engine/UScanPrevious.h"

#include "engine/UEntryRecords.h"
#include "platform/PText.h"

namespace vellomar {

namespace {

constexpr int kSubDirsAndDescribedFiles = 1;
constexpr int kFilesOnly = 2;

// Equal keys for names equal ignoring case; a stored name may hold "/" but never "\".
std::string nameKey(std::string_view name, std::string_view ext) {
  return lowerText(name) + '\\' + lowerText(ext);
}

// Every stored field of a line, for comparing lists exactly.
std::string lineKey(const TOneFile& line) {
  ByteWriter w;
  writeFileRecord(w, line.Data);
  std::string key(w.bytes().begin(), w.bytes().end());
  key.append(line.Name.view());
  return key;
}

bool sameLines(const TScanLines& lines, const TFileCollection& previous) {
  if (static_cast<size_t>(previous.Count()) != lines.size()) return false;
  const auto items = previous.Items();
  size_t first = 0;
  while (first < lines.size() && lines[first].Line.Data == items[first]->Data &&
         lines[first].Line.Name == items[first]->Name) {
    ++first;
  }
  if (first == lines.size()) return true;
  std::unordered_map<std::string, int> unmatched;
  for (size_t i = first; i < lines.size(); ++i) ++unmatched[lineKey(*items[i])];
  for (size_t i = first; i < lines.size(); ++i) {
    const auto it = unmatched.find(lineKey(lines[i].Line));
    if (it == unmatched.end() || it->second == 0) return false;
    --it->second;
  }
  return true;
}

}  // namespace

std::optional<PreviousFolder> PreviousFolder::find(TTreeStruct* previous, TDirCollection* node,
                                                   bool alwaysRecreate) {
  if (previous == nullptr || node == nullptr) return std::nullopt;
  return PreviousFolder(*previous, *node, alwaysRecreate);
}

PreviousFolder::PreviousFolder(TTreeStruct& tree, TDirCollection& node, bool alwaysRecreate)
    : tree_(&tree), node_(&node), alwaysRecreate_(alwaysRecreate) {
  tree.CurDir = &node;
  LoadFileCol(tree, kSubDirsAndDescribedFiles);
  for (const TOneFile* line : tree.FileCol->Items()) {
    files_[nameKey(line->Name.view(), line->Data.Ext.view())].push_back(
        {line->Data.DateTime, line->Data.Attr, line->Data.DescOffset});
  }
  for (const TDirCollection* sub : node.Items()) {
    const TDirData& data = sub->Dir.Data;
    dirs_[nameKey(sub->Dir.Name.view(), data.Ext.view())].push_back(
        {data.DateTime, data.Attr, data.DescOffset});
  }
}

TCarriedDesc PreviousFolder::lookUp(const Index& index, int32_t dosDateTime, std::string_view name,
                                    std::string_view ext) const {
  const auto it = index.find(nameKey(name, ext));
  if (it == index.end()) return {};
  for (const Candidate& c : it->second) {
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
  tree_->CurDir = node_;
  LoadFileCol(*tree_, kFilesOnly);
  if (!sameLines(lines, *tree_->FileCol)) return std::nullopt;
  return node_->Dir.Data.FileListOffset;
}

}  // namespace vellomar
