#include <gtest/gtest.h>

#include <functional>

#include "TempDir.h"
#include "TestMesgItems.h"
#include "TestNames.h"
#include "model/mail/MailColumns.h"
#include "model/mail/MesgItems.h"
#include "platform/Errors.h"
#include "settings/GlobStrings.h"
#include "settings/IniFiler.h"
#include "text/CharsetConvert.h"

namespace quenby {
namespace {

using test::TTextMesgItem;
using TFill = std::function<void(TMesgItem&)>;

// ---- The order of two items ----

struct TOrderCase {
  std::string Name;
  TMesgSortOrder Order;
  TFill A, B;
  int Sign;  // of CompareItems(a, b), ascending
  friend void PrintTo(const TOrderCase& c, std::ostream* os) { *os << c.Name; }
};

TMesgSortOrder ByColumns(std::vector<TMailColumnType> columns) {
  return {msColumns, false, std::move(columns)};
}
TMesgSortOrder By(TMessageSort sort) {
  return {sort, false, {}};
}

class CompareItemsTable : public ::testing::TestWithParam<TOrderCase> {};

// Each case fills only the fields it compares; the rest are equal. The
// items are in a collection, so subjects compare by their keys.
TEST_P(CompareItemsTable, AscendingAndInverted) {
  const TOrderCase& c = GetParam();
  TMesgItems items;
  auto* a = new TTextMesgItem(&items, "");
  auto* b = new TTextMesgItem(&items, "");
  c.A(*a);
  c.B(*b);
  items.Add(a);
  items.Add(b);
  const auto sign = [](int r) { return (r > 0) - (r < 0); };
  items.SetSortOrder(c.Order);
  EXPECT_EQ(sign(items.CompareItems(a, b)), c.Sign);
  EXPECT_EQ(sign(items.CompareItems(b, a)), -c.Sign);
  TMesgSortOrder inverted = c.Order;
  inverted.InvertSort = true;
  items.SetSortOrder(inverted);
  EXPECT_EQ(sign(items.CompareItems(a, b)), -c.Sign);
}

TFill Subject(std::string s) {
  return [s](TMesgItem& m) { m.Subject = s; };
}
TFill Field(std::string TMesgItem::*field, std::string s) {
  return [field, s](TMesgItem& m) { m.*field = s; };
}
TFill Sent(TDateTime d) {
  return [d](TMesgItem& m) { m.DateSent = d; };
}
TFill Flags(TMesgFlags f) {
  return [f](TMesgItem& m) { m.Flags = f; };
}
TFill Both(TFill x, TFill y) {
  return [x, y](TMesgItem& m) {
    x(m);
    y(m);
  };
}
const TFill kNothing = [](TMesgItem&) {};

INSTANTIATE_TEST_SUITE_P(
    Columns, CompareItemsTable,
    ::testing::Values(
        TOrderCase{"Subject", ByColumns({mcSubject}), Subject("apple"), Subject("Banana"), -1},
        TOrderCase{"SubjectReplyAfterOriginal", ByColumns({mcSubject}), Subject("Re: hello"),
                   Subject("hello"), 1},
        // Byte order would put "Carl" first.
        TOrderCase{"FromRealNameByCollation", ByColumns({mcFromRealName}),
                   Field(&TMesgItem::FromRealName, "bob"), Field(&TMesgItem::FromRealName, "Carl"),
                   -1},
        TOrderCase{"FromRealNameCaseCounts", ByColumns({mcFromRealName}),
                   Field(&TMesgItem::FromRealName, "anna"), Field(&TMesgItem::FromRealName, "Anna"),
                   -1},
        // Byte order would put "B" first.
        TOrderCase{"FromEmailIgnoringCase", ByColumns({mcFromEmail}),
                   Field(&TMesgItem::FromEMail, "B@x"), Field(&TMesgItem::FromEMail, "a@x"), 1},
        TOrderCase{"FromEmailCaseOnlyIsEqual", ByColumns({mcFromEmail}),
                   Field(&TMesgItem::FromEMail, "Ab@x"), Field(&TMesgItem::FromEMail, "aB@x"), 0},
        TOrderCase{"ToRealName", ByColumns({mcToRealName}), Field(&TMesgItem::ToRealName, "bob"),
                   Field(&TMesgItem::ToRealName, "Carl"), -1},
        TOrderCase{"ToEmail", ByColumns({mcToEmail}), Field(&TMesgItem::ToEmail, "Z@x"),
                   Field(&TMesgItem::ToEmail, "y@x"), 1},
        TOrderCase{"DateSentOlderFirst", ByColumns({mcDateSent}), Sent(40000.5), Sent(40001), -1},
        TOrderCase{"DateReceivedOlderFirst", ByColumns({mcDateReceived}),
                   [](TMesgItem& m) { m.DateReceived = 40002; },
                   [](TMesgItem& m) { m.DateReceived = 40001; }, 1},
        // Numbers, not texts: "10" would sort before "9".
        TOrderCase{"SizeSmallerFirst", ByColumns({mcSize}), [](TMesgItem& m) { m.Size = 9; },
                   [](TMesgItem& m) { m.Size = 10; }, -1},
        TOrderCase{"PriorityLowestFirst", ByColumns({mcPriority}),
                   [](TMesgItem& m) { m.Priority = mpLowest; },
                   [](TMesgItem& m) { m.Priority = mpHighest; }, -1},
        TOrderCase{"AttachmentWithoutFirst", ByColumns({mcAttachment}), kNothing,
                   Flags(mfAttachment), -1},
        TOrderCase{"SeenReadFirst", ByColumns({mcSeen}), Flags(mfSeen), kNothing, -1},
        TOrderCase{"DraftWithoutFirst", ByColumns({mcDraft}), Flags(mfDraft), kNothing, 1},
        TOrderCase{"AnsweredWithFirst", ByColumns({mcAnswered}), Flags(mfAnswered), kNothing, -1},
        TOrderCase{"FlaggedWithoutFirst", ByColumns({mcFlagged}), kNothing, Flags(mfFlagged), -1},
        // Only the flag asked for counts.
        TOrderCase{"SeenIgnoresOtherFlags", ByColumns({mcSeen}), Flags(mfSeen | mfFlagged),
                   Flags(mfSeen | mfDraft), 0},
        TOrderCase{"ColumnsInDisplayOrder", ByColumns({mcSize, mcSubject}),
                   Both(Subject("b"), [](TMesgItem& m) { m.Size = 1; }),
                   Both(Subject("a"), [](TMesgItem& m) { m.Size = 2; }), -1},
        TOrderCase{"LaterColumnOnATie", ByColumns({mcSize, mcSubject}), Subject("b"), Subject("a"),
                   1},
        TOrderCase{"NoColumnsIsDateSent", ByColumns({}), Both(Subject("z"), Sent(1)),
                   Both(Subject("a"), Sent(2)), -1},
        TOrderCase{"EqualSubjectsByDateSent", By(msSubject), Both(Subject("Re: x"), Sent(3)),
                   Both(Subject("Re: x"), Sent(2)), 1},
        TOrderCase{"SubjectBeforeDateSent", By(msSubject), Both(Subject("a"), Sent(3)),
                   Both(Subject("b"), Sent(2)), -1},
        TOrderCase{
            "FromNameThenAddress", By(msFrom),
            Both(Field(&TMesgItem::FromRealName, "Ann"), Field(&TMesgItem::FromEMail, "b@x")),
            Both(Field(&TMesgItem::FromRealName, "Ann"), Field(&TMesgItem::FromEMail, "A@x")), 1},
        TOrderCase{"ToNameThenAddressThenDate", By(msTo),
                   Both(Field(&TMesgItem::ToEmail, "a@x"), Sent(1)),
                   Both(Field(&TMesgItem::ToEmail, "A@x"), Sent(2)), -1},
        TOrderCase{"DateSentMode", By(msDateSent), Both(Subject("z"), Sent(1)),
                   Both(Subject("a"), Sent(2)), -1},
        TOrderCase{"DateReceivedMode", By(msDateReceived),
                   Both(Sent(1), [](TMesgItem& m) { m.DateReceived = 9; }),
                   Both(Sent(2), [](TMesgItem& m) { m.DateReceived = 8; }), 1},
        TOrderCase{"AllEqualStaysATie", By(msSubject), Subject("s"), Subject("s"), 0}),
    test::ByName());

// ---- Sorting a collection ----

std::string Subjects(const TMesgItems& items) {
  std::string out;
  for (std::int32_t i = 0; i < items.Count(); ++i) out += items.ItemAt(i)->Subject + ",";
  return out;
}

TEST(MesgItemsOrder, ResortAndAddSortedFollowTheOrderAndSubjectsSetLater) {
  TMesgItems items;
  for (const char* s : {"d", "Re: b", "c", "a"}) {
    auto* item = new TTextMesgItem(&items, "");
    item->Subject = s;
    items.AddSorted(item);
  }
  EXPECT_EQ(Subjects(items), "a,Re: b,c,d,");
  // A subject changed in place after the item was keyed: the resort keys
  // it again instead of ordering it by the old subject.
  items.ItemAt(0)->Subject = "e";
  items.Resort();
  EXPECT_EQ(Subjects(items), "Re: b,c,d,e,");
  items.SetSortOrder({msSubject, true, {}});
  items.Resort();
  EXPECT_EQ(Subjects(items), "e,d,c,Re: b,");
}

TEST(MesgItemsOrder, EqualItemsKeepTheirOrderInAResort) {
  TMesgItems items;
  for (int i = 0; i < 40; ++i) {
    auto* item = new TTextMesgItem(&items, std::to_string(i));
    item->Subject = i % 2 ? "same" : "other";
    items.Add(item);
  }
  items.Resort();
  for (std::int32_t i = 1; i < items.Count(); ++i) {
    const auto* prev = static_cast<const TTextMesgItem*>(items.ItemAt(i - 1));
    const auto* next = static_cast<const TTextMesgItem*>(items.ItemAt(i));
    if (prev->Subject == next->Subject) {
      EXPECT_LT(std::stoi(prev->Text), std::stoi(next->Text));
    }
  }
}

// ---- Names, captions, texts ----

TEST(MailColumnNames, RoundTripIgnoringCase) {
  for (int i = 0; i < kMailColumnCount; ++i) {
    const auto type = static_cast<TMailColumnType>(i);
    std::string name(MailColumnName(type));
    EXPECT_EQ(MailColumnFromName(name), type);
    for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    EXPECT_EQ(MailColumnFromName(name), type) << name;
  }
  EXPECT_EQ(MailColumnFromName("mcNothing"), std::nullopt);
  EXPECT_EQ(MailColumnFromName(""), std::nullopt);
}

TEST(MailColumnTexts, FieldsDatesAndFlags) {
  LoadLanguage(QUENBY_SOURCE_DIR "/lang/english.ini");
  TMesgItems items;
  TTextMesgItem item(&items, "");
  item.Subject = "Hello";
  item.FromEMail = "a@b";
  item.Size = 1234;
  item.Flags = mfSeen | mfFlagged;
  item.Priority = mpHighest;
  item.DateReceived = 40000.75;
  EXPECT_EQ(MailColumnText(item, mcSubject, ddDateAndTime), "Hello");
  EXPECT_EQ(MailColumnText(item, mcFromEmail, ddDateAndTime), "a@b");
  EXPECT_EQ(MailColumnText(item, mcSize, ddDateAndTime), "1234");
  for (const TDateTimeDetails details : {ddDateAndTime, ddOnlyDate, ddOnlyTime}) {
    EXPECT_EQ(MailColumnText(item, mcDateSent, details), "");
    EXPECT_EQ(MailColumnText(item, mcDateReceived, details),
              WideToUtf8(MesgDateToStr(details, item.DateReceived)));
    for (int flag = mcPriority; flag < kMailColumnCount; ++flag)
      EXPECT_EQ(MailColumnText(item, static_cast<TMailColumnType>(flag), details), "");
  }
  EXPECT_EQ(MailColumnCaption(mcFromEmail), u"From address");
  EXPECT_EQ(MailColumnCaption(mcSeen), u"Read");
  SetGlobStrings(nullptr);
}

// ---- The column list ----

std::vector<TMailColumnType> Defaults() {
  return {mcSubject, mcFromRealName, mcFromEmail};
}

TMailColumnsList ListOf(const std::vector<TMailColumnType>& types) {
  TMailColumnsList list;
  for (const TMailColumnType type : types) list.AddColumn(type);
  return list;
}

TEST(MailColumnsList, InsertMovesAShownTypeAndAvailableSkipsShownOnes) {
  TMailColumnsList list = ListOf(Defaults());
  EXPECT_EQ(list.AvailableCount(), 11);
  EXPECT_EQ(list.AvailableColumn(0), mcToRealName);
  EXPECT_EQ(list.AvailableColumn(10), mcFlagged);
  EXPECT_EQ(list.AddColumn(mcFromRealName), 1);  // already shown: its place
  list.InsertColumn(0, mcFromEmail);
  EXPECT_EQ(list.Types(), (std::vector{mcFromEmail, mcSubject, mcFromRealName}));
  list.InsertColumn(3, mcSubject);  // the old end: appended after its removal
  EXPECT_EQ(list.Types(), (std::vector{mcFromEmail, mcFromRealName, mcSubject}));
  list.InsertColumn(1, mcFromRealName);  // already there
  list.MoveColumn(2, 0);
  EXPECT_EQ(list.Types(), (std::vector{mcSubject, mcFromEmail, mcFromRealName}));
  EXPECT_EQ(list.AddFirstAvailable(), 3);
  EXPECT_EQ(list.ColumnTypes(3), mcToRealName);
  list.DeleteColumn(1);
  EXPECT_EQ(list.IndexOfColumn(mcFromEmail), -1);
  EXPECT_EQ(list.AvailableColumn(0), mcFromEmail);
  while (list.CanAdd()) list.AddFirstAvailable();
  EXPECT_EQ(list.ColumnCount(), kMailColumnCount);
  EXPECT_EQ(list.AvailableCount(), 0);
}

TEST(MailColumnsList, TheLastColumnCannotBeDeleted) {
  TMailColumnsList list = ListOf({mcSubject, mcSize});
  EXPECT_TRUE(list.CanDelete(1));
  EXPECT_FALSE(list.CanDelete(2));
  list.DeleteColumn(1);
  EXPECT_FALSE(list.CanDelete(0));
  EXPECT_EQ(list.GetText(0), MailColumnCaption(mcSubject));
  EXPECT_TRUE(TMailColumnsList::Supports(0));   // add
  EXPECT_TRUE(TMailColumnsList::Supports(3));   // move up
  EXPECT_FALSE(TMailColumnsList::Supports(4));  // load
  EXPECT_FALSE(TMailColumnsList::Supports(8));  // properties
}

struct TIndexCase {
  std::string Name;
  std::function<void(TMailColumnsList&)> Call;
  std::int64_t Index;
  friend void PrintTo(const TIndexCase& c, std::ostream* os) { *os << c.Name; }
};

class ColumnIndexErrors : public ::testing::TestWithParam<TIndexCase> {};

TEST_P(ColumnIndexErrors, RaiseTheListIndexError) {
  TMailColumnsList list = ListOf(Defaults());
  try {
    GetParam().Call(list);
    FAIL() << "no error";
  } catch (const EListError& e) {
    EXPECT_EQ(e.Index(), GetParam().Index);
    EXPECT_EQ(std::string(e.what()),
              "List index out of bounds (" + std::to_string(GetParam().Index) + ")");
  }
  EXPECT_EQ(list.Types(), Defaults());
}

INSTANTIATE_TEST_SUITE_P(
    Columns, ColumnIndexErrors,
    ::testing::Values(
        TIndexCase{"ColumnTypesPastTheEnd", [](TMailColumnsList& l) { l.ColumnTypes(3); }, 3},
        TIndexCase{"InsertBeyondTheEnd", [](TMailColumnsList& l) { l.InsertColumn(4, mcSize); }, 4},
        TIndexCase{"InsertNegative", [](TMailColumnsList& l) { l.InsertColumn(-1, mcSize); }, -1},
        TIndexCase{"MoveToTheEnd", [](TMailColumnsList& l) { l.MoveColumn(0, 3); }, 3},
        TIndexCase{"MoveFromNegative", [](TMailColumnsList& l) { l.MoveColumn(-2, 0); }, -2},
        TIndexCase{"Delete", [](TMailColumnsList& l) { l.DeleteColumn(3); }, 3},
        TIndexCase{"AvailablePastTheCount", [](TMailColumnsList& l) { l.AvailableColumn(11); }, 11},
        TIndexCase{"NoTypeOfThatNumber",
                   [](TMailColumnsList& l) { l.AddColumn(static_cast<TMailColumnType>(14)); }, 14}),
    test::ByName());

// ---- Persistence ----

class ColumnsIni : public ::testing::Test {
 protected:
  TMailColumnsList Read(const std::string& section) {
    test::WriteAll(Dir / "o.ini", "[List]\n" + section);
    TIniFiler filer(Dir / "o.ini");
    filer.SetSection("List");
    TMailColumnsList list = ListOf(Defaults());
    filer.ReadProperties(&list);
    return list;
  }
  test::TTempDir Dir;
};

TEST_F(ColumnsIni, WrittenColumnsReadBackExactly) {
  {
    TIniFiler filer(Dir / "o.ini");
    filer.SetSection("List");
    TMailColumnsList list = ListOf({mcSubject, mcFromRealName, mcFromEmail, mcToEmail});
    filer.WriteProperties(&list);  // a longer list first: its extra keys must not come back
    list = ListOf({mcSubject, mcDateSent, mcSize});
    filer.WriteProperties(&list);
    filer.UpdateFile();
  }
  const std::string text = test::ReadAll(Dir / "o.ini");
  EXPECT_NE(text.find("ColumnsCount=3"), std::string::npos) << text;
  EXPECT_NE(text.find("Column1=mcDateSent"), std::string::npos) << text;
  TIniFiler filer(Dir / "o.ini");
  filer.SetSection("List");
  TMailColumnsList back;
  filer.ReadProperties(&back);
  EXPECT_EQ(back.Types(), (std::vector{mcSubject, mcDateSent, mcSize}));
}

struct TCorruptCase {
  std::string Name;
  std::string Section;
  std::vector<TMailColumnType> Expected;
  friend void PrintTo(const TCorruptCase& c, std::ostream* os) { *os << c.Name; }
};

class CorruptColumnsIni : public ColumnsIni, public ::testing::WithParamInterface<TCorruptCase> {};

TEST_P(CorruptColumnsIni, GiveAtMostFourteenKnownColumns) {
  const TMailColumnsList list = Read(GetParam().Section);
  EXPECT_EQ(list.Types(), GetParam().Expected);
}

std::string AllFourteenAndAnUnknown() {
  std::string s = "ColumnsCount=15\n";
  for (int i = 0; i < 15; ++i) {
    const std::string name =
        i == 3 ? "mcNoSuchField"
               : std::string(MailColumnName(static_cast<TMailColumnType>(i < 3 ? i : i - 1)));
    s += "Column" + std::to_string(i) + "=" + name + "\n";
  }
  return s;
}

std::vector<TMailColumnType> AllBut(TMailColumnType left) {
  std::vector<TMailColumnType> out;
  for (int i = 0; i < kMailColumnCount; ++i)
    if (i != left) out.push_back(static_cast<TMailColumnType>(i));
  return out;
}

INSTANTIATE_TEST_SUITE_P(
    Columns, CorruptColumnsIni,
    ::testing::Values(
        // Fourteen entries are read; the unknown one is skipped, which
        // leaves the last valid name unread.
        TCorruptCase{"FifteenNamesOneUnknown", AllFourteenAndAnUnknown(), AllBut(mcFlagged)},
        TCorruptCase{"UnknownNameSkipped",
                     "ColumnsCount=3\nColumn0=mcSize\nColumn1=mcBogus\nColumn2=MCSEEN\n",
                     {mcSize, mcSeen}},
        TCorruptCase{
            "RepeatedNameOnce", "ColumnsCount=2\nColumn0=mcSize\nColumn1=mcsize\n", {mcSize}},
        TCorruptCase{"CountOf1000",
                     "ColumnsCount=1000\nColumn0=mcDraft\nColumn1=mcSubject\n",
                     {mcDraft, mcSubject}},
        TCorruptCase{
            "CountBeyond64Bits", "ColumnsCount=99999999999999999999\nColumn0=mcDraft\n", {mcDraft}},
        TCorruptCase{"NegativeCount", "ColumnsCount=-1\nColumn0=mcDraft\n", Defaults()},
        TCorruptCase{"CountNotANumber", "ColumnsCount=x\nColumn0=mcDraft\n", Defaults()},
        TCorruptCase{"NoCount", "Column0=mcDraft\n", Defaults()},
        TCorruptCase{"OnlyUnknownNames", "ColumnsCount=2\nColumn0=a\nColumn1=b\n", Defaults()}),
    test::ByName());

}  // namespace
}  // namespace quenby
