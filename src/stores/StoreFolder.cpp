#include "stores/StoreFolder.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "platform/CaseFold.h"
#include "platform/LegacyCodePage.h"

namespace quenby {

TStoreFolder::TStoreFolder(std::string path) : Path_(std::move(path)) {
  if (Path_.empty() || Path_.back() != '/') Path_ += '/';
}

std::string TStoreFolder::Resolve(std::string_view utf8Name) {
  if (utf8Name.empty() || utf8Name.find('/') != std::string_view::npos) return {};
  if (!Entries_) {
    Entries_.emplace();
    std::error_code error;
    for (std::filesystem::directory_iterator it(Path_, error), end; !error && it != end;
         it.increment(error))
      Entries_->push_back(it->path().filename().string());
    // Directory order is arbitrary; name order makes the choice repeatable.
    std::sort(Entries_->begin(), Entries_->end());
  }
  const auto& entries = *Entries_;
  if (std::find(entries.begin(), entries.end(), utf8Name) != entries.end())
    return Path_ + std::string(utf8Name);
  for (const auto& entry : entries)
    if (SameTextUtf8(entry, utf8Name)) return Path_ + entry;
  return {};
}

std::string TStoreFolder::ResolveLegacy(std::string_view legacyName) {
  return Resolve(LegacyToUtf8(legacyName));
}

}  // namespace quenby
