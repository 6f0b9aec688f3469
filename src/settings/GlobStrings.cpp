#include "settings/GlobStrings.h"

#include <atomic>
#include <mutex>
#include <utility>

namespace quenby {

namespace {

constexpr std::array<std::u16string_view, static_cast<std::size_t>(TLangSection::Count_)>
    kCachedNames = {u"CopyRight", u"Common", u"Error", u"ShellError",
                    u"Options",   u"Menu",   u"Hint",  u"ParaCopier"};

// Readers copy the pointer under the mutex and read the table without it;
// the table is replaced whole on the user-interface thread. (A mutex, not
// std::atomic<std::shared_ptr>: libstdc++ 12's lock bit is invisible to
// ThreadSanitizer.)
std::mutex CurrentMutex;
std::shared_ptr<const TGlobStrings> Current = std::make_shared<const TGlobStrings>();
std::atomic<bool> Translating{false};

}  // namespace

void TGlobStrings::LoadFile(const std::string& fileName) {
  LoadedFile_ = fileName;
  LoadFromFile(fileName);
  SortEntries();
  Reindex();
  for (std::size_t i = 0; i < kCachedNames.size(); ++i) Cached_[i] = FindSection(kCachedNames[i]);
}

std::shared_ptr<const TGlobStrings> GlobStrings() {
  std::lock_guard guard(CurrentMutex);
  return Current;
}

void LoadLanguage(const std::string& fileName) {
  auto table = std::make_shared<TGlobStrings>();
  table->LoadFile(fileName);
  SetGlobStrings(std::move(table));
  Translating.store(true);
}

void SetGlobStrings(std::shared_ptr<const TGlobStrings> table) {
  if (!table) table = std::make_shared<const TGlobStrings>();
  std::lock_guard guard(CurrentMutex);
  // The old table is freed outside the lock when this was its last holder.
  std::swap(Current, table);
}

bool MenuTranslation() {
  return Translating.load();
}

std::u16string SectionText(std::int32_t number, TLangSection section) {
  if (number < 0) return {};
  const auto table = GlobStrings();
  return table->NumberedValue(table->SectionIndex(section), number);
}

std::u16string SectionTextByName(std::int32_t number, std::u16string_view sectionName) {
  if (number < 0) return {};
  const auto table = GlobStrings();
  return table->NumberedValue(table->FindSection(sectionName), number);
}

std::u16string FormatCurrentText(std::int32_t number, std::initializer_list<TFormatArg> args) {
  return FormatText(GlobStrings()->Get(number), args);
}

std::u16string FormatSectionText(std::int32_t number, TLangSection section,
                                 std::initializer_list<TFormatArg> args) {
  return FormatText(SectionText(number, section), args);
}

std::u16string HintText(std::u16string_view name) {
  return GlobStrings()->SectionValue(u"Hint", name);
}

std::u16string CommonText(std::u16string_view name) {
  return GlobStrings()->SectionValue(u"Common", name);
}

std::u16string LangText(const lang::TLangKey& key) {
  if (key.Number >= 0) return SectionTextByName(key.Number, key.Section);
  return GlobStrings()->SectionValue(key.Section, key.Name);
}

std::u16string ShellErrorText(int code) {
  static constexpr std::pair<int, int> kEntries[] = {{0, 0},  {2, 1},   {3, 2},  {5, 4},  {8, 11},
                                                     {11, 3}, {26, 12}, {27, 5}, {28, 8}, {29, 7},
                                                     {30, 6}, {31, 10}, {32, 9}};
  for (const auto& [shellCode, entry] : kEntries)
    if (shellCode == code) return SectionText(entry, TLangSection::ShellError);
  return {};
}

}  // namespace quenby
