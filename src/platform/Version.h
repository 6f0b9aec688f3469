#pragma once
// The program's version, "%d.%d.%d.%d", from the build's project version.

#include <string>

namespace quenby {

std::string ProgramVersion();

}  // namespace quenby
