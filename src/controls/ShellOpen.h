#pragma once
// Opening files with other programs through the shell (platform/Shell.h),
// with every failure shown to the user.

#include <string>

namespace quenby {

// The associated program; a file type without one goes to OpenWith.
// Returns the shell code (32 and above: success).
int ShellOpen(const std::string& path);
// Lets the user pick one of the programs that can open the file.
int OpenWith(const std::string& path);

}  // namespace quenby
