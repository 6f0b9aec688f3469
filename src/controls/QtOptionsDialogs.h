#pragma once
// The options' dialogs on Qt: the system box, the program's boxes and the
// file and folder choosers.

#include "settings/OptionsDialogs.h"

namespace quenby {

class TQtOptionsDialogs final : public IOptionsDialogs {
 public:
  void ErrorBox(const std::u16string& text) override;
  void ShowError(const std::u16string& text) override;
  void ShowFileError(const std::string& path, std::exception_ptr failure) override;
  std::optional<std::string> OpenFile(const std::string& preset) override;
  std::optional<std::string> BrowseForFolder(const std::u16string& title,
                                             const std::string& preset) override;
};

}  // namespace quenby
