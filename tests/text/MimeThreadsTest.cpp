// Loaders parse and decode on several threads at once: GMime's one-time
// set-up and the per-thread ICU converters and collators must hold up.
#include <gtest/gtest.h>

#include <filesystem>
#include <thread>
#include <vector>

#include "text/MesgUtils.h"
#include "text/MimeMessage.h"
#include "text/RusCharsets.h"

namespace quenby {
namespace {

std::u16string Summary(const std::string& path) {
  TMimeMessage message;
  message.LoadFromFile(path, false);
  std::u16string out = message.DecodeText(message.RawSubject());
  for (const auto& address : message.From()) out.append(u"|").append(message.DecodeName(address));
  out += AutoRecodeRusWide(out);
  out += MesgDateToStr(ddDateAndTime, message.Date());
  out += static_cast<char16_t>(u'0' + CompareSubjects(out, u"re: x") + 1);
  return out;
}

TEST(MimeThreadsTest, ParallelParsesAgreeWithOneThread) {
  const std::filesystem::path folder = std::filesystem::path(QUENBY_TEST_DATA) / "mime";
  std::vector<std::string> files;
  for (const auto& entry : std::filesystem::directory_iterator(folder))
    files.push_back(entry.path().string());
  ASSERT_FALSE(files.empty());

  std::vector<std::vector<std::u16string>> results(4);
  std::vector<std::thread> threads;
  for (auto& result : results)
    threads.emplace_back([&files, &result] {
      for (int round = 0; round < 50; ++round)
        for (const auto& file : files) result.push_back(Summary(file));
    });
  for (auto& thread : threads) thread.join();

  std::vector<std::u16string> expected;
  for (int round = 0; round < 50; ++round)
    for (const auto& file : files) expected.push_back(Summary(file));
  for (const auto& result : results) EXPECT_EQ(result, expected);
}

}  // namespace
}  // namespace quenby
