#pragma once
// Cuts a mailing-list digest into its messages. Three layouts are read:
// - blocks of two underscore lines, a blank line, "Message ...", then the
//   Date, From and Subject lines and the body; each message is composed
//   anew, its headers 8-bit in the digest's charset;
// - MIME digests (multipart/digest, alone or inside another multipart):
//   every embedded message is one message, as written;
// - text digests as list servers write them (RFC 1153): a line of 70
//   dashes after the topics, lines of 30 dashes between the messages, each
//   message's own header lines (after a "Message: N" line) and body.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "text/CharsetRegistry.h"
#include "text/MimeMessage.h"

namespace quenby {

enum class TDigestLayout { None, Underscore, Mime, Rfc1153 };

class TDigestParser {
 public:
  // digest may be null (no messages); it must outlive the parser.
  explicit TDigestParser(const TMimeMessage* digest);

  TDigestLayout Layout() const { return Layout_; }
  // True when no message is left.
  bool AtEnd() const;
  // Fills message with the next message; false, and message untouched, at
  // the end. The parser has moved on when it raises.
  bool NextMessage(TMimeMessage& message);

  const std::string& Charset() const { return Charset_; }

 private:
  // The underscore layout.
  bool IsMessageStart(std::int32_t p) const;
  void ReadNext();
  void CopyBody(std::int32_t first, std::int32_t last);
  void CutFooter();
  void FillMessage(TMimeMessage& message) const;
  // The text layout: the lines of the messages, [first, last) each.
  void FindRfc1153Messages();
  void FillRfc1153Message(std::size_t index, TMimeMessage& message) const;

  const std::vector<std::string>* SourceLines_ = nullptr;
  std::int32_t LineCount_ = 0;
  TDigestLayout Layout_ = TDigestLayout::None;
  std::string Charset_;
  TCharsetNumber CharsetIndex_ = 0;
  std::string ReplyToText_;
  std::string RecipientsText_;
  // The current message of the underscore layout.
  std::vector<std::string> BodyLines_;
  std::string DateText_;
  std::string FromText_;
  std::string SubjectText_;
  std::int32_t BodyStart_ = -1;
  std::int32_t Position_ = 0;
  // The other layouts: the messages, and the next one to give.
  std::vector<const std::string*> MimeMessages_;
  std::vector<std::pair<std::int32_t, std::int32_t>> TextMessages_;
  std::size_t Next_ = 0;
};

// A subject of the older digests: "Digest number ..." (IsDigestSubject), or
// a list server's "... Digest, Vol N, Issue M".
bool IsDigestSubjectText(std::string_view subject);
// The subject says so, or the message is a multipart/digest or holds one.
bool IsDigestMessage(const TMimeMessage& message);

}  // namespace quenby
