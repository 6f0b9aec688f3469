#pragma once
// The program's language table and the text routines every window and
// worker uses. The table in force is an immutable snapshot behind a
// shared_ptr: a language change publishes a new table, and a copier
// thread still reading the old one keeps it alive until it is done.

#include <array>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>

#include "settings/FormatText.h"
#include "settings/IniWStrings.h"
#include "settings/LanguageKeys.h"

namespace quenby {

// The sections whose indexes are cached after each load.
enum class TLangSection {
  About,
  Common,
  Error,
  ShellError,
  Options,
  Menu,
  Hint,
  ParaCopier,
  Count_
};

class TGlobStrings : public TIniStrings {
 public:
  // Loads, sorts and indexes the file: raises EStreamError (the file) or
  // EIniStringsError (a bad line).
  void LoadFile(const std::string& fileName);

  const std::string& LoadedFile() const { return LoadedFile_; }
  // -1 when the file lacks the section.
  std::int64_t SectionIndex(TLangSection section) const {
    return Cached_[static_cast<std::size_t>(section)];
  }

 private:
  std::string LoadedFile_;
  std::array<std::int64_t, static_cast<std::size_t>(TLangSection::Count_)> Cached_{};
};

// The table in force; never null (an empty table before the first load).
std::shared_ptr<const TGlobStrings> GlobStrings();
// Loads fileName into a fresh table and publishes it; a failure leaves the
// table in force unchanged and propagates.
void LoadLanguage(const std::string& fileName);
void SetGlobStrings(std::shared_ptr<const TGlobStrings> table);  // nullptr: an empty table
// True once a language has been loaded: the menus of windows made from
// then on are translated.
bool MenuTranslation();

// Empty for number < 0; a missing numbered text raises EListError, also in
// a section the file lacks (it reads as an empty section).
std::u16string SectionText(std::int32_t number, TLangSection section);
std::u16string SectionTextByName(std::int32_t number, std::u16string_view sectionName);
std::u16string FormatCurrentText(std::int32_t number, std::initializer_list<TFormatArg> args);
std::u16string FormatSectionText(std::int32_t number, TLangSection section,
                                 std::initializer_list<TFormatArg> args);
// Named entries: empty when missing.
std::u16string HintText(std::u16string_view name);
std::u16string CommonText(std::u16string_view name);
inline std::u16string OkText() {
  return CommonText(u"Ok");
}
inline std::u16string CancelText() {
  return CommonText(u"Cancel");
}

// A key of the program's key list: a named one reads empty when missing, a
// numbered one raises EListError.
std::u16string LangText(const lang::TLangKey& key);

// The "ShellError" text for a shell failure code; empty for other codes.
std::u16string ShellErrorText(int code);

}  // namespace quenby
