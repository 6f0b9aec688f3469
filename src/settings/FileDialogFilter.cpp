#include "settings/FileDialogFilter.h"

#include "settings/GlobStrings.h"

namespace quenby {

namespace {

std::u16string Patterns(std::u16string_view list) {
  std::u16string out;
  std::size_t start = 0;
  while (start <= list.size()) {
    const std::size_t end = std::min(list.find(u';', start), list.size());
    std::u16string_view pattern = list.substr(start, end - start);
    if (pattern == u"*.*") pattern = u"*";
    if (!pattern.empty()) out.append(out.empty() ? u"" : u" ").append(pattern);
    start = end + 1;
  }
  return out;
}

// "desc|pat;pat|desc|pat" -> "desc (pat pat);;desc (pat)".
std::u16string FromPairs(std::u16string_view text) {
  std::u16string out;
  while (!text.empty()) {
    const std::size_t bar = text.find(u'|');
    const std::u16string_view description = text.substr(0, bar);
    std::u16string_view patterns;
    if (bar == std::u16string_view::npos) {
      text = {};
    } else {
      text.remove_prefix(bar + 1);
      const std::size_t next = text.find(u'|');
      patterns = text.substr(0, next);
      text = next == std::u16string_view::npos ? std::u16string_view() : text.substr(next + 1);
    }
    if (description.empty()) continue;
    if (!out.empty()) out += u";;";
    out.append(description).append(u" (").append(Patterns(patterns)).append(u")");
  }
  return out;
}

}  // namespace

std::u16string FileDialogFilter(std::initializer_list<std::u16string_view> keys) {
  const auto table = GlobStrings();
  std::u16string filter;
  for (const std::u16string_view key : keys) {
    const std::u16string entry = table->SectionValue(u"FileExt", key);
    if (entry.empty()) continue;
    const std::u16string converted =
        entry.find(u'|') == std::u16string::npos ? entry : FromPairs(entry);
    if (!filter.empty()) filter += u";;";
    filter += converted;
  }
  return filter;
}

}  // namespace quenby
