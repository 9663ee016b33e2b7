#pragma once

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>

#include "foundation/UCollections.h"
#include "foundation/UShortString.h"

namespace vellomar {

// Errors of the list classes; carries only its message.
class EKListError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A growable array of pointers; it does not own what they point to.
class TKList {
 public:
  static constexpr int32_t kMaxListSize = 0x1FFFFFFF;

  TKList() = default;
  virtual ~TKList() = default;
  TKList(const TKList&) = delete;
  TKList& operator=(const TKList&) = delete;

  // Raises EKListError "List index out of bounds (value)".
  virtual void Error(int32_t value);
  // Capacity + 4, 8 or 16 while small, then a third more; never beyond kMaxListSize.
  virtual void Grow();

  int32_t Count() const { return count_; }
  int32_t Capacity() const { return capacity_; }

  void* Get(int32_t index);
  void Put(int32_t index, void* item);
  void Insert(int32_t index, void* item);  // index may be Count
  // Takes the pointer out; what it points to is not freed.
  void Delete(int32_t index);
  void Exchange(int32_t i, int32_t j);
  // Grows when full.
  TKList& Expand();
  void SetCapacity(int32_t n);
  // New slots hold null.
  void SetCount(int32_t n);
  // Count and capacity back to 0.
  void Clear();

 private:
  // Error, and never go on with a bad index even when an override of Error returns.
  [[noreturn]] void fail(int32_t value);
  void checkIndex(int32_t index) {
    if (index < 0 || index >= count_) fail(index);
  }

  std::unique_ptr<void*[]> list_;
  int32_t count_ = 0;
  int32_t capacity_ = 0;
};

// Short strings, each with an object the list owns, optionally kept sorted in the system's one
// text order (compareText), ascending or descending. Deleting an item, clearing or destroying
// the list destroys the objects.
class TKStringList {
 public:
  // What a sorted Add does with a string that is already there.
  static constexpr uint8_t kDuplicatesIgnore = 0;  // returns the index of the one there
  static constexpr uint8_t kDuplicatesAccept = 1;  // inserts another, before the equal ones

  TKStringList() = default;
  virtual ~TKStringList();
  TKStringList(const TKStringList&) = delete;
  TKStringList& operator=(const TKStringList&) = delete;

  virtual ShortString Get(int32_t index);
  virtual int32_t GetCount() const { return list_.Count(); }
  virtual TPlainObject* GetObject(int32_t index);
  // Not allowed on a sorted list; keeps the item's object.
  virtual void Put(int32_t index, const ShortString& s);
  // Takes obj over; the object it replaces is left to the caller.
  virtual void PutObject(int32_t index, TPlainObject* obj);
  // The index of s: where it went, or where it already was (sorted, duplicates ignored).
  virtual int32_t Add(const ShortString& s);
  // Add, then obj becomes the object at that index. When s was already there, obj replaces
  // that item's object, which is destroyed.
  virtual int32_t AddObject(const ShortString& s, TPlainObject* obj);
  virtual void Clear();
  virtual void Delete(int32_t index);
  virtual void Exchange(int32_t i, int32_t j);
  // Binary search of a sorted list: true when s is there; index is where it is (the first of
  // equal ones when duplicates are accepted) or where it would go.
  virtual bool Find(const ShortString& s, int32_t& index);
  // The index of a string equal to s under compareText, -1 when none.
  virtual int32_t IndexOf(const ShortString& s);
  // Not allowed on a sorted list; the new item has no object.
  virtual void Insert(int32_t index, const ShortString& s);
  // Sorts a list that is not marked sorted.
  virtual void Sort();

  bool Sorted() const { return sorted_; }
  // Sorts first when switched on.
  void SetSorted(bool value);
  bool Descending() const { return descending_; }
  // A sorted list is sorted again in the new order.
  void SetDescending(bool value);
  uint8_t Duplicates() const { return duplicates_; }
  void SetDuplicates(uint8_t value) { duplicates_ = value; }
  void SetCapacity(int32_t n) { list_.SetCapacity(n); }

 private:
  struct Item;

  Item& item(int32_t index);
  // compareText of an item and s, reversed when descending.
  int compare(const std::string& itemText, std::string_view s) const;
  void quickSort();
  [[noreturn]] static void sortedError();

  TKList list_;
  bool sorted_ = false;
  bool descending_ = false;
  uint8_t duplicates_ = kDuplicatesIgnore;
};

}  // namespace vellomar
