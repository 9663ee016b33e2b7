#pragma once

#include <functional>

namespace vellomar {

// The error convention of windows that call the engine: runs body and reports what it raises,
// so no exception reaches the event loop. EKstvNormalException (and damage that escaped the
// engine): its message in an "Error" box, the window stays as it is. EKstvFatalException:
// onFatal runs first (the window closes itself), then the "Critical error" box. Any other
// exception: an "Error" box with its message. True when body ended normally.
bool runGuarded(const std::function<void()>& body, const std::function<void()>& onFatal = {});

}  // namespace vellomar
