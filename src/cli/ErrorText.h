#pragma once
// The tool's wording of a stream error: the language file's "Error" text
// for its kind when a language file was found, the built-in words
// otherwise, then the path, the offset and the detail.

#include <string>

#include "platform/Errors.h"

namespace quenby::cli {

// Loads the shipped language file when there is one; without it (or when
// it does not load) the tool speaks its built-in English.
void LoadToolLanguage();

std::string StreamErrorText(const EStreamError& error);

}  // namespace quenby::cli
