#include "ui/common/UProgressContext.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "engine/api/UApiGlobals.h"
#include "tests/support/CatalogueBuilder.h"
#include "tests/support/SearchFixtures.h"
#include "tests/ui/support/BorrowedCatalogue.h"
#include "ui/common/UCatalogueGateway.h"

namespace vellomar {
namespace {

class Listener : public ProgressListener {
 public:
  explicit Listener(std::string name) : name_(std::move(name)) {}
  void message(const ShortString& text) override { heard += name_ + ":" + text.str() + " "; }
  bool abort() override { return true; }
  void progress(const TSearchCounts& counts, bool& abort) override {
    abort = counts.Found == 0;
    heard += name_ + ":progress ";
  }
  std::string heard;

 private:
  std::string name_;
};

// The callbacks reach the run that holds the context now, the outer one again once an inner
// run ends, and the engine's defaults outside any run or once a run's listener is gone.
TEST(ProgressContext, CallbacksReachTheRunThatHoldsTheContext) {
  EXPECT_FALSE(ProgressContext::active());
  EXPECT_FALSE(ProgressContext::abort());
  EXPECT_EQ(ProgressContext::choice(ShortString("a.zip")), kChoiceScanAll);
  EXPECT_TRUE(ProgressContext::query(ShortString("?")));

  Listener outer("outer");
  {
    const ProgressContext outerRun(outer);
    EXPECT_TRUE(ProgressContext::active());
    ProgressContext::message(ShortString("one"));
    {
      auto inner = std::make_unique<Listener>("inner");
      const ProgressContext innerRun(*inner);
      ProgressContext::message(ShortString("two"));
      bool stop = false;
      ProgressContext::progress(stop);  // no handle: no counts
      EXPECT_TRUE(stop);
      inner.reset();
      ProgressContext::message(ShortString("lost"));
      EXPECT_FALSE(ProgressContext::abort()) << "a gone listener answers as the defaults";
    }
    ProgressContext::message(ShortString("three"));
    EXPECT_TRUE(ProgressContext::abort());
  }
  EXPECT_EQ(outer.heard, "outer:one outer:three ");
  EXPECT_FALSE(ProgressContext::active());
}

// A search run inside another run's callback: its progress shows its own catalogue's counts as
// the engine has them at that moment, and the outer run keeps the engine's callbacks until it
// ends.
TEST(ProgressContext, ANestedRunCountsItsOwnCatalogueAndTheOuterKeepsTheCallbacks) {
  testing::TestCatalogue cat;
  for (const char* disk : {"One", "Two", "Three"}) {
    testing::TestCatalogue::addFolder(cat.newDisk(disk), "docs");
    cat.setFiles(*cat.trees.Current->Root, {{"a.txt"}, {"b.txt"}, {"c.doc"}});
    cat.saveDisk();
  }
  test::BorrowedCatalogue borrowed(&cat.handle);
  CatalogueGateway& catalogue = borrowed.get();

  class Counting : public ProgressListener {
   public:
    void progress(const TSearchCounts& counts, bool&) override {
      TSearchCounts engine;
      ApiGetSearchCounts(handle, engine.Percent, engine.Disks, engine.Folders, engine.Files);
      engine.Found = ApiFoundCount(handle);
      shown.push_back(counts);
      asked.push_back(engine);
    }
    TDBase* handle = nullptr;
    std::vector<TSearchCounts> shown;
    std::vector<TSearchCounts> asked;
  };
  Listener outer("outer");
  {
    const ProgressContext outerRun(outer);
    EXPECT_EQ(CallbackAbort, &ProgressContext::abort);
    Counting inner;
    inner.handle = catalogue.handle();
    {
      const ProgressContext innerRun(inner, catalogue.liveCounts());
      EXPECT_TRUE(
          catalogue.searchFiles(testing::fileNameRequest("*.txt"), ProgressContext::progress));
    }
    ASSERT_FALSE(inner.shown.empty());
    for (size_t i = 0; i < inner.shown.size(); ++i) {
      const TSearchCounts& a = inner.shown[i];
      const TSearchCounts& b = inner.asked[i];
      EXPECT_EQ(std::vector({a.Percent, a.Disks, a.Folders, a.Files, a.Found}),
                std::vector({b.Percent, b.Disks, b.Folders, b.Files, b.Found}))
          << "report " << i;
    }
    EXPECT_EQ(inner.shown.back().Percent, 100);
    EXPECT_EQ(inner.shown.back().Disks, 3);
    EXPECT_EQ(inner.shown.back().Folders, 6);  // each root and its docs
    EXPECT_EQ(inner.shown.back().Files, 15);
    EXPECT_EQ(inner.shown.back().Found, 6);

    EXPECT_EQ(CallbackAbort, &ProgressContext::abort) << "the outer run's callbacks stay";
    bool stop = false;
    ProgressContext::progress(stop);
    EXPECT_TRUE(stop) << "the outer run has no catalogue: no counts";
  }
  EXPECT_NE(CallbackAbort, &ProgressContext::abort);
  EXPECT_EQ(outer.heard, "outer:progress ");
}

}  // namespace
}  // namespace vellomar
