#pragma once
// Files the program ships (the language file, the default dictionary):
// beside the program in "local/", under the install prefix's
// share/quenby-mailer/, and, for builds run from the tree, the sources'
// lang/ folder.

#include <string>
#include <string_view>
#include <vector>

namespace quenby {

// The executable's folder with trailing separator; empty when unknown.
std::string ProgramFolder();
// The places searched, in order.
std::vector<std::string> ShippedFileCandidates(std::string_view name);
// The first candidate that exists, or empty.
std::string FindShippedFile(std::string_view name);

inline constexpr std::string_view kLanguageFileName = "english.ini";
inline constexpr std::string_view kAtcDictionaryFileName = "atcdict.txt";

}  // namespace quenby
