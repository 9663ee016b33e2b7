#pragma once

#include <string>
#include <vector>

#include "engine/api/UApiGlobals.h"
#include "engine/api/UCallbacks.h"
#include "platform/PLibrary.h"
#include "tests/modules/FilterModule.h"

namespace vellomar::test {

// In filterDoubleFolder(): fewer.k32 gives a short text in small blocks, refuse.k32 opens
// nothing, overcount.k32 reports more bytes than asked, partial.k32 lacks CloseTransfer.

// The program's folder pointed at folder while the object lives.
class ProgramFolderAt {
 public:
  explicit ProgramFolderAt(const std::string& folder) : previous_(programFolder()) {
    setProgramFolder(folder);
  }
  ~ProgramFolderAt() { setProgramFolder(previous_); }
  ProgramFolderAt(const ProgramFolderAt&) = delete;
  ProgramFolderAt& operator=(const ProgramFolderAt&) = delete;

 private:
  std::string previous_;
};

// The status messages of the engine, and an abort answer, while the object lives.
class CallbackRecorder {
 public:
  CallbackRecorder() {
    messages().clear();
    abortAnswer() = false;
    SetCallbacks(nullptr, nullptr, record, nullptr, nullptr, answerAbort);
  }
  ~CallbackRecorder() { ResetCallbacks(); }
  CallbackRecorder(const CallbackRecorder&) = delete;
  CallbackRecorder& operator=(const CallbackRecorder&) = delete;

  static std::vector<std::string>& messages() {
    static std::vector<std::string> texts;
    return texts;
  }
  static bool& abortAnswer() {
    static bool answer = false;
    return answer;
  }

 private:
  static void record(const ShortString& text) { messages().push_back(text.str()); }
  static bool answerAbort() { return abortAnswer(); }
};

}  // namespace vellomar::test
