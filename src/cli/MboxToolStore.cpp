#include "cli/MboxToolStore.h"

#include <filesystem>
#include <fstream>

#include "platform/CaseFold.h"
#include "platform/Errors.h"
#include "stores/UnixMesgItems.h"

namespace quenby::cli {
namespace {

bool HasExtension(const std::string& name, std::string_view extension) {
  return name.size() > extension.size() &&
         SameTextUtf8(std::string_view(name).substr(name.size() - extension.size()), extension);
}

bool BeginsWithSeparator(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  char head[5] = {};
  return file.read(head, sizeof head) && std::string_view(head, sizeof head) == "From ";
}

}  // namespace

bool AcceptsMailbox(const TCommandLine& line) {
  std::error_code error;
  if (std::filesystem::is_directory(line.Input, error)) return false;
  return HasExtension(line.Input, ".mbox") || HasExtension(line.Input, ".mbx") ||
         BeginsWithSeparator(line.Input);
}

std::unique_ptr<TMesgItems> OpenMailbox(const TCommandLine& line) {
  if (!line.Folder.empty()) throw EUsage(line.Verb, "--folder needs a store folder, not a mailbox");
  std::error_code error;
  if (!std::filesystem::is_regular_file(line.Input, error))
    throw EStreamError(TStreamErrorKind::CannotOpen, line.Input);
  auto items = std::make_unique<TMemMesgItems>();
  LoadMailbox(*items, line.Input);
  return items;
}

}  // namespace quenby::cli
