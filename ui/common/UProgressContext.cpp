#include "ui/common/UProgressContext.h"

#include "engine/api/UApi.h"

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

void ProgressListener::progress(const TSearchCounts&, bool&) {}

ProgressListener::~ProgressListener() {
  for (ProgressContext* c = installed; c != nullptr; c = c->outer_) {
    if (c->listener_ == this) c->listener_ = nullptr;
  }
}

ProgressContext::ProgressContext(ProgressListener& listener, TSearchCountsView counts)
    : listener_(&listener), counts_(counts), outer_(installed) {
  if (outer_ == nullptr) {
    ApiSetCallbacks(ProgressContext::query, ProgressContext::choice, ProgressContext::message,
                    ProgressContext::appendText, ProgressContext::percent, ProgressContext::abort);
  }
  installed = this;
}

ProgressContext::~ProgressContext() {
  installed = outer_;
  if (outer_ == nullptr) ApiResetCallbacks();
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
  current().progress(installed != nullptr ? installed->counts_.read() : TSearchCounts{}, abort);
}

}  // namespace vellomar
