#include "setup/Unshrink.h"

#include <vector>

namespace vellomar::setup {

namespace {

constexpr int kTableSize = 8192;
constexpr int kControlCode = 256;
constexpr int kFirstFreeCode = 257;
constexpr int kInitialWidth = 9;
constexpr int kMaxWidth = 13;
constexpr int kWiden = 1;
constexpr int kPartialClear = 2;
constexpr int16_t kNoParent = -1;

class ShrinkTable {
 public:
  ShrinkTable()
      : parent_(kTableSize, kNoParent),
        character_(kTableSize, 0),
        children_(kTableSize, 0),
        freeCodes_(kTableSize),
        stack_(kTableSize) {
    for (int c = 0; c < kControlCode; ++c) character_[c] = static_cast<uint8_t>(c);
    rebuildFreeList();
  }

  bool defined(int code) const { return code < kControlCode || parent_[code] != kNoParent; }

  // Writes the string of code (or, for a code not yet defined, the previous string and its
  // first character) and answers the string's first character.
  uint8_t writeString(ZipEntryStream& stream, int code, int previous) {
    const bool pending = !defined(code);
    int depth = 0;
    // Parent links only ever form a chain longer than the table when the data is damaged.
    for (int c = pending ? previous : code;; c = parent_[c]) {
      if (depth == kTableSize) RaiseNoMemory();
      stack_[depth++] = character_[c];
      if (parent_[c] == kNoParent) break;
    }
    const uint8_t first = stack_[depth - 1];
    while (depth > 0 && !stream.outputComplete()) stream.OutputByte(stack_[--depth]);
    if (pending && !stream.outputComplete()) stream.OutputByte(first);
    return first;
  }

  void add(int previous, uint8_t character) {
    if (nextFree_ == freeCount_) return;
    const int code = freeCodes_[nextFree_++];
    parent_[code] = static_cast<int16_t>(previous);
    character_[code] = character;
    ++children_[previous];
  }

  // Leaves are found first and released afterwards, so a parent that loses its last child in
  // this clear stays.
  void partialClear() {
    int leaves = 0;
    for (int c = kFirstFreeCode; c < kTableSize; ++c) {
      if (parent_[c] != kNoParent && children_[c] == 0) freeCodes_[leaves++] = c;
    }
    for (int i = 0; i < leaves; ++i) {
      const int c = freeCodes_[i];
      --children_[parent_[c]];
      parent_[c] = kNoParent;
      character_[c] = 0;
    }
    rebuildFreeList();
  }

 private:
  void rebuildFreeList() {
    freeCount_ = 0;
    nextFree_ = 0;
    for (int c = kFirstFreeCode; c < kTableSize; ++c) {
      if (parent_[c] == kNoParent) freeCodes_[freeCount_++] = static_cast<uint16_t>(c);
    }
  }

  std::vector<int16_t> parent_;
  std::vector<uint8_t> character_;
  std::vector<uint16_t> children_;
  std::vector<uint16_t> freeCodes_;
  int freeCount_ = 0;
  int nextFree_ = 0;
  std::vector<uint8_t> stack_;
};

}  // namespace

void Unshrink(ZipEntryStream& stream) {
  if (stream.outputComplete()) return;
  ShrinkTable table;
  int width = kInitialWidth;
  int previous = stream.ReadBits(width);
  if (previous < 0) return;
  if (previous >= kControlCode) RaiseArchiveError(kArchiveBadShrinkCode);
  stream.OutputByte(static_cast<uint8_t>(previous));
  // Codes never exceed the table: the width is capped at 13 bits.
  while (!stream.outputComplete()) {
    const int code = stream.ReadBits(width);
    if (code < 0) return;
    if (code == kControlCode) {
      const int control = stream.ReadBits(width);
      if (control < 0) return;
      if (control == kWiden && width < kMaxWidth) {
        ++width;
      } else if (control == kPartialClear) {
        table.partialClear();
      } else {
        RaiseArchiveError(kArchiveBadShrinkCode);
      }
      continue;
    }
    table.add(previous, table.writeString(stream, code, previous));
    previous = code;
  }
}

}  // namespace vellomar::setup
