#pragma once
// Every language-file text the program asks for, by section and key: the
// code reads its texts through these constants, and the test of the
// shipped language file checks it against AllLanguageKeys(), so the two
// cannot drift apart. Numbered keys must exist (a missing one is an
// error); named keys read as empty when missing but are shipped all the same.

#include <cstdint>
#include <span>
#include <string_view>

namespace quenby::lang {

struct TLangKey {
  std::u16string_view Section;
  std::u16string_view Name;  // empty for a numbered key
  std::int32_t Number = -1;
};

constexpr TLangKey Named(std::u16string_view section, std::u16string_view name) {
  return {section, name, -1};
}
constexpr TLangKey Numbered(std::u16string_view section, std::int32_t number) {
  return {section, {}, number};
}

namespace common {
inline constexpr TLangKey Ok = Named(u"Common", u"Ok");
inline constexpr TLangKey Cancel = Named(u"Common", u"Cancel");
inline constexpr TLangKey Yes = Named(u"Common", u"Yes");
inline constexpr TLangKey No = Named(u"Common", u"No");
inline constexpr TLangKey Abort = Named(u"Common", u"Abord");  // the file's spelling
inline constexpr TLangKey Retry = Named(u"Common", u"Retry");
inline constexpr TLangKey Ignore = Named(u"Common", u"Ignore");
inline constexpr TLangKey All = Named(u"Common", u"All");
inline constexpr TLangKey NoAll = Named(u"Common", u"NoAll");
inline constexpr TLangKey YesAll = Named(u"Common", u"YesAll");
inline constexpr TLangKey Help = Named(u"Common", u"Help");
inline constexpr TLangKey Warning = Named(u"Common", u"Warning");
inline constexpr TLangKey Error = Named(u"Common", u"Error");
inline constexpr TLangKey Information = Named(u"Common", u"Information");
inline constexpr TLangKey Confirm = Named(u"Common", u"Confirm");
inline constexpr TLangKey Browse = Named(u"Common", u"Browse");
inline constexpr TLangKey OpenFile = Named(u"Common", u"OpenFile");
inline constexpr TLangKey SaveFile = Named(u"Common", u"SaveFile");
inline constexpr TLangKey Options = Named(u"Common", u"Options");
}  // namespace common

namespace error {
// Texts 0 to 5 are numbered like TStreamErrorKind.
inline constexpr std::u16string_view kSection = u"Error";
inline constexpr TLangKey CannotDelete = Numbered(kSection, 11);
inline constexpr TLangKey RenameFailed = Numbered(kSection, 21);
inline constexpr TLangKey DroppedOnOwnFolder = Numbered(kSection, 29);
inline constexpr TLangKey DropRefused = Numbered(kSection, 40);
inline constexpr TLangKey ExportWhileLoading = Numbered(kSection, 42);
}  // namespace error

namespace para_copier {
inline constexpr TLangKey OptionsFolderTitle = Numbered(u"ParaCopier", 100);
}  // namespace para_copier

namespace disk_type {
inline constexpr TLangKey MyComp = Named(u"DiskType", u"MyComp");
}  // namespace disk_type

namespace startup {
inline constexpr TLangKey NoStoreWindow = Named(u"Startup", u"NoStoreWindow");
}  // namespace startup

namespace mesg_fields {
inline constexpr std::u16string_view kSection = u"MesgFields";
inline constexpr TLangKey Subject = Named(kSection, u"Subject");
inline constexpr TLangKey FromRealName = Named(kSection, u"FromRealName");
inline constexpr TLangKey FromEMail = Named(kSection, u"FromEMail");
inline constexpr TLangKey ToRealName = Named(kSection, u"ToRealName");
inline constexpr TLangKey ToEmail = Named(kSection, u"ToEmail");
inline constexpr TLangKey DateSent = Named(kSection, u"DateSent");
inline constexpr TLangKey DateReceived = Named(kSection, u"DateReceived");
inline constexpr TLangKey Size = Named(kSection, u"Size");
inline constexpr TLangKey Priority = Named(kSection, u"Priority");
inline constexpr TLangKey Attachment = Named(kSection, u"Attachment");
inline constexpr TLangKey Seen = Named(kSection, u"Seen");
inline constexpr TLangKey Draft = Named(kSection, u"Draft");
inline constexpr TLangKey Answered = Named(kSection, u"Answered");
inline constexpr TLangKey Flagged = Named(kSection, u"Flagged");
}  // namespace mesg_fields

// Every key above, the six stream error texts and the shell error texts.
std::span<const TLangKey> AllLanguageKeys();

}  // namespace quenby::lang
