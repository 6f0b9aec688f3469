// Fuzzes the mailbox scan and the digest splitter. The scan must cut the
// bytes into adjoining messages, and scanning in two pieces, as the loader
// does, must give the same messages as one scan.
#include <cstdint>
#include <string_view>
#include <vector>

#include "platform/Errors.h"
#include "stores/DigestParser.h"
#include "stores/MailboxScan.h"

namespace {

std::vector<quenby::TMailboxSpan> Scan(std::string_view bytes, std::size_t cut) {
  std::vector<quenby::TMailboxSpan> spans;
  std::int64_t base = 0;
  const auto report = [&](const quenby::TMailboxSpan& s) {
    spans.push_back({base + s.Offset, base + s.TextStart, base + s.TextEnd});
  };
  const std::size_t rest = quenby::ScanMailbox(bytes.substr(0, cut), false, report);
  if (rest > cut) __builtin_trap();
  base = static_cast<std::int64_t>(rest);
  quenby::ScanMailbox(bytes.substr(rest), true, report);
  return spans;
}

void CheckScan(std::string_view bytes) {
  std::vector<quenby::TMailboxSpan> whole;
  quenby::ScanMailbox(bytes, true, [&](const quenby::TMailboxSpan& s) { whole.push_back(s); });
  std::int64_t at = 0;
  std::string stored;
  for (const auto& s : whole) {
    if (s.Offset != at || s.TextStart < s.Offset || s.TextEnd < s.TextStart) __builtin_trap();
    at = s.TextEnd;
    quenby::StoredMailboxText(bytes.substr(static_cast<std::size_t>(s.TextStart),
                                           static_cast<std::size_t>(s.TextEnd - s.TextStart)),
                              stored);
  }
  if (at != static_cast<std::int64_t>(bytes.size())) __builtin_trap();
  const std::size_t cut =
      bytes.empty() ? 0 : static_cast<std::uint8_t>(bytes[0]) * bytes.size() / 256;
  const auto pieces = Scan(bytes, cut);
  if (pieces.size() != whole.size()) __builtin_trap();
  for (std::size_t i = 0; i < whole.size(); ++i)
    if (pieces[i].Offset != whole[i].Offset || pieces[i].TextStart != whole[i].TextStart ||
        pieces[i].TextEnd != whole[i].TextEnd)
      __builtin_trap();
}

void CheckDigest(std::string_view bytes) {
  quenby::TMimeMessage digest;
  try {
    digest.Parse(bytes, false);
  } catch (const quenby::EStreamError&) {
    return;
  }
  quenby::IsDigestMessage(digest);
  quenby::TDigestParser parser(&digest);
  quenby::TMimeMessage message;
  // Each call moves on, also when it raises: the loop ends.
  for (std::size_t n = 0; n <= bytes.size(); ++n) {
    try {
      if (!parser.NextMessage(message)) return;
      (void)message.Render();
    } catch (const quenby::EStreamError&) {
    }
  }
  __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  CheckScan(bytes);
  CheckDigest(bytes);
  return 0;
}
