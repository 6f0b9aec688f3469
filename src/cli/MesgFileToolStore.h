#pragma once
// The message-file kind of the collection verbs: a folder of .eml and .msg
// files that is no Outlook Express store. The key is the file name.

#include <memory>

#include "cli/CommandLine.h"
#include "cli/Printer.h"
#include "model/mail/MesgItems.h"

namespace quenby::cli {

bool AcceptsMesgFileFolder(const TCommandLine& line);
std::unique_ptr<TMesgItems> OpenMesgFileFolder(const TCommandLine& line);
void ReportMesgFileFolder(TMesgItems& items, const TCommandLine& line, TPrinter& printer);

}  // namespace quenby::cli
