#include "controls/FileError.h"

#include "controls/MessageForm.h"
#include "platform/Errors.h"
#include "settings/OptionsDialogs.h"

namespace quenby {

int ExceptionKind(const std::exception_ptr& failure) {
  if (!failure) return -1;
  try {
    std::rethrow_exception(failure);
  } catch (const EStreamError& e) {
    return static_cast<int>(e.Kind());
  } catch (...) {
    return -1;
  }
}

void ShowFileError(const std::string& path, std::exception_ptr failure) {
  if (!failure) return;
  const QString file = QString::fromStdString(path);
  const int kind = ExceptionKind(failure);
  if (kind >= 0) {
    try {
      ShowErrorDetail(kind, file);
      return;
    } catch (const std::exception&) {
      // No language text for the kind: fall through to the failure's own words.
    }
  }
  try {
    std::rethrow_exception(failure);
  } catch (const ECancelled&) {
  } catch (const std::exception& e) {
    ShowError(QString::fromUtf8(e.what()) + QStringLiteral("\r\n") + file);
  } catch (...) {
    ShowError(file);
  }
}

bool GuardedFileCall(const std::string& path, const std::function<void()>& action) {
  try {
    action();
    return true;
  } catch (...) {
    ShowFileError(path);
    return false;
  }
}

}  // namespace quenby
