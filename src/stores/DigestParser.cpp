#include "stores/DigestParser.h"

#include <algorithm>

#include "settings/Options.h"
#include "text/CharsetConvert.h"
#include "text/MesgUtils.h"
#include "text/RusCharsets.h"

namespace quenby {
namespace {

std::string_view Trim(std::string_view text) {
  while (!text.empty() && static_cast<unsigned char>(text.front()) <= ' ') text.remove_prefix(1);
  while (!text.empty() && static_cast<unsigned char>(text.back()) <= ' ') text.remove_suffix(1);
  return text;
}

bool IsBlank(std::string_view line) {
  return Trim(line).empty();
}

bool IsSeparatorLine(std::string_view line) {
  line = Trim(line);
  return !line.empty() && line.find_first_not_of('_') == std::string_view::npos;
}

bool IsDashLine(std::string_view line, std::size_t count) {
  line = Trim(line);
  return line.size() == count && line.find_first_not_of('-') == std::string_view::npos;
}

char LowerAscii(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool StartsNoCase(std::string_view text, std::string_view lowerPrefix) {
  return text.size() >= lowerPrefix.size() &&
         std::equal(lowerPrefix.begin(), lowerPrefix.end(), text.begin(),
                    [](char a, char b) { return a == LowerAscii(b); });
}

std::size_t FindNoCase(std::string_view text, std::string_view lowerNeedle, std::size_t from) {
  const auto it = std::search(
      text.begin() + static_cast<std::ptrdiff_t>(std::min(from, text.size())), text.end(),
      lowerNeedle.begin(), lowerNeedle.end(), [](char a, char b) { return LowerAscii(a) == b; });
  return it == text.end() ? std::string_view::npos : static_cast<std::size_t>(it - text.begin());
}

// The text after the first colon (the whole line without one), trimmed.
std::string HeaderValue(std::string_view line) {
  const std::size_t colon = line.find(':');
  return std::string(Trim(colon == std::string_view::npos ? line : line.substr(colon + 1)));
}

// "Name: value" with a name of printable characters; folds start blank.
bool IsHeaderLine(std::string_view line) {
  if (!line.empty() && (line[0] == ' ' || line[0] == '\t')) return true;
  const std::size_t colon = line.find(':');
  if (colon == 0 || colon == std::string_view::npos) return false;
  return std::all_of(line.begin(), line.begin() + static_cast<std::ptrdiff_t>(colon),
                     [](char c) { return c > ' ' && c < 127; });
}

bool SkipDigits(std::string_view text, std::size_t& at) {
  const std::size_t start = at;
  while (at < text.size() && text[at] >= '0' && text[at] <= '9') ++at;
  return at > start;
}

std::string TopLevelType(const TMimeMessage& message) {
  const std::string type = message.Headers().Value("Content-Type");
  std::string top(Trim(std::string_view(type).substr(0, type.find(';'))));
  std::transform(top.begin(), top.end(), top.begin(), LowerAscii);
  return top;
}

// A "Content-Type: multipart/digest" line anywhere in the message's text.
bool HoldsDigestPart(std::string_view text) {
  static constexpr std::string_view kType = "multipart/digest";
  static constexpr std::string_view kName = "content-type:";
  for (std::size_t at = FindNoCase(text, kType, 0); at != std::string_view::npos;
       at = FindNoCase(text, kType, at + 1)) {
    std::size_t line = text.find_last_of("\r\n", at);
    line = line == std::string_view::npos ? 0 : line + 1;
    if (StartsNoCase(text.substr(line), kName) &&
        IsBlank(text.substr(line + kName.size(), at - line - kName.size())))
      return true;
  }
  return false;
}

bool IsDigestContent(const TMimeMessage& message) {
  return TopLevelType(message) == "multipart/digest" || HoldsDigestPart(message.Render());
}

// Bytes in charset through the Cyrillic guess, when the option asks for it.
std::string Recoded(const std::string& bytes, TCharsetNumber charset) {
  if (!AutoRusEnabled()) return bytes;
  const std::u16string wide = CharsetToWide(bytes, charset);
  const std::u16string guess = AutoRecodeRusWide(wide);
  return guess == wide ? bytes : WideToCharset(guess, charset);
}

}  // namespace

TDigestParser::TDigestParser(const TMimeMessage* digest) {
  if (!digest) return;
  const TMimePart* textPart = nullptr;
  for (const TMimePart& part : digest->Parts())
    if (part.Kind == TMimePartKind::Text) {
      textPart = &part;
      break;
    }
  Charset_ = textPart && !textPart->Charset.empty() ? textPart->Charset : digest->CharSet();
  if (Charset_.empty()) Charset_ = std::string(CharsetName(DefaultMesgCharset()));
  CharsetIndex_ = CharsetNumberOfLabel(Charset_);
  ReplyToText_ = digest->Headers().Value("Reply-To");
  RecipientsText_ = digest->Headers().Value("To");

  if (IsDigestContent(*digest))
    for (const TMimePart& part : digest->Parts())
      if (part.ContentType == "message/rfc822" && !part.Data.empty())
        MimeMessages_.push_back(&part.Data);
  if (!MimeMessages_.empty()) {
    Layout_ = TDigestLayout::Mime;
    return;
  }
  SourceLines_ = GetMesgTextLines(digest);
  if (!SourceLines_) return;
  LineCount_ = static_cast<std::int32_t>(SourceLines_->size());
  while (!AtEnd() && !IsMessageStart(Position_)) ++Position_;
  if (!AtEnd()) {
    Layout_ = TDigestLayout::Underscore;
    return;
  }
  FindRfc1153Messages();
  if (!TextMessages_.empty()) Layout_ = TDigestLayout::Rfc1153;
}

bool TDigestParser::AtEnd() const {
  switch (Layout_) {
    case TDigestLayout::Mime: return Next_ >= MimeMessages_.size();
    case TDigestLayout::Rfc1153: return Next_ >= TextMessages_.size();
    case TDigestLayout::Underscore:
    case TDigestLayout::None: break;
  }
  return Position_ >= LineCount_ - 8;
}

bool TDigestParser::NextMessage(TMimeMessage& message) {
  if (Layout_ == TDigestLayout::None || AtEnd()) return false;
  switch (Layout_) {
    case TDigestLayout::Mime: message.Parse(*MimeMessages_[Next_++], false); break;
    case TDigestLayout::Rfc1153: FillRfc1153Message(Next_++, message); break;
    case TDigestLayout::Underscore:
      ReadNext();
      FillMessage(message);
      break;
    case TDigestLayout::None: break;
  }
  return true;
}

bool TDigestParser::IsMessageStart(std::int32_t p) const {
  if (p >= LineCount_ - 8) return false;
  const auto& lines = *SourceLines_;
  const auto at = static_cast<std::size_t>(p);
  return IsSeparatorLine(lines[at]) && IsSeparatorLine(lines[at + 1]) && IsBlank(lines[at + 2]) &&
         StartsNoCase(Trim(lines[at + 3]), "message");
}

void TDigestParser::ReadNext() {
  const auto& lines = *SourceLines_;
  const auto at = static_cast<std::size_t>(Position_);
  DateText_ = HeaderValue(lines[at + 4]);
  FromText_ = HeaderValue(lines[at + 5]);
  SubjectText_ = HeaderValue(lines[at + 6]);
  Position_ += 7;
  BodyStart_ = Position_;
  while (!AtEnd() && !IsMessageStart(Position_)) ++Position_;
  if (AtEnd()) {
    CopyBody(BodyStart_, LineCount_ - 1);
    CutFooter();
  } else {
    CopyBody(BodyStart_, Position_ - 1);
  }
}

void TDigestParser::CopyBody(std::int32_t first, std::int32_t last) {
  BodyLines_.clear();
  const auto& lines = *SourceLines_;
  while (first <= last && IsBlank(lines[static_cast<std::size_t>(first)])) ++first;
  while (last >= first && IsBlank(lines[static_cast<std::size_t>(last)])) --last;
  if (first > last) return;
  BodyLines_.assign(lines.begin() + first, lines.begin() + last + 1);
}

void TDigestParser::CutFooter() {
  // The footer starts with a pair of separator lines; the body keeps the
  // first of the earliest pair (from line 1 on).
  if (BodyLines_.size() < 3) return;
  for (std::size_t k = 2; k < BodyLines_.size(); ++k)
    if (IsSeparatorLine(BodyLines_[k]) && IsSeparatorLine(BodyLines_[k - 1])) {
      BodyLines_.resize(k);
      while (!BodyLines_.empty() && IsBlank(BodyLines_.back())) BodyLines_.pop_back();
      return;
    }
}

void TDigestParser::FillMessage(TMimeMessage& message) const {
  message.Clear();
  // The values are bytes in the digest's charset, written 8-bit as they
  // are; only the Cyrillic guess may change them.
  std::vector<std::string> body = BodyLines_;
  if (AutoRusEnabled()) {
    std::string text;
    for (const std::string& line : body) text.append(line).append("\n");
    body = SplitLines(Recoded(text, CharsetIndex_));
  }
  message.SetCharSet(Charset_);
  if (!ReplyToText_.empty()) message.Headers().Set("Reply-To", ReplyToText_);
  if (!RecipientsText_.empty()) message.Headers().Set("To", RecipientsText_);
  message.Headers().Set("From", Recoded(FromText_, CharsetIndex_));
  message.Headers().Set("Subject", Recoded(SubjectText_, CharsetIndex_));
  if (!DateText_.empty()) message.Headers().Set("Date", DateText_);
  message.SetBodyLines(std::move(body));
  SetXMailer(&message);
}

void TDigestParser::FindRfc1153Messages() {
  const auto& lines = *SourceLines_;
  std::size_t start = 0;
  while (start < lines.size() && !IsDashLine(lines[start], 70)) ++start;
  while (start < lines.size()) {
    std::size_t end = start + 1;
    while (end < lines.size() && !IsDashLine(lines[end], 30)) ++end;
    // The segment (start, end): blank lines, "Message: N", header lines.
    std::size_t header = start + 1;
    while (header < end && IsBlank(lines[header])) ++header;
    if (header < end && StartsNoCase(lines[header], "message:")) ++header;
    std::size_t blank = header;
    bool named = false;
    while (blank < end && !IsBlank(lines[blank]) && IsHeaderLine(lines[blank])) {
      named = named || StartsNoCase(lines[blank], "from:") || StartsNoCase(lines[blank], "date:") ||
              StartsNoCase(lines[blank], "subject:");
      ++blank;
    }
    // The footer, and the topics of a digest without them, are no message.
    if (named && (blank == end || IsBlank(lines[blank])))
      TextMessages_.emplace_back(static_cast<std::int32_t>(header), static_cast<std::int32_t>(end));
    start = end;
  }
}

void TDigestParser::FillRfc1153Message(std::size_t index, TMimeMessage& message) const {
  const auto& lines = *SourceLines_;
  const auto [first, end] = TextMessages_[index];
  auto at = static_cast<std::size_t>(first);
  std::string text;
  bool typed = false;
  for (; at < static_cast<std::size_t>(end) && !IsBlank(lines[at]); ++at) {
    typed = typed || StartsNoCase(lines[at], "content-type:");
    text.append(lines[at]).append("\r\n");
  }
  // The list server wrote the body decoded, in the digest's charset.
  if (!typed && !Charset_.empty())
    text.append("Content-Type: text/plain; charset=")
        .append(Charset_)
        .append("\r\nContent-Transfer-Encoding: 8bit\r\n");
  text.append("\r\n");
  std::size_t last = static_cast<std::size_t>(end);
  while (at < last && IsBlank(lines[at])) ++at;
  while (last > at && IsBlank(lines[last - 1])) --last;
  for (; at < last; ++at) {
    // RFC 934 stuffing: a line that began with "-" was written "- -".
    std::string_view line = lines[at];
    if (line.substr(0, 3) == "- -") line.remove_prefix(2);
    text.append(line).append("\r\n");
  }
  message.Parse(text, false);
}

bool IsDigestSubjectText(std::string_view subject) {
  if (IsDigestSubject(subject)) return true;
  static constexpr std::string_view kVolume = "digest, vol ";
  for (std::size_t at = FindNoCase(subject, kVolume, 0); at != std::string_view::npos;
       at = FindNoCase(subject, kVolume, at + 1)) {
    std::size_t i = at + kVolume.size();
    if (SkipDigits(subject, i) && StartsNoCase(subject.substr(i), ", issue ")) {
      i += 8;
      if (SkipDigits(subject, i)) return true;
    }
  }
  return false;
}

bool IsDigestMessage(const TMimeMessage& message) {
  return IsDigestSubjectText(message.Headers().Value("Subject")) || IsDigestContent(message);
}

}  // namespace quenby
