#include "ui/common/UProgressContext.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace vellomar {
namespace {

class Listener : public ProgressListener {
 public:
  explicit Listener(std::string name) : name_(std::move(name)) {}
  void message(const ShortString& text) override { heard += name_ + ":" + text.str() + " "; }
  bool abort() override { return true; }
  void progress(const ProgressCounts& counts, bool& abort) override {
    abort = counts.found == 0;
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

}  // namespace
}  // namespace vellomar
