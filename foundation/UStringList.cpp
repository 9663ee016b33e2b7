#include "foundation/UStringList.h"

#include <algorithm>
#include <utility>

#include "foundation/USortedSearch.h"
#include "platform/PText.h"

namespace vellomar {

// ---- TKList ----

void TKList::Error(int32_t value) {
  throw EKListError("List index out of bounds (" + std::to_string(value) + ")");
}

void TKList::fail(int32_t value) {
  Error(value);
  throw EKListError("List index out of bounds (" + std::to_string(value) + ")");
}

void TKList::Grow() {
  int32_t delta = capacity_ > 16 ? capacity_ / 3 : capacity_ > 8 ? 16 : capacity_ > 4 ? 8 : 4;
  if (kMaxListSize - capacity_ < delta && capacity_ < kMaxListSize)
    delta = kMaxListSize - capacity_;
  SetCapacity(capacity_ + delta);
}

void* TKList::Get(int32_t index) {
  checkIndex(index);
  return list_[index];
}

void TKList::Put(int32_t index, void* item) {
  checkIndex(index);
  list_[index] = item;
}

void TKList::Insert(int32_t index, void* item) {
  if (index < 0 || index > count_) fail(index);
  if (count_ == capacity_) Grow();
  std::copy_backward(list_.get() + index, list_.get() + count_, list_.get() + count_ + 1);
  list_[index] = item;
  ++count_;
}

void TKList::Delete(int32_t index) {
  checkIndex(index);
  std::copy(list_.get() + index + 1, list_.get() + count_, list_.get() + index);
  --count_;
}

void TKList::Exchange(int32_t i, int32_t j) {
  checkIndex(i);
  checkIndex(j);
  std::swap(list_[i], list_[j]);
}

TKList& TKList::Expand() {
  if (count_ == capacity_) Grow();
  return *this;
}

void TKList::SetCapacity(int32_t n) {
  if (n < count_ || n > kMaxListSize) fail(n);
  if (n == capacity_) return;
  std::unique_ptr<void*[]> list;
  if (n > 0) {
    list = std::make_unique<void*[]>(static_cast<size_t>(n));
    std::copy(list_.get(), list_.get() + count_, list.get());
  }
  list_ = std::move(list);
  capacity_ = n;
}

void TKList::SetCount(int32_t n) {
  if (n < 0 || n > kMaxListSize) fail(n);
  if (n > capacity_) SetCapacity(n);
  if (n > count_) std::fill(list_.get() + count_, list_.get() + n, nullptr);
  count_ = n;
}

void TKList::Clear() {
  SetCount(0);
  SetCapacity(0);
}

// ---- TKStringList ----

struct TKStringList::Item {
  std::unique_ptr<TPlainObject> object;
  std::string text;
};

TKStringList::~TKStringList() {
  Clear();
}

TKStringList::Item& TKStringList::item(int32_t index) {
  return *static_cast<Item*>(list_.Get(index));
}

void TKStringList::sortedError() {
  throw EKListError("Operation not allowed on sorted string list");
}

int TKStringList::compare(const std::string& itemText, std::string_view s) const {
  return descending_ ? compareText(s, itemText) : compareText(itemText, s);
}

ShortString TKStringList::Get(int32_t index) {
  return ShortString(item(index).text);
}

TPlainObject* TKStringList::GetObject(int32_t index) {
  return item(index).object.get();
}

void TKStringList::Put(int32_t index, const ShortString& s) {
  if (sorted_) sortedError();
  item(index).text = s.view();
}

void TKStringList::PutObject(int32_t index, TPlainObject* obj) {
  Item& target = item(index);
  static_cast<void>(target.object.release());
  target.object.reset(obj);
}

int32_t TKStringList::Add(const ShortString& s) {
  int32_t index = list_.Count();
  if (sorted_ && Find(s, index) && duplicates_ == kDuplicatesIgnore) return index;
  auto added = std::make_unique<Item>();
  added->text = s.view();
  list_.Expand().Insert(index, added.get());
  static_cast<void>(added.release());
  return index;
}

int32_t TKStringList::AddObject(const ShortString& s, TPlainObject* obj) {
  std::unique_ptr<TPlainObject> owned(obj);
  const int32_t index = Add(s);
  Item& target = item(index);
  if (target.object.get() != obj) target.object = std::move(owned);
  static_cast<void>(owned.release());
  return index;
}

void TKStringList::Clear() {
  for (int32_t i = 0; i < list_.Count(); ++i) delete static_cast<Item*>(list_.Get(i));
  list_.Clear();
}

void TKStringList::Delete(int32_t index) {
  std::unique_ptr<Item> removed(&item(index));
  list_.Delete(index);
}

void TKStringList::Exchange(int32_t i, int32_t j) {
  list_.Exchange(i, j);
}

bool TKStringList::Find(const ShortString& s, int32_t& index) {
  return sortedSearch(
      list_.Count(), [&](int32_t i) { return compare(item(i).text, s.view()); },
      duplicates_ == kDuplicatesAccept, index);
}

int32_t TKStringList::IndexOf(const ShortString& s) {
  if (sorted_) {
    int32_t index;
    return Find(s, index) ? index : -1;
  }
  for (int32_t i = 0; i < list_.Count(); ++i) {
    if (compareText(item(i).text, s.view()) == 0) return i;
  }
  return -1;
}

void TKStringList::Insert(int32_t index, const ShortString& s) {
  if (sorted_) sortedError();
  auto added = std::make_unique<Item>();
  added->text = s.view();
  list_.Insert(index, added.get());
  static_cast<void>(added.release());
}

void TKStringList::Sort() {
  if (!sorted_) quickSort();
}

// Partitions around the middle item as it stands; recursing into the smaller part and looping
// over the larger keeps the stack depth logarithmic whatever the input.
void TKStringList::quickSort() {
  struct Range {
    int32_t lo, hi;
  };
  const auto partition = [&](Range range) {
    int32_t i = range.lo;
    int32_t j = range.hi;
    // Items stay where they are on the heap; only their pointers move.
    const std::string& pivotText = item(range.lo + (range.hi - range.lo) / 2).text;
    while (i <= j) {
      while (compare(item(i).text, pivotText) < 0) ++i;
      while (compare(item(j).text, pivotText) > 0) --j;
      if (i <= j) list_.Exchange(i++, j--);
    }
    return std::pair<Range, Range>{{range.lo, j}, {i, range.hi}};
  };
  const auto sortRange = [&](auto& self, Range range) -> void {
    while (range.lo < range.hi) {
      auto [left, right] = partition(range);
      if (left.hi - left.lo < right.hi - right.lo) {
        self(self, left);
        range = right;
      } else {
        self(self, right);
        range = left;
      }
    }
  };
  if (list_.Count() > 1) sortRange(sortRange, {0, list_.Count() - 1});
}

void TKStringList::SetSorted(bool value) {
  if (value == sorted_) return;
  if (value) Sort();
  sorted_ = value;
}

void TKStringList::SetDescending(bool value) {
  if (value == descending_) return;
  descending_ = value;
  if (sorted_) quickSort();
}

}  // namespace vellomar
