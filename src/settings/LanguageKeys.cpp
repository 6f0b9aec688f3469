#include "settings/LanguageKeys.h"

#include <array>

namespace quenby::lang {

namespace {

constexpr std::u16string_view kShellError = u"ShellError";

constexpr auto kKeys = std::to_array<TLangKey>({
    common::Ok,
    common::Cancel,
    common::Yes,
    common::No,
    common::Abort,
    common::Retry,
    common::Ignore,
    common::All,
    common::NoAll,
    common::YesAll,
    common::Help,
    common::Warning,
    common::Error,
    common::Information,
    common::Confirm,
    common::Browse,
    common::OpenFile,
    common::SaveFile,
    common::Options,
    Numbered(error::kSection, 0),
    Numbered(error::kSection, 1),
    Numbered(error::kSection, 2),
    Numbered(error::kSection, 3),
    Numbered(error::kSection, 4),
    Numbered(error::kSection, 5),
    error::CannotDelete,
    error::RenameFailed,
    error::DroppedOnOwnFolder,
    error::DropRefused,
    error::ExportWhileLoading,
    Numbered(kShellError, 0),
    Numbered(kShellError, 1),
    Numbered(kShellError, 2),
    Numbered(kShellError, 3),
    Numbered(kShellError, 4),
    Numbered(kShellError, 5),
    Numbered(kShellError, 6),
    Numbered(kShellError, 7),
    Numbered(kShellError, 8),
    Numbered(kShellError, 9),
    Numbered(kShellError, 10),
    Numbered(kShellError, 11),
    Numbered(kShellError, 12),
    para_copier::OptionsFolderTitle,
    startup::NoStoreWindow,
    mesg_fields::Subject,
    mesg_fields::FromRealName,
    mesg_fields::FromEMail,
    mesg_fields::ToRealName,
    mesg_fields::ToEmail,
    mesg_fields::DateSent,
    mesg_fields::DateReceived,
    mesg_fields::Size,
    mesg_fields::Priority,
    mesg_fields::Attachment,
    mesg_fields::Seen,
    mesg_fields::Draft,
    mesg_fields::Answered,
    mesg_fields::Flagged,
    disk_type::MyComp,
});

}  // namespace

std::span<const TLangKey> AllLanguageKeys() {
  return kKeys;
}

}  // namespace quenby::lang
