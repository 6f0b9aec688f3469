#include <gtest/gtest.h>

#include <stdexcept>
#include <thread>

#include "../RecordingView.h"
#include "TestMesgItems.h"
#include "TestNames.h"
#include "model/FastMemoryStream.h"
#include "model/mail/MesgItems.h"
#include "platform/Errors.h"
#include "platform/LegacyCodePage.h"
#include "settings/GlobStrings.h"
#include "settings/IniWStrings.h"
#include "settings/Options.h"
#include "text/CharsetConvert.h"

namespace quenby {
namespace {

using test::TRecordingView;
using test::TTextMesgItem;
using Events = std::vector<std::string>;

class MesgItemsTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    LoadLanguage(QUENBY_SOURCE_DIR "/lang/english.ini");
    SetLegacyCodePage("windows-1251");
  }
  static void TearDownTestSuite() { SetLegacyCodePage({}); }
  void TearDown() override { SetAutoRusEnabled(false); }
};

struct TFillCase {
  std::string Name;
  std::string Message;
  bool HeadersOnly = true;
  bool AutoRus = false;
  std::string Subject, FromName, FromEMail, ToName, ToEmail, MsgId;
  TMesgFlags Flags = 0;
  std::uint8_t Priority = mpNormal;
};

class FillFromMessage : public MesgItemsTest, public ::testing::WithParamInterface<TFillCase> {};

TEST_P(FillFromMessage, TakesTheListFields) {
  const TFillCase& c = GetParam();
  SetAutoRusEnabled(c.AutoRus);
  TMimeMessage message;
  message.Parse(c.Message, c.HeadersOnly);
  TMesgItems items;
  TTextMesgItem item(&items, c.Message);
  item.Size = 77;
  item.DateReceived = 45000.5;
  item.Flags = mfSeen;
  item.FillFromMessage(message);
  EXPECT_EQ(item.Subject, c.Subject);
  EXPECT_EQ(item.FromRealName, c.FromName);
  EXPECT_EQ(item.FromEMail, c.FromEMail);
  EXPECT_EQ(item.ToRealName, c.ToName);
  EXPECT_EQ(item.ToEmail, c.ToEmail);
  EXPECT_EQ(item.MsgId, c.MsgId);
  EXPECT_EQ(item.Flags, c.Flags);
  EXPECT_EQ(item.Priority, c.Priority);
  // The store's own fields survive the fill.
  EXPECT_EQ(item.Size, 77);
  EXPECT_EQ(item.DateReceived, 45000.5);
}

const std::string kMixed =
    "Subject: files\r\nMIME-Version: 1.0\r\n"
    "Content-Type: multipart/mixed; boundary=\"b\"\r\n\r\n"
    "--b\r\nContent-Type: text/plain\r\n\r\nhi\r\n"
    "--b\r\nContent-Type: application/octet-stream\r\n"
    "Content-Disposition: attachment; filename=\"a.bin\"\r\n\r\nxx\r\n--b--\r\n";
const std::string kRelatedText =
    "Subject: page\r\nContent-Type: multipart/alternative; boundary=\"b\"\r\n\r\n"
    "--b\r\nContent-Type: text/plain\r\n\r\nhi\r\n--b--\r\n";

INSTANTIATE_TEST_SUITE_P(
    Cases, FillFromMessage,
    ::testing::Values(
        TFillCase{"Plain",
                  "Subject: Hello\r\nFrom: Ann Lee <ann@x.org>\r\nTo: Bob <bob@y.org>, c@z.org\r\n"
                  "Message-ID: <1@x.org>\r\nX-Priority: 1\r\n\r\nbody",
                  true, false, "Hello", "Ann Lee", "ann@x.org", "Bob", "bob@y.org", "1@x.org", 0,
                  mpHighest},
        TFillCase{"ThreadIdWithoutMessageId", "Subject: t\r\nThread-Id: abc.42\r\n\r\nb", true,
                  false, "t", "", "", "", "", "abc.42", 0, mpNormal},
        TFillCase{"NoRecipients", "Subject: s\r\nFrom: a@x.org\r\n\r\nb", true, false, "s", "",
                  "a@x.org", "", "", "", 0, mpNormal},
        TFillCase{"RawKoi8WithCharset",
                  "Subject: \xF0\xD2\xC9\xD7\xC5\xD4\r\nFrom: \xE9\xD7\xC1\xCE <i@x.ru>\r\n"
                  "Content-Type: text/plain; charset=koi8-r\r\n\r\nb",
                  true, false, "Привет", "Иван", "i@x.ru", "", "", "", 0, mpNormal},
        // Without a charset the legacy code page (windows-1251 here) reads
        // the KOI8-R bytes as the wrong letters...
        TFillCase{"RawKoi8WithoutCharset", "Subject: \xF0\xD2\xC9\xD7\xC5\xD4\r\n\r\nb", true,
                  false, "рТЙЧЕФ", "", "", "", "", "", 0, mpNormal},
        // ...which the Russian recoding guess puts right when it is on.
        TFillCase{"RawKoi8WithoutCharsetAutoRus", "Subject: \xF0\xD2\xC9\xD7\xC5\xD4\r\n\r\nb",
                  true, true, "Привет", "", "", "", "", "", 0, mpNormal},
        TFillCase{"EncodedWords",
                  "Subject: =?koi8-r?B?8NLJ18XU?= to =?utf-8?q?w=C3=B6rld?=\r\n"
                  "From: =?windows-1251?Q?=C8=E2=E0=ED?= <i@x.ru>\r\n\r\nb",
                  true, false, "Привет to wörld", "Иван", "i@x.ru", "", "", "", 0, mpNormal},
        TFillCase{"AttachmentInFullParse", kMixed, false, false, "files", "", "", "", "", "",
                  mfAttachment, mpNormal},
        TFillCase{"MixedSeenInHeadersOnly", kMixed, true, false, "files", "", "", "", "", "",
                  mfAttachment, mpNormal},
        TFillCase{"SingleNonTextPart", "Subject: p\r\nContent-Type: application/pdf\r\n\r\nx", true,
                  false, "p", "", "", "", "", "", mfAttachment, mpNormal},
        TFillCase{"AlternativeIsNoAttachment", kRelatedText, false, false, "page", "", "", "", "",
                  "", 0, mpNormal}),
    test::ByName());

