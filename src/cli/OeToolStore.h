#pragma once
// The Outlook Express kind of the collection verbs: a folder file, or a
// store folder with --folder NAME.

#include <memory>

#include "cli/CommandLine.h"
#include "cli/Printer.h"
#include "model/mail/MesgItems.h"

namespace quenby::cli {

bool AcceptsOeStore(const TCommandLine& line);
std::unique_ptr<TMesgItems> OpenOeStore(const TCommandLine& line);
void ReportOeStore(TMesgItems& items, const TCommandLine& line, TPrinter& printer);

}  // namespace quenby::cli
