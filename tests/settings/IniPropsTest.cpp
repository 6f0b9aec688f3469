#include <gtest/gtest.h>

#include "TestNames.h"

#include <clocale>
#include <stdexcept>

#include "TempDir.h"
#include "settings/IniFiler.h"
#include "settings/IniProps.h"

namespace quenby {
namespace {

using test::ReadAll;
using test::TTempDir;
using test::WriteAll;

enum TExplKind { ekNone, ekOutlook, ekEudora };
enum TFlag { mfSeen, mfFlagged, mfDraft };

const TOrdinalType& ExplKindType() {
  static const TOrdinalType type = TOrdinalType::Enumeration({"ekNone", "ekOutlook", "ekEudora"});
  return type;
}
const TOrdinalType& FlagsType() {
  static const TOrdinalType flag = TOrdinalType::Enumeration({"mfSeen", "mfFlagged", "mfDraft"});
  static const TOrdinalType type = TOrdinalType::SetOf(flag);
  return type;
}
const TOrdinalType& PercentType() {
  static const TOrdinalType type = TOrdinalType::Range(0, 100);
  return type;
}

class TSpeechOptions : public TIniPersistent {
 public:
  static const TClassInfo& StaticInfo() {
    static const TClassInfo info =
        TClassBuilder<TSpeechOptions>("TSpeechOptions", &TIniPersistent::StaticInfo())
            .Integer("Rate", &TSpeechOptions::Rate, 5)
            .Build();
    return info;
  }
  const TClassInfo* ClassInfo() const override { return &StaticInfo(); }
  std::int32_t Rate = 5;
};

class TAccount : public TIniCollectionItem {
 public:
  static const TClassInfo& StaticInfo() {
    static const TClassInfo info =
        TClassBuilder<TAccount>("TAccount", &TIniCollectionItem::StaticInfo())
            .String("Path", &TAccount::Path)
            .Build();
    return info;
  }
  const TClassInfo* ClassInfo() const override { return &StaticInfo(); }
  std::string Path;
};

class TOptions : public TIniPersistent {
 public:
  using B = TClassBuilder<TOptions>;
  static const TClassInfo& StaticInfo() {
    static const TClassInfo info =
        B("TOptions", &TIniPersistent::StaticInfo())
            .Boolean("AutoRecode", &TOptions::AutoRecode, 1)
            .Integer("Count", &TOptions::Count, 0)
            .Integer("FolderId", &TOptions::FolderId)
            .Integer("Percent", &TOptions::Percent, 50, PercentType())
            .Enum("Kind", ExplKindType(), &TOptions::Kind, ekNone)
            .Enum("LastKind", ExplKindType(), &TOptions::LastKind)
            .Set("Flags", FlagsType(), &TOptions::Flags)
            .Float("Ratio", &TOptions::Ratio)
            .String("Folder", &TOptions::Folder)
            .WideString("Title", B::Access(&TOptions::GetTitle, &TOptions::SetTitle))
            .Char("Letter", &TOptions::Letter, 'a')
            .WideChar("Wide", &TOptions::Wide)
            .Int64("Big", &TOptions::Big, 0)
            .Integer("ReadOnly", B::Access(&TOptions::GetReadOnly, nullptr), 0)
            .Integer("Hidden", &TOptions::Hidden, 0)
            .NotStored()
            .Object("Speech", [](TOptions& o) { return &o.Speech; })
            .Object("Accounts", [](TOptions& o) { return &o.Accounts; })
            .Build();
    return info;
  }
  const TClassInfo* ClassInfo() const override { return &StaticInfo(); }
  std::u16string GetSectionName() const override { return u"Options"; }
  void DefineIniProperties(TIniFiler& filer, bool reading) override {
    if (reading)
      Extra = filer.ReadValue("Extra");
    else
      filer.WriteValue("Extra", Extra);
  }

  std::u16string GetTitle() const { return Title; }
  void SetTitle(const std::u16string& t) { Title = t; }
  std::int32_t GetReadOnly() const { return 42; }

