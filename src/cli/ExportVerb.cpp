#include <filesystem>
#include <unordered_map>
#include <vector>

#include "cli/DbxSession.h"
#include "cli/Verbs.h"
#include "model/FastMemoryStream.h"
#include "platform/Errors.h"

namespace quenby::cli {

int RunExport(const TCommandLine& line, TPrinter& printer) {
  TOEFile file;
  OpenDbx(file, line.Input, TDbxFileType::Messages);
  std::vector<Toe5_MessageInfo> messages;
  file.OnMessage = [&](std::unique_ptr<Toe5_MessageInfo> m) { messages.push_back(*m); };
  file.ReadTree();
  ReportProblems(file, line.Input, printer);

  std::error_code error;
  std::filesystem::create_directories(line.EmlDir, error);
  if (error) throw EStreamError(TStreamErrorKind::CannotCreate, line.EmlDir, error.message());
  const std::string dir = line.EmlDir.back() == '/' ? line.EmlDir : line.EmlDir + "/";

  std::unordered_map<std::int64_t, int> seen;  // index -> messages written with it
  TFastMemoryStream text;
  for (const auto& m : messages) {
    if (m.BodyOffset <= 0) {
      printer.Warning(line.Input + " at offset " + std::to_string(m.RecordOffset) + ": message " +
                      std::to_string(m.MessageIndex) + " has no text");
      continue;
    }
    const int n = ++seen[m.MessageIndex];
    std::string name = dir + std::to_string(m.MessageIndex);
    if (n > 1) name.append("-").append(std::to_string(n));
    name.append(".eml");
    text.Clear();
    text.SetPosition(0);
    file.ReadMessage(m.BodyOffset, &text);
    ReportProblems(file, line.Input, printer);
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
