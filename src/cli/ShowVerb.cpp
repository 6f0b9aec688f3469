#include "cli/DbxSession.h"
#include "cli/Verbs.h"
#include "model/FastMemoryStream.h"
#include "platform/Errors.h"

namespace quenby::cli {

int RunShow(const TCommandLine& line, TPrinter& printer) {
  TOEFile file;
  OpenDbx(file, line.Input, TDbxFileType::Messages);
  // The first record with the index, in tree order.
  std::unique_ptr<Toe5_MessageInfo> found;
  file.OnMessage = [&](std::unique_ptr<Toe5_MessageInfo> m) {
    if (!found && m->MessageIndex == line.Key) found = std::move(m);
  };
  file.ReadTree();
  ReportProblems(file, line.Input, printer);
  if (!found)
    throw EStreamError(TStreamErrorKind::Stream, line.Input,
                       "no message with index " + std::to_string(line.Key));
  TFastMemoryStream text;
  file.ReadMessage(found->BodyOffset, &text);
  ReportProblems(file, line.Input, printer);
  for (std::size_t i = 0; i < text.BlockCount(); ++i) {
    const std::int64_t start = std::int64_t(i) * text.BlockSize();
    const std::int64_t length = std::min<std::int64_t>(text.BlockSize(), text.Size() - start);
    printer.Bytes({reinterpret_cast<const char*>(text.Block(i)), static_cast<std::size_t>(length)});
  }
  return 0;
}

}  // namespace quenby::cli
