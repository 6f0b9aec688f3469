#include "cli/DbxSession.h"

#include "platform/Errors.h"

namespace quenby::cli {

void OpenDbx(TOEFile& file, const std::string& path, TDbxFileType wanted) {
  file.OpenFile(path);
  if (file.IsFoldersFile() != (wanted == TDbxFileType::Folders))
    throw EStreamError(TStreamErrorKind::Stream, path,
                       file.IsFoldersFile() ? "a folder list, not a mail folder; see quenby folders"
                                            : "a mail folder, not a folder list");
}

void ReportProblems(TOEFile& file, const std::string& path, TPrinter& printer) {
  for (const auto& p : file.Problems())
    printer.Warning(path + " at offset " + std::to_string(p.Offset) + ": " + p.What);
  const std::int64_t more = file.ProblemCount() - std::int64_t(file.Problems().size());
  if (more > 0) printer.Warning(path + ": " + std::to_string(more) + " more problems");
  file.ClearProblems();
}

}  // namespace quenby::cli
