#include "foundation/UCollections.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vellomar {
namespace {

// An item that records its destruction, so tests see who disposed of what.
struct Item : TPlainObject {
  Item(int key, std::vector<int>* destroyed) : key(key), destroyed(destroyed) {}
  ~Item() override {
    if (destroyed) destroyed->push_back(key);
  }
  int key;
  std::vector<int>* destroyed;
};

class ByKey : public TSortedItemCollection<Item> {
 public:
  using TSortedItemCollection::TSortedItemCollection;
  int Compare(const Item* a, const Item* b) const override { return a->key - b->key; }
};

std::vector<int> keys(const TItemCollection<Item>& c) {
  std::vector<int> out;
  for (const Item* item : c.Items()) out.push_back(item->key);
  return out;
}

template <class F>
std::string fatalMessage(F&& f) {
  try {
    f();
  } catch (const EKstvFatalException& e) {
    return e.what();
  }
  return "no exception";
}

const char kIndexError[] = "Internal problem in list indexing.";
const char kTooLarge[] = "Too large list or not enough memory.";

TEST(ItemCollection, InsertsRemovesAndDisposes) {
  std::vector<int> destroyed;
  {
    TItemCollection<Item> c(2, 3);
    for (int key : {1, 2, 3}) c.Add(new Item(key, &destroyed));
    EXPECT_EQ(c.Capacity(), 5);
    c.InsertAt(0, new Item(0, &destroyed));
    c.InsertAt(2, new Item(9, &destroyed));
    EXPECT_EQ(keys(c), (std::vector<int>{0, 1, 9, 2, 3}));

    Item* taken = c.ItemAt(2);
    c.RemoveAt(2);
    EXPECT_TRUE(destroyed.empty()) << "RemoveAt does not dispose";
    delete taken;
    c.FreeAt(0);
    EXPECT_EQ(destroyed, (std::vector<int>{9, 0}));
    EXPECT_EQ(keys(c), (std::vector<int>{1, 2, 3}));
  }
  EXPECT_EQ(destroyed, (std::vector<int>{9, 0, 1, 2, 3})) << "destruction frees from index 0 up";
}

TEST(ItemCollection, BadIndexesRaiseAndChangeNothing) {
  TItemCollection<Item> c(4, 4);
  for (int key : {1, 2}) c.Add(new Item(key, nullptr));
  Item outsider(7, nullptr);
  EXPECT_EQ(fatalMessage([&] { c.ItemAt(2); }), kIndexError);
  EXPECT_EQ(fatalMessage([&] { c.ItemAt(-1); }), kIndexError);
  EXPECT_EQ(fatalMessage([&] { c.RemoveAt(2); }), kIndexError);
  EXPECT_EQ(fatalMessage([&] { c.FreeAt(-1); }), kIndexError);
  EXPECT_EQ(fatalMessage([&] { c.InsertAt(3, &outsider); }), kIndexError);
  EXPECT_EQ(fatalMessage([&] { c.InsertAt(-1, &outsider); }), kIndexError);
  EXPECT_EQ(fatalMessage([&] { c.Remove(&outsider); }), kIndexError);
  EXPECT_EQ(keys(c), (std::vector<int>{1, 2}));
}

TEST(ItemCollection, CapacityStaysBetweenCountAndTheCeiling) {
  TItemCollection<Item> c(0, 10);
  EXPECT_EQ(c.Capacity(), 0);
  for (int key : {1, 2, 3}) c.Add(new Item(key, nullptr));
  c.SetCapacity(1);
  EXPECT_EQ(c.Capacity(), 3) << "never below Count";
  c.SetCapacity(kMaxCollectionItems + 5);
  EXPECT_EQ(c.Capacity(), kMaxCollectionItems);
  c.FreeAll();
  EXPECT_EQ(c.Count(), 0);
  EXPECT_EQ(c.Capacity(), kMaxCollectionItems) << "FreeAll keeps the array";
  c.SetCapacity(0);
  EXPECT_EQ(c.Capacity(), 0);
}

TEST(ItemCollection, FullCollectionRefusesMore) {
  Item item(1, nullptr);
  {
    TNoOwnCollection<Item> c(kMaxCollectionItems - 1, 1000);
    c.Add(&item);
    for (int32_t i = 1; i < kMaxCollectionItems; ++i) c.Add(&item);
    EXPECT_EQ(c.Count(), kMaxCollectionItems);
    EXPECT_EQ(fatalMessage([&] { c.Add(&item); }), kTooLarge);
    EXPECT_EQ(c.Count(), kMaxCollectionItems);
  }
  {
    TNoOwnCollection<Item> c(1, 0);
    c.Add(&item);
    EXPECT_EQ(fatalMessage([&] { c.Add(&item); }), kTooLarge) << "GrowBy 0";
    EXPECT_EQ(c.Count(), 1);
  }
}

TEST(NoOwnCollection, LeavesItsItemsAlive) {
  std::vector<int> destroyed;
  Item a(1, &destroyed);
  Item b(2, &destroyed);
  {
    TNoOwnCollection<Item> c(2, 2);
    c.Add(&a);
    c.Add(&b);
    c.FreeAt(0);
    c.FreeAll();
    c.Add(&a);
  }
  EXPECT_TRUE(destroyed.empty());
}

// A descendant that disposes of its items its own way, as the engine's file lists do.
class Recycling : public TItemCollection<Item> {
 public:
  Recycling(std::vector<int>* recycled) : TItemCollection(4, 4), recycled_(recycled) {}
  ~Recycling() override { FreeAll(); }
  void DisposeItem(Item* item) override {
    recycled_->push_back(item->key);
    delete item;
  }

