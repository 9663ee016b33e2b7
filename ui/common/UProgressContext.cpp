#include "ui/common/UProgressContext.h"

namespace vellomar {

namespace {

ProgressContext* installed = nullptr;

// The listener that answers outside any run: the engine's defaults.
class Defaults : public ProgressListener {};

}  // namespace

bool ProgressListener::query(const ShortString&) {
  return true;
}

uint16_t ProgressListener::choice(const ShortString&) {
  return kChoiceScanAll;
}

void ProgressListener::message(const ShortString&) {}

void ProgressListener::appendText(const ShortString&) {}

void ProgressListener::percent(int32_t, int32_t) {}

bool ProgressListener::abort() {
  return false;
}

void ProgressListener::progress(const ProgressCounts&, bool&) {}

ProgressListener::~ProgressListener() {
  for (ProgressContext* c = installed; c != nullptr; c = c->outer_) {
    if (c->listener_ == this) c->listener_ = nullptr;
  }
}

ProgressContext::ProgressContext(ProgressListener& listener, TDBase* counted)
    : listener_(&listener), counted_(counted), outer_(installed) {
  installed = this;
}

ProgressContext::~ProgressContext() {
  installed = outer_;
}

bool ProgressContext::active() {
  return installed != nullptr;
}

ProgressListener& ProgressContext::current() {
  static Defaults defaults;
  return installed != nullptr && installed->listener_ != nullptr ? *installed->listener_ : defaults;
}

bool ProgressContext::query(const ShortString& text) {
  return current().query(text);
}

uint16_t ProgressContext::choice(const ShortString& text) {
  return current().choice(text);
}

void ProgressContext::message(const ShortString& text) {
  current().message(text);
}

void ProgressContext::appendText(const ShortString& text) {
  current().appendText(text);
}

void ProgressContext::percent(int32_t phase, int32_t percent) {
  current().percent(phase, percent);
}

bool ProgressContext::abort() {
  return current().abort();
}

void ProgressContext::progress(bool& abort) {
  if (installed == nullptr || installed->listener_ == nullptr) return;
  ProgressCounts counts;
  if (TDBase* handle = installed->counted_) {
    ApiGetSearchCounts(handle, counts.percent, counts.disks, counts.folders, counts.files);
    counts.found = ApiFoundCount(handle);
  }
  installed->listener_->progress(counts, abort);
}

}  // namespace vellomar
