#include "cli/MesgFileToolStore.h"

#include <filesystem>
#include <mutex>
#include <vector>

#include "cli/ErrorText.h"
#include "stores/MesgFiles.h"

namespace quenby::cli {
namespace {

// The folder's collection with the files it left out, for the report.
class TToolMesgFiles : public TMesgFileItems {
 public:
  TToolMesgFiles() {
    OnFileError = [this](const EStreamError& e) {
      std::lock_guard lock(Mutex);
      LeftOut.push_back(e);
    };
  }
  std::mutex Mutex;
  std::vector<EStreamError> LeftOut;
};

}  // namespace

bool AcceptsMesgFileFolder(const TCommandLine& line) {
  std::error_code error;
  return line.Folder.empty() && std::filesystem::is_directory(line.Input, error);
}

std::unique_ptr<TMesgItems> OpenMesgFileFolder(const TCommandLine& line) {
  auto items = std::make_unique<TToolMesgFiles>();
  items->LoadFolder(line.Input);
  return items;
}

void ReportMesgFileFolder(TMesgItems& items, const TCommandLine&, TPrinter& printer) {
  auto& files = static_cast<TToolMesgFiles&>(items);
  std::lock_guard lock(files.Mutex);
  for (const EStreamError& e : files.LeftOut) printer.Warning(StreamErrorText(e));
  // Each file was named; the status text would only repeat the last.
  if (!files.LeftOut.empty()) files.SetStatusText({});
  files.LeftOut.clear();
}

}  // namespace quenby::cli
