#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace vellomar {

// One row of a database's table of description files: which files are read for descriptions,
// how many characters, through which filter module.
struct DescFileRow {
  std::string Mask;
  std::string Bytes;  // as shown: a stored value below 100 counts thousands
  std::string Filter;

  friend bool operator==(const DescFileRow&, const DescFileRow&) = default;
};

// The table as the database settings dialog edits it: 30 rows, filled from the top.
class DescFileTable {
 public:
  static constexpr int kRows = 30;
  // What the stored text holds at most, without its terminating zero.
  static constexpr size_t kMaxText = 2048;
  static constexpr size_t kMaxRowText = 255;

  // Reads the stored triples, each field ended by "|", into the rows from the top; what does not
  // fit 30 rows is left out. A number of characters that is no number is shown as stored.
  void Parse(std::string_view text);

  struct Built {
    std::string Text;
    std::vector<std::string> Dropped;  // masks of rows that did not fit
  };
  // The stored text of the rows with a mask: rows that would take the text past its 2048 bytes
  // are left out and named, and a row is shortened in its mask, never in its separators, to
  // stay within 255 bytes.
  Built Build() const;

  const DescFileRow& Row(int index) const { return rows_[index]; }
  void SetRow(int index, DescFileRow row) { rows_[index] = std::move(row); }

  // The entry goes to the first empty row above or at current; when there is none it is
  // inserted at current, moving the rows below down. False, and nothing changes, when the last
  // row holds a mask.
  bool Add(int current, DescFileRow entry);
  // The row goes; the rows below move up and the last becomes empty.
  void Delete(int index);
  // A row dragged to another place.
  void Move(int from, int to);

 private:
  std::array<DescFileRow, kRows> rows_;
};

}  // namespace vellomar
