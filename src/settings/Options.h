#pragma once
// The program's options: the user's settings, saved in the section
// "Options" of options.ini, the facts found at start-up (the options
// folder, the store folders, the explorable kinds) and the process-wide
// companions every window uses.
//
// Companions that live in Qt libraries (the data module, the drag source)
// and those of later subsystems (the speech settings) come in through
// factories the layer above passes in; an empty factory leaves the
// companion out. So does the store root: the store readers sit above this
// layer, so their FindStoreRoot arrives as a function.

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "settings/BaseOptions.h"
#include "settings/History.h"

namespace quenby {

enum TMessageEditorType : std::int32_t { meInternal, meExternal };

// The explorer kinds by ordinal (1 Outlook Express, 2 Office Outlook,
// 3 Eudora); bit k-1 of AvailableKinds stands for kind k.
inline constexpr std::uint8_t kKindOutlookExpress = 1 << 0;
inline constexpr std::uint8_t kKindOfficeOutlook = 1 << 1;
inline constexpr std::uint8_t kKindEudora = 1 << 2;

// A companion the options own; its own type is the factory's business.
class TOptionsCompanion {
 public:
  virtual ~TOptionsCompanion() = default;
};

struct TOptionsFactories {
  std::function<std::unique_ptr<TOptionsCompanion>()> DataModule;
  std::function<std::unique_ptr<TOptionsCompanion>()> DragSource;
  // Saved in its own section "SpeechOptions"; without a factory a stand-in
  // with no settings.
  std::function<std::unique_ptr<TPersistent>()> SpeechOptions;
  // The Outlook Express store folder the registry knows, or empty.
  std::function<std::string()> StoreRoot;
};

// Read on loader threads by the charset conversion.
bool AutoRusEnabled();
void SetAutoRusEnabled(bool enabled);

// The mail folder inside a Eudora command line of three absolute paths
// (program, mail folder, settings file); quotes and blanks around the
// path are removed. Empty unless all three paths are there.
std::string FindEudoraFolder(const std::string& commandLine);

class TOptions : public TBaseOptions {
 public:
  TOptions(IRegistry& registry, IOptionsDialogs& dialogs, TOptionsFactories factories = {});
  ~TOptions() override;

  static const TClassInfo& StaticInfo();
  const TClassInfo* ClassInfo() const override { return &StaticInfo(); }

  // Finds the options folder: explicitDir (the command line), then
  // $QUENBY_OPTIONS_DIR, then the stored "OptionsPath" (made again when it
  // vanished), then the user is asked, the dialog preset with
  // $XDG_CONFIG_HOME/Tolvane/Quenby Mailer/, which is made first. False
  // when the user refused. Sets OptionsFolder and OptionsFile. Raises
  // EStreamError (CannotCreate) for a given folder that cannot be made.
  bool LocateOptionsFolder(const std::string& explicitDir = {});
  const std::string& OptionsFolder() const { return OptionsFolder_; }
  std::string DictionaryFile() const;

  // options.ini: reading sets every missing key to its default; a failed
  // save raises EStreamError (IniFile) and keeps the old file.
  void ReadOptions();
  void SaveOptions();

  const std::string& MailerId() const { return MailerId_; }
  THistory& History() { return History_; }
  std::vector<std::u16string>& Dictionary() { return Dictionary_; }
  TOptionsCompanion* DataModule() const { return DataModule_.get(); }
  TOptionsCompanion* DragSource() const { return DragSource_.get(); }
  TPersistent* SpeechOptions() const { return SpeechOptions_.get(); }

  // Looks for the stores again: the store root the registry knows wins
  // over a remembered one.
  void DetectStores();
  std::uint8_t AvailableKinds() const;
  std::string OeStoreRoot() const {
    return FoundStoreRoot_.empty() ? StoredStoreRoot_ : FoundStoreRoot_;
  }
  void SetOeStoreRoot(std::string folder);
  std::string EudoraFolder() const { return FoundEudora_.empty() ? StoredEudora_ : FoundEudora_; }
  void SetEudoraFolder(std::string folder);

  bool WholeWord = false;
  bool MatchCase = false;
  bool FindDown = true;
  bool Profy = true;  // until the options are read: its saved default is off
  TMessageEditorType MessageEditorType = meInternal;
  bool DeleteDoubleReturn = true;
  bool MarkQuote = true;
  bool AdvertismentFilter = true;
  bool GreetingFilter = true;

  bool AutoRus() const { return AutoRusEnabled(); }
  void SetAutoRus(bool enabled) { SetAutoRusEnabled(enabled); }
  const std::string& MessageExt() const { return MessageExt_; }
  void SetMessageExt(std::string ext);  // empty: "eml;msg"
  std::int32_t AdvertismentLevel() const { return AdvertismentLevel_; }
  void SetAdvertismentLevel(std::int32_t level);  // outside 11..100: unchanged

 private:
  std::string UseFolder(const std::string& folder);  // the reason it cannot be used, or empty

  std::string MailerId_;
  THistory History_;
  std::vector<std::u16string> Dictionary_;
  std::unique_ptr<TOptionsCompanion> DataModule_;
  std::unique_ptr<TOptionsCompanion> DragSource_;
  std::unique_ptr<TPersistent> SpeechOptions_;
  std::function<std::string()> StoreRoot_;
  std::string OptionsFolder_;
  std::string MessageExt_ = "eml;msg";
  std::int32_t AdvertismentLevel_ = 90;
  std::string FoundStoreRoot_, StoredStoreRoot_;
  std::string FoundEudora_, StoredEudora_;
};

}  // namespace quenby
