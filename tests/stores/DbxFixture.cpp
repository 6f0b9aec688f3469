#include "DbxFixture.h"

#include <stdlib.h>

#include <filesystem>
#include <stdexcept>

#include "model/FastMemoryStream.h"

namespace quenby::test {

TDbxRead ReadAll(TOEFile& file) {
  TDbxRead out;
  file.OnMessage = [&](std::unique_ptr<Toe5_MessageInfo> info) { out.Messages.push_back(*info); };
  file.OnFolder = [&](std::unique_ptr<Toe5_FolderInfo> info) { out.Folders.push_back(*info); };
  file.ClearProblems();
  file.ReadTree();
  for (const auto& p : file.Problems())
    out.Problems.push_back(std::to_string(p.Offset) + ": " + p.What);
  return out;
}

std::string ReadText(TOEFile& file, std::int64_t bodyOffset) {
  TFastMemoryStream stream(TFastMemoryStream::kMinBlockSize);
  file.ReadMessage(bodyOffset, &stream);
  return stream.ToString();
}

std::string ProblemsText(const TOEFile& file) {
  std::string text;
  for (const auto& p : file.Problems()) text += std::to_string(p.Offset) + ": " + p.What + "\n";
  return text;
}

}  // namespace quenby::test
