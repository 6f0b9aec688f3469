#include "cli/CommandLine.h"

#include <algorithm>
#include <optional>
#include <string_view>
#include <utility>

namespace quenby::cli {

namespace {

struct TVerbName {
  const char* Name;
  TVerb Verb;
  std::size_t Operands;
};

const TVerbName kVerbs[] = {
    {"folders", TVerb::Folders, 1}, {"dbx-records", TVerb::DbxRecords, 1},
    {"list", TVerb::List, 1},       {"show", TVerb::Show, 2},
    {"export", TVerb::Export, 1},   {"split-digest", TVerb::SplitDigest, 1},
};

bool WritesMessages(TVerb verb) {
  return verb == TVerb::Export || verb == TVerb::SplitDigest;
}

bool OverCollection(TVerb verb) {
  return verb == TVerb::List || verb == TVerb::Show || verb == TVerb::Export;
}

// The options that take a value, as "--name VALUE" or "--name=VALUE"; each
// applies to the verbs it names.
struct TValueOption {
  std::string_view Name;
  bool (*Applies)(TVerb);
  std::string TCommandLine::*Target;
};

const TValueOption kValueOptions[] = {
    {"--eml", WritesMessages, &TCommandLine::EmlDir},
    {"--mbox", WritesMessages, &TCommandLine::MboxFile},
    {"--folder", OverCollection, &TCommandLine::Folder},
    {"--options", OverCollection, &TCommandLine::OptionsDir},
    {"--legacy-codepage", OverCollection, &TCommandLine::LegacyCodePage},
    {"--sort", [](TVerb v) { return v == TVerb::List; }, &TCommandLine::Sort},
};

std::vector<std::string> SplitFields(const std::string& text) {
  std::vector<std::string> fields;
  for (std::size_t from = 0; from <= text.size();) {
    const std::size_t comma = std::min(text.find(',', from), text.size());
    fields.push_back(text.substr(from, comma - from));
    from = comma + 1;
  }
  return fields;
}

// The name and value of a value option at args[i] (which then moves past
// the value); nothing when args[i] is no value option of verb.
std::optional<std::pair<std::string, std::string>> ValueOf(TVerb verb,
                                                           const std::vector<std::string>& args,
                                                           std::size_t& i) {
  const std::string& arg = args[i];
  const std::string name = arg.substr(0, arg.find('='));
  const bool known =
      (name == "--fields" && verb == TVerb::List) ||
      std::any_of(std::begin(kValueOptions), std::end(kValueOptions),
                  [&](const TValueOption& o) { return o.Name == name && o.Applies(verb); });
  if (!known) return std::nullopt;
  std::string value;
  if (name.size() < arg.size()) {
    value = arg.substr(name.size() + 1);
  } else if (++i < args.size()) {
    value = args[i];
  }
  if (value.empty()) throw EUsage(verb, name + " needs a value");
  return std::make_pair(name, value);
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
    } else if (OverCollection(current) && arg == "--autorus") {
      line.AutoRus = true;
    } else if (current == TVerb::List && arg == "--json") {
      line.Json = true;
    } else if (current == TVerb::List && arg == "--invert") {
      line.Invert = true;
    } else if (const auto value = ValueOf(current, args, i)) {
      if (value->first == "--fields") {
        line.Fields = SplitFields(value->second);
      } else {
        for (const auto& o : kValueOptions)
          if (o.Name == value->first) line.*o.Target = value->second;
      }
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
  if (verb->Verb == TVerb::Show) line.Key = operands[1];
  if (WritesMessages(verb->Verb) && line.EmlDir.empty() == line.MboxFile.empty())
    throw EUsage(verb->Verb, VerbName(verb->Verb) + " needs either --eml DIR or --mbox FILE");
  return line;
}

}  // namespace quenby::cli
