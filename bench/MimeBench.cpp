// The hot path of every store: a headers-only parse and the decoding of the
// fields a message list shows, against GMime constructing a message from the
// same header blocks and reading the same fields.
#include <benchmark/benchmark.h>
#include <gmime/gmime.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "text/MimeMessage.h"

namespace quenby {
namespace {

namespace fs = std::filesystem;

// The header blocks (up to and with the first empty line) of the corpus
// messages and of the project's own fixtures.
const std::vector<std::string>& HeaderBlocks() {
  static const std::vector<std::string> blocks = [] {
    std::vector<std::string> out;
    for (const fs::path folder :
         {fs::path(QUENBY_CORPUS) / "eml" / "mime4j", fs::path(QUENBY_CORPUS) / "mbox",
          fs::path(QUENBY_TEST_DATA) / "mime"}) {
      if (!fs::exists(folder)) continue;
      for (const auto& entry : fs::directory_iterator(folder)) {
        std::ifstream file(entry.path(), std::ios::binary);
        std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        std::size_t end = text.find("\r\n\r\n");
        end = end == std::string::npos ? text.find("\n\n") : end + 2;
        if (end == std::string::npos || text.compare(0, 5, "From ") == 0)
          continue;  // no block, or a mailbox
        out.push_back(text.substr(0, end + 2));
      }
    }
    return out;
  }();
  return blocks;
}

void BM_HeadersOnlyFields(benchmark::State& state) {
  const auto& blocks = HeaderBlocks();
  if (blocks.empty()) return state.SkipWithError("no corpus");
  TMimeMessage message;
  std::size_t next = 0;
  for (auto _ : state) {
    message.Parse(blocks[next], true);
    next = (next + 1) % blocks.size();
    benchmark::DoNotOptimize(message.DecodeText(message.RawSubject()));
    const auto from = message.From();
    if (!from.empty()) benchmark::DoNotOptimize(message.DecodeName(from[0]));
    const auto to = message.Recipients();
    if (!to.empty()) benchmark::DoNotOptimize(message.DecodeName(to[0]));
    benchmark::DoNotOptimize(message.Date());
    benchmark::DoNotOptimize(message.MsgId());
    benchmark::DoNotOptimize(message.References());
    benchmark::DoNotOptimize(message.CharsetNumber());
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_HeadersOnlyFields)->Iterations(100000);

void BM_GMimeConstructFields(benchmark::State& state) {
  const auto& blocks = HeaderBlocks();
  if (blocks.empty()) return state.SkipWithError("no corpus");
  g_mime_init();
  std::size_t next = 0;
  for (auto _ : state) {
    const std::string& block = blocks[next];
    next = (next + 1) % blocks.size();
    GMimeStream* stream = g_mime_stream_mem_new_with_buffer(block.data(), block.size());
    GMimeParser* parser = g_mime_parser_new_with_stream(stream);
    GMimeMessage* message = g_mime_parser_construct_message(parser, nullptr);
    if (message) {
      benchmark::DoNotOptimize(g_mime_message_get_subject(message));
      InternetAddressList* from = g_mime_message_get_from(message);
      if (from && internet_address_list_length(from) > 0)
        benchmark::DoNotOptimize(
            internet_address_get_name(internet_address_list_get_address(from, 0)));
      InternetAddressList* to = g_mime_message_get_to(message);
      if (to && internet_address_list_length(to) > 0)
        benchmark::DoNotOptimize(
            internet_address_get_name(internet_address_list_get_address(to, 0)));
      benchmark::DoNotOptimize(g_mime_message_get_date(message));
      benchmark::DoNotOptimize(g_mime_message_get_message_id(message));
      benchmark::DoNotOptimize(g_mime_object_get_header(GMIME_OBJECT(message), "References"));
      if (GMimeObject* body = g_mime_message_get_mime_part(message))
        benchmark::DoNotOptimize(g_mime_object_get_content_type_parameter(body, "charset"));
      g_object_unref(message);
    }
    g_object_unref(parser);
    g_object_unref(stream);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_GMimeConstructFields)->Iterations(100000);

}  // namespace
}  // namespace quenby
