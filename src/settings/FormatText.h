#pragma once
// The program's own formatter for texts from the language file. Those
// texts are outside input, so formatting never trusts them: "%s" takes a
// text argument, "%d" and "%Nd" (right-aligned in N places) an integer,
// "%%" is a percent sign. A placeholder without a matching argument, or
// with an argument of the other kind, comes out as a visible marker
// "<%s?>" (the placeholder between "<" and "?>"); other "%" sequences stay
// as they are; spare arguments are ignored.
//
// "/n" and "/N" in the format become CR LF. Arguments are inserted as they
// are: a path like "/nfs/new" keeps its "/n".

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <type_traits>
#include <variant>

namespace quenby {

class TFormatArg {
 public:
  TFormatArg(std::u16string_view text) : Value_(std::u16string(text)) {}
  TFormatArg(const std::u16string& text) : Value_(text) {}
  TFormatArg(const char16_t* text) : Value_(std::u16string(text)) {}
  // UTF-8 text: paths and the program's byte strings.
  TFormatArg(std::string_view utf8);
  TFormatArg(const std::string& utf8) : TFormatArg(std::string_view(utf8)) {}
  TFormatArg(const char* utf8) : TFormatArg(std::string_view(utf8)) {}
  template <class T,
            class = std::enable_if_t<std::is_integral_v<T> && !std::is_same_v<T, bool> &&
                                     !std::is_same_v<T, char> && !std::is_same_v<T, char16_t>>>
  TFormatArg(T number) : Value_(static_cast<std::int64_t>(number)) {}

  const std::u16string* Text() const { return std::get_if<std::u16string>(&Value_); }
  const std::int64_t* Number() const { return std::get_if<std::int64_t>(&Value_); }

 private:
  std::variant<std::u16string, std::int64_t> Value_;
};

std::u16string FormatText(std::u16string_view format, std::initializer_list<TFormatArg> args = {});

}  // namespace quenby
