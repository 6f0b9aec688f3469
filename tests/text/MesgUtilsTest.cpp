// Message helpers: readable text, stamping, saving, subjects and dates.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <unistd.h>

#include <clocale>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "TestNames.h"
#include "model/FastMemoryStream.h"
#include "platform/Errors.h"
#include "text/MesgUtils.h"
#include "text/MimeMessage.h"

namespace quenby {
namespace {

namespace fs = std::filesystem;

std::string Fixture(const char* name) {
  return (fs::path(QUENBY_TEST_DATA) / "mime" / name).string();
}

TEST(MesgTextTest, FirstTextPartWithTheMessageCharsetAsFallback) {
  TMimeMessage message;
  message.LoadFromFile(Fixture("mixed-two-texts.eml"), false);
  std::string text, charset;
  GetMesgText(&message, text, charset);
  EXPECT_EQ(text, "First text part.");
  EXPECT_EQ(charset, "iso-8859-2");  // the part names none
  EXPECT_TRUE(MesgHasAttachments(&message));
  EXPECT_EQ(GetMesgTextLines(&message), &message.Parts()[0].Lines);
}

TEST(MesgTextTest, MessageWithoutPartsGivesItsBody) {
  TMimeMessage message;
  message.Parse(
      "Content-Type: text/plain; charset=koi8-r\r\nContent-Transfer-Encoding: "
      "quoted-printable\r\n\r\n"
      "\r\n  a=3Db\r\nsecond\r\n\r\n",
      false);
  std::string text, charset;
  GetMesgText(&message, text, charset);
  EXPECT_EQ(text, "a=b\r\nsecond");
  EXPECT_EQ(charset, "koi8-r");
  EXPECT_FALSE(MesgHasAttachments(&message));
  EXPECT_EQ(GetMesgTextLines(&message), &message.BodyLines());
}

TEST(MesgTextTest, MissingMessageGivesEmptyResults) {
  std::string text = "old", charset = "old";
  GetMesgText(nullptr, text, charset);
  EXPECT_EQ(text, "");
  EXPECT_EQ(charset, "");
  EXPECT_EQ(GetMesgTextLines(nullptr), nullptr);
  EXPECT_FALSE(IsUnsentMesg(nullptr));
  EXPECT_FALSE(MesgHasAttachments(nullptr));
  SaveMesgToFile(nullptr, "/nonexistent/x.eml");  // no-op, no error
}

TEST(MesgStampTest, SetXMailerLeavesOneLineOverAFoldedOne) {
  TMimeMessage message;
  message.LoadFromFile(Fixture("lf-folded-mailer.eml"), false);
  EXPECT_TRUE(IsUnsentMesg(&message));
  SetXMailer(&message);
  const std::string out = message.Render();
  EXPECT_EQ(out.find("X-Mailer"), out.rfind("X-Mailer"));
  EXPECT_NE(out.find("X-Mailer: " + MailerId() + "\r\nUnsent: 1\r\n"), std::string::npos);
  EXPECT_EQ(out.find("Other"), std::string::npos);
  EXPECT_EQ(MailerId().rfind("Quenby Mailer (v ", 0), 0u);
  EXPECT_EQ(std::count(MailerId().begin(), MailerId().end(), '.'), 3);
}

class SaveMesgTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Folder = fs::temp_directory_path() / ("quenby-text-" + std::to_string(::getpid()));
    fs::create_directories(Folder);
  }
  void TearDown() override { fs::remove_all(Folder); }
  fs::path Folder;
};

TEST_F(SaveMesgTest, SavedFileReadsBackWithTheUnsentMark) {
  TMimeMessage message;
  SetXMailer(&message);
  SetUnsentMark(&message);
  message.Headers().Add("From", "Me <me@example.com>");
  message.Headers().Add("Subject", "saved");
  message.SetCharSet("utf-8");
  message.SetBodyLines({"Hello", "there"});
  const std::string path = (Folder / "out.eml").string();
  SaveMesgToFile(&message, path);
  SaveMesgToFile(&message, path);  // replacing works as well

  TMimeMessage back;
  back.LoadFromFile(path, false);
  EXPECT_TRUE(IsUnsentMesg(&back));
  EXPECT_EQ(back.Headers().Value("Subject"), "saved");
  EXPECT_EQ(back.From().at(0).Address, "me@example.com");
  std::string text, charset;
  GetMesgText(&back, text, charset);
  EXPECT_EQ(text, "Hello\r\nthere");
  EXPECT_EQ(charset, "utf-8");
  EXPECT_EQ(std::distance(fs::directory_iterator(Folder), fs::directory_iterator()), 1);

  TFastMemoryStream stream;
  SaveMesgToStream(&message, &stream);
  EXPECT_EQ(stream.ToString(), message.Render());
}

