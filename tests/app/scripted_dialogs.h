// File dialogs answered by the test: each Run takes the next scripted
// answer (a file name and filter, or a cancel) and records the request.
#pragma once

#include <deque>
#include <memory>
#include <optional>
#include <vector>

#include <gtest/gtest.h>

#include "app/widgets/file_dialogs.h"

class ScriptedDialogs : public FileDialogs {
 public:
  std::optional<FileChoice> Run(const FileRequest& request) override {
    requests.push_back(request);
    if (answers.empty()) {
      ADD_FAILURE() << "a file dialog was shown that the test did not expect";
      return std::nullopt;
    }
    const Answer answer = answers.front();
    answers.pop_front();
    if (answer.cancel) return std::nullopt;
    return answer.choice;
  }

  void Choose(const QString& fileName, int filterIndex = 0) {
    answers.push_back(Answer{false, FileChoice{fileName, filterIndex}});
  }
  void Cancel() { answers.push_back(Answer{true, FileChoice{}}); }

  struct Answer {
    bool cancel = false;
    FileChoice choice;
  };
  std::deque<Answer> answers;
  std::vector<FileRequest> requests;
};

// Installs a ScriptedDialogs for the lifetime of the object.
class ScriptedDialogsScope {
 public:
  ScriptedDialogsScope()
      : dialogs(std::make_shared<ScriptedDialogs>()), m_previous(SetFileDialogs(dialogs)) {}
  ~ScriptedDialogsScope() {
    SetFileDialogs(m_previous);
    EXPECT_TRUE(dialogs->answers.empty()) << "scripted answers left unused";
  }
  std::shared_ptr<ScriptedDialogs> dialogs;

 private:
  std::shared_ptr<FileDialogs> m_previous;
};
