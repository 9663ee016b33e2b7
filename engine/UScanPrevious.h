#pragma once

#include "engine/UEngineInternal.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "engine/UScanHooks.h"
#include "engine/UTreeStruct.h"

namespace vellomar {

// A description carried over from the previous version of an entry.
struct TCarriedDesc {
  int32_t Offset = 0;
  bool UserWritten = false;  // the entry keeps bit 0x200
};

// The previous version of one folder during a rescan: its subfolder records and the entries of
// its file list that have a description, looked up by name. The entries are read from the block
// and kept as a few bytes each, never as lines: a huge folder may have all of them described.
class PreviousFolder {
 public:
  // The folder node of the previous tree; none when there is no previous tree or no such
  // folder. alwaysRecreate limits the carry-over to descriptions the user wrote.
  static std::optional<PreviousFolder> find(TTreeStruct* previous, TDirCollection* node,
                                            bool alwaysRecreate);

  TDirCollection& node() const { return *node_; }

  // The first previous line (subfolder lines first, then the files in list order) of equal
  // base name and extension, ignoring case, that has the same DOS date-time or a description
  // the user wrote; its description, also when that is none.
  TCarriedDesc fileDesc(int32_t dosDateTime, std::string_view name, std::string_view ext) const;
  // The same rule over the previous subfolder records, walk folders and archive folders alike.
  TCarriedDesc dirDesc(int32_t dosDateTime, std::string_view name, std::string_view ext) const;

  // The previous file-list block when lines equal its entries exactly, in any order: every
  // field, size and name included, so neither a changed size nor a case-only rename keeps a
  // stale block, nor does a damaged one. The block is read, not loaded as lines.
  std::optional<int32_t> sharedFileList(const TScanLines& lines) const;

 private:
  struct Candidate {
    uint32_t KeyAt;  // in the index's key text
    uint32_t KeyLength;
    int32_t DosDateTime;
    int32_t DescOffset;
    uint16_t Attr;
  };

  // Candidates by their name key, those of one key in the order they were added; the keys
  // share one text.
  class Index {
   public:
    void add(std::string_view name, std::string_view ext, const TFileRecord& record);
    // Orders the candidates by key; call once all are added.
    void seal();
    bool empty() const { return candidates_.empty(); }
    std::span<const Candidate> of(std::string_view name, std::string_view ext) const;

   private:
    std::string_view keyOf(const Candidate& c) const {
      return {keys_.data() + c.KeyAt, c.KeyLength};
    }

    std::string keys_;
    std::vector<Candidate> candidates_;
  };

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
