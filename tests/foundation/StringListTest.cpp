#include "foundation/UStringList.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/PText.h"

namespace vellomar {
namespace {

std::vector<std::string> contents(TKStringList& list) {
  std::vector<std::string> out;
  for (int32_t i = 0; i < list.GetCount(); ++i) out.push_back(list.Get(i).str());
  return out;
}

void expectListError(const std::function<void()>& action, const std::string& message) {
  try {
    action();
    ADD_FAILURE() << "no error, expected " << message;
  } catch (const EKListError& e) {
    EXPECT_EQ(e.what(), message);
  }
}

// Counts its own destruction, so tests see which objects the list destroyed.
class Tracked : public TPlainObject {
 public:
  explicit Tracked(int& destroyed) : destroyed_(destroyed) {}
  ~Tracked() override { ++destroyed_; }

 private:
  int& destroyed_;
};

TEST(TKList, GrowsByFourEightSixteenThenAThird) {
  const std::pair<int32_t, int32_t> cases[] = {{0, 4},  {4, 8},   {5, 13},  {8, 16},
                                               {9, 25}, {16, 32}, {17, 22}, {30, 40}};
  for (const auto& [capacity, grown] : cases) {
    TKList list;
    list.SetCapacity(capacity);
    list.Grow();
    EXPECT_EQ(list.Capacity(), grown) << capacity;
  }
}

TEST(TKList, BadIndexCountOrCapacityRaisesAndChangesNothing) {
  int a = 1, b = 2;
  TKList list;
  list.Insert(0, &a);
  list.Insert(1, &b);
  const std::pair<std::function<void()>, int32_t> cases[] = {
      {[&] { list.Get(2); }, 2},
      {[&] { list.Get(-1); }, -1},
      {[&] { list.Put(2, &a); }, 2},
      {[&] { list.Insert(3, &a); }, 3},
      {[&] { list.Delete(2); }, 2},
      {[&] { list.Exchange(0, 5); }, 5},
      {[&] { list.SetCapacity(1); }, 1},
      {[&] { list.SetCapacity(TKList::kMaxListSize + 1); }, TKList::kMaxListSize + 1},
      {[&] { list.SetCount(-1); }, -1},
  };
  for (const auto& [action, value] : cases) {
    expectListError(action, "List index out of bounds (" + std::to_string(value) + ")");
  }
  EXPECT_EQ(list.Count(), 2);
  EXPECT_EQ(list.Get(0), &a);
  EXPECT_EQ(list.Get(1), &b);
}

TEST(TKList, SetCountFillsNewSlotsWithNull) {
  int a = 1, b = 2;
  TKList list;
  list.Insert(0, &a);
  list.Insert(1, &b);
  list.SetCount(1);
  list.SetCount(3);
  EXPECT_EQ(list.Get(0), &a);
  EXPECT_EQ(list.Get(1), nullptr) << "a slot given up and taken again is null";
  EXPECT_EQ(list.Get(2), nullptr);
  list.Clear();
  EXPECT_EQ(list.Count(), 0);
  EXPECT_EQ(list.Capacity(), 0);
}

// An override of Error that returns must not let a bad index through.
TEST(TKList, BadIndexIsRefusedEvenWhenErrorReturns) {
  class Quiet : public TKList {
   public:
    void Error(int32_t value) override { reported = value; }
    int32_t reported = 0;
  };
  Quiet list;
  EXPECT_THROW(list.Get(7), EKListError);
  EXPECT_EQ(list.reported, 7);
}

TEST(TKStringList, SortedListIgnoresAStringThatIsThereInAnotherCase) {
  TKStringList list;
  list.SetSorted(true);
  list.Add("b");
  const int32_t abc = list.Add("ABC");
  EXPECT_EQ(list.Add("abc"), abc);
  EXPECT_EQ(list.Add("Stra\xC3\x9F"
                     "e"),
            2);
  EXPECT_EQ(list.Add("STRA\xC3\x9F"
                     "E"),
            2);
  EXPECT_EQ(contents(list), (std::vector<std::string>{"ABC", "b",
                                                      "Stra\xC3\x9F"
                                                      "e"}));
}

TEST(TKStringList, AcceptedDuplicateGoesBeforeTheEqualOnes) {
  TKStringList list;
  list.SetSorted(true);
  list.SetDuplicates(TKStringList::kDuplicatesAccept);
  list.Add("a");
  list.Add("b");
  EXPECT_EQ(list.Add("A"), 0);
  EXPECT_EQ(list.Add("B"), 2);
  EXPECT_EQ(contents(list), (std::vector<std::string>{"A", "a", "B", "b"}));
  int32_t index = -1;
  EXPECT_TRUE(list.Find("b", index));
  EXPECT_EQ(index, 2) << "the first of the equal strings";
}

TEST(TKStringList, DescendingReversesTheOrderAndResortsASortedList) {
  TKStringList list;
  for (const char* s : {"c", "a", "B"}) list.Add(s);
  list.SetSorted(true);
  EXPECT_EQ(contents(list), (std::vector<std::string>{"a", "B", "c"}));
  list.SetDescending(true);
  EXPECT_EQ(contents(list), (std::vector<std::string>{"c", "B", "a"}));
  EXPECT_EQ(list.IndexOf("A"), 2);
  EXPECT_EQ(list.Add("bb"), 1);
  int32_t index = -1;
  EXPECT_FALSE(list.Find("aa", index));
  EXPECT_EQ(index, 3);
}

TEST(TKStringList, DescendingSetBeforeSortingHoldsBThenA) {
  TKStringList list;
  list.SetDescending(true);
  list.SetSorted(true);
  list.Add("a");
  list.Add("b");
  EXPECT_EQ(contents(list), (std::vector<std::string>{"b", "a"}));
  EXPECT_EQ(list.IndexOf("A"), 1);
}

TEST(TKStringList, IndexOfUsesTheOneComparatorSortedOrNot) {
  TKStringList list;
  for (const char* s : {"x", "\xC3\xA9t\xC3\xA9", "README"}) list.Add(s);
  EXPECT_EQ(list.IndexOf("\xC3\x89T\xC3\x89"), 1) << "non-ASCII letters ignore case too";
  EXPECT_EQ(list.IndexOf("readme"), 2);
  EXPECT_EQ(list.IndexOf("ete"), -1) << "accents count";
  list.SetSorted(true);
  EXPECT_EQ(list.IndexOf("\xC3\x89T\xC3\x89"), list.IndexOf("\xC3\xA9t\xC3\xA9"));
  EXPECT_EQ(list.IndexOf("readme"), 1);
}

TEST(TKStringList, SortFollowsTheComparatorAndSkipsAListMarkedSorted) {
  TKStringList list;
  const char* texts[] = {"zeta",
                         "\xC3\x89"
                         "cole",
                         "alpha",
                         "Beta",
                         "ecole",
                         "\xCE\xB1",
                         "\xD0\xB0",
                         "a10",
                         "a2",
                         "",
                         "Zeta"};
  for (const char* s : texts) list.Add(s);
  list.SetSorted(true);
  for (int32_t i = 1; i < list.GetCount(); ++i) {
    EXPECT_LE(compareText(list.Get(i - 1).view(), list.Get(i).view()), 0) << i;
  }
  list.Exchange(0, 1);
  const std::vector<std::string> exchanged = contents(list);
  list.Sort();
  EXPECT_EQ(contents(list), exchanged) << "a list marked sorted is not sorted again";
}

TEST(TKStringList, SortsLargeListsOfEqualAndOrderedStrings) {
  for (const bool equal : {true, false}) {
    TKStringList list;
    for (int i = 0; i < 100000; ++i)
      list.Add(ShortString(equal ? std::string("same") : std::to_string(i)));
    list.SetSorted(true);
    for (int32_t i = 1; i < list.GetCount(); ++i) {
      ASSERT_LE(compareText(list.Get(i - 1).view(), list.Get(i).view()), 0) << i;
    }
  }
}

TEST(TKStringList, PutAndInsertAreRefusedOnASortedList) {
  TKStringList list;
  list.Insert(0, "b");
  list.Insert(list.GetCount(), "c");
  list.Insert(0, "a");
  EXPECT_EQ(contents(list), (std::vector<std::string>{"a", "b", "c"}));
  expectListError([&] { list.Insert(4, "x"); }, "List index out of bounds (4)");
  list.Put(1, "B");
  EXPECT_EQ(list.Get(1).str(), "B");
  list.SetSorted(true);
  expectListError([&] { list.Put(0, "x"); }, "Operation not allowed on sorted string list");
  expectListError([&] { list.Insert(0, "x"); }, "Operation not allowed on sorted string list");
  expectListError([&] { list.Get(3); }, "List index out of bounds (3)");
  EXPECT_EQ(list.GetCount(), 3);
}

TEST(TKStringList, OwnsItsObjects) {
  int destroyed = 0;
  {
    TKStringList list;
    list.AddObject("a", new Tracked(destroyed));
    list.AddObject("b", new Tracked(destroyed));
    list.AddObject("c", nullptr);
    list.Delete(0);
    EXPECT_EQ(destroyed, 1) << "Delete destroys the object";
    Tracked* old = static_cast<Tracked*>(list.GetObject(0));
    list.PutObject(0, new Tracked(destroyed));
    EXPECT_EQ(destroyed, 1) << "PutObject leaves the old object alone";
    delete old;
    list.Put(0, "renamed");
    EXPECT_NE(list.GetObject(0), nullptr) << "Put keeps the object";
    list.AddObject("d", new Tracked(destroyed));
    destroyed = 0;
  }
  EXPECT_EQ(destroyed, 2) << "the destructor destroys what is left";
  TKStringList list;
  list.AddObject("x", new Tracked(destroyed));
  list.Clear();
  EXPECT_EQ(destroyed, 3);
  EXPECT_EQ(list.GetCount(), 0);
}

TEST(TKStringList, AddObjectOnAStringThatIsThereReplacesWithoutLeaking) {
  int destroyed = 0;
  TKStringList list;
  list.SetSorted(true);
  auto* first = new Tracked(destroyed);
  list.AddObject("name", first);
  auto* second = new Tracked(destroyed);
  EXPECT_EQ(list.AddObject("NAME", second), 0);
  EXPECT_EQ(list.GetCount(), 1);
  EXPECT_EQ(list.GetObject(0), second);
  EXPECT_EQ(destroyed, 1) << "the replaced object is destroyed";
  EXPECT_EQ(list.AddObject("Name", second), 0);
  EXPECT_EQ(destroyed, 1) << "the same object again is kept";
}

}  // namespace
}  // namespace vellomar
