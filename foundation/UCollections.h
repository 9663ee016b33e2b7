#pragma once

#include <algorithm>
#include <cstdint>
#include <memory>
#include <new>
#include <span>

#include "foundation/UExceptions.h"
#include "foundation/USortedSearch.h"

namespace vellomar {

// Root of the collections and of the objects they own: deleting one through this type runs the
// object's own destructor.
class TPlainObject {
 public:
  TPlainObject() = default;
  virtual ~TPlainObject() = default;

 protected:
  // Copies only through a concrete type, never sliced through the root.
  TPlainObject(const TPlainObject&) = default;
  TPlainObject& operator=(const TPlainObject&) = default;
};

inline constexpr int32_t kMaxCollectionItems = 0x40000;

// "Internal problem in list indexing." / "Too large list or not enough memory."
[[noreturn]] void throwListIndexError();
[[noreturn]] void throwListTooLarge();

// A growable array of item pointers that owns its items: FreeAt, FreeAll and the destructor
// dispose of them through DisposeItem (delete by default). Capacity grows by GrowBy slots and
// never passes MaxItems: kMaxCollectionItems, unless a list whose length a file sets asks for
// more.
//
// C++ runs only this class's DisposeItem inside its destructor: a descendant that overrides
// DisposeItem calls FreeAll() (or RemoveAll()) in its own destructor.
template <class T>
class TItemCollection : public TPlainObject {
 public:
  TItemCollection(int32_t capacity, int32_t growBy, int32_t maxItems = kMaxCollectionItems)
      : growBy_(growBy), maxItems_(maxItems) {
    resize(capacity);
  }
  ~TItemCollection() override { FreeAll(); }
  TItemCollection(const TItemCollection&) = delete;
  TItemCollection& operator=(const TItemCollection&) = delete;

  int32_t Count() const { return count_; }
  // Where the count is kept, for a reader that follows it while the collection grows.
  const int32_t& CountRef() const { return count_; }
  int32_t Capacity() const { return capacity_; }
  int32_t GrowBy() const { return growBy_; }
  int32_t MaxItems() const { return maxItems_; }
  std::span<T* const> Items() const { return {items_.get(), static_cast<size_t>(count_)}; }

  T* ItemAt(int32_t index) const {
    if (index < 0 || index >= count_) throwListIndexError();
    return items_[index];
  }

  // Takes the item out without disposing of it.
  void RemoveAt(int32_t index) {
    if (index < 0 || index >= count_) throwListIndexError();
    std::copy(items_.get() + index + 1, items_.get() + count_, items_.get() + index);
    --count_;
  }

  void FreeAt(int32_t index) {
    T* item = ItemAt(index);
    RemoveAt(index);
    DisposeItem(item);
  }

  void InsertAt(int32_t index, T* item) {
    if (count_ == capacity_) {
      SetCapacity(
          static_cast<int32_t>(std::clamp<int64_t>(int64_t{capacity_} + growBy_, 0, maxItems_)));
      if (count_ == capacity_) throwListTooLarge();
    }
    if (index < 0 || index > count_) throwListIndexError();
    std::copy_backward(items_.get() + index, items_.get() + count_, items_.get() + count_ + 1);
    items_[index] = item;
    ++count_;
  }

  // Raises the index error, removing nothing, when this very pointer is not held.
  void Remove(const T* item) { RemoveAt(IndexOfItem(item)); }

  // Forgets every item without disposing of it; the capacity stays.
  void RemoveAll() { count_ = 0; }

  void FreeAll() {
    for (int32_t i = 0; i < count_; ++i) DisposeItem(items_[i]);
    count_ = 0;
  }

  virtual void DisposeItem(T* item) { delete item; }

  // First index holding this pointer, -1 when none.
  virtual int32_t IndexOfItem(const T* item) const {
    const auto end = items_.get() + count_;
    const auto found = std::find(items_.get(), end, item);
    return found == end ? -1 : static_cast<int32_t>(found - items_.get());
  }

  // Whether the item was taken; when not, the caller still owns it.
  virtual bool Add(T* item) {
    InsertAt(count_, item);
    return true;
  }

  // Clamped to Count..MaxItems; when memory runs out the capacity stays as it was.
  virtual void SetCapacity(int32_t capacity) { resize(capacity); }

 private:
  void resize(int32_t capacity) {
    capacity = std::min(std::max(capacity, count_), maxItems_);
    if (capacity == capacity_) return;
    std::unique_ptr<T*[]> items;
    if (capacity > 0) {
      items.reset(new (std::nothrow) T*[capacity]);
      if (!items) return;
      std::copy(items_.get(), items_.get() + count_, items.get());
    }
    items_ = std::move(items);
    capacity_ = capacity;
  }

  std::unique_ptr<T*[]> items_;
  int32_t count_ = 0;
  int32_t capacity_ = 0;
  int32_t growBy_;
  int32_t maxItems_;
};

// A collection kept in the order of Compare over ItemKey. Without AllowDuplicates an item whose
// key is already held is refused; with it, a new item goes before the items of equal key.
template <class T>
class TSortedItemCollection : public TItemCollection<T> {
 public:
  using TItemCollection<T>::TItemCollection;

  bool AllowDuplicates() const { return allowDuplicates_; }
  void SetAllowDuplicates(bool allow) { allowDuplicates_ = allow; }

  // Negative, 0 or positive.
  virtual int Compare(const T* key1, const T* key2) const = 0;
  virtual const T* ItemKey(const T* item) const { return item; }

  // Whether an item of equal key is held; index is where it is, or where key would go. With
  // AllowDuplicates the search runs on to the leftmost equal key.
  virtual bool SortedSearch(const T* key, int32_t& index) const {
    const std::span<T* const> items = this->Items();
    return sortedSearch(
        this->Count(), [&](int32_t i) { return Compare(ItemKey(items[i]), key); }, allowDuplicates_,
        index);
  }

  // Finds by key, then by pointer: an item that is not held is not found even where an item of
  // equal key is.
  int32_t IndexOfItem(const T* item) const override {
    int32_t i = 0;
    if (!SortedSearch(ItemKey(item), i)) return -1;
    const std::span<T* const> items = this->Items();
    if (!allowDuplicates_) return items[i] == item ? i : -1;
    while (i < this->Count() && items[i] != item) ++i;
    return i < this->Count() ? i : -1;
  }

  bool Add(T* item) override {
    int32_t i = 0;
    if (SortedSearch(ItemKey(item), i) && !allowDuplicates_) return false;
    this->InsertAt(i, item);
    return true;
  }

 private:
  bool allowDuplicates_ = false;
};

// A collection of items owned elsewhere: clearing or destroying it leaves them alive.
template <class T>
class TNoOwnCollection : public TItemCollection<T> {
 public:
  using TItemCollection<T>::TItemCollection;
  ~TNoOwnCollection() override { this->RemoveAll(); }

  void DisposeItem(T*) override {}
};

}  // namespace vellomar
