#include "settings/FormatText.h"

#include <vector>

#include "settings/WideText.h"

namespace quenby {

namespace {

std::u16string Ascii(const std::string& text) {
  return std::u16string(text.begin(), text.end());
}

bool IsDigit(char16_t c) {
  return c >= u'0' && c <= u'9';
}

}  // namespace

TFormatArg::TFormatArg(std::string_view utf8) : Value_(Utf8ToUtf16(utf8)) {}

std::u16string FormatText(std::u16string_view format, std::initializer_list<TFormatArg> args) {
  const std::vector<TFormatArg> arguments(args);
  std::size_t next = 0;
  std::u16string out;
  out.reserve(format.size());
  for (std::size_t i = 0; i < format.size(); ++i) {
    const char16_t c = format[i];
    if (c == u'/' && i + 1 < format.size() && (format[i + 1] == u'n' || format[i + 1] == u'N')) {
      out += u"\r\n";
      ++i;
      continue;
    }
    if (c != u'%' || i + 1 == format.size()) {
      out += c;
      continue;
    }
    if (format[i + 1] == u'%') {
      out += u'%';
      ++i;
      continue;
    }
    std::size_t j = i + 1;
    std::size_t width = 0;
    while (j < format.size() && IsDigit(format[j]) && width < 1000)
      width = width * 10 + (format[j++] - u'0');
    if (j == format.size() || (format[j] != u's' && format[j] != u'd') ||
        (format[j] == u's' && j != i + 1)) {
      out += c;  // not a placeholder of ours: kept verbatim
      continue;
    }
    const std::u16string_view placeholder = format.substr(i, j - i + 1);
    const TFormatArg* arg = next < arguments.size() ? &arguments[next++] : nullptr;
    if (format[j] == u's' && arg && arg->Text()) {
      out += *arg->Text();
    } else if (format[j] == u'd' && arg && arg->Number()) {
      const std::u16string digits = Ascii(std::to_string(*arg->Number()));
      if (digits.size() < width) out.append(width - digits.size(), u' ');
      out += digits;
    } else {
      out.append(u"<").append(placeholder).append(u"?>");
    }
    i = j;
  }
  return out;
}

}  // namespace quenby