TEST_F(SaveMesgTest, AFailedSaveKeepsTheOldFile) {
  const fs::path path = Folder / "keep.eml";
  std::ofstream(path) << "old content";
  TMimeMessage message;
  message.Headers().Add("Subject", "new");
  message.SetBodyLines({std::string(4096, 'x')});
  // A file size limit makes the write fail part way, as a full disk would.
  const auto oldSignal = std::signal(SIGXFSZ, SIG_IGN);
  rlimit oldLimit{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &oldLimit), 0);
  rlimit small = oldLimit;
  small.rlim_cur = 1000;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  EXPECT_THROW(SaveMesgToFile(&message, path.string()), EStreamError);
  setrlimit(RLIMIT_FSIZE, &oldLimit);
  std::signal(SIGXFSZ, oldSignal);
  std::ifstream file(path);
  std::string content;
  std::getline(file, content);
  EXPECT_EQ(content, "old content");
  // And no temporary file is left behind.
  EXPECT_EQ(std::distance(fs::directory_iterator(Folder), fs::directory_iterator()), 1);
}

TEST(DigestSubjectTest, RecognisesTheMark) {
  EXPECT_TRUE(IsDigestSubject("digest NUMBER 1234"));
  EXPECT_TRUE(IsDigestSubject("Digest number"));
  EXPECT_FALSE(IsDigestSubject("Re: Digest number 3"));
  EXPECT_FALSE(IsDigestSubject(""));
  EXPECT_FALSE(IsDigestSubject("Digest"));
}

struct TNumberCase {
  const char* Name;
  std::u16string Subject;
  std::int64_t Number;
  std::u16string Rest;
};

class SubjectNumberTest : public ::testing::TestWithParam<TNumberCase> {};

TEST_P(SubjectNumberTest, Extracts) {
  std::int64_t number = 99;
  std::u16string rest;
  ExtractSubjectNumber(GetParam().Subject, number, rest);
  EXPECT_EQ(number, GetParam().Number);
  EXPECT_EQ(rest, GetParam().Rest);
}

INSTANTIATE_TEST_SUITE_P(
    Subjects, SubjectNumberTest,
    ::testing::Values(TNumberCase{"EmptyPairSkipped", u"[] [7] x", 7, u"[]  x"},
                      TNumberCase{"Zero", u"[0] x", 0, u"[0] x"},
                      TNumberCase{"NotANumberThenNumber", u"[abc] [3] y", 3, u"[abc]  y"},
                      TNumberCase{"OnlyNotANumber", u"[abc] y", -1, u"[abc] y"},
                      TNumberCase{"Negative", u"[-4] y", -4, u"[-4] y"},
                      TNumberCase{"Overflow", u"[99999999999] y", -1, u"[99999999999] y"},
                      TNumberCase{"TrailingJunk", u"[12a] y", -1, u"[12a] y"},
                      TNumberCase{"Unclosed", u"[12 y", 0, u"[12 y"},
                      TNumberCase{"None", u"plain", 0, u"plain"}),
    test::ByName());

TEST(StripSubjectTest, RemovesNumberAndEveryReply) {
  std::int32_t replies = 0;
  std::int64_t number = 0;
  std::u16string rest;
  StripSubject(u"re: re: [12] hello", replies, number, rest);
  EXPECT_EQ(rest, u"hello");
  EXPECT_EQ(replies, 2);
  EXPECT_EQ(number, 12);
  StripSubject(u"fwd: re: x", replies, number, rest);
  EXPECT_EQ(rest, u"fwd:  x");
  EXPECT_EQ(replies, 1);
}

TEST(StripSubjectTest, ADeletionThatJoinsANewReplyRemovesThatToo) {
  std::int32_t replies = 0;
  std::int64_t number = 0;
  std::u16string rest;
  StripSubject(u"rre:e: x", replies, number, rest);
  EXPECT_EQ(rest, u"x");
  EXPECT_EQ(replies, 2);
}

// Header values have no length limit; hostile ones must not cost quadratic
// time (a quadratic pass over these would outlast the test's time limit).
TEST(HostileSubjectTest, LongInputsStayLinear) {
  const std::size_t n = 1 << 20;
  std::int32_t replies = 0;
  std::int64_t number = 0;
  std::u16string rest;
  StripSubject(std::u16string(n, u'['), replies, number, rest);
  EXPECT_EQ(rest.size(), n);
  std::u16string brackets;
  for (std::size_t i = 0; i < n / 2; ++i) brackets += u"[a";
  ExtractSubjectNumber(brackets + u"]", number, rest);
  EXPECT_EQ(number, -1);
  std::u16string replyRun;
  for (std::size_t i = 0; i < n / 3; ++i) replyRun += u"re:";
  StripSubject(replyRun, replies, number, rest);
  EXPECT_EQ(replies, static_cast<std::int32_t>(n / 3));
}