  bool AutoRecode = true;
  std::int32_t Count = 0;
  std::int32_t FolderId = 1;
  std::int32_t Percent = 50;
  TExplKind Kind = ekOutlook;
  TExplKind LastKind = ekEudora;
  std::uint32_t Flags = 0;
  double Ratio = 0;
  std::string Folder;
  std::u16string Title;
  char Letter = 'a';
  char16_t Wide = u'w';
  std::int64_t Big = 0;
  std::int32_t Hidden = 0;
  std::string Extra;
  TSpeechOptions Speech;
  TIniCollection Accounts{this, [] { return std::make_unique<TAccount>(); }};
};

std::string Text(const TOptions& o, const char* name) {
  return PropertyText(o, *o.ClassInfo()->Find(name));
}

void AddAccounts(TOptions& o, int n) {
  for (int i = 0; i < n; ++i)
    static_cast<TAccount&>(o.Accounts.Add()).Path = "/mail/" + std::to_string(i);
}

TEST(IniProps, EveryKindRoundTripsThroughTheFile) {
  TTempDir dir;
  TOptions out;
  out.AutoRecode = false;
  out.Count = -7;
  out.FolderId = 123;
  out.Percent = 99;
  out.Kind = ekEudora;
  out.LastKind = ekNone;
  out.Flags = (1u << mfSeen) | (1u << mfDraft);
  out.Ratio = 1.5;
  out.Folder = "  /home/u/Mail\nline two";
  out.Title = u"Заголовок \U0001F600";
  out.Letter = 'Z';
  out.Wide = u'Ж';
  out.Big = -9000000000LL;
  out.Hidden = 5;
  out.Extra = "from the hook";
  out.Speech.Rate = 9;
  AddAccounts(out, 3);
  out.Accounts.SetDefaultItemIndex(2);
  {
    TIniFiler filer(dir / "options.ini", TIniFilerMode::Rewrite);
    filer.WriteObject(&out);
    EXPECT_EQ(filer.Section(), "");
    filer.UpdateFile();
  }
  const std::string file = ReadAll(dir / "options.ini");
  for (const char* line :
       {"[Options]\n", "Kind=ekEudora\n", "Flags=mfSeen,mfDraft\n", "Ratio=1.5\n", "Wide=1046\n",
        "Big=-9000000000\n", "Extra=from the hook\n", "[SpeechOptions]\nRate=9\n",
        "[Accounts]\nCount=3\nDefaultItemIndex=2\n", "[Accounts\\0]\n", "[Accounts\\2]\n"})
    EXPECT_NE(file.find(line), std::string::npos) << line;
  for (const char* absent : {"ReadOnly=", "Hidden="})
    EXPECT_EQ(file.find(absent), std::string::npos) << absent;

  TOptions in;
  AddAccounts(in, 1);  // reading replaces what the collection held
  TIniFiler filer(dir / "options.ini");
  filer.ReadObject(&in);
  for (const TPropInfo& p : TOptions::StaticInfo().Properties())
    if (p.Stored) {
      EXPECT_EQ(PropertyText(in, p), PropertyText(out, p)) << p.Name;
    }
  EXPECT_EQ(in.Hidden, 0);
  EXPECT_EQ(in.Extra, out.Extra);
  EXPECT_EQ(in.Speech.Rate, 9);
  ASSERT_EQ(in.Accounts.Count(), 3);
  EXPECT_EQ(in.Accounts.DefaultItemIndex(), 2);
  EXPECT_EQ(static_cast<TAccount&>(in.Accounts.Items(1)).Path, "/mail/1");
}

TEST(IniProps, MissingKeysGiveDefaultsAndKeepTheObjectSound) {
  TTempDir dir;
  TOptions o;
  o.AutoRecode = false;
  o.Count = 9;
  o.Flags = 7;
  o.Ratio = 2;
  TIniFiler filer(dir / "empty.ini");
  filer.ReadObject(&o);
  EXPECT_TRUE(o.AutoRecode);  // default true, not false
  EXPECT_EQ(o.Count, 0);
  EXPECT_EQ(o.FolderId, INT32_MIN);  // no default: the marker
  EXPECT_EQ(o.Percent, 50);
  EXPECT_EQ(o.Kind, ekNone);
  EXPECT_EQ(o.LastKind, ekEudora);  // no default, and the marker is no value of the type
  EXPECT_EQ(o.Wide, u'w');
  EXPECT_EQ(o.Flags, 0u);
  EXPECT_EQ(o.Ratio, 0);
  EXPECT_EQ(o.Accounts.Count(), 0);
  EXPECT_FALSE(filer.IniFile().Modified());
}

struct TTextCase {
  std::string Name;
  const char* Property;
  std::u16string Text;
  std::string Expected;  // PropertyText afterwards
};

class IniPropsText : public ::testing::TestWithParam<TTextCase> {};

TEST_P(IniPropsText, SetPropertyTextByNameParsesAsTheFileIsRead) {
  TOptions o;
  SetPropertyTextByName(&o, GetParam().Property, GetParam().Text);
  EXPECT_EQ(Text(o, GetParam().Property), GetParam().Expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, IniPropsText,
    ::testing::Values(TTextCase{"SetPlain", "Flags", u"mfSeen,mfDraft", "mfSeen,mfDraft"},
                      TTextCase{"SetBracketsAndBlanks", "Flags", u"[ mfDraft  mfSeen ]",
                                "mfSeen,mfDraft"},
                      TTextCase{"SetAnyCase", "flags", u"MFFLAGGED", "mfFlagged"},
                      TTextCase{"SetUnknownEmpties", "Flags", u"mfSeen,mfBogus", ""},
                      TTextCase{"BooleanCapitals", "AutoRecode", u"FALSE", "False"},
                      TTextCase{"BooleanUnknown", "AutoRecode", u"maybe", "True"},
                      TTextCase{"EnumMixedCase", "Kind", u"EKeudora", "ekEudora"},
                      TTextCase{"EnumEmptyGivesDefault", "Kind", u"", "ekNone"},
                      TTextCase{"IntegerJunk", "Count", u"12abc", "0"},
                      TTextCase{"IntegerPlusSign", "Count", u"+5", "0"},
                      TTextCase{"IntegerNegative", "Count", u"-5", "-5"},
                      TTextCase{"IntegerBeyondInt32", "Count", u"2147483648", "0"},
                      TTextCase{"RangeAbove", "Percent", u"101", "50"},
                      TTextCase{"RangeBelow", "Percent", u"-1", "50"},
                      TTextCase{"FloatComma", "Ratio", u"1,25", "1.25"},
                      TTextCase{"FloatFifteenDigits", "Ratio", u"0.1", "0.1"},
                      TTextCase{"FloatJunk", "Ratio", u"one", "0"},
                      TTextCase{"Int64Max", "Big", u"9223372036854775807", "9223372036854775807"},
                      TTextCase{"Int64Beyond", "Big", u"9223372036854775808", "0"},
                      TTextCase{"CharFirst", "Letter", u"xyz", "x"},
                      TTextCase{"WideCharCode", "Wide", u"1046", "1046"},
                      TTextCase{"WideCharOutOfRange", "Wide", u"70000", "119"},
                      TTextCase{"StringWhole", "Folder", u"  a;b=c\n", "  a;b=c\n"},
                      TTextCase{"WideString", "Title", u"Привет", "Привет"},
                      TTextCase{"ReadOnlyHasNoText", "ReadOnly", u"5", ""}),
    test::ByName());

// Qt programs run under the user's locale (setlocale(LC_ALL, "")); a file
// written under a decimal comma must still read under a decimal point and
// the other way round.
TEST(IniProps, FloatsIgnoreTheLocale) {
  const std::string saved = std::setlocale(LC_ALL, nullptr);
  if (!std::setlocale(LC_ALL, "de_DE.UTF-8")) GTEST_SKIP() << "no de_DE.UTF-8 locale here";
  ASSERT_STREQ(std::localeconv()->decimal_point, ",");
  TOptions o;
  o.Ratio = 1.5;
  const std::string written = Text(o, "Ratio");
  SetPropertyTextByName(&o, "Ratio", u"2.25");
  const double point = o.Ratio;
  SetPropertyTextByName(&o, "Ratio", u"3,5");
  std::setlocale(LC_ALL, saved.c_str());
  EXPECT_EQ(written, "1.5");
  EXPECT_EQ(point, 2.25);
  EXPECT_EQ(o.Ratio, 3.5);
}

TEST(IniProps, UnknownNamesChangeNothing) {
  TOptions o;
  SetPropertyTextByName(&o, "Nope", u"1");
  SetPropertyTextByName(&o, "", u"1");
  SetPropertyTextByName(nullptr, "Count", u"1");
  TTempDir dir;
  TIniFiler filer(dir / "x.ini");
  filer.WritePropertyByName(&o, "Nope");
  filer.ReadPropertyByName(nullptr, "Count");
  EXPECT_FALSE(filer.IniFile().Modified());
  EXPECT_EQ(o.Count, 0);
}

TEST(IniProps, TextToOrdinalForColumnKinds) {
  EXPECT_EQ(TextToOrdinal("ekOutlook", ExplKindType(), -1), ekOutlook);
  EXPECT_EQ(TextToOrdinal("ekBogus", ExplKindType(), -1), -1);
  EXPECT_EQ(TextToOrdinal("4000000000", TOrdinalType::UInt32(), 0), 4000000000LL);
  EXPECT_EQ(TextToOrdinal("A", TOrdinalType::Char(), 0), 65);
}

// An item that holds a collection of its own.
class TNested : public TIniCollectionItem {
 public:
  static const TClassInfo& StaticInfo() {
    static const TClassInfo info =
        TClassBuilder<TNested>("TNested", &TIniCollectionItem::StaticInfo())
            .Object("Folders", [](TNested& n) { return &n.Folders; })
            .Build();
    return info;
  }
  const TClassInfo* ClassInfo() const override { return &StaticInfo(); }
  TIniCollection Folders{this, {}};
};

TEST(IniProps, SectionNames) {
  TOptions o;
  AddAccounts(o, 2);
  TIniCollection nested(&o, [] { return std::make_unique<TNested>(); });
  nested.Add();
  auto& inner = static_cast<TNested&>(nested.Add());
  inner.Folders.Add();
  EXPECT_EQ(SectionName(nested), "IniCollection");  // no property of its owner holds it
  EXPECT_EQ(SectionName(inner.Folders), "IniCollection\\1\\Folders");
  EXPECT_EQ(SectionName(inner.Folders.Items(0)), "IniCollection\\1\\Folders\\0");
  EXPECT_EQ(SectionName(o), "Options");
  EXPECT_EQ(SectionName(o.Speech), "SpeechOptions");
  EXPECT_EQ(SectionName(o.Accounts), "Accounts");
  EXPECT_EQ(SectionName(o.Accounts.Items(1)), "Accounts\\1");
  TIniCollection loose(nullptr, {});
  EXPECT_EQ(SectionName(loose), "IniCollection");
  TAccount alone;
  EXPECT_EQ(SectionName(alone), "Account");
}

// A form's control: the eleven common properties come first and are never
// written; neither is a component's Tag.
class TFakeControl : public TPersistent {
 public:
  static const TClassInfo& StaticInfo() {
    static const TClassInfo info = [] {
      TClassBuilder<TFakeControl> b("TFakeControl", nullptr);
      for (const std::string& name : TClassInfo::CommonControlProperties())
        b.Integer(name, &TFakeControl::Common, 0);
      return b.Integer("Caption", &TFakeControl::Caption, 0).Build(true, true);
    }();
    return info;
  }
  const TClassInfo* ClassInfo() const override { return &StaticInfo(); }
  std::int32_t Common = 5;
  std::int32_t Caption = 6;
};

class TTagged : public TIniComponent {
 public:
  static const TClassInfo& StaticInfo() {
    static const TClassInfo info = TClassBuilder<TTagged>("TTagged", &TIniComponent::StaticInfo())
                                       .Integer("Size", &TTagged::Size, 0)
                                       .Build();
    return info;
  }
  const TClassInfo* ClassInfo() const override { return &StaticInfo(); }
  std::int32_t Size = 3;
};

TEST(IniProps, ControlsAndComponentsSkipTheirCommonProperties) {
  TTempDir dir;
  TIniFiler filer(dir / "x.ini", TIniFilerMode::Rewrite);
  TFakeControl control;
  filer.WriteObject(&control);
  TTagged tagged;
  tagged.Name = "Tagged1";
  tagged.Tag = 77;
  filer.WriteObject(&tagged);
  EXPECT_EQ(filer.IniFile().Text(), "[FakeControl]\nCaption=6\n\n[Tagged]\nSize=3\n");
}

TEST(IniProps, RegistrationRefusesClashesAndFakeControls) {
  EXPECT_THROW((TClassBuilder<TSpeechOptions>("TBad", &TSpeechOptions::StaticInfo())
                    .Integer("RATE", &TSpeechOptions::Rate)
                    .Build()),
               std::logic_error);
  EXPECT_THROW((TClassBuilder<TSpeechOptions>("TBad", nullptr)
                    .Integer("Name", &TSpeechOptions::Rate)
                    .Build(true, true)),
               std::logic_error);
}

struct THooked : public TPersistent, public IIniHooks {
  explicit THooked(const TClassInfo* info) : Info(info) {}
  const TClassInfo* ClassInfo() const override { return Info; }
  std::u16string GetSectionName() const override { return u"Hooked"; }
  void DefineIniProperties(TIniFiler& filer, bool) override {
    ++Calls;
    if (Throw) throw std::runtime_error("hook failed");
    filer.WriteValue("Hook", "1");
  }
  const TClassInfo* Info;
  int Calls = 0;
  bool Throw = false;
};

TEST(IniProps, HooksRunForRegisteredClassesAndTheSectionIsRestored) {
  TTempDir dir;
  TIniFiler filer(dir / "x.ini");
  THooked unregistered(nullptr);
  filer.WriteObject(&unregistered);
  EXPECT_EQ(unregistered.Calls, 0);
  static const TClassInfo empty("THooked", nullptr, {});
  THooked registered(&empty);
  filer.SetSection("Caller");
  filer.WriteObject(&registered);
  EXPECT_EQ(registered.Calls, 1);
  EXPECT_EQ(filer.IniFile().ReadString("Hooked", "Hook"), "1");
  registered.Throw = true;
  EXPECT_THROW(filer.WriteObject(&registered), std::runtime_error);
  EXPECT_EQ(filer.Section(), "Caller");
}

TEST(IniProps, ACollectionWhoseCountLiesReadsTheItemsThatExist) {
  TTempDir dir;
  for (const char* count : {"1000000000000", "-5", "junk"}) {
    WriteAll(dir / "lie.ini",
             std::string("[Accounts]\nCount=") + count +
                 "\nDefaultItemIndex=1\n[Accounts\\0]\nPath=a\n[Accounts\\1]\nPath=b\n");
    TOptions o;
    TIniFiler filer(dir / "lie.ini");
    filer.SetSection("Options");
    filer.ReadPropertyByName(&o, "Accounts");
    const bool positive = std::string(count) == "1000000000000";
    EXPECT_EQ(o.Accounts.Count(), positive ? 2 : 0) << count;
    EXPECT_EQ(o.Accounts.DefaultItemIndex(), positive ? 1 : 0) << count;
  }
}

TEST(IniProps, AShorterCollectionLeavesNoStaleItems) {
  TTempDir dir;
  TOptions o;
  AddAccounts(o, 3);
  {
    TIniFiler filer(dir / "o.ini");
    filer.WriteObject(&o.Accounts);
    filer.UpdateFile();
  }
  o.Accounts.Delete(2);
  o.Accounts.Delete(1);
  TIniFiler filer(dir / "o.ini");
  filer.WriteObject(&o.Accounts);
  EXPECT_TRUE(filer.IniFile().SectionExists("Accounts\\0"));
  EXPECT_FALSE(filer.IniFile().SectionExists("Accounts\\1"));
  EXPECT_FALSE(filer.IniFile().SectionExists("Accounts\\2"));
}

}  // namespace
}  // namespace quenby
