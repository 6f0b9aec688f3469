#include <filesystem>

#include "cli/DbxSession.h"
#include "cli/Verbs.h"
#include "platform/Errors.h"
#include "platform/LegacyCodePage.h"
#include "stores/StoreFolder.h"

namespace quenby::cli {

int RunFolders(const TCommandLine& line, TPrinter& printer) {
  std::string list = line.Input;
  std::error_code error;
  if (std::filesystem::is_directory(list, error)) {
    TStoreFolder store(list);
    list = store.Resolve(kFoldersFileName);
    if (list.empty())
      throw EStreamError(TStreamErrorKind::CannotOpen, store.Path() + std::string(kFoldersFileName),
                         "no folder list in the store folder");
  }
  TOEFile file;
  OpenDbx(file, list, TDbxFileType::Folders);
  printer.Table({"id", "parent", "name", "file"}, false);
  file.OnFolder = [&](std::unique_ptr<Toe5_FolderInfo> f) {
    printer.Row({TField::OfInteger(f->FolderId), TField::OfInteger(f->ParentId),
                 TField::OfText(LegacyToUtf8(f->FolderName)),
                 TField::OfText(LegacyToUtf8(f->FolderFile))});
  };
  file.ReadTree();
  ReportProblems(file, list, printer);
  return 0;
}

}  // namespace quenby::cli
