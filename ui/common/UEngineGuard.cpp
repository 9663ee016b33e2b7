#include "ui/common/UEngineGuard.h"

#include <exception>

#include "foundation/UExceptions.h"

namespace vellomar {

bool runGuarded(const std::function<void()>& body, const std::function<void()>& onFatal) {
  try {
    body();
    return true;
  } catch (const EKstvFatalException& e) {
    if (onFatal) onFatal();
    ShowCriticalErrorBox(e.what());
  } catch (const std::exception& e) {
    ShowErrorBox(e.what());
  } catch (...) {
    ShowErrorBox("Unknown error");
  }
  return false;
}

}  // namespace vellomar
