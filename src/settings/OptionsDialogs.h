#pragma once
// What the options need of the user interface at start-up and on a
// language change. The Qt side implements it with its boxes and file
// dialogs; tests answer with a fake.

#include <exception>
#include <optional>
#include <string>

namespace quenby {

class IOptionsDialogs {
 public:
  virtual ~IOptionsDialogs() = default;
  // The system's own box, for failures before any language is loaded.
  virtual void ErrorBox(const std::u16string& text) = 0;
  virtual void ShowError(const std::u16string& text) = 0;
  // Shows the failure (a stream error by its language text with the path,
  // anything else with its own message).
  virtual void ShowFileError(const std::string& path, std::exception_ptr failure) = 0;
  // A file chosen by the user, the dialog preset to preset; empty on cancel.
  virtual std::optional<std::string> OpenFile(const std::string& preset) = 0;
  // A folder chosen by the user; empty on cancel.
  virtual std::optional<std::string> BrowseForFolder(const std::u16string& title,
                                                     const std::string& preset) = 0;
};

// The user refused a choice start-up cannot go on without. Nobody shows it.
class ECancelled : public std::exception {
 public:
  const char* what() const noexcept override { return "cancelled by the user"; }
};

}  // namespace quenby
