#include "cli/OeToolStore.h"

#include <filesystem>

#include "cli/DbxSession.h"
#include "platform/CaseFold.h"
#include "platform/Errors.h"
#include "platform/LegacyCodePage.h"
#include "stores/MesgOeItems.h"
#include "stores/StoreFolder.h"

namespace quenby::cli {
namespace {

bool EndsWithDbx(const std::string& name) {
  return name.size() >= 4 && SameTextUtf8(std::string_view(name).substr(name.size() - 4), ".dbx");
}

bool IsDirectory(const std::string& path) {
  std::error_code error;
  return std::filesystem::is_directory(path, error);
}

// The folder file of the folder named name (ignoring case) in the store.
std::string FolderFileOf(const std::string& storePath, const std::string& name) {
  TStoreFolder store(storePath);
  const std::string list = store.Resolve(kFoldersFileName);
  if (list.empty())
    throw EStreamError(TStreamErrorKind::CannotOpen, store.Path() + std::string(kFoldersFileName),
                       "no folder list in the store folder");
  TOEFile file;
  OpenDbx(file, list, TDbxFileType::Folders);
  std::unique_ptr<Toe5_FolderInfo> found;
  file.OnFolder = [&](std::unique_ptr<Toe5_FolderInfo> f) {
    if (!found && SameTextUtf8(LegacyToUtf8(f->FolderName), name)) found = std::move(f);
  };
  file.ReadTree();
  if (!found) throw EStreamError(TStreamErrorKind::Stream, list, "no folder named '" + name + "'");
  if (found->FolderFile.empty())
    throw EStreamError(TStreamErrorKind::Stream, list,
                       "the folder '" + name + "' has no messages of its own");
  const std::string path = store.ResolveLegacy(found->FolderFile);
  if (path.empty())
    throw EStreamError(TStreamErrorKind::CannotOpen, store.Path() + LegacyToUtf8(found->FolderFile),
                       "no such file");
  return path;
}

}  // namespace

bool AcceptsOeStore(const TCommandLine& line) {
  if (IsDirectory(line.Input)) return !TStoreFolder(line.Input).Resolve(kFoldersFileName).empty();
  return EndsWithDbx(line.Input);
}

std::unique_ptr<TMesgItems> OpenOeStore(const TCommandLine& line) {
  std::string path = line.Input;
  if (IsDirectory(path)) {
    if (line.Folder.empty()) throw EUsage(line.Verb, "a store folder needs --folder NAME");
    path = FolderFileOf(path, line.Folder);
  } else if (!line.Folder.empty()) {
    throw EUsage(line.Verb, "--folder needs a store folder, not a folder file");
  }
  {
    TOEFile check;
    OpenDbx(check, path, TDbxFileType::Messages);
  }
  auto items = std::make_unique<TMesgOeItems>();
  items->ReadFile(path);
  return items;
}

void ReportOeStore(TMesgItems& items, const TCommandLine& line, TPrinter& printer) {
  for (const auto& p : static_cast<TMesgOeItems&>(items).TakeProblems())
    printer.Warning(line.Input + " at offset " + std::to_string(p.Offset) + ": " + p.What);
}

}  // namespace quenby::cli
