#pragma once
// One executor per verb. Each returns the exit code; failures of the
// stores come out as EStreamError, which the tool reports.

#include "cli/CommandLine.h"
#include "cli/Printer.h"

namespace quenby::cli {

int RunFolders(const TCommandLine& line, TPrinter& printer);
int RunDbxRecords(const TCommandLine& line, TPrinter& printer);
int RunList(const TCommandLine& line, TPrinter& printer);
int RunShow(const TCommandLine& line, TPrinter& printer);
int RunExport(const TCommandLine& line, TPrinter& printer);
int RunSplitDigest(const TCommandLine& line, TPrinter& printer);

}  // namespace quenby::cli
