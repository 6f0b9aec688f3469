#pragma once
// The split of a Unix mailbox into its messages. A line that begins with
// "From " starts a message when it is the first line or directly follows an
// empty line; lines end at LF, CR LF or CR alone. Nothing else is looked at
// (no Content-Length, no unquoting), so every separator form splits alike.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace quenby {

struct TMailboxSpan {
  std::int64_t Offset;     // the separator line's first byte (the text's own for a headless text)
  std::int64_t TextStart;  // after the separator line's end
  std::int64_t TextEnd;    // the next separator's first byte, or the end of the bytes
};

// The head of a binary mailbox of the older kind, which is not text.
bool IsBinaryMailbox(std::string_view head);

// Reports, in order, every message of bytes, which begin at a message start
// (the file's start or a separator line); offsets are relative to bytes.
// The last message is only reported when atEnd: otherwise its end is not
// known yet and the result is its start, from which the caller scans again
// with more bytes. With atEnd the result is bytes.size(). A text before the
// first separator is a message without separator (Offset == TextStart).
std::size_t ScanMailbox(std::string_view bytes, bool atEnd,
                        const std::function<void(const TMailboxSpan&)>& onMessage);

// A message's text as it is stored: every line followed by CR LF (a last
// line without line end included). Replaces out.
void StoredMailboxText(std::string_view text, std::string& out);

}  // namespace quenby
