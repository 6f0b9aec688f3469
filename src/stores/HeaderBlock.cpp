#include "stores/HeaderBlock.h"

#include <string_view>

#include "platform/Errors.h"
#include "stores/ReadOnlyFile.h"

namespace quenby {
namespace {

constexpr std::string_view kCompoundMagic = "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1";
constexpr std::int64_t kChunk = 16384;

// The end of the empty line that ends the headers, searching from `from`;
// npos when it is not in text yet. LF, CR LF and CR-only line ends count.
std::size_t HeaderEnd(std::string_view text, std::size_t from) {
  std::size_t best = std::string_view::npos;
  for (const std::string_view blank : {"\n\n", "\r\n\r\n", "\r\r"}) {
    const std::size_t at = text.find(blank, from);
    if (at != std::string_view::npos && at + blank.size() < best) best = at + blank.size();
  }
  return best;
}

}  // namespace

std::string ReadHeaderBlock(const std::string& path) {
  TReadOnlyFile file;
  file.Open(path);
  std::string text;
  std::int64_t offset = 0;
  while (offset < file.Size()) {
    const std::size_t scanned = text.size() > 3 ? text.size() - 3 : 0;
    text.resize(static_cast<std::size_t>(offset + kChunk));
    const std::int64_t got = file.ReadAt(offset, text.data() + offset, kChunk);
    text.resize(static_cast<std::size_t>(offset + got));
    if (got <= 0) break;
    offset += got;
    if (text.compare(0, kCompoundMagic.size(), kCompoundMagic) == 0)
      throw EStreamError(TStreamErrorKind::Stream, path, "an Outlook compound document");
    const std::size_t end = HeaderEnd(text, scanned);
    if (end != std::string_view::npos) {
      text.resize(end);
      break;
    }
  }
  return text;
}

}  // namespace quenby
