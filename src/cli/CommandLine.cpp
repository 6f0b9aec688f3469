#include "cli/CommandLine.h"

#include <charconv>

namespace quenby::cli {

namespace {

struct TVerbName {
  const char* Name;
  TVerb Verb;
  std::size_t Operands;
};

const TVerbName kVerbs[] = {
    {"folders", TVerb::Folders, 1},
    {"dbx-records", TVerb::DbxRecords, 1},
    {"show", TVerb::Show, 2},
    {"export", TVerb::Export, 1},
    {"split-digest", TVerb::SplitDigest, 1},
};

// "--name VALUE" or "--name=VALUE" at args[i]; false for another argument.
bool TakeValue(const std::vector<std::string>& args, std::size_t& i, TVerb verb,
               std::string_view name, const char* what, std::string& value) {
  const std::string& arg = args[i];
  if (arg == name) {
    if (++i == args.size()) throw EUsage(verb, std::string(name) + " needs " + what);
    value = args[i];
  } else if (arg.size() > name.size() && arg.starts_with(name) && arg[name.size()] == '=') {
    value = arg.substr(name.size() + 1);
  } else {
    return false;
  }
  if (value.empty()) throw EUsage(verb, std::string(name) + " needs " + what);
  return true;
}

std::int64_t ParseKey(TVerb verb, const std::string& text) {
  std::int64_t key = -1;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), key);
  if (error != std::errc() || end != text.data() + text.size() || key < 0)
    throw EUsage(verb, "KEY must be a message index (a whole number), not '" + text + "'");
  return key;
}

}  // namespace

std::string VerbName(TVerb verb) {
  for (const auto& v : kVerbs)
    if (v.Verb == verb) return v.Name;
  return {};
}

TCommandLine ParseCommandLine(const std::vector<std::string>& args) {
  TCommandLine line;
  std::vector<std::string> operands;
  const TVerbName* verb = nullptr;
  bool optionsEnd = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    const TVerb current = verb ? verb->Verb : TVerb::None;
    if (optionsEnd || arg.empty() || arg[0] != '-' || arg == "-") {
      if (verb) {
        operands.push_back(arg);
        continue;
      }
      for (const auto& v : kVerbs)
        if (arg == v.Name) verb = &v;
      if (!verb) throw EUsage(TVerb::None, "unknown verb '" + arg + "'");
      line.Verb = verb->Verb;
    } else if (arg == "--") {
      optionsEnd = true;
    } else if (arg == "--help" || arg == "-h") {
      line.Help = true;
    } else if (arg == "--version" && !verb) {
      line.Version = true;
    } else if ((current == TVerb::Export || current == TVerb::SplitDigest) &&
               (TakeValue(args, i, current, "--eml", "a folder", line.EmlDir) ||
                TakeValue(args, i, current, "--mbox", "a file", line.MboxFile))) {
    } else {
      throw EUsage(current, "unknown option '" + arg + "'");
    }
  }
  if (line.Help || line.Version) return line;
  if (!verb) throw EUsage(TVerb::None, "no verb given");
  if (operands.size() != verb->Operands)
    throw EUsage(verb->Verb,
                 operands.size() < verb->Operands ? "missing operand" : "too many operands");
  line.Input = operands[0];
  if (verb->Verb == TVerb::Show) line.Key = ParseKey(verb->Verb, operands[1]);
  if (verb->Verb == TVerb::Export && line.EmlDir.empty())
    throw EUsage(verb->Verb, "export needs --eml DIR");
  if (verb->Verb == TVerb::SplitDigest && line.EmlDir.empty() == line.MboxFile.empty())
    throw EUsage(verb->Verb, "split-digest needs either --eml DIR or --mbox FILE");
  return line;
}

}  // namespace quenby::cli
