#pragma once
// The quenby tool as a function, so that tests run it in-process.

#include <ostream>
#include <string>
#include <vector>

namespace quenby::cli {

// args without the program name. Returns the exit code: 0 success,
// 1 failure (reported on err), 2 bad usage.
int RunTool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace quenby::cli
