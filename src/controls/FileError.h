#pragma once
// Reporting failures of file operations to the user. Every failure reaches
// the user: a stream error by its language text with the path, anything
// else with its own message and the path. The user's cancel is shown by
// no one.

#include <exception>
#include <functional>
#include <string>

namespace quenby {

// 1 cannot open, 2 cannot create, 3 read, 4 write, 0 other stream errors,
// 5 INI file errors, -1 anything else (also no failure).
int ExceptionKind(const std::exception_ptr& failure);

void ShowFileError(const std::string& path, std::exception_ptr failure = std::current_exception());

// Runs action; on a failure shows it for path and returns false.
bool GuardedFileCall(const std::string& path, const std::function<void()>& action);

}  // namespace quenby
