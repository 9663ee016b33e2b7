#pragma once

#include <cstdint>

#include "engine/api/UApi.h"

namespace vellomar {

// The counts of a search, walk or copy at one of its progress reports.
struct ProgressCounts {
  int32_t percent = 0;
  int32_t disks = 0;
  int32_t folders = 0;
  int32_t files = 0;
  int32_t found = 0;
};

// What a run hears from the engine's callbacks; each does what the engine's default does.
class ProgressListener {
 public:
  virtual bool query(const ShortString& text);
  virtual uint16_t choice(const ShortString& text);
  virtual void message(const ShortString& text);
  virtual void appendText(const ShortString& text);
  virtual void percent(int32_t phase, int32_t percent);
  virtual bool abort();
  // The per-handle progress of a search, walk or copy; setting abort stops it.
  virtual void progress(const ProgressCounts& counts, bool& abort);

 protected:
  // A listener that goes while its run is on leaves the engine's defaults in its place.
  ~ProgressListener();
};

// The context of one run for the engine's callbacks, which are plain procedures: while it lives
// the procedures below forward to its listener, the per-handle progress with the counts of the
// context's handle (none without one). A run started inside another's callback has a context
// of its own; the outer one is back when it ends. Outside any run they do what the defaults do.
class ProgressContext {
 public:
  explicit ProgressContext(ProgressListener& listener, TDBase* counted = nullptr);
  ~ProgressContext();
  ProgressContext(const ProgressContext&) = delete;
  ProgressContext& operator=(const ProgressContext&) = delete;

  // Whether a run holds a context now.
  static bool active();

  // The six process-wide callbacks, in the order of ApiSetCallbacks.
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
  TDBase* counted_;
  ProgressContext* outer_;
};

}  // namespace vellomar
