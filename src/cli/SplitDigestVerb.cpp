#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "cli/Verbs.h"
#include "platform/Errors.h"
#include "settings/WideText.h"
#include "stores/DigestParser.h"
#include "stores/UnixMesgItems.h"

namespace quenby::cli {

int RunSplitDigest(const TCommandLine& line, TPrinter& printer) {
  TMimeMessage digest;
  digest.LoadFromFile(line.Input, false);
  TMemMesgItems items;
  items.AddDigestParts(digest);
  if (!items.StatusText().empty())
    printer.Warning(line.Input + ": a message was left out: " + Utf16ToUtf8(items.StatusText()));
  if (items.Count() == 0)
    throw EStreamError(TStreamErrorKind::Stream, line.Input, "no messages of a digest in it");

  // Keys count up in the digest's order.
  std::vector<const TMesgItem*> messages;
  for (std::int32_t i = 0; i < items.Count(); ++i) messages.push_back(items.ItemAt(i));
  std::sort(messages.begin(), messages.end(), [](const TMesgItem* a, const TMesgItem* b) {
    return std::stoull(a->GetKey()) < std::stoull(b->GetKey());
  });

  std::string dir;
  if (!line.EmlDir.empty()) {
    std::error_code error;
    std::filesystem::create_directories(line.EmlDir, error);
    if (error) throw EStreamError(TStreamErrorKind::CannotCreate, line.EmlDir, error.message());
    dir = line.EmlDir.back() == '/' ? line.EmlDir : line.EmlDir + "/";
  }
  printer.Table({"number", "subject"}, false);
  for (std::size_t i = 0; i < messages.size(); ++i) {
    const std::string number = std::to_string(i + 1);
    if (!dir.empty()) {
      const std::string name = dir + number + ".eml";
      try {
        messages[i]->SaveToFile(name);
      } catch (...) {
        std::error_code ignored;
        std::filesystem::remove(name, ignored);  // no half-written message stays behind
        throw;
      }
    }
    printer.Row({TField::OfInteger(static_cast<std::int64_t>(i + 1)),
                 TField::OfText(messages[i]->Subject)});
  }
  WriteMailbox(messages, line.MboxFile);
  return 0;
}

}  // namespace quenby::cli
