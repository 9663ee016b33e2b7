#pragma once

#include <deque>
#include <string>
#include <vector>

#include "foundation/UExceptions.h"
#include "setup/InstallFlow.h"
#include "tests/support/EnvironmentVariable.h"
#include "tests/support/TempFolder.h"

namespace vellomar::test {

// A home folder of the test's own, with the base-directory variables pointing into it, so the
// registry, menu and type files of an installation go there.
class UserHome {
 public:
  UserHome()
      : folder_("home"),
        home_("HOME", folder_.path().c_str()),
        config_("XDG_CONFIG_HOME", (folder_.path() + "/config").c_str()),
        data_("XDG_DATA_HOME", (folder_.path() + "/data").c_str()) {}

  const std::string& path() const { return folder_.path(); }
  std::string at(std::string_view name) const { return folder_.at(name); }
  std::string config(std::string_view name) const {
    return folder_.at("config/" + std::string(name));
  }
  std::string data(std::string_view name) const { return folder_.at("data/" + std::string(name)); }
  std::string registryText() const { return contentOf(config("vellomar/registry.reg")); }

 private:
  TempFolder folder_;
  EnvironmentVariable home_;
  EnvironmentVariable config_;
  EnvironmentVariable data_;
};

// Every box shown, as "caption|text", answered from a script (OK when it runs out); critical
// boxes of the foundation are recorded too, with the icon.
class RecordingMessages : public setup::MessageService {
 public:
  RecordingMessages() {
    SetMessageBoxHandler([this](std::string_view caption, std::string_view text, MessageBoxIcon) {
      boxes.push_back(std::string(caption) + "|" + std::string(text));
    });
  }
  ~RecordingMessages() override { SetMessageBoxHandler(nullptr); }

  setup::MessageAnswer show(std::string_view caption, std::string_view text, setup::MessageButtons,
                            setup::MessageIcon) override {
    boxes.push_back(std::string(caption) + "|" + std::string(text));
    if (answers.empty()) return setup::MessageAnswer::kOk;
    const setup::MessageAnswer answer = answers.front();
    answers.pop_front();
    return answer;
  }

  std::vector<std::string> boxes;
  std::deque<setup::MessageAnswer> answers;
};

// The dialog's side of the flow, recorded; Cancel is pressed once abortAfterLabels progress
// texts have been shown.
class RecordingForm : public setup::InstallForm {
 public:
  void setProgressLabel(const std::string& text) override { labels.push_back(text); }
  void setGauge(int) override {}
  bool abortRequested() override { return static_cast<int>(labels.size()) >= abortAfterLabels; }
  // Answered from a script, Yes when it runs out.
  setup::InstallAnswer ask(const std::string&, const std::string& text) override {
    questions.push_back(text);
    if (answers.empty()) return setup::InstallAnswer::kYes;
    const setup::InstallAnswer answer = answers.front();
    answers.pop_front();
    return answer;
  }
  void showProgressControls() override { progressShown = true; }
  void openHelp(const std::string& helpFile, int context) override {
    help.push_back(helpFile + "#" + std::to_string(context));
  }

  std::vector<std::string> labels;
  std::vector<std::string> help;
  std::vector<std::string> questions;
  std::deque<setup::InstallAnswer> answers;
  bool progressShown = false;
  int abortAfterLabels = 1 << 30;
};

// One press of Install, by a new run of the program, with the dialog and boxes recorded.
struct InstallAttempt {
  bool run(const std::string& programDir, std::string_view target, bool addToProgman = true) {
    setup::InstallFlow flow(form, messages);
    return flow.ButtonInstallClick(programDir, target, addToProgman);
  }

  RecordingForm form;
  RecordingMessages messages;
};

}  // namespace vellomar::test
