#include <cstring>
#include <vector>

#include "model/FastMemoryStream.h"
#include "model/MultiReadSync.h"
#include "settings/GlobStrings.h"
#include "settings/LanguageKeys.h"
#include "settings/SafeFileWriter.h"
#include "stores/UnixMesgItems.h"
#include "text/CharsetConvert.h"
#include "text/MesgDates.h"

namespace quenby {
namespace {

bool IsLineEnd(char c) {
  return c == '\n' || c == '\r';
}

// The message as it goes into the mailbox: "From " lines of the body get
// one more ">", so that none reads back as a separator; the first line is
// the message's own (an envelope line stays as it is).
void AppendQuoted(std::string_view text, std::string& out) {
  static constexpr std::string_view kFrom = "From ";
  std::size_t copied = 0;
  for (std::size_t from = 0; from < text.size();) {
    const void* hit = memmem(text.data() + from, text.size() - from, kFrom.data(), kFrom.size());
    if (!hit) break;
    const auto p = static_cast<std::size_t>(static_cast<const char*>(hit) - text.data());
    std::size_t line = p;
    while (line > 0 && text[line - 1] == '>') --line;
    if (line > 0 && IsLineEnd(text[line - 1])) {
      out.append(text, copied, line - copied).push_back('>');
      copied = line;
    }
    from = p + kFrom.size();
  }
  out.append(text, copied, std::string_view::npos);
}

// Whether text ends with an empty line (two line ends in a row).
bool EndsWithEmptyLine(std::string_view text) {
  std::size_t end = text.size();
  const auto dropLineEnd = [&] {
    if (end > 0 && text[end - 1] == '\n')
      --end;
    else if (end > 0 && text[end - 1] == '\r')
      --end;
    else
      return false;
    if (end > 0 && text[end - 1] == '\r' && text[end] == '\n') --end;
    return true;
  };
  return dropLineEnd() && (end == 0 || dropLineEnd());
}

}  // namespace

void WriteMailbox(const std::vector<const TMesgItem*>& items, const std::string& path) {
  if (path.empty()) return;
  std::string out;
  TFastMemoryStream text(65536);
  for (const TMesgItem* item : items) {
    {
      TReadLock read(item->Owner()->Lock());
      out.append("From ").append(item->FromEMail).append(" ");
      out.append(MboxDateStr(item->DateSent)).append("\r\n");
    }
    text.Clear();
    text.SetPosition(0);
    item->SaveToStream(text);
    const std::string bytes = text.ToString();
    AppendQuoted(bytes, out);
    // A message without a final line end must not run into the next one.
    if (bytes.empty() || !IsLineEnd(bytes.back())) out.append("\r\n");
    if (!EndsWithEmptyLine(out)) out.append("\r\n");
  }
  SaveFileWhole(path, out);
}

void WriteMailbox(const TMesgItems& items, const std::string& path) {
  if (path.empty()) return;
  const auto* mailbox = dynamic_cast<const TUnixMesgItems*>(&items);
  if (mailbox && mailbox->Loading())
    throw EExportRefused(
        WideToUtf8(SectionText(lang::error::ExportWhileLoading.Number, TLangSection::Error)));
  // A loader may delete items meanwhile: each is held while it is written.
  std::vector<TItemRef<TMesgItem>> held;
  std::vector<const TMesgItem*> order;
  {
    TReadLock read(items.Lock());
    held.reserve(static_cast<std::size_t>(items.Count()));
    for (std::int32_t i = 0; i < items.Count(); ++i)
      if (auto* item = static_cast<TMesgItem*>(items.AcquireItem(i))) {
        held.emplace_back(item);
        order.push_back(item);
      }
  }
  WriteMailbox(order, path);
}

}  // namespace quenby
