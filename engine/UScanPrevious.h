#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "engine/UScanHooks.h"
#include "engine/UTreeStruct.h"

namespace vellomar {

// A description carried over from the previous version of an entry.
struct TCarriedDesc {
  int32_t Offset = 0;
  bool UserWritten = false;  // the entry keeps bit 0x200
};

// The previous version of one folder during a rescan: its file list and subfolder records,
// looked up by name through a hash rather than a search per file.
class PreviousFolder {
 public:
  // The folder node of the previous tree, made its current folder with its file list loaded;
  // none when there is no previous tree or no such folder. alwaysRecreate limits the carry-over
  // to descriptions the user wrote.
  static std::optional<PreviousFolder> find(TTreeStruct* previous, TDirCollection* node,
                                            bool alwaysRecreate);

  TDirCollection& node() const { return *node_; }

  // The first previous line (subfolder lines included) of equal base name and extension,
  // ignoring case, that has the same DOS date-time or a description the user wrote; its
  // description, also when that is none.
  TCarriedDesc fileDesc(int32_t dosDateTime, std::string_view name, std::string_view ext) const;
  // The same rule over the previous subfolder records, walk folders and archive folders alike.
  TCarriedDesc dirDesc(int32_t dosDateTime, std::string_view name, std::string_view ext) const;

  // The previous file-list block when lines equal its entries exactly, in any order: every
  // field, size and name included, so neither a changed size nor a case-only rename keeps a
  // stale block, nor does a damaged one. The block is read, not loaded as lines.
  std::optional<int32_t> sharedFileList(const TScanLines& lines) const;

 private:
  struct Candidate {
    int32_t DosDateTime;
    uint16_t Attr;
    int32_t DescOffset;
  };
  using Index = std::unordered_map<std::string, std::vector<Candidate>>;

  PreviousFolder(TTreeStruct& tree, TDirCollection& node, bool alwaysRecreate);
  TCarriedDesc lookUp(const Index& index, int32_t dosDateTime, std::string_view name,
                      std::string_view ext) const;

  TTreeStruct* tree_;
  TDirCollection* node_;
  bool alwaysRecreate_;
  Index files_;
  Index dirs_;
};

}  // namespace vellomar
