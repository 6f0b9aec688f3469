// Reading Unix mailboxes: the split, the stored text and the keys.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "TempDir.h"
#include "platform/Errors.h"
#include "stores/MailboxScan.h"
#include "stores/UnixMesgItems.h"

namespace quenby::test {
namespace {

const std::string kCorpus = std::string(QUENBY_CORPUS) + "/mbox/";

std::string ToCrLf(const std::string& lf) {
  std::string out;
  for (const char c : lf) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

std::string Replace(std::string text, std::string_view from, std::string_view to) {
  for (std::size_t at = text.find(from); at != std::string::npos;
       at = text.find(from, at + to.size()))
    text.replace(at, from.size(), to);
  return text;
}

std::string Text(const TMesgItem* item) {
  return static_cast<const TMemMesgItem*>(item)->Stream.ToString();
}

struct TLoaded {
  std::vector<std::string> Keys;
  std::vector<std::string> Subjects;
  std::vector<std::string> Texts;
};

// Items in file order (the key is the offset).
TLoaded Load(const std::string& path) {
  TMemMesgItems items;
  LoadMailbox(items, path);
  std::vector<const TMesgItem*> sorted;
  for (std::int32_t i = 0; i < items.Count(); ++i) sorted.push_back(items.ItemAt(i));
  std::sort(sorted.begin(), sorted.end(), [](const TMesgItem* a, const TMesgItem* b) {
    return std::stoll(a->GetKey()) < std::stoll(b->GetKey());
  });
  TLoaded loaded;
  for (const TMesgItem* item : sorted) {
    loaded.Keys.push_back(item->GetKey());
    loaded.Subjects.push_back(item->Subject);
    loaded.Texts.push_back(Text(item));
    EXPECT_EQ(item->Size, static_cast<std::int64_t>(loaded.Texts.back().size()));
  }
  return loaded;
}

TLoaded LoadText(const std::string& bytes) {
  TTempDir dir;
  WriteAll(dir / "box.mbox", bytes);
  return Load(dir / "box.mbox");
}

TEST(Mailbox, RealMailboxSplitsIntoItsMessagesLineForLine) {
  if (!std::filesystem::exists(kCorpus + "mbox.rlug")) GTEST_SKIP() << "no corpus at " << kCorpus;
  const TLoaded loaded = Load(kCorpus + "mbox.rlug");
  ASSERT_EQ(loaded.Texts.size(), 5u);
  const std::string box = ReadAll(kCorpus + "mbox.rlug");
  for (std::size_t i = 0; i < 5; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(loaded.Texts[i], ToCrLf(ReadAll(kCorpus + "mbox.rlug-" + std::to_string(i))));
    EXPECT_EQ(box.compare(std::stoull(loaded.Keys[i]), 5, "From "), 0);
  }
  EXPECT_EQ(loaded.Subjects[0], "Din windows ma pot, din LINUX NU ma pot conecta (la ZAPP)");
}

TEST(Mailbox, SeparatorsNotAfterAnEmptyLineStayInTheMessage) {
  if (!std::filesystem::exists(kCorpus + "substring.mbox"))
    GTEST_SKIP() << "no corpus at " << kCorpus;
  const TLoaded loaded = Load(kCorpus + "substring.mbox");
  ASSERT_EQ(loaded.Texts.size(), 1u);
  TMimeMessage message;
  message.Parse(loaded.Texts[0], false);
  // Its nested boundaries still parse: the first text is the first message's.
  ASSERT_GE(message.TextPartCount(), 1u);
  EXPECT_EQ(message.Parts()[0].Lines.at(0), "Hello world.");
}

TEST(Mailbox, EverySeparatorFormStartsAMessage) {
  const std::vector<std::string> forms = {
      "From sender@example.org Tue Mar  5 14:03:07 2002",
      "From - Tue Mar 05 14:03:07 2002",
      "From ???@??? Mon Dec 13 18:45:29 2010",
      "From 1484798564697355096@xxx Sat Nov 15 01:17:36 +0000 2014",
      "From ",
  };
  for (const std::string& form : forms) {
    SCOPED_TRACE(form);
    const std::string first = form + "\nSubject: one\n\nbody\n\n";
    const TLoaded loaded = LoadText(first + form + "\nSubject: two\n\nbody\n");
    EXPECT_EQ(loaded.Subjects, (std::vector<std::string>{"one", "two"}));
    EXPECT_EQ(loaded.Keys, (std::vector<std::string>{"0", std::to_string(first.size())}));
  }
}

TEST(Mailbox, LineEndStylesGiveTheSameMessages) {
  const std::string lf =
      "From a Tue Mar  5 14:03:07 2002\nSubject: one\n\nbody\nFrom here on, stays.\n\n"
      "From b Tue Mar  5 14:03:07 2002\nSubject: two\n\nx\n\nFrom the body, splits\nmore\n";
  const std::vector<std::string> expected = {
      "Subject: one\r\n\r\nbody\r\nFrom here on, stays.\r\n\r\n",
      "Subject: two\r\n\r\nx\r\n\r\n",
      "more\r\n",
  };
  for (const std::string_view end : {"\n", "\r\n", "\r"}) {
    SCOPED_TRACE(testing::PrintToString(end));
    EXPECT_EQ(LoadText(Replace(lf, "\n", end)).Texts, expected);
  }
  // Line ends mixed within one file.
  EXPECT_EQ(LoadText("From a\r\nSubject: one\n\r\rFrom b\rSubject: two\r\n").Texts,
            (std::vector<std::string>{"Subject: one\r\n\r\n\r\n", "Subject: two\r\n"}));
}

TEST(Mailbox, OddFiles) {
  struct TCase {
    const char* Name;
    std::string Bytes;
    std::vector<std::string> Texts;
  };
  const std::vector<TCase> cases = {
      {"empty file", "", {}},
      {"separator only", "From a Tue Mar  5 14:03:07 2002\n", {}},
      {"no final line end", "From a\nSubject: x\n\nb", {"Subject: x\r\n\r\nb\r\n"}},
      {"text before the first separator",
       "Subject: lost?\n\nno\n\nFrom a\nSubject: y\n",
       {"Subject: lost?\r\n\r\nno\r\n\r\n", "Subject: y\r\n"}},
      {"blank lines before the first separator", "\n\nFrom a\nSubject: y\n", {"Subject: y\r\n"}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    EXPECT_EQ(LoadText(c.Bytes).Texts, c.Texts);
  }
}

TEST(Mailbox, BinaryMailboxIsRefused) {
  TTempDir dir;
  WriteAll(dir / "In.mbx", std::string("JMF6\0\0\1\0", 8) + std::string(200, 'x'));
  TMemMesgItems items;
  try {
    LoadMailbox(items, dir / "In.mbx");
    FAIL() << "no error";
  } catch (const EStreamError& e) {
    EXPECT_EQ(e.Kind(), TStreamErrorKind::Stream);
    EXPECT_EQ(e.Path(), dir / "In.mbx");
  }
  EXPECT_EQ(items.Count(), 0);
}

// Messages larger than the piece the file is read in, and separators on
// every side of a piece's end, split as they would in one piece.
TEST(Mailbox, MessagesAcrossReadPiecesSplitAlike) {
  std::string box;
  std::vector<std::string> keys;
  for (int i = 0; i < 40; ++i) {
    keys.push_back(std::to_string(box.size()));
    box += "From x Tue Mar  5 14:03:07 2002\r\nSubject: " + std::to_string(i) + "\r\n\r\n";
    const std::size_t lines = i == 7 ? 200000 : 3000 + static_cast<std::size_t>(i) * 37;
    for (std::size_t l = 0; l < lines; ++l) box += "0123456789 line of text\r\n";
    box += "\r\n";
  }
  const TLoaded loaded = LoadText(box);
  EXPECT_EQ(loaded.Keys, keys);
  ASSERT_EQ(loaded.Subjects.size(), 40u);
  EXPECT_EQ(loaded.Subjects[39], "39");
}

// The scan alone, fed piece by piece as the loader does, gives the spans
// of one whole scan.
TEST(Mailbox, ScanInPiecesMatchesOneScan) {
  const std::string box = "Pre\n\nFrom a\nx\n\nFrom b\r\n\r\nFrom c\rFrom d\r\rFrom e\n";
  std::vector<std::string> whole;
  ScanMailbox(box, true, [&](const TMailboxSpan& s) {
    whole.push_back(std::to_string(s.Offset) + "," + std::to_string(s.TextStart) + "," +
                    std::to_string(s.TextEnd));
  });
  EXPECT_EQ(whole,
            (std::vector<std::string>{"0,0,5", "5,12,15", "15,23,25", "25,32,40", "40,47,47"}));
  for (std::size_t cut = 0; cut <= box.size(); ++cut) {
    std::vector<std::string> pieces;
    std::int64_t base = 0;
    const auto report = [&](const TMailboxSpan& s) {
      pieces.push_back(std::to_string(base + s.Offset) + "," + std::to_string(base + s.TextStart) +
                       "," + std::to_string(base + s.TextEnd));
    };
    const std::size_t rest = ScanMailbox(std::string_view(box).substr(0, cut), false, report);
    base = static_cast<std::int64_t>(rest);
    ScanMailbox(std::string_view(box).substr(rest), true, report);
    EXPECT_EQ(pieces, whole) << "cut at " << cut;
  }
}

}  // namespace
}  // namespace quenby::test
