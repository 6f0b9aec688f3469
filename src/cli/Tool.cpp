#include "cli/Tool.h"

#include "cli/CommandLine.h"
#include "cli/ErrorText.h"
#include "cli/Help.h"
#include "cli/Printer.h"
#include "cli/Verbs.h"
#include "platform/Errors.h"

namespace quenby::cli {

namespace {

int Execute(const TCommandLine& line, TPrinter& printer) {
  if (line.Version) {
    printer.Usage("quenby " QUENBY_VERSION "\n", false);
    return 0;
  }
  if (line.Help) {
    printer.Usage(HelpText(line.Verb), false);
    return 0;
  }
  switch (line.Verb) {
    case TVerb::Folders: return RunFolders(line, printer);
    case TVerb::DbxRecords: return RunDbxRecords(line, printer);
    case TVerb::List: return RunList(line, printer);
    case TVerb::Show: return RunShow(line, printer);
    case TVerb::Export: return RunExport(line, printer);
    case TVerb::SplitDigest: return RunSplitDigest(line, printer);
    case TVerb::None: break;
  }
  return 2;
}

}  // namespace

int RunTool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  TPrinter printer(out, err);
  LoadToolLanguage();
  try {
    return Execute(ParseCommandLine(args), printer);
  } catch (const EUsage& e) {
    printer.Error(e.what());
    // The usage line only; --help gives the rest.
    const std::string help = HelpText(e.Verb);
    printer.Usage(help.substr(0, help.find('\n') + 1), true);
    const std::string verb = VerbName(e.Verb);
    printer.Usage("Try 'quenby " + (verb.empty() ? "" : verb + " ") + "--help'.\n", true);
    return 2;
  } catch (const EStreamError& e) {
    printer.Error(StreamErrorText(e));
  } catch (const std::exception& e) {
    printer.Error(e.what());
  }
  return 1;
}

}  // namespace quenby::cli
