// The explorer's pure parts: the pane layout, the kinds' names and
// properties, export names, and the stand-in pane's text.
#include <gtest/gtest.h>

#include "app/ExplorerKind.h"
#include "app/MesgPane.h"
#include "app/StoreDialogs.h"
#include "app/TriLayout.h"
#include "settings/Options.h"
#include "text/MimeMessage.h"

namespace quenby {
namespace {

TEST(TriLayout, GoldenSectionOfTheArea) {
  struct Case {
    QRect Area;
    bool Tree, Pane;
    QRect Tree_, List, Pane_;
  };
  const Case cases[] = {
      // 1000 high: the band takes 1000 - 617 = 383, less one pixel of gap.
      {{0, 0, 1000, 1000}, true, true, {0, 0, 382, 382}, {383, 0, 617, 382}, {0, 383, 1000, 617}},
      {{0, 0, 1000, 1000}, false, true, {}, {0, 0, 1000, 382}, {0, 383, 1000, 617}},
      {{0, 0, 1000, 1000}, true, false, {0, 0, 382, 999}, {383, 0, 617, 999}, {}},
      // The area's origin moves every pane.
      {{10, 30, 162, 162}, true, true, {10, 30, 61, 61}, {72, 30, 100, 61}, {10, 92, 162, 100}},
      // Too small or negative areas give empty boxes, never negative sizes.
      {{0, 0, 1, 1}, true, true, {0, 0, 0, 0}, {0, 0, 1, 0}, {0, 0, 1, 1}},
      {{0, 0, -5, -7}, true, true, {0, 0, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.Area.width() << "x" << c.Area.height() << " tree "
                                    << c.Tree << " pane " << c.Pane);
    const TTriLayout layout = TriLayout(c.Area, c.Tree, c.Pane);
    EXPECT_EQ(layout.Tree, c.Tree_);
    EXPECT_EQ(layout.List, c.List);
    EXPECT_EQ(layout.Pane, c.Pane_);
    EXPECT_GE(layout.List.width(), 0);
    EXPECT_GE(layout.List.height(), 0);
  }
}

TEST(ExplorerKind, NamesRoundTripAndStrangersAreNoKind) {
  for (int k = ekNone; k < kExplKindCount; ++k) {
    const auto kind = static_cast<TMesgExplKind>(k);
    EXPECT_EQ(ExplKindFromName(ExplKindName(kind)), kind);
  }
  EXPECT_EQ(ExplKindName(ekVirtual), "ekVirtual");
  for (const char* stranger : {"", "ekvirtual", "ekUnixBox ", "6", "ekMaildir"})
    EXPECT_FALSE(ExplKindFromName(stranger).has_value()) << stranger;
  EXPECT_EQ(ExplKindName(static_cast<TMesgExplKind>(42)), "ekNone");
}

TEST(ExplorerKind, ChooserOffersByAvailableKinds) {
  struct Case {
    std::uint8_t Available;
    bool Office, Eudora;
  };
  for (const Case& c : {Case{kKindOutlookExpress, false, false},
                        Case{kKindOutlookExpress | kKindEudora, false, true},
                        Case{kKindOfficeOutlook, true, false}}) {
    EXPECT_EQ(ExplKindOffered(ekOfficeOutlook, c.Available), c.Office);
    EXPECT_EQ(ExplKindOffered(ekEudora, c.Available), c.Eudora);
    for (TMesgExplKind always : {ekOutlook, ekUnixBox, ekEmlFiles, ekVirtual})
      EXPECT_TRUE(ExplKindOffered(always, c.Available));
  }
}

TEST(MailboxExportName, KeepsMailboxExtensionsAndAppendsOtherwise) {
  const std::pair<const char*, const char*> cases[] = {
      {"/t/a.mbx", "/t/a.mbx"},      {"/t/a.MBOX", "/t/a.MBOX"},
      {"/t/a", "/t/a.mbox"},         {"/t/list.2023-01", "/t/list.2023-01.mbox"},
      {"/t/a.txt", "/t/a.txt.mbox"}, {"/t/dir.mbx/a", "/t/dir.mbx/a.mbox"},
  };
  for (const auto& [chosen, written] : cases)
    EXPECT_EQ(MailboxExportName(QString::fromUtf8(chosen)), QString::fromUtf8(written)) << chosen;
}

TEST(PlainMesgText, HeaderFieldsThenTheFirstTextPartDecoded) {
  TMimeMessage message;
  message.Parse(
      "From: =?koi8-r?B?8NLJ18XU?= <p@example.org>\r\n"
      "To: a@example.org, Bob <b@example.org>\r\n"
      "Subject: =?utf-8?Q?Gr=C3=BC=C3=9Fe?=\r\n"
      "Date: Mon, 1 Jan 2024 10:00:00 +0000\r\n"
      "MIME-Version: 1.0\r\n"
      "Content-Type: multipart/mixed; boundary=\"b\"\r\n"
      "\r\n"
      "--b\r\n"
      "Content-Type: text/plain; charset=koi8-r\r\n"
      "\r\n"
      "\xf0\xd2\xc9\xd7\xc5\xd4\r\n"
      "> quoted as it is\r\n"
      "--b\r\n"
      "Content-Type: text/plain; charset=us-ascii\r\n"
      "\r\n"
      "second part\r\n"
      "--b--\r\n",
      false);
  const QString text = PlainMesgText(message);
  EXPECT_TRUE(
      text.startsWith(QStringLiteral("From: \u041f\u0440\u0438\u0432\u0435\u0442 <p@example.org>\n"
                                     "To: a@example.org, Bob <b@example.org>\n"
                                     "Subject: Gr\u00fc\u00dfe\n"
                                     "Date: Mon, 1 Jan 2024 10:00:00 +0000\n\n")))
      << text.toStdString();
  EXPECT_TRUE(
      text.contains(QStringLiteral("\u041f\u0440\u0438\u0432\u0435\u0442\n> quoted as it is")))
      << text.toStdString();
  EXPECT_FALSE(text.contains(QStringLiteral("second part")));
  EXPECT_FALSE(text.contains(QStringLiteral("Cc:")));
}

}  // namespace
}  // namespace quenby
