#include "cli/ToolStores.h"
#include "cli/Verbs.h"
#include "model/FastMemoryStream.h"
#include "platform/Errors.h"

namespace quenby::cli {

int RunShow(const TCommandLine& line, TPrinter& printer) {
  TToolStore store = OpenToolStore(line, printer);
  const auto& items = store.Items;
  const TMesgItem* item = items->ItemAt(items->IndexOfKey(line.Key));
  if (!item)
    throw EStreamError(TStreamErrorKind::Stream, line.Input, "no message with key " + line.Key);
  TFastMemoryStream text;
  item->SaveToStream(text);
  store.Report(line, printer);
  for (std::size_t i = 0; i < text.BlockCount(); ++i) {
    const std::int64_t start = std::int64_t(i) * text.BlockSize();
    const std::int64_t length = std::min<std::int64_t>(text.BlockSize(), text.Size() - start);
    printer.Bytes({reinterpret_cast<const char*>(text.Block(i)), static_cast<std::size_t>(length)});
  }
  return 0;
}

}  // namespace quenby::cli
