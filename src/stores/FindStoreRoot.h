#pragma once
// The Outlook Express store folder named by the registry (the stand-in
// hive on Linux): "Store Root" under the main key, else under the highest
// version key of the default identity. Environment references (%NAME%)
// are expanded. Empty when the hive names none; the folder then comes from
// the options or the command line.

#include <string>

#include "platform/Registry.h"

namespace quenby {

// The folder with a trailing '/'; backslashes of a Windows-style value
// become '/'. Empty when not found.
std::string FindStoreRoot(const IRegistry& registry);

// Replaces %NAME% by the environment variable's value; unknown names and
// a lone '%' stay as they are. False (and text unchanged) when the result
// would exceed limit bytes.
bool ExpandEnvironmentStrings(std::string& text, std::size_t limit = 1024);

}  // namespace quenby
