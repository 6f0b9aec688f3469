#pragma once
// The Unix mailbox kind of the collection verbs: a .mbox or .mbx file, or
// any file that begins with a "From " line. Keys are separator offsets.

#include <memory>

#include "cli/CommandLine.h"
#include "model/mail/MesgItems.h"

namespace quenby::cli {

bool AcceptsMailbox(const TCommandLine& line);
std::unique_ptr<TMesgItems> OpenMailbox(const TCommandLine& line);

}  // namespace quenby::cli