struct TCompareCase {
  const char* Name;
  std::u16string A;
  std::u16string B;
  int Sign;
  bool Same;
};

class CompareSubjectsTest : public ::testing::TestWithParam<TCompareCase> {};

TEST_P(CompareSubjectsTest, OrdersAndMatches) {
  const TCompareCase& row = GetParam();
  const int result = CompareSubjects(row.A, row.B);
  EXPECT_EQ((result > 0) - (result < 0), row.Sign);
  EXPECT_EQ(SameSubjects(row.A, row.B), row.Same);
  // The precomputed keys order every pair as the subjects themselves.
  const int keys = CompareSubjectKeys(MakeSubjectKey(row.A), MakeSubjectKey(row.B));
  EXPECT_EQ((keys > 0) - (keys < 0), row.Sign);
}

INSTANTIATE_TEST_SUITE_P(
    Subjects, CompareSubjectsTest,
    ::testing::Values(TCompareCase{"ReplyAfterOriginal", u"Re: Hello", u"hello", 1, true},
                      TCompareCase{"OriginalBeforeReply", u"hello", u"Re: Hello", -1, true},
                      TCompareCase{"TwoRepliesAfterOne", u"re: re: hello", u"Re: hello", 1, true},
                      TCompareCase{"NumbersInOrder", u"[3] a", u"[12] a", -1, true},
                      TCompareCase{"NoNumberOverflow", u"[2147483647] a", u"[x] a", 1, false},
                      TCompareCase{"SameWithNumberAndReply", u"Re: [5] Hello", u"hello", 1, true},
                      TCompareCase{"EmptyAgainstText", u"", u"x", -1, false},
                      TCompareCase{"TwoEmpty", u"", u"", 0, true},
                      TCompareCase{"CaseOnly", u"HELLO", u"hello", 0, true},
                      TCompareCase{"DifferentTopics", u"apple", u"Re: banana", -1, false},
                      TCompareCase{"AccentAfterPlain", u"resume", u"r\u00e9sum\u00e9", -1, false},
                      TCompareCase{"AccentBeforeNextLetter", u"r\u00e9sum\u00e9", u"rf", -1, false},
                      TCompareCase{"OnlyAReply", u"Re:", u"a", -1, false},
                      TCompareCase{"SameRestOtherSpacing", u"re:a", u"Re: a", 0, true}),
    test::ByName());

TEST(MboxDateTest, EnglishNamesWhateverTheLocale) {
  // The locale changes nothing: names and separators are fixed.
  const char* old = std::setlocale(LC_ALL, nullptr);
  const std::string saved = old ? old : "C";
  std::setlocale(LC_ALL, "de_DE.UTF-8");
  EXPECT_EQ(MboxDateStr(EncodeDateTime(2003, 1, 5, 9, 3, 7)), "Sun Jan  5 09:03:07 2003");
  EXPECT_EQ(MboxDateStr(EncodeDateTime(2002, 3, 5, 23, 59, 59)), "Tue Mar  5 23:59:59 2002");
  EXPECT_EQ(MboxDateStr(0), "Sat Dec 30 00:00:00 1899");
  EXPECT_EQ(MboxDateStr(-1.25), "Fri Dec 29 06:00:00 1899");
  std::setlocale(LC_ALL, saved.c_str());
}

TEST(MesgDateTest, ZeroIsEmptyAndOtherDatesShowTheirParts) {
  EXPECT_EQ(MesgDateToStr(ddOnlyTime, 0), u"");
  EXPECT_EQ(MesgDateToStr(ddDateAndTime, 0), u"");
  const TDateTime date = EncodeDateTime(2003, 1, 5, 9, 3, 7);
  const std::u16string both = MesgDateToStr(ddDateAndTime, date);
  const std::u16string day = MesgDateToStr(ddOnlyDate, date);
  const std::u16string time = MesgDateToStr(ddOnlyTime, date);
  EXPECT_NE(day.find(u"2003"), std::u16string::npos);
  EXPECT_EQ(time.find(u"2003"), std::u16string::npos);
  EXPECT_EQ(both, day + u" " + time);
}

TEST(MesgDateTest, HeaderDatesAreLocalTime) {
  ::setenv("TZ", "UTC", 1);
  ::tzset();
  TMimeMessage message;
  message.Parse("Date: Sun, 05 Jan 2003 10:03:07 +0100\r\n\r\n", true);
  EXPECT_EQ(MboxDateStr(message.Date()), "Sun Jan  5 09:03:07 2003");
  message.Parse("Date: not a date\r\n\r\n", true);
  EXPECT_EQ(message.Date(), 0);
}

}  // namespace
}  // namespace quenby
