#pragma once
// Dialogs that answer from a script and record what was shown.
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "settings/OptionsDialogs.h"
#include "settings/WideText.h"

namespace quenby::test {

class TFakeDialogs : public IOptionsDialogs {
 public:
  std::vector<std::string> Shown;                  // "box: text", "error: text", "file error: path"
  std::deque<std::optional<std::string>> Files;    // answers of OpenFile, then cancel
  std::deque<std::optional<std::string>> Folders;  // answers of BrowseForFolder, then cancel
  std::vector<std::string> Presets;                // what each chooser was preset to

  void ErrorBox(const std::u16string& text) override {
    Shown.push_back("box: " + Utf16ToUtf8(text));
  }
  void ShowError(const std::u16string& text) override {
    Shown.push_back("error: " + Utf16ToUtf8(text));
  }
  void ShowFileError(const std::string& path, std::exception_ptr) override {
    Shown.push_back("file error: " + path);
  }
  std::optional<std::string> OpenFile(const std::string& preset) override {
    return Next(Files, preset);
  }
  std::optional<std::string> BrowseForFolder(const std::u16string&,
                                             const std::string& preset) override {
    return Next(Folders, preset);
  }

 private:
  std::optional<std::string> Next(std::deque<std::optional<std::string>>& answers,
                                  const std::string& preset) {
    Presets.push_back(preset);
    if (answers.empty()) return std::nullopt;
    auto answer = answers.front();
    answers.pop_front();
    return answer;
  }
};

}  // namespace quenby::test
