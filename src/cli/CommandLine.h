#pragma once
// The quenby tool's arguments, parsed into a plain struct before anything
// runs. Bad usage raises EUsage (exit code 2).

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace quenby::cli {

enum class TVerb { None, Folders, DbxRecords, Show, Export, SplitDigest };

struct TCommandLine {
  TVerb Verb = TVerb::None;
  bool Help = false;     // --help: of the tool, or of Verb
  bool Version = false;  // --version
  std::string Input;     // STORE folder, folder list or FILE.dbx
  std::int64_t Key = 0;  // show: the message's index
  std::string EmlDir;    // export, split-digest --eml DIR
  std::string MboxFile;  // export, split-digest --mbox FILE
};

class EUsage : public std::runtime_error {
 public:
  EUsage(TVerb verb, const std::string& message) : std::runtime_error(message), Verb(verb) {}
  TVerb Verb;  // whose usage to show
};

TCommandLine ParseCommandLine(const std::vector<std::string>& args);

// "folders", "dbx-records", ...; empty for TVerb::None.
std::string VerbName(TVerb verb);

}  // namespace quenby::cli
