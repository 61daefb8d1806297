#pragma once
// A password prompt that answers from a script and remembers what it showed.
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "database/database_access.h"

namespace lmr::test {

class ScriptedPrompt : public PasswordPrompt {
 public:
  // Each answer is the text confirmed with OK; none stands for Cancel.
  explicit ScriptedPrompt(std::vector<std::optional<std::string>> answers) : answers_(std::move(answers)) {}
  bool Ask(std::string& password) override {
    shown.push_back(password);
    if (shown.size() > answers_.size()) throw std::logic_error("the prompt was shown more often than scripted");
    const std::optional<std::string>& answer = answers_[shown.size() - 1];
    if (!answer) return false;
    password = *answer;
    return true;
  }
  std::vector<std::string> shown;  // the edit's text each time the prompt showed

 private:
  std::vector<std::optional<std::string>> answers_;
};

}  // namespace lmr::test
