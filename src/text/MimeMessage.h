#pragma once
// The program's MIME message object. The header block is kept as raw lines
// (the program decodes them by its own charset rules); the body is a flat
// list of parts classified the program's way. The reader fills it from bytes,
// whole or headers only; the writer renders it with CR LF line ends and the
// header bytes as they are. GMime is used inside and nowhere else.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "text/CharsetRegistry.h"
#include "text/HeaderLines.h"
#include "text/MailAddress.h"
#include "text/MesgDates.h"

namespace quenby {

class TStream;

enum TMessagePriority : std::uint8_t { mpHighest, mpHigh, mpNormal, mpLow, mpLowest };

enum class TMimePartKind { Text, Attachment };

struct TMimePart {
  TMimePartKind Kind = TMimePartKind::Text;
  std::string ContentType;         // lower case, "type/subtype"
  std::string Charset;             // the charset parameter as written
  std::string FileName;            // a bare file name (UTF-8), never a path
  std::string Data;                // transfer-decoded bytes
  std::vector<std::string> Lines;  // Data split at line ends (text parts)
};

class TMimeMessage {
 public:
  void Clear();

  // Reader. Parse failures raise EStreamError (kind Stream) naming path.
  // Headers only reads up to the first empty line and leaves parts and
  // body empty; a whole parse also fills them.
  void Parse(std::string_view bytes, bool headersOnly, const std::string& path = {});
  // Reads the stream from its position to its end.
  void LoadFromStream(TStream& stream, bool headersOnly);
  void LoadFromFile(const std::string& path, bool headersOnly);

  // Writer: the header lines as they are, an empty line, then the body in
  // transport form; every line ends in CR LF.
  std::string Render() const;
  void SaveToStream(TStream& stream) const;

  THeaderLines& Headers() { return Headers_; }
  const THeaderLines& Headers() const { return Headers_; }

  // Header fields, raw (use DecodeText / DecodeName for display).
  std::string RawSubject() const { return Headers_.Value("Subject"); }
  std::vector<TMailAddress> From() const { return Addresses("From"); }
  std::vector<TMailAddress> Recipients() const { return Addresses("To"); }
  std::vector<TMailAddress> CC() const { return Addresses("Cc"); }
  std::vector<TMailAddress> BCC() const { return Addresses("Bcc"); }
  std::vector<TMailAddress> ReplyTo() const { return Addresses("Reply-To"); }
  std::string MsgId() const;  // without the angle brackets
  std::string References() const { return Headers_.Value("References"); }
  // Local time; 0 when the message has no date or one nobody can read.
  TDateTime Date() const;
  // From X-Priority, else X-MSMail-Priority, else Importance; mpNormal.
  TMessagePriority Priority() const;
  // The charset parameter of the message's Content-Type; empty when none.
  std::string CharSet() const;
  TCharsetNumber CharsetNumber() const { return CharsetNumberOfLabel(CharSet()); }

  // Header text decoded with the message's charset (the legacy code page
  // when it has none).
  std::u16string DecodeText(std::string_view raw) const;
  std::u16string DecodeName(const TMailAddress& address) const;

  // The message's own body (when it is not multipart and is text).
  const std::vector<std::string>& BodyLines() const { return Body_; }
  const std::vector<TMimePart>& Parts() const { return Parts_; }
  std::size_t TextPartCount() const { return Count(TMimePartKind::Text); }
  std::size_t AttachmentCount() const { return Count(TMimePartKind::Attachment); }

  // Composing: the written message then gets generated MIME headers in
  // place of any Content-* lines, a text body in CharSet() and the
  // attachments (base64) as a multipart/mixed.
  void SetCharSet(std::string_view charset);
  void SetBodyLines(std::vector<std::string> lines);
  void AddAttachment(std::string fileName, std::string data);
  void DeleteAttachment(std::size_t index);  // index among the attachments

 private:
  std::vector<TMailAddress> Addresses(std::string_view name) const;
  std::size_t Count(TMimePartKind kind) const;
  void RenderComposed(std::string& out) const;

  THeaderLines Headers_;
  std::vector<std::string> Body_;
  std::vector<TMimePart> Parts_;
  std::string RawBody_;    // the body as read, for writing back unchanged
  bool Composed_ = false;  // body or parts changed since the read
};

// A bare, harmless file name from whatever a message names: the last path
// element (either slash), without control characters; "attachment" when
// nothing usable is left.
std::string SafeFileName(std::string_view name);

// Lines split at LF or CR LF, without their ends; a final line end adds no
// empty line.
std::vector<std::string> SplitLines(std::string_view data);

}  // namespace quenby
