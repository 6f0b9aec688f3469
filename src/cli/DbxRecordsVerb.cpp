#include "cli/DbxSession.h"
#include "cli/Verbs.h"

namespace quenby::cli {

int RunDbxRecords(const TCommandLine& line, TPrinter& printer) {
  TOEFile file;
  OpenDbx(file, line.Input, TDbxFileType::Messages);
  printer.Table({"index", "flags", "body_offset", "size", "received", "created"}, true);
  file.OnMessage = [&](std::unique_ptr<Toe5_MessageInfo> m) {
    printer.Row({TField::OfInteger(m->MessageIndex), TField::OfFlags(m->OeFlags),
                 TField::OfInteger(m->BodyOffset), TField::OfInteger(m->MessageSize),
                 TField::OfFileTime(m->ReceivedTime), TField::OfFileTime(m->CreatedTime)});
  };
  file.ReadTree();
  ReportProblems(file, line.Input, printer);
  return 0;
}

}  // namespace quenby::cli
