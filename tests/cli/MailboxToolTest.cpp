// The files quenby split-digest and export --mbox write.
#include <gtest/gtest.h>

#include <sstream>

#include "TempDir.h"
#include "cli/Tool.h"
#include "stores/UnixMesgItems.h"

namespace quenby::test {
namespace {

const std::string kDigest = std::string(QUENBY_SOURCE_DIR) + "/samples/digest/digest-412.eml";
const std::vector<std::string> kSubjects = {"Mounting a FAT partition read-only",
                                            "Re: Mounting a FAT partition read-only",
                                            "Old mail archives"};

int RunQuenby(const std::vector<std::string>& args, std::string& out) {
  std::ostringstream o, e;
  const int code = cli::RunTool(args, o, e);
  out = o.str();
  EXPECT_EQ(e.str(), "");
  return code;
}

TEST(SplitDigest, WritesEachMessageAsAFileInDigestOrder) {
  TTempDir dir;
  std::string out;
  ASSERT_EQ(RunQuenby({"split-digest", kDigest, "--eml", dir / "parts"}, out), 0);
  EXPECT_EQ(out, "1\t" + kSubjects[0] + "\n2\t" + kSubjects[1] + "\n3\t" + kSubjects[2] + "\n");
  for (std::size_t i = 0; i < kSubjects.size(); ++i) {
    TMimeMessage m;
    m.LoadFromFile(dir / ("parts/" + std::to_string(i + 1) + ".eml"), false);
    EXPECT_EQ(m.RawSubject(), kSubjects[i]);
  }
}

TEST(SplitDigest, WritesAMailboxThatReadsBackInDigestOrder) {
  TTempDir dir;
  std::string out;
  ASSERT_EQ(RunQuenby({"split-digest", kDigest, "--mbox=" + dir / "parts.mbox"}, out), 0);
  TMemMesgItems items;
  LoadMailbox(items, dir / "parts.mbox");
  std::vector<std::pair<long long, std::string>> byOffset;
  for (std::int32_t i = 0; i < items.Count(); ++i)
    byOffset.emplace_back(std::stoll(items.ItemAt(i)->GetKey()), items.ItemAt(i)->Subject);
  std::sort(byOffset.begin(), byOffset.end());
  std::vector<std::string> subjects;
  for (const auto& [offset, subject] : byOffset) subjects.push_back(subject);
  EXPECT_EQ(subjects, kSubjects);
}

// Every store the tool reads exports to a mailbox that reads back whole.
TEST(ExportMbox, StoresReadBackFromTheMailbox) {
  struct TCase {
    std::string Store;
    std::int32_t Messages;
  };
  const std::vector<TCase> cases = {
      {std::string(QUENBY_TEST_DATA) + "/dbx/Inbox.dbx", 1},
      {std::string(QUENBY_TEST_DATA) + "/mbox/rlug.mbox", 5},
      {std::string(QUENBY_TEST_DATA) + "/mbox/eudora.mbx", 3},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Store);
    TTempDir dir;
    std::string out;
    ASSERT_EQ(RunQuenby({"export", c.Store, "--mbox", dir / "out.mbox"}, out), 0);
    EXPECT_EQ(out, "");
    TMemMesgItems items;
    LoadMailbox(items, dir / "out.mbox");
    EXPECT_EQ(items.Count(), c.Messages);
  }
}

}  // namespace
}  // namespace quenby::test
