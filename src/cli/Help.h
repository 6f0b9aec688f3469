#pragma once
// Usage texts of the quenby tool and of each verb.

#include <string>

#include "cli/CommandLine.h"

namespace quenby::cli {

std::string HelpText(TVerb verb);  // TVerb::None: the tool's

}  // namespace quenby::cli
