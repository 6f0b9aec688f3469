// Cutting digests into their messages, in each layout read.
#include <gtest/gtest.h>

#include "TempDir.h"
#include "stores/DigestParser.h"
#include "stores/MemMesgItems.h"
#include "text/MesgUtils.h"

namespace quenby::test {
namespace {

const std::string kSampleDigest = std::string(QUENBY_SOURCE_DIR) + "/samples/digest/digest-412.eml";

const std::string kUnderscores = "____________________________________________________\n";

const std::string kKoi8Digest =
    "Subject: Digest number 7\nTo: list@example.org\nReply-To: list@example.org\n"
    "Content-Type: text/plain; charset=koi8-r\n\nTopics\n\n" +
    kUnderscores + kUnderscores +
    "\nMessage: 1\nDate: Mon, 03 Mar 2003 09:12:40 +0200\n"
    "From: \xE9\xD7\xC1\xCE <ivan@example.org>\nSubject: \xF0\xD2\xC9\xD7\xC5\xD4\n\n"
    "\xF0\xD2\xC9\xD7\xC5\xD4!\n\n" +
    kUnderscores + kUnderscores + "\nFooter\n";

const std::string kMimeDigest =
    "From: list-request@example.org\nSubject: Foo Digest, Vol 1, Issue 2\nMIME-Version: 1.0\n"
    "Content-Type: multipart/mixed; boundary=\"outer\"\n\n"
    "--outer\nContent-Type: text/plain\n\nToday's Topics: first, second\n"
    "--outer\nContent-Type: multipart/digest; boundary=\"inner\"\n\n"
    "--inner\n\nFrom: a@example.org\nSubject: first\n\none\n"
    "--inner\n\nFrom: b@example.org\nSubject: second\n\ntwo\n"
    "--inner--\n--outer--\n";

const std::string kRfc1153Digest =
    "From: foo-request@example.org\nSubject: Foo Digest, Vol 5, Issue 12\n"
    "Content-Type: text/plain; charset=\"iso-8859-2\"\n\n"
    "Send Foo mailing list submissions to\n\tfoo@example.org\n\nToday's Topics:\n\n"
    "   1. First topic (Ana)\n   2. Second (Radu)\n\n" +
    std::string(70, '-') +
    "\n\nMessage: 1\nDate: Mon, 03 Mar 2003 09:12:40 +0200\nFrom: Ana <ana@example.org>\n"
    "To: foo@example.org\nSubject: First topic\nMessage-ID: <1@example.org>\n\n"
    "Hello \xB1.\n- --- a dashed line\n" +
    std::string(30, '-') +
    "\n\nMessage: 2\nDate: Mon, 03 Mar 2003 10:00:00 +0200\nFrom: Radu <radu@example.org>\n"
    "Subject: Second\n\nBye.\n\n" +
    std::string(30, '-') +
    "\n\n_______________________________________________\nFoo mailing list\n"
    "foo@example.org\nhttps://lists.example.org/listinfo/foo\n\n"
    "End of Foo Digest, Vol 5, Issue 12\n**********************************\n";

struct TSplit {
  TDigestLayout Layout;
  std::vector<std::string> Subjects;  // as the list shows them
  std::vector<std::string> Texts;     // each item's text
};

TSplit Split(const std::string& text) {
  TMimeMessage digest;
  digest.Parse(text, false);
  TSplit split{TDigestParser(&digest).Layout(), {}, {}};
  TMemMesgItems items;
  items.AddDigestParts(digest);
  for (std::int32_t i = 0; i < items.Count(); ++i) {
    auto* item = static_cast<TMemMesgItem*>(items.ItemAt(i));
    split.Subjects.push_back(item->Subject);
    split.Texts.push_back(item->Stream.ToString());
    EXPECT_EQ(item->Size, item->Stream.Size());
  }
  return split;
}

TEST(DigestParser, EachLayoutGivesItsMessages) {
  struct TCase {
    const char* Name;
    std::string Text;
    TDigestLayout Layout;
    std::vector<std::string> Subjects;
  };
  const std::vector<TCase> cases = {
      {"underscore blocks",
       ReadAll(kSampleDigest),
       TDigestLayout::Underscore,
       {"Mounting a FAT partition read-only", "Re: Mounting a FAT partition read-only",
        "Old mail archives"}},
      {"underscore blocks in KOI8-R",
       kKoi8Digest,
       TDigestLayout::Underscore,
       {"\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82"}},
      {"MIME digest inside a mixed multipart",
       kMimeDigest,
       TDigestLayout::Mime,
       {"first", "second"}},
      {"RFC 1153 text digest", kRfc1153Digest, TDigestLayout::Rfc1153, {"First topic", "Second"}},
      {"fewer than nine lines after the start",
       "Subject: Digest number 1\n\n" + kUnderscores + kUnderscores +
           "\nMessage: 1\nDate: x\nFrom: a\nSubject: s\nbody\n",
       TDigestLayout::None,
       {}},
      {"only an attachment",
       "Subject: Digest number 2\nContent-Type: image/gif\nContent-Transfer-Encoding: base64\n\n"
       "R0lGODlhAQABAAAAACw=\n",
       TDigestLayout::None,
       {}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    const TSplit split = Split(c.Text);
    EXPECT_EQ(split.Layout, c.Layout);
    std::vector<std::string> subjects = split.Subjects;
    std::vector<std::string> expected = c.Subjects;
    std::sort(subjects.begin(), subjects.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(subjects, expected);
  }
  EXPECT_TRUE(TDigestParser(nullptr).AtEnd());
}

TEST(DigestParser, UnderscoreMessagesKeepDateAndTrimmedBodies) {
  TMimeMessage digest;
  digest.Parse(ReadAll(kSampleDigest), false);
  TDigestParser parser(&digest);
  std::vector<TMimeMessage> messages;
  for (TMimeMessage m; parser.NextMessage(m);) messages.push_back(m);
  ASSERT_EQ(messages.size(), 3u);
  const TMimeMessage& first = messages[0];
  EXPECT_EQ(first.Headers().Value("Date"), "Mon, 03 Mar 2003 09:12:40 +0200");
  TMimeMessage dated;
  dated.Headers().Set("Date", "Mon, 03 Mar 2003 09:12:40 +0200");
  EXPECT_EQ(first.Date(), dated.Date());
  EXPECT_NE(first.Date(), 0);
  EXPECT_EQ(first.Headers().Value("From"), "\"Ana Popescu\" <ana@example.org>");
  EXPECT_EQ(first.Headers().Value("Reply-To"), "rlug@example.org");
  EXPECT_EQ(first.CharSet(), "us-ascii");
  EXPECT_EQ(first.BodyLines(),
            (std::vector<std::string>{"Hello all,", "",
                                      "How do I mount my old Windows partition so that nothing on "
                                      "it can change?",
                                      "", "Thanks,", "Ana"}));
  // The last one stops at the footer's separator pair, keeping its first line.
  const auto& last = messages[2].BodyLines();
  ASSERT_GE(last.size(), 2u);
  EXPECT_EQ(last[last.size() - 2], "");
  EXPECT_EQ(last.back(), "____________________________________________________");
  EXPECT_EQ(parser.Charset(), "us-ascii");
}

TEST(DigestParser, BodyOfBlankLinesIsEmpty) {
  TMimeMessage digest;
  digest.Parse("Subject: Digest number 3\n\n" + kUnderscores + kUnderscores +
                   "\nMessage: 1\nDate: x\nFrom: a\nSubject: blank\n\n  \n\n" + kUnderscores +
                   kUnderscores + "\nMessage: 2\nDate: x\nFrom: b\nSubject: next\n\nb\n\n\n",
               false);
  TDigestParser parser(&digest);
  TMimeMessage m;
  ASSERT_TRUE(parser.NextMessage(m));
  EXPECT_EQ(m.Headers().Value("Subject"), "blank");
  EXPECT_TRUE(m.BodyLines().empty());
}

TEST(DigestParser, KoiDigestKeepsItsCharsetInNamesAndBody) {
  const TSplit split = Split(kKoi8Digest);
  ASSERT_EQ(split.Texts.size(), 1u);
  TMimeMessage m;
  m.Parse(split.Texts[0], false);
  EXPECT_EQ(m.CharSet(), "koi8-r");
  EXPECT_EQ(m.Headers().Value("From"), "\xE9\xD7\xC1\xCE <ivan@example.org>");
  EXPECT_EQ(m.BodyLines().front(), "\xF0\xD2\xC9\xD7\xC5\xD4!");
  TMemMesgItems items;
  TMimeMessage digest;
  digest.Parse(kKoi8Digest, false);
  items.AddDigestParts(digest);
  ASSERT_EQ(items.Count(), 1);
  EXPECT_EQ(items.ItemAt(0)->FromRealName, "\xD0\x98\xD0\xB2\xD0\xB0\xD0\xBD");
  EXPECT_EQ(items.ItemAt(0)->ToEmail, "list@example.org");
}

TEST(DigestParser, TextDigestMessagesKeepTheirHeadersAndUnstuffDashes) {
  TMimeMessage digest;
  digest.Parse(kRfc1153Digest, false);
  TDigestParser parser(&digest);
  TMimeMessage m;
  ASSERT_TRUE(parser.NextMessage(m));
  EXPECT_EQ(m.MsgId(), "1@example.org");
  EXPECT_EQ(m.Headers().Value("Date"), "Mon, 03 Mar 2003 09:12:40 +0200");
  EXPECT_EQ(m.CharSet(), "iso-8859-2");
  EXPECT_EQ(m.BodyLines(), (std::vector<std::string>{"Hello \xB1.", "--- a dashed line"}));
  ASSERT_TRUE(parser.NextMessage(m));
  EXPECT_EQ(m.BodyLines(), (std::vector<std::string>{"Bye."}));
  EXPECT_FALSE(parser.NextMessage(m));
}

TEST(DigestParser, IsDigestMessage) {
  struct TCase {
    std::string Text;
    bool Digest;
  };
  const std::vector<TCase> cases = {
      {"Subject: Digest number 412\n\nx\n", true},
      {"Subject: digest NUMBER 1\n\nx\n", true},
      {"Subject: Foo Digest, Vol 5, Issue 12\n\nx\n", true},
      {"Subject: Re: Foo Digest, Vol 5, Issue 12\n\nx\n", true},
      {"Subject: Foo Digest, Vol five\n\nx\n", false},
      {"Subject: the digest\nContent-Type: multipart/digest; boundary=b\n\n--b\n\nSubject: "
       "x\n\ny\n--b--\n",
       true},
      {kMimeDigest, true},
      {"Subject: Weekly news\nContent-Type: text/plain\n\nmultipart/digest is a type\n", false},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Text.substr(0, 60));
    TMimeMessage m;
    m.Parse(c.Text, false);
    EXPECT_EQ(IsDigestMessage(m), c.Digest);
  }
}

}  // namespace
}  // namespace quenby::test
