#include <filesystem>
#include <vector>

#include "cli/ToolStores.h"
#include "cli/Verbs.h"
#include "model/FastMemoryStream.h"
#include "model/mail/MesgDrag.h"
#include "platform/Errors.h"
#include "stores/UnixMesgItems.h"

namespace quenby::cli {

int RunExport(const TCommandLine& line, TPrinter& printer) {
  TToolStore store = OpenToolStore(line, printer);
  const auto& items = store.Items;
  if (!line.MboxFile.empty()) {
    WriteMailbox(*items, line.MboxFile);
    return 0;
  }

  std::error_code error;
  std::filesystem::create_directories(line.EmlDir, error);
  if (error) throw EStreamError(TStreamErrorKind::CannotCreate, line.EmlDir, error.message());
  const std::string dir = line.EmlDir.back() == '/' ? line.EmlDir : line.EmlDir + "/";

  // Named as a drag names them: repeats get a number.
  std::vector<std::string> names;
  for (std::int32_t i = 0; i < items->Count(); ++i)
    names.push_back(items->ItemAt(i)->GetFileName());
  names = UniqueDragNames(std::move(names));
  TFastMemoryStream text;
  for (std::int32_t i = 0; i < items->Count(); ++i) {
    const std::string name = dir + names[std::size_t(i)];
    text.Clear();
    text.SetPosition(0);
    items->ItemAt(i)->SaveToStream(text);
    store.Report(line, printer);
    try {
      text.SaveToFile(name);
    } catch (...) {
      std::filesystem::remove(name, error);  // no half-written message stays behind
      throw;
    }
  }
  return 0;
}

}  // namespace quenby::cli
