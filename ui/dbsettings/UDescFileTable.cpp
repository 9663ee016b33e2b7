#include "ui/dbsettings/UDescFileTable.h"

#include <algorithm>
#include <charconv>

#include "foundation/UShortString.h"

namespace vellomar {

namespace {

// A stored count below 100 is in thousands of characters.
std::string shownBytes(std::string_view stored) {
  int32_t value = 0;
  const auto [end, error] = std::from_chars(stored.data(), stored.data() + stored.size(), value);
  if (stored.empty() || error != std::errc{} || end != stored.data() + stored.size()) {
    return std::string(stored);
  }
  return std::to_string(value < 100 ? int64_t{value} * 1000 : int64_t{value});
}

}  // namespace

void DescFileTable::Parse(std::string_view text) {
  rows_ = {};
  text = text.substr(0, text.find('\0'));
  int row = 0;
  int field = 0;
  while (!text.empty() && row < kRows) {
    const size_t end = text.find('|');
    const std::string_view value = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    DescFileRow& r = rows_[row];
    switch (field) {
      case 0:
        r.Mask = value;
        break;
      case 1:
        r.Bytes = shownBytes(value);
        break;
      default:
        r.Filter = value;
        break;
    }
    if (++field == 3) {
      field = 0;
      ++row;
    }
  }
}

DescFileTable::Built DescFileTable::Build() const {
  Built built;
  for (const DescFileRow& row : rows_) {
    if (row.Mask.empty()) continue;
    const std::string rest = "|" + row.Bytes + "|" + row.Filter + "|";
    std::string piece;
    if (rest.size() < kMaxRowText) {
      piece = std::string(utf8Prefix(row.Mask, kMaxRowText - rest.size())) + rest;
    }
    if (piece.empty() || built.Text.size() + piece.size() > kMaxText) {
      built.Dropped.push_back(row.Mask);
      continue;
    }
    built.Text += piece;
  }
  return built;
}

bool DescFileTable::Add(int current, DescFileRow entry) {
  if (!rows_[kRows - 1].Mask.empty()) return false;
  current = std::clamp(current, 0, kRows - 1);
  for (int i = 0; i <= current; ++i) {
    if (rows_[i].Mask.empty()) {
      rows_[i] = std::move(entry);
      return true;
    }
  }
  for (int i = kRows - 1; i > current; --i) rows_[i] = std::move(rows_[i - 1]);
  rows_[current] = std::move(entry);
  return true;
}

void DescFileTable::Delete(int index) {
  if (index < 0 || index >= kRows) return;
  for (int i = index; i + 1 < kRows; ++i) rows_[i] = std::move(rows_[i + 1]);
  rows_[kRows - 1] = DescFileRow{};
}

void DescFileTable::Move(int from, int to) {
  if (from < 0 || from >= kRows || to < 0 || to >= kRows || from == to) return;
  DescFileRow moved = std::move(rows_[from]);
  if (from < to) {
    for (int i = from; i < to; ++i) rows_[i] = std::move(rows_[i + 1]);
  } else {
    for (int i = from; i > to; --i) rows_[i] = std::move(rows_[i - 1]);
  }
  rows_[to] = std::move(moved);
}

}  // namespace vellomar