 private:
  std::vector<int>* recycled_;
};

TEST(ItemCollection, OverriddenDisposeItemRunsOnDestruction) {
  std::vector<int> recycled;
  {
    Recycling c(&recycled);
    c.Add(new Item(1, nullptr));
    c.Add(new Item(2, nullptr));
  }
  EXPECT_EQ(recycled, (std::vector<int>{1, 2}));
}

TEST(SortedItemCollection, KeepsKeyOrderAndRefusesEqualKeys) {
  ByKey c(4, 4);
  for (int key : {5, 1, 9, 3}) EXPECT_TRUE(c.Add(new Item(key, nullptr)));
  EXPECT_EQ(keys(c), (std::vector<int>{1, 3, 5, 9}));

  Item second5(5, nullptr);
  EXPECT_FALSE(c.Add(&second5)) << "the caller keeps a refused item";
  EXPECT_EQ(c.Count(), 4);
  EXPECT_EQ(c.ItemAt(2)->key, 5);
  EXPECT_NE(c.ItemAt(2), &second5);

  int32_t index = -1;
  Item probe(4, nullptr);
  EXPECT_FALSE(c.SortedSearch(&probe, index));
  EXPECT_EQ(index, 2) << "where 4 would go";
  probe.key = 9;
  EXPECT_TRUE(c.SortedSearch(&probe, index));
  EXPECT_EQ(index, 3);
}

TEST(SortedItemCollection, DuplicatesGoBeforeTheirEqualKeys) {
  ByKey c(4, 4);
  c.SetAllowDuplicates(true);
  Item* first = new Item(5, nullptr);
  Item* later = new Item(5, nullptr);
  for (Item* item : {new Item(7, nullptr), first, new Item(1, nullptr), later}) c.Add(item);
  EXPECT_EQ(keys(c), (std::vector<int>{1, 5, 5, 7}));
  EXPECT_EQ(c.ItemAt(1), later);
  EXPECT_EQ(c.ItemAt(2), first);
  EXPECT_EQ(c.IndexOfItem(first), 2) << "found by pointer among equal keys";
  EXPECT_EQ(c.IndexOfItem(later), 1);
}

TEST(SortedItemCollection, RemoveOfAnItemNotHeldRemovesNothing) {
  for (bool duplicates : {false, true}) {
    ByKey c(4, 4);
    c.SetAllowDuplicates(duplicates);
    for (int key : {1, 5, 9}) c.Add(new Item(key, nullptr));
    Item equalKey(5, nullptr);
    EXPECT_EQ(c.IndexOfItem(&equalKey), -1) << duplicates;
    EXPECT_EQ(fatalMessage([&] { c.Remove(&equalKey); }), kIndexError) << duplicates;
    EXPECT_EQ(keys(c), (std::vector<int>{1, 5, 9})) << duplicates;

    Item* held = c.ItemAt(1);
    c.Remove(held);
    delete held;
    EXPECT_EQ(keys(c), (std::vector<int>{1, 9})) << duplicates;
  }
}

}  // namespace
}  // namespace vellomar
