#pragma once

#include <cstdint>

#include "engine/api/UApiSearch.h"
#include "engine/api/UApiTypes.h"
#include "engine/api/UCallbacks.h"

namespace vellomar {

// What a run hears from the engine's callbacks; each does what the engine's default does.
class ProgressListener {
 public:
  virtual bool query(const ShortString& text);
  virtual uint16_t choice(const ShortString& text);
  virtual void message(const ShortString& text);
  virtual void appendText(const ShortString& text);
  virtual void percent(int32_t phase, int32_t percent);
  virtual bool abort();
  // The per-handle progress of a search or copy; setting abort stops it.
  virtual void progress(const TSearchCounts& counts, bool& abort);

 protected:
  // A listener that goes while its run is on leaves the engine's defaults in its place.
  ~ProgressListener();
};

// The context of one run for the engine's callbacks, which are plain procedures: while it lives
// the procedures below forward to its listener, the per-handle progress with the counts of the
// view it was given (zeros without one). The first context installs the engine's six
// process-wide callbacks and the last to go resets them. A run started inside another's callback
// has a context of its own; the outer one is back when it ends. Outside any run the procedures
// do what the defaults do.
class ProgressContext {
 public:
  explicit ProgressContext(ProgressListener& listener, TSearchCountsView counts = {});
  ~ProgressContext();
  ProgressContext(const ProgressContext&) = delete;
  ProgressContext& operator=(const ProgressContext&) = delete;

  // Whether a run holds a context now.
  static bool active();

  // The six process-wide callbacks.
  static bool query(const ShortString& text);
  static uint16_t choice(const ShortString& text);
  static void message(const ShortString& text);
  static void appendText(const ShortString& text);
  static void percent(int32_t phase, int32_t percent);
  static bool abort();
  // The per-handle progress callback.
  static void progress(bool& abort);

 private:
  friend class ProgressListener;
  static ProgressListener& current();

  ProgressListener* listener_;
  TSearchCountsView counts_;
  ProgressContext* outer_;
};

}  // namespace vellomar
