#include "settings/Options.h"

#include <cstdlib>
#include <filesystem>

#include "platform/Errors.h"
#include "platform/Files.h"
#include "platform/Paths.h"
#include "settings/GlobStrings.h"
#include "settings/IniFiler.h"
#include "settings/LanguageKeys.h"
#include "settings/ShippedFiles.h"

namespace quenby {

namespace {

std::atomic<bool> AutoRusFlag{false};

constexpr const char* kEudoraKey = "Software\\Qualcomm\\Eudora\\CommandLine";
constexpr const char* kDefaultMessageExt = "eml;msg";

// Stands in for the speech settings until the speech subsystem gives its
// own: the section exists, with no keys.
class TSpeechOptionsStandIn : public TIniPersistent {
 public:
  static const TClassInfo& StaticInfo() {
    static const TClassInfo info =
        TClassBuilder<TSpeechOptionsStandIn>("TSpeechOptions", &TIniPersistent::StaticInfo())
            .Build();
    return info;
  }
  const TClassInfo* ClassInfo() const override { return &StaticInfo(); }
};

const TOrdinalType& EditorType() {
  static const TOrdinalType type = TOrdinalType::Enumeration({"meInternal", "meExternal"});
  return type;
}

std::string ReadOr(const IRegistry& registry, const char* key, const char* name) {
  try {
    return registry.ReadString(key, name).value_or(std::string());
  } catch (const std::exception&) {
    return {};
  }
}

// The reason when the folder is not there afterwards, else empty.
std::string MakeFolder(const std::string& folder) {
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  if (std::filesystem::is_directory(folder)) return {};
  return ec ? ec.message() : std::string("not a folder");
}

std::string Trimmed(std::string_view text) {
  static constexpr std::string_view kEdge = " \t\"";
  const std::size_t first = text.find_first_not_of(kEdge);
  if (first == std::string_view::npos) return {};
  return std::string(text.substr(first, text.find_last_not_of(kEdge) - first + 1));
}

}  // namespace

bool AutoRusEnabled() {
  return AutoRusFlag.load(std::memory_order_relaxed);
}
void SetAutoRusEnabled(bool enabled) {
  AutoRusFlag.store(enabled, std::memory_order_relaxed);
}

std::string FindEudoraFolder(const std::string& commandLine) {
  const std::size_t first = commandLine.find(':');
  if (first == std::string::npos) return {};
  const std::size_t second = commandLine.find(':', first + 1);
  if (second == std::string::npos || second == 0) return {};
  const std::size_t third = commandLine.find(':', second + 1);
  if (third == std::string::npos || third < second + 2) return {};
  // From the drive letter before the second colon to the separator before
  // the third path's drive letter.
  return Trimmed(std::string_view(commandLine).substr(second - 1, third - 1 - (second - 1)));
}

const TClassInfo& TOptions::StaticInfo() {
  using B = TClassBuilder<TOptions>;
  static const TClassInfo info =
      B("TOptions", &TIniPersistent::StaticInfo())
          .Boolean("WholeWord", &TOptions::WholeWord, 0)
          .Boolean("MatchCase", &TOptions::MatchCase, 0)
          .Boolean("FindDown", &TOptions::FindDown, 1)
          .Boolean("Profy", &TOptions::Profy, 0)
          .Boolean("AutoRus", B::Access(&TOptions::AutoRus, &TOptions::SetAutoRus), 0)
          .String("MessageExt", B::Access(&TOptions::MessageExt, &TOptions::SetMessageExt))
          .Enum("MessageEditorType", EditorType(), &TOptions::MessageEditorType, meInternal)
          .Boolean("DeleteDoubleReturn", &TOptions::DeleteDoubleReturn, 1)
          .Boolean("MarkQuote", &TOptions::MarkQuote, 1)
          .Boolean("AdvertismentFilter", &TOptions::AdvertismentFilter, 1)
          .Integer("AdvertismentLevel",
                   B::Access(&TOptions::AdvertismentLevel, &TOptions::SetAdvertismentLevel), 90)
          .Boolean("GreetingFilter", &TOptions::GreetingFilter, 1)
          .Object("SpeechOptions", [](TOptions& o) { return o.SpeechOptions_.get(); })
          .String("OeStoreRoot", B::Access(&TOptions::OeStoreRoot, &TOptions::SetOeStoreRoot))
          .String("EudoraFolder", B::Access(&TOptions::EudoraFolder, &TOptions::SetEudoraFolder))
          .Build();
  return info;
}

TOptions::TOptions(IRegistry& registry, IOptionsDialogs& dialogs, TOptionsFactories factories)
    : TBaseOptions(registry, dialogs),
      MailerId_("Quenby Mailer (v " + Version() + ")"),
      History_(registry, kProgramKey),
      StoreRoot_(std::move(factories.StoreRoot)) {
  SetAutoRusEnabled(false);
  if (factories.DataModule) DataModule_ = factories.DataModule();
  if (factories.DragSource) DragSource_ = factories.DragSource();
  DetectStores();
  SpeechOptions_ = factories.SpeechOptions ? factories.SpeechOptions()
                                           : std::make_unique<TSpeechOptionsStandIn>();
}

// Companions go before the language table they may still read.
TOptions::~TOptions() {
  SpeechOptions_.reset();
  DragSource_.reset();
  DataModule_.reset();
}

void TOptions::DetectStores() {
  FoundStoreRoot_.clear();
  if (StoreRoot_) {
    try {
      FoundStoreRoot_ = StoreRoot_();
    } catch (const std::exception&) {
      // An unreadable registry knows no store.
    }
  }
  if (!FoundStoreRoot_.empty()) FoundStoreRoot_ = IncludeTrailingBackslash(FoundStoreRoot_);
  FoundEudora_ = FindEudoraFolder(ReadOr(Registry(), kEudoraKey, "Current"));
}

std::uint8_t TOptions::AvailableKinds() const {
  return static_cast<std::uint8_t>(kKindOutlookExpress |
                                   (EudoraFolder().empty() ? 0 : kKindEudora));
}

void TOptions::SetOeStoreRoot(std::string folder) {
  StoredStoreRoot_ = folder.empty() ? folder : IncludeTrailingBackslash(folder);
}

void TOptions::SetEudoraFolder(std::string folder) {
  StoredEudora_ = std::move(folder);
}

void TOptions::SetMessageExt(std::string ext) {
  MessageExt_ = ext.empty() ? kDefaultMessageExt : std::move(ext);
}

void TOptions::SetAdvertismentLevel(std::int32_t level) {
  if (level >= 11 && level <= 100) AdvertismentLevel_ = level;
}

std::string TOptions::UseFolder(const std::string& folder) {
  if (std::string reason = MakeFolder(folder); !reason.empty()) return reason;
  OptionsFolder_ = IncludeTrailingBackslash(folder);
  SetOptionsFile(OptionsFolder_ + "options.ini");
  return {};
}

bool TOptions::LocateOptionsFolder(const std::string& explicitDir) {
  std::string given = explicitDir;
  if (given.empty())
    if (const char* env = std::getenv("QUENBY_OPTIONS_DIR")) given = env;
  if (!given.empty()) {
    if (std::string reason = UseFolder(given); !reason.empty())
      throw EStreamError(TStreamErrorKind::CannotCreate, given, reason);
    return true;
  }
  // A stored folder that vanished (a wiped home, an unmounted disk) is made
  // again; when that fails the user picks another instead of a dead end.
  const std::string stored = ReadOr(Registry(), kProgramKey, "OptionsPath");
  if (!stored.empty() && UseFolder(stored).empty()) return true;

  std::string proposal = SpecialFolder(TSpecialFolder::Config);
  if (proposal.empty()) proposal = SpecialFolder(TSpecialFolder::Documents);
  if (proposal.empty())
    proposal = IncludeTrailingBackslash(std::filesystem::current_path().string());
  proposal += "Tolvane/Quenby Mailer/";
  MakeFolder(proposal);
  for (;;) {
    const std::optional<std::string> chosen =
        Dialogs().BrowseForFolder(LangText(lang::para_copier::OptionsFolderTitle), proposal);
    if (!chosen) return false;
    const std::string reason = UseFolder(*chosen);
    if (reason.empty()) break;
    Dialogs().ShowFileError(*chosen, std::make_exception_ptr(EStreamError(
                                         TStreamErrorKind::CannotCreate, *chosen, reason)));
  }
  try {
    Registry().WriteString(kProgramKey, "OptionsPath", ExcludeTrailingBackslash(OptionsFolder_));
  } catch (const std::exception&) {
    // Asked again on the next start.
  }
  return true;
}

std::string TOptions::DictionaryFile() const {
  return ParentFolder(OptionsFile()) + std::string(kAtcDictionaryFileName);
}

void TOptions::ReadOptions() {
  TIniFiler filer(OptionsFile());
  filer.ReadObject(this);
}

void TOptions::SaveOptions() {
  TIniFiler filer(OptionsFile());
  filer.WriteObject(this);
  filer.UpdateFile();
}

}  // namespace quenby
