#include <gtest/gtest.h>

#include "TestNames.h"

#include <filesystem>
#include <string>

#include "model/FastMemoryStream.h"
#include "platform/Errors.h"

namespace quenby {
namespace {

std::string Pattern(std::size_t n) {
  std::string s(n, '\0');
  for (std::size_t i = 0; i < n; ++i) s[i] = static_cast<char>('a' + i % 26);
  return s;
}

struct TStreamCase {
  const char* Name;
  std::int32_t RequestedBlock;
  std::int32_t ExpectedBlock;
  std::size_t Bytes;
  std::size_t ExpectedBlocks;
};

class StreamBlocks : public ::testing::TestWithParam<TStreamCase> {};

TEST_P(StreamBlocks, GrowsByWholeBlocksAndReadsBack) {
  const auto& c = GetParam();
  TFastMemoryStream s(c.RequestedBlock);
  EXPECT_EQ(s.BlockSize(), c.ExpectedBlock);
  const std::string data = Pattern(c.Bytes);
  EXPECT_EQ(s.Write(data.data(), static_cast<std::int64_t>(data.size())),
            static_cast<std::int64_t>(c.Bytes));
  EXPECT_EQ(s.BlockCount(), c.ExpectedBlocks);
  EXPECT_EQ(s.Size(), static_cast<std::int64_t>(c.Bytes));
  EXPECT_EQ(s.ToString(), data);
  s.SetPosition(0);
  std::string back(c.Bytes, '\0');
  EXPECT_EQ(s.Read(back.data(), static_cast<std::int64_t>(back.size())),
            static_cast<std::int64_t>(c.Bytes));
  EXPECT_EQ(back, data);
  char extra;
  EXPECT_EQ(s.Read(&extra, 1), 0);  // at the end
}

INSTANTIATE_TEST_SUITE_P(Sizes, StreamBlocks,
                         ::testing::Values(TStreamCase{"TinyBlockRoundsUp", 100, 4096, 10000, 3},
                                           TStreamCase{"ExactBlock", 4096, 4096, 4096, 1},
                                           TStreamCase{"BodyBlocks", 65536, 65536, 200000, 4},
                                           TStreamCase{"Empty", 16384, 16384, 0, 0}),
                         test::ByName());

// A small content moves to a block of its own size, and the stream still
// grows and reads right afterwards.
TEST(FastMemoryStream, ShrinkToFitKeepsTheContentAndGrowsOn) {
  TFastMemoryStream s(16384);
  const std::string data = Pattern(1000);
  s.WriteBuffer(data.data(), 1000);
  s.ShrinkToFit();
  EXPECT_EQ(s.BlockSize(), 1000);
  EXPECT_EQ(s.ToString(), data);
  s.SetPosition(1000);
  s.WriteBuffer(data.data(), 1000);
  s.WriteBuffer("x", 1);
  EXPECT_EQ(s.BlockCount(), 3u);
  EXPECT_EQ(s.ToString(), data + data + "x");
  s.ShrinkToFit();  // several blocks: nothing to do
  EXPECT_EQ(s.BlockSize(), 1000);
}

TEST(FastMemoryStream, SetSizeZeroFreesBlocksAndResetsPosition) {
  TFastMemoryStream s(4096);
  const std::string data = Pattern(9000);
  s.Write(data.data(), 9000);
  s.SetSize(0);
  EXPECT_EQ(s.BlockCount(), 0u);
  EXPECT_EQ(s.Position(), 0);
}

TEST(FastMemoryStream, GapAfterSeekingPastTheEndIsZero) {
  TFastMemoryStream s(4096);
  const std::string data = Pattern(5000);
  s.Write(data.data(), 5000);
  s.SetSize(10);  // the old bytes 10..4095 stay in the first block
  EXPECT_EQ(s.Seek(6000, TSeekOrigin::Beginning), 6000);  // not clamped
  s.Write("xyz", 3);
  EXPECT_EQ(s.Size(), 6003);
  const std::string all = s.ToString();
  EXPECT_EQ(all.substr(0, 10), data.substr(0, 10));
  EXPECT_EQ(all.substr(10, 5990), std::string(5990, '\0'));
  EXPECT_EQ(all.substr(6000), "xyz");
}

TEST(FastMemoryStream, NegativePositionOrCountDoesNothing) {
  TFastMemoryStream s;
  char b[4] = {};
  EXPECT_EQ(s.Write(b, -1), 0);
  s.Seek(-5, TSeekOrigin::Beginning);
  EXPECT_EQ(s.Write(b, 4), 0);
  EXPECT_EQ(s.Read(b, 4), 0);
  EXPECT_EQ(s.Size(), 0);
}

TEST(FastMemoryStream, WriteBeyondAnySizeRaisesTheWriteError) {
  TFastMemoryStream s;
  s.Seek(std::numeric_limits<std::int64_t>::max() - 2, TSeekOrigin::Beginning);
  try {
    s.Write("abcd", 4);
    FAIL() << "no error";
  } catch (const EStreamError& e) {
    EXPECT_EQ(e.Kind(), TStreamErrorKind::Write);
  }
}

TEST(FastMemoryStream, LoadSaveAndFileRoundTrip) {
  TFastMemoryStream source(4096);
  const std::string data = Pattern(12345);
  source.Write(data.data(), static_cast<std::int64_t>(data.size()));
  source.SetPosition(17);
  TFastMemoryStream copy(65536);
  copy.Write("old", 3);
  copy.LoadFromStream(source);
  EXPECT_EQ(copy.ToString(), data);
  TFastMemoryStream target(4096);
  copy.SaveToStream(target);
  EXPECT_EQ(target.ToString(), data);

  const auto dir =
      std::filesystem::temp_directory_path() / ("quenby-stream-" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  const auto file = dir / "out.eml";
  copy.SaveToFile(file.string());
  EXPECT_EQ(std::filesystem::file_size(file), data.size());
  try {
    copy.SaveToFile((dir / "missing" / "out.eml").string());
    FAIL() << "no error";
  } catch (const EStreamError& e) {
    EXPECT_EQ(e.Kind(), TStreamErrorKind::CannotCreate);
    EXPECT_NE(e.Path().find("missing"), std::string::npos);
  }
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace quenby
