// A folder file shaped as the mail program writes them (several levels of
// 51-entry nodes, texts beyond 16 MiB pointed to indirectly) reads back in
// index order with every text intact.
#include <gtest/gtest.h>

#include "DbxFixture.h"

namespace quenby::test {
namespace {

std::string TextOf(std::uint32_t i) {
  return "Subject: message " + std::to_string(i) + "\r\n\r\n" +
         std::string(1500 + i % 700, 'a' + i % 26);
}

TEST(DbxFileBuilder, LargeFileReadsBackInOrder) {
  constexpr std::uint32_t kCount = 9000;  // about 24 MB: past the 24-bit direct offsets
  TTempDir dir;
  TDbxFileBuilder builder(dir.Path() + "Big.dbx");
  for (std::uint32_t i = 1; i <= kCount; ++i) builder.AddMessage(i, TextOf(i), 0x81, 0);
  ASSERT_GT(builder.Finish(), std::int64_t(1) << 24);
  TOEFile file;
  file.OpenFile(dir.Path() + "Big.dbx");
  std::uint32_t expected = 1, wrong = 0;
  file.OnMessage = [&](std::unique_ptr<Toe5_MessageInfo> m) {
    if (m->MessageIndex != expected || ReadText(file, m->BodyOffset) != TextOf(expected) ||
        m->MessageSize != std::int64_t(TextOf(expected).size()))
      ++wrong;
    ++expected;
  };
  file.ReadTree();
  EXPECT_EQ(expected - 1, kCount);
  EXPECT_EQ(wrong, 0u);
  EXPECT_EQ(ProblemsText(file), "");
}

}  // namespace
}  // namespace quenby::test
