#pragma once
// What the .dbx verbs share: opening a file of the expected kind, and
// reporting what the reader skipped.

#include <string>

#include "cli/Printer.h"
#include "stores/OEFile.h"

namespace quenby::cli {

// Opens path with file; a folder list where a folder file is wanted (or the
// reverse) is a failure of the command.
void OpenDbx(TOEFile& file, const std::string& path, TDbxFileType wanted);
// Prints the reader's problems as warnings and clears them.
void ReportProblems(TOEFile& file, const std::string& path, TPrinter& printer);

}  // namespace quenby::cli
