// Writes a large Outlook Express folder file for whole-process timings:
//   bench_dbx_generate OUT.dbx COUNT MESSAGE-FILE...
// The messages are used in turn (line ends made CRLF, as the mail program
// stores them), each with its own received time.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "DbxWriter.h"

namespace {

std::string Crlf(const std::string& text) {
  std::string out;
  out.reserve(text.size() + text.size() / 40);
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) out += '\r';
    out += text[i];
  }
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: bench_dbx_generate OUT.dbx COUNT MESSAGE-FILE...\n");
    return 2;
  }
  const long count = std::strtol(argv[2], nullptr, 10);
  std::vector<std::string> messages;
  for (int i = 3; i < argc; ++i) {
    std::ifstream in(argv[i], std::ios::binary);
    messages.push_back(Crlf({std::istreambuf_iterator<char>(in), {}}));
  }
  try {
    quenby::test::TDbxFileBuilder builder(argv[1]);
    // 2021-12-12 plus one minute per message.
    constexpr std::uint64_t kStart = 0x01D7EF1328722FAC, kMinute = 600'000'000;
    for (long i = 0; i < count; ++i)
      builder.AddMessage(static_cast<std::uint32_t>(i + 1),
                         messages[std::size_t(i) % messages.size()], i % 3 ? 0x81 : 0x4081,
                         kStart + std::uint64_t(i) * kMinute);
    const std::int64_t size = builder.Finish();
    std::printf("%s: %ld messages, %lld bytes\n", argv[1], count, static_cast<long long>(size));
  } catch (const std::exception& e) {
    std::fprintf(stderr, "bench_dbx_generate: %s\n", e.what());
    return 1;
  }
  return 0;
}
