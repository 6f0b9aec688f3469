// The MIME message object: reading whole or headers only, the program's
// part classification, decoding of header fields, and writing.
#include <gtest/gtest.h>

#include <filesystem>

#include "TestNames.h"
#include "model/FastMemoryStream.h"
#include "platform/Errors.h"
#include "platform/LegacyCodePage.h"
#include "text/CharsetConvert.h"
#include "text/MimeMessage.h"

namespace quenby {
namespace {

namespace fs = std::filesystem;

std::string Fixture(const char* name) {
  return (fs::path(QUENBY_TEST_DATA) / "mime" / name).string();
}

class MimeMessageTest : public ::testing::Test {
 protected:
  void SetUp() override { SetLegacyCodePage("windows-1251"); }
  void TearDown() override { SetLegacyCodePage({}); }
  TMimeMessage Message;
};

TEST_F(MimeMessageTest, ReadsMultipartWithTheProgramsClassification) {
  Message.LoadFromFile(Fixture("mixed-two-texts.eml"), false);
  ASSERT_EQ(Message.Parts().size(), 3u);
  EXPECT_EQ(Message.TextPartCount(), 2u);
  EXPECT_EQ(Message.AttachmentCount(), 1u);
  const TMimePart& first = Message.Parts()[0];
  EXPECT_EQ(first.Kind, TMimePartKind::Text);
  EXPECT_EQ(first.Charset, "");
  EXPECT_EQ(first.Lines, std::vector<std::string>{"  First text part.  "});
  EXPECT_EQ(Message.Parts()[1].Lines, std::vector<std::string>{"Second \xC3\xA9"});
  const TMimePart& image = Message.Parts()[2];
  EXPECT_EQ(image.Kind, TMimePartKind::Attachment);
  EXPECT_EQ(image.ContentType, "image/png");
  EXPECT_EQ(image.FileName, "x.png");  // "../../x.png" reduced to its name
  EXPECT_EQ(image.Data.substr(1, 3), "PNG");
  EXPECT_TRUE(Message.BodyLines().empty());
}

TEST_F(MimeMessageTest, DecodesTheHeaderFields) {
  Message.LoadFromFile(Fixture("mixed-two-texts.eml"), true);
  EXPECT_EQ(Message.DecodeText(Message.RawSubject()), u"Grüße aus Köln");
  const auto from = Message.From();
  ASSERT_EQ(from.size(), 1u);
  EXPECT_EQ(Message.DecodeName(from[0]), u"Doe, John");
  EXPECT_EQ(from[0].Address, "john@example.com");
  const auto to = Message.Recipients();
  ASSERT_EQ(to.size(), 2u);
  EXPECT_EQ(to[1].Address, "bob@example.net");
  EXPECT_EQ(Message.MsgId(), "abc@example.com");
  EXPECT_EQ(Message.Priority(), mpHigh);
  EXPECT_EQ(Message.CharSet(), "iso-8859-2");
  EXPECT_NE(Message.Date(), 0);
  // Headers only: no parts and no body.
  EXPECT_TRUE(Message.Parts().empty());
  EXPECT_TRUE(Message.BodyLines().empty());
}

TEST_F(MimeMessageTest, RawKoi8HeadersUseTheMessageCharset) {
  Message.LoadFromFile(Fixture("koi8-raw-subject.eml"), false);
  EXPECT_EQ(Message.DecodeText(Message.RawSubject()), u"Привет, мир");
  EXPECT_EQ(Message.DecodeName(Message.From().at(0)), u"Иван");
  ASSERT_EQ(Message.BodyLines().size(), 1u);
  EXPECT_EQ(MesgTextToWide(Message.BodyLines()[0], Message.CharSet()), u"Текст письма");
}

TEST_F(MimeMessageTest, AWholeImageMessageIsAnAttachment) {
  Message.LoadFromFile(Fixture("image-only.eml"), false);
  ASSERT_EQ(Message.Parts().size(), 1u);
  EXPECT_EQ(Message.Parts()[0].Kind, TMimePartKind::Attachment);
  EXPECT_EQ(Message.Parts()[0].FileName, "pic.png");
  EXPECT_TRUE(Message.BodyLines().empty());
}

struct TPriorityCase {
  const char* Name;
  const char* Header;
  TMessagePriority Expected;
};

class PriorityTest : public ::testing::TestWithParam<TPriorityCase> {};

TEST_P(PriorityTest, ReadsThePriorityHeaders) {
  TMimeMessage message;
  message.Parse(std::string(GetParam().Header) + "\r\n\r\nbody", true);
  EXPECT_EQ(message.Priority(), GetParam().Expected);
}

INSTANTIATE_TEST_SUITE_P(
    Headers, PriorityTest,
    ::testing::Values(TPriorityCase{"XPriorityHighest", "X-Priority: 1", mpHighest},
                      TPriorityCase{"XPriorityLowest", "X-Priority: 5 (Lowest)", mpLowest},
                      TPriorityCase{"MsMailLow", "X-MSMail-Priority: Low", mpLow},
                      TPriorityCase{"ImportanceHigh", "Importance: high", mpHigh},
                      TPriorityCase{"Garbage", "X-Priority: urgent!", mpNormal},
                      TPriorityCase{"None", "Subject: x", mpNormal}),
    test::ByName());

TEST_F(MimeMessageTest, HeadersOnlyStopsAtTheFirstEmptyLine) {
  TFastMemoryStream stream(4096);
  std::string text = "Subject: big\r\n\r\n" + std::string(100000, 'x');
  stream.WriteBuffer(text.data(), static_cast<std::int64_t>(text.size()));
  stream.SetPosition(0);
  Message.LoadFromStream(stream, true);
  EXPECT_EQ(Message.Headers().Value("Subject"), "big");
  // Read in pieces: the body was not read through.
  EXPECT_LT(stream.Position(), 20000);
}

TEST_F(MimeMessageTest, AnEmptyMessageRaisesTheStreamError) {
  try {
    Message.Parse("", false, "empty.eml");
    FAIL() << "no error";
  } catch (const EStreamError& error) {
    EXPECT_EQ(error.Kind(), TStreamErrorKind::Stream);
    EXPECT_EQ(error.Path(), "empty.eml");
  }
  EXPECT_THROW(Message.LoadFromFile(Fixture("no-such-file.eml"), true), EStreamError);
}

TEST_F(MimeMessageTest, ReadsCrOnlyLineEnds) {
  Message.Parse("Subject: old mac\rFrom: a@b.c\r\rline one\rline two\r", false);
  EXPECT_EQ(Message.Headers().Value("Subject"), "old mac");
  EXPECT_EQ(Message.From().at(0).Address, "a@b.c");
  EXPECT_EQ(Message.BodyLines(), (std::vector<std::string>{"line one", "line two"}));
}

TEST_F(MimeMessageTest, WritesCrLfAndHeaderBytesAsTheyAre) {
  Message.LoadFromFile(Fixture("lf-folded-mailer.eml"), false);
  Message.Headers().Set("Subject", "\xF0\xD2\xC9");  // 8-bit, no encoded word
  const std::string out = Message.Render();
  EXPECT_EQ(out,
            "From: a@example.com\r\nSubject: \xF0\xD2\xC9\r\nX-Mailer: Other\r\n  Mailer "
            "1.0\r\nUnsent: 1\r\n"
            "\r\nBody line one\r\nBody line two\r\n");
  // Written again, it reads back the same.
  TMimeMessage again;
  again.Parse(out, false);
  EXPECT_EQ(again.Headers().Value("subject"), "\xF0\xD2\xC9");
  EXPECT_EQ(again.BodyLines(), Message.BodyLines());
}

TEST_F(MimeMessageTest, AComposedMessageReadsBack) {
  Message.Headers().Add("Subject", "\xF0\xD2\xC9\xD7\xC5\xD4");
  Message.SetCharSet("koi8-r");
  Message.SetBodyLines({"\xF4\xC5\xCB\xD3\xD4", "second line"});
  Message.AddAttachment("../secret/notes.txt", "attached text\n");
  const std::string out = Message.Render();
  for (std::size_t at = out.find('\n'); at != std::string::npos; at = out.find('\n', at + 1))
    ASSERT_EQ(out[at - 1], '\r') << "bare LF at " << at;

  TMimeMessage back;
  back.Parse(out, false);
  EXPECT_EQ(back.DecodeText(back.RawSubject()), u"Привет");
  ASSERT_EQ(back.Parts().size(), 2u);
  EXPECT_EQ(back.Parts()[0].Kind, TMimePartKind::Text);
  EXPECT_EQ(back.Parts()[0].Charset, "koi8-r");
  EXPECT_EQ(back.Parts()[0].Lines,
            (std::vector<std::string>{"\xF4\xC5\xCB\xD3\xD4", "second line"}));
  EXPECT_EQ(back.Parts()[1].FileName, "notes.txt");
  EXPECT_EQ(back.Parts()[1].Data, "attached text\n");
}

TEST_F(MimeMessageTest, EditingAReadMessageKeepsItsAttachments) {
  Message.LoadFromFile(Fixture("mixed-two-texts.eml"), false);
  Message.SetBodyLines({"new text"});
  TMimeMessage back;
  back.Parse(Message.Render(), false);
  ASSERT_EQ(back.Parts().size(), 2u);
  EXPECT_EQ(back.Parts()[0].Lines, std::vector<std::string>{"new text"});
  EXPECT_EQ(back.Parts()[0].Charset, "iso-8859-2");
  EXPECT_EQ(back.Parts()[1].ContentType, "image/png");
  EXPECT_EQ(back.Parts()[1].FileName, "x.png");
  EXPECT_EQ(back.Parts()[1].Data, Message.Parts()[0].Data);
  // The old MIME headers gave way to the generated ones.
  EXPECT_EQ(back.Headers().Value("Subject"), Message.Headers().Value("Subject"));
  EXPECT_EQ(back.Headers().Value("Content-Type").find("b1"), std::string::npos);

  Message.DeleteAttachment(0);
  EXPECT_EQ(Message.AttachmentCount(), 0u);
  EXPECT_THROW(Message.DeleteAttachment(0), EListError);
}

TEST_F(MimeMessageTest, TextNestedInAlternativeIsFound) {
  Message.Parse(
      "Content-Type: multipart/mixed; boundary=outer\r\n\r\n"
      "--outer\r\nContent-Type: multipart/alternative; boundary=inner\r\n\r\n"
      "--inner\r\nContent-Type: text/plain; charset=koi8-r\r\n\r\nplain\r\n"
      "--inner\r\nContent-Type: text/html\r\n\r\n<p>html</p>\r\n--inner--\r\n"
      "--outer\r\nContent-Type: message/rfc822\r\n\r\nSubject: inner\r\n\r\nhi\r\n--outer--\r\n",
      false);
  ASSERT_EQ(Message.Parts().size(), 3u);
  EXPECT_EQ(Message.Parts()[0].Lines, std::vector<std::string>{"plain"});
  EXPECT_EQ(Message.Parts()[0].Charset, "koi8-r");
  EXPECT_EQ(Message.Parts()[1].Kind, TMimePartKind::Text);
  EXPECT_EQ(Message.Parts()[2].Kind, TMimePartKind::Attachment);
  EXPECT_EQ(Message.Parts()[2].ContentType, "message/rfc822");
  EXPECT_NE(Message.Parts()[2].Data.find("Subject: inner\r\n"), std::string::npos);
}

TEST(SafeFileNameTest, KeepsOnlyABareName) {
  EXPECT_EQ(SafeFileName("../../x.png"), "x.png");
  EXPECT_EQ(SafeFileName("C:\\Windows\\evil.exe"), "evil.exe");
  EXPECT_EQ(SafeFileName("a\x01\nb.txt"), "ab.txt");
  EXPECT_EQ(SafeFileName(".."), "attachment");
  EXPECT_EQ(SafeFileName("dir/"), "attachment");
  EXPECT_EQ(SafeFileName(" report.pdf. "), "report.pdf");
}

// Every message of the mime4j test set, many of them malformed: each one
// parses, or fails with the stream error; none crashes.
TEST(MimeCorpusTest, Mime4jMessagesParseOrRaise) {
  const fs::path folder = fs::path(QUENBY_CORPUS) / "eml" / "mime4j";
  if (!fs::exists(folder)) GTEST_SKIP() << "corpus not present: " << folder;
  int parsed = 0;
  for (const auto& entry : fs::directory_iterator(folder)) {
    TMimeMessage message;
    try {
      message.LoadFromFile(entry.path().string(), false);
      ++parsed;
      TMimeMessage again;
      again.Parse(message.Render(), false);
      EXPECT_EQ(again.Parts().size(), message.Parts().size()) << entry.path();
    } catch (const EStreamError& error) {
      SUCCEED() << error.what();
    }
  }
  EXPECT_GE(parsed, 30);
}

struct TCorpusCase {
  const char* Name;
  const char* File;
  std::u16string Subject;
  const char* FromAddress;
  std::size_t Texts;
  std::size_t Attachments;
};

class MimeCorpusCaseTest : public ::testing::TestWithParam<TCorpusCase> {};

TEST_P(MimeCorpusCaseTest, MatchesTheFile) {
  const TCorpusCase& row = GetParam();
  const fs::path file = fs::path(QUENBY_CORPUS) / "eml" / "mime4j" / row.File;
  if (!fs::exists(file)) GTEST_SKIP() << "corpus not present: " << file;
  TMimeMessage message;
  message.LoadFromFile(file.string(), false);
  EXPECT_EQ(message.DecodeText(message.RawSubject()), row.Subject);
  const auto from = message.From();
  EXPECT_EQ(from.empty() ? "" : from[0].Address, std::string(row.FromAddress));
  EXPECT_EQ(message.TextPartCount(), row.Texts);
  EXPECT_EQ(message.AttachmentCount(), row.Attachments);
}

TEST(MimeCorpusTest, EncodedWordFileNameIsDecoded) {
  const fs::path file = fs::path(QUENBY_CORPUS) / "eml" / "mime4j" / "russian-headers.msg";
  if (!fs::exists(file)) GTEST_SKIP() << "corpus not present: " << file;
  TMimeMessage message;
  message.LoadFromFile(file.string(), false);
  ASSERT_EQ(message.Parts().size(), 1u);
  EXPECT_EQ(Utf8ToWide(message.Parts()[0].FileName), u"Список.doc");
}

INSTANTIATE_TEST_SUITE_P(
    Mime4j, MimeCorpusCaseTest,
    ::testing::Values(
        TCorpusCase{"BasicPlain", "basic-plain.msg", u"Simple Subject", "foo@example.com", 0, 0},
        TCorpusCase{"BadSeparator", "basic-plain-with-bad-header-separator.msg", u"Simple Subject",
                    "foo@example.com", 0, 0},
        TCorpusCase{"NoHeader", "malformedHeader-noheader.msg", u"", "", 0, 0},
        TCorpusCase{"RussianHeaders", "russian-headers.msg", u"A simple subject", "", 0, 1},
        TCorpusCase{"SimpleAttachment", "simple-attachment.msg",
                    u"Here is the attachment I was waiting for.", "bar@example.com", 1, 1}),
    test::ByName());

}  // namespace
}  // namespace quenby
