#pragma once
// The quenby tool's arguments, parsed into a plain struct before anything
// runs. Bad usage raises EUsage (exit code 2).

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace quenby::cli {

enum class TVerb { None, Folders, DbxRecords, List, Show, Export, SplitDigest };

struct TCommandLine {
  TVerb Verb = TVerb::None;
  bool Help = false;     // --help: of the tool, or of Verb
  bool Version = false;  // --version
  std::string Input;     // STORE folder, folder list or FILE.dbx
  std::string Key;       // show: the message's key
  std::string EmlDir;    // export, split-digest --eml DIR
  std::string MboxFile;  // export, split-digest --mbox FILE
  // The verbs over a message collection (list, show, export):
  std::string Folder;               // --folder NAME inside a store folder
  std::string OptionsDir;           // --options DIR
  bool AutoRus = false;             // --autorus
  std::string LegacyCodePage;       // --legacy-codepage NAME
  std::vector<std::string> Fields;  // list --fields a,b,c; empty: the defaults
  bool Json = false;                // list --json
  std::string Sort;                 // list --sort COLUMN
  bool Invert = false;              // list --invert
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