TEST_F(MesgItemsTest, FileNameTurnsReplyMarksIntoWordsAndCleans) {
  TMesgItems items;
  TTextMesgItem item(&items, "");
  item.Subject = "RE: Re:plan a/b?";
  EXPECT_EQ(item.GetFileName(), "re  re plan a_b_");
  item.Subject.clear();
  EXPECT_EQ(item.GetFileName(), "");
}

// The rest of the tests add items through the collection.
TTextMesgItem* NewItem(TMesgItems& items, TMesgFlags flags = 0, std::string text = {}) {
  auto* item = new TTextMesgItem(&items, std::move(text));
  item->Flags = flags;
  return item;
}

struct TBatchCase {
  std::string Name;
  int Inserts;
  int FirstBatches;
  int StatusNotices;
};

class InsertBatching : public MesgItemsTest, public ::testing::WithParamInterface<TBatchCase> {};

TEST_P(InsertBatching, TellsTheViewEvery129Inserts) {
  TMesgItems items;
  TRecordingView view(items.View());
  // A loading thread: counts are posted, and the yield is taken.
  std::thread([&] {
    for (int i = 0; i < GetParam().Inserts; ++i) items.Add(NewItem(items));
  }).join();
  int firstBatches = 0, statusNotices = 0;
  Events counts;
  for (const std::string& e : view.Take()) {
    if (e == "post 1383") ++firstBatches;
    if (e == "post 1391") ++statusNotices;
    if (e.rfind("post count", 0) == 0) counts.push_back(e);
  }
  EXPECT_EQ(firstBatches, GetParam().FirstBatches);
  EXPECT_EQ(statusNotices, GetParam().StatusNotices);
  EXPECT_EQ(counts.size(), static_cast<std::size_t>(GetParam().StatusNotices));
  if (!counts.empty()) {
    EXPECT_EQ(counts.front(), "post count 129");
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, InsertBatching,
                         ::testing::Values(TBatchCase{"Below", 128, 0, 0},
                                           TBatchCase{"OneBatch", 129, 1, 1},
                                           TBatchCase{"TwoBatches", 258, 1, 2}),
                         test::ByName());

TEST_F(MesgItemsTest, ALoadIntoAFilledListIsNoFirstBatch) {
  TMesgItems items;
  items.Add(NewItem(items));
  items.ResetInsertCounter();
  TRecordingView view(items.View());
  for (int i = 0; i < 129; ++i) items.Add(NewItem(items));
  for (const std::string& e : view.Take()) EXPECT_NE(e, "post 1383");
}

TEST_F(MesgItemsTest, FlagCountersFollowInsertsRecountAndClear) {
  TMesgItems items;
  items.Add(NewItem(items, mfSeen | mfAttachment));
  items.Add(NewItem(items, mfFlagged));
  items.Add(NewItem(items, mfSeen | mfDraft | mfAnswered));
  auto counts = [&] {
    std::vector<int> out;
    for (int c = 0; c < static_cast<int>(TFlagCounter::Count_); ++c)
      out.push_back(items.FlagCount(static_cast<TFlagCounter>(c)));
    return out;
  };
  EXPECT_EQ(counts(), (std::vector<int>{1, 1, 1, 1, 2, 1}));
  items.ItemAt(1)->Flags |= mfSeen;
  items.DeleteMessage(0);
  items.DeleteMessage(5);  // out of range: nothing
  EXPECT_EQ(items.Count(), 2);
  EXPECT_EQ(items.Recount(), 0);
  EXPECT_EQ(counts(), (std::vector<int>{0, 1, 1, 1, 2, 0}));
  items.Clear();
  EXPECT_EQ(counts(), (std::vector<int>(6, 0)));
}

struct TErrorCase {
  std::string Name;
  std::exception_ptr Error;
  bool Handled;
  std::u16string Status;
};

class HandleLoadError : public MesgItemsTest, public ::testing::WithParamInterface<TErrorCase> {};

TEST_P(HandleLoadError, MapsStreamErrorsToTheErrorTexts) {
  TMesgItems items;
  TRecordingView view(items.View());
  EXPECT_EQ(items.HandleLoadError(GetParam().Error), GetParam().Handled);
  EXPECT_EQ(items.StatusText(), GetParam().Status);
  EXPECT_EQ(view.Take(), GetParam().Handled ? Events{"post 1388"} : Events{});
}

std::exception_ptr StreamError(TStreamErrorKind kind) {
  return std::make_exception_ptr(EStreamError(kind, "/m/x.eml"));
}

std::exception_ptr ParseFailure() {
  try {
    TMimeMessage message;
    message.Parse("", false, "empty.eml");
  } catch (...) {
    return std::current_exception();
  }
  return {};
}

INSTANTIATE_TEST_SUITE_P(
    Cases, HandleLoadError,
    ::testing::Values(
        TErrorCase{"Stream", StreamError(TStreamErrorKind::Stream), true,
                   u"The file is damaged or of another kind"},
        TErrorCase{"CannotOpen", StreamError(TStreamErrorKind::CannotOpen), true,
                   u"The file cannot be opened"},
        TErrorCase{"CannotCreate", StreamError(TStreamErrorKind::CannotCreate), true,
                   u"The file cannot be created"},
        TErrorCase{"Read", StreamError(TStreamErrorKind::Read), true, u"The file cannot be read"},
        TErrorCase{"Write", StreamError(TStreamErrorKind::Write), true,
                   u"The file cannot be written"},
        TErrorCase{"IniFile", StreamError(TStreamErrorKind::IniFile), true,
                   u"The settings file cannot be read or saved"},
        TErrorCase{"UnparsableMessage", ParseFailure(), true,
                   u"The file is damaged or of another kind"},
        TErrorCase{"OtherException", std::make_exception_ptr(std::logic_error("bug")), false, u""},
        TErrorCase{"Nothing", nullptr, false, u""}),
    test::ByName());

TEST_F(MesgItemsTest, TheDefaultStoreRefusesDropsAndKeepsItsItems) {
  TMesgItems items;
  items.Add(NewItem(items));
  try {
    items.QueryDropTarget();
    FAIL() << "no refusal";
  } catch (const EDropRefused& e) {
    EXPECT_STREQ(e.what(), "Message Items not support drop and paste from clipboard operations");
  }
  EXPECT_EQ(items.Count(), 1);
}

TEST_F(MesgItemsTest, LoadMessageKeepsDotLinesAndDropsEncodedCarriageReturns) {
  const std::string text =
      "Subject: dots\r\nContent-Type: text/plain\r\n"
      "Content-Transfer-Encoding: Quoted-Printable\r\n\r\n"
      "one\r\n.\r\n.\r\nline=0D\r\nlast=0d\r\nend\r\n";
  TMesgItems items;
  TTextMesgItem item(&items, text);
  TMimeMessage message;
  item.LoadMessage(message, false);
  EXPECT_EQ(message.BodyLines(),
            (std::vector<std::string>{"one", ".", ".", "line", "last", "end"}));
  item.LoadMessage(message, true);
  EXPECT_EQ(message.RawSubject(), "dots");
  EXPECT_TRUE(message.BodyLines().empty());
}

TEST_F(MesgItemsTest, AddSortedPlacesByTheCollectionsOrder) {
  class TBySubject : public TMesgItems {
    int CompareItems(const TSyncItem* a, const TSyncItem* b) const override {
      return static_cast<const TMesgItem*>(a)->Subject.compare(
          static_cast<const TMesgItem*>(b)->Subject);
    }
  } items;
  for (const char* s : {"m", "c", "x", "a"}) {
    TTextMesgItem* item = NewItem(items);
    item->Subject = s;
    items.AddSorted(item);
  }
  std::string order;
  for (int i = 0; i < items.Count(); ++i) order += items.ItemAt(i)->Subject;
  EXPECT_EQ(order, "acmx");
}

TEST_F(MesgItemsTest, SaveToFileWritesTheStoredBytesAndEncodeWritesTheMessage) {
  const std::string path = ::testing::TempDir() + "mesg_item.eml";
  TMesgItems items;
  TTextMesgItem item(&items, "Subject: a\r\n\r\nbody\r\n");
  item.SaveToFile(path);
  TFastMemoryStream back;
  TMimeMessage message;
  message.LoadFromFile(path, false);
  EXPECT_EQ(message.RawSubject(), "a");
  items.EncodeMessage(&message, &back);
  EXPECT_EQ(back.ToString(), "Subject: a\r\n\r\nbody\r\n");
  items.EncodeMessage(nullptr, &back);
  EXPECT_THROW(item.SaveToFile("/nonexistent-dir/x.eml"), EStreamError);
}

}  // namespace
}  // namespace quenby
