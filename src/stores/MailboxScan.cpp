#include "stores/MailboxScan.h"

#include <cstring>

namespace quenby {
namespace {

constexpr std::string_view kSeparator = "From ";

bool IsLineEnd(char c) {
  return c == '\n' || c == '\r';
}

// Whether the "From " at p (p > 0, at a line start) follows an empty line.
bool FollowsEmptyLine(std::string_view bytes, std::size_t p) {
  // e: where the line end just before p begins.
  std::size_t e = p - 1;
  if (bytes[e] == '\n' && e > 0 && bytes[e - 1] == '\r') --e;
  return e == 0 || IsLineEnd(bytes[e - 1]);
}

// The offset after the line that begins at from: past its line end.
std::size_t NextLine(std::string_view bytes, std::size_t from) {
  for (std::size_t i = from; i < bytes.size(); ++i) {
    if (bytes[i] == '\n') return i + 1;
    if (bytes[i] == '\r') return i + 1 < bytes.size() && bytes[i + 1] == '\n' ? i + 2 : i + 1;
  }
  return bytes.size();
}

// The next separator at or after from; bytes.size() when none.
std::size_t FindSeparator(std::string_view bytes, std::size_t from) {
  while (from < bytes.size()) {
    const void* hit =
        memmem(bytes.data() + from, bytes.size() - from, kSeparator.data(), kSeparator.size());
    if (!hit) break;
    const auto p = static_cast<std::size_t>(static_cast<const char*>(hit) - bytes.data());
    if (p == 0 || (IsLineEnd(bytes[p - 1]) && FollowsEmptyLine(bytes, p))) return p;
    from = p + 1;
  }
  return bytes.size();
}

}  // namespace

bool IsBinaryMailbox(std::string_view head) {
  return head.substr(0, 4) == "JMF6";
}

std::size_t ScanMailbox(std::string_view bytes, bool atEnd,
                        const std::function<void(const TMailboxSpan&)>& onMessage) {
  std::size_t start = 0;
  while (start < bytes.size()) {
    const bool separated = bytes.substr(start, kSeparator.size()) == kSeparator;
    // A separator line is never empty, so the line after it is never one.
    const std::size_t text = separated ? NextLine(bytes, start) : start;
    const std::size_t next = FindSeparator(bytes, separated ? text : start + 1);
    if (next == bytes.size() && !atEnd) return start;
    onMessage({static_cast<std::int64_t>(start), static_cast<std::int64_t>(text),
               static_cast<std::int64_t>(next)});
    start = next;
  }
  return bytes.size();
}

void StoredMailboxText(std::string_view text, std::string& out) {
  out.clear();
  out.reserve(text.size() + text.size() / 16 + 2);
  // Without a lone CR, lines go from LF to LF by memchr; CR LF is cut to
  // the line and CR LF again.
  bool loneCr = false;
  for (std::size_t cr = text.find('\r'); cr != std::string_view::npos && !loneCr;
       cr = text.find('\r', cr + 1))
    loneCr = cr + 1 == text.size() || text[cr + 1] != '\n';
  std::size_t from = 0;
  while (from < text.size()) {
    std::size_t next;
    if (loneCr) {
      next = NextLine(text, from);
    } else {
      const void* lf = std::memchr(text.data() + from, '\n', text.size() - from);
      next = lf ? static_cast<std::size_t>(static_cast<const char*>(lf) - text.data()) + 1
                : text.size();
    }
    std::size_t end = next;
    if (end > from && text[end - 1] == '\n') --end;
    if (end > from && text[end - 1] == '\r') --end;
    out.append(text, from, end - from).append("\r\n");
    from = next;
  }
}

}  // namespace quenby
