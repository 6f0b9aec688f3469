#include "text/MimeMessage.h"

#include <algorithm>
#include <fstream>
#include <iterator>

#include "model/Stream.h"
#include "platform/Errors.h"
#include "platform/LegacyCodePage.h"
#include "text/GMimeAdapter.h"
#include "text/Rfc2047.h"

namespace quenby {

namespace {

std::string_view Trim(std::string_view text) {
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return text;
}

std::string Lower(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  return out;
}

// A parameter of a structured header value ("text/plain; charset=koi8-r").
std::string Parameter(std::string_view value, std::string_view name) {
  std::size_t position = value.find(';');
  while (position != std::string_view::npos) {
    std::string_view rest = Trim(value.substr(position + 1));
    const std::size_t equals = rest.find('=');
    if (equals != std::string_view::npos && equals < rest.find(';') &&
        SameAscii(Trim(rest.substr(0, equals)), name)) {
      std::string_view parameter = Trim(rest.substr(equals + 1));
      if (!parameter.empty() && parameter.front() == '"') {
        const std::size_t close = parameter.find('"', 1);
        return std::string(parameter.substr(
            1, close == std::string_view::npos ? std::string_view::npos : close - 1));
      }
      return std::string(Trim(parameter.substr(0, parameter.find(';'))));
    }
    position = value.find(';', position + 1);
  }
  return {};
}

int PriorityWord(std::string_view word, int high, int normal, int low) {
  const std::string lower = Lower(Trim(word));
  if (lower.rfind("high", 0) == 0 || lower.rfind("urgent", 0) == 0) return high;
  if (lower.rfind("low", 0) == 0 || lower.rfind("non-urgent", 0) == 0) return low;
  if (lower.rfind("normal", 0) == 0) return normal;
  return -1;
}

// CR LF for every line end of the body as read (LF alone, or CR LF).
void AppendCrLf(std::string_view text, std::string& out) {
  out.reserve(out.size() + text.size() + text.size() / 32);
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) out.push_back('\r');
    out.push_back(text[i]);
  }
}

}  // namespace

std::string SafeFileName(std::string_view name) {
  const std::size_t slash = name.find_last_of("/\\");
  if (slash != std::string_view::npos) name.remove_prefix(slash + 1);
  std::string out;
  for (const char c : name)
    if (static_cast<unsigned char>(c) >= 32 && c != 127) out.push_back(c);
  std::string_view trimmed = Trim(out);
  // Trailing dots and blanks are dropped too: "x." and "x" name one file on
  // the file systems where such messages are often saved.
  while (!trimmed.empty() && trimmed.back() == '.') trimmed.remove_suffix(1);
  if (trimmed.empty()) return "attachment";
  return std::string(trimmed);
}

std::vector<std::string> SplitLines(std::string_view data) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < data.size()) {
    const std::size_t lf = data.find('\n', start);
    std::size_t end = lf == std::string_view::npos ? data.size() : lf;
    const std::size_t next = lf == std::string_view::npos ? data.size() : lf + 1;
    if (end > start && data[end - 1] == '\r') --end;
    lines.emplace_back(data.substr(start, end - start));
    start = next;
  }
  return lines;
}

void TMimeMessage::Clear() {
  Headers_.Clear();
  Body_.clear();
  Parts_.clear();
  RawBody_.clear();
  Composed_ = false;
}

void TMimeMessage::Parse(std::string_view bytes, bool headersOnly, const std::string& path) {
  Clear();
  if (bytes.empty()) throw EStreamError(TStreamErrorKind::Stream, path, "empty message");
  // Files from old Macintosh mailers end their lines with CR alone; read
  // such a file as if its line ends were CR LF.
  std::string crLf;
  if (bytes.find('\n') == std::string_view::npos && bytes.find('\r') != std::string_view::npos) {
    crLf.reserve(bytes.size() * 2);
    for (const char c : bytes) {
      crLf.push_back(c);
      if (c == '\r') crLf.push_back('\n');
    }
    bytes = crLf;
  }
  const std::size_t bodyStart = Headers_.Parse(bytes);
  if (headersOnly) return;
  RawBody_ = bytes.substr(bodyStart);
  const std::string charset = CharSet();
  gmime_detail::TParsedBody parsed = gmime_detail::ParseBody(
      Headers_, RawBody_, charset.empty() ? LegacyCodePage() : charset, path);
  Body_ = std::move(parsed.Body);
  Parts_ = std::move(parsed.Parts);
}

void TMimeMessage::LoadFromStream(TStream& stream, bool headersOnly) {
  const std::int64_t size = stream.Size() - stream.Position();
  std::string bytes;
  if (headersOnly) {
    // Reads in pieces until the header block has ended, so that a store
    // never copies a large body only to drop it.
    constexpr std::int64_t kPiece = 8192;
    std::int64_t left = size;
    while (left > 0) {
      const std::size_t old = bytes.size();
      const std::int64_t piece = std::min(left, kPiece);
      bytes.resize(old + static_cast<std::size_t>(piece));
      stream.ReadBuffer(bytes.data() + old, piece);
      left -= piece;
      if (bytes.find("\n\n", old > 2 ? old - 2 : 0) != std::string::npos ||
          bytes.find("\n\r\n", old > 3 ? old - 3 : 0) != std::string::npos)
        break;
    }
  } else if (size > 0) {
    bytes.resize(static_cast<std::size_t>(size));
    stream.ReadBuffer(bytes.data(), size);
  }
  Parse(bytes, headersOnly);
}

void TMimeMessage::LoadFromFile(const std::string& path, bool headersOnly) {
  std::ifstream file(path, std::ios::binary);
  if (!file) throw EStreamError(TStreamErrorKind::CannotOpen, path);
  std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  if (file.bad()) throw EStreamError(TStreamErrorKind::Read, path);
  Parse(bytes, headersOnly, path);
}

std::string TMimeMessage::Render() const {
  std::string out;
  if (Composed_) {
    RenderComposed(out);
    return out;
  }
  Headers_.Write(out);
  out.append("\r\n");
  AppendCrLf(RawBody_, out);
  return out;
}

void TMimeMessage::RenderComposed(std::string& out) const {
  for (const THeaderLine& line : Headers_) {
    if (SameAscii(line.Name, "MIME-Version") ||
        (line.Name.size() >= 8 && SameAscii(std::string_view(line.Name).substr(0, 8), "Content-")))
      continue;
    out.append(line.Name).append(": ").append(line.Value).append("\r\n");
  }
  out.append("MIME-Version: 1.0\r\n");
  std::vector<TMimePart> attachments;
  for (const TMimePart& part : Parts_)
    if (part.Kind == TMimePartKind::Attachment) attachments.push_back(part);
  out.append(gmime_detail::RenderBody(CharSet(), Body_, attachments));
}

void TMimeMessage::SaveToStream(TStream& stream) const {
  const std::string bytes = Render();
  stream.WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
}

std::vector<TMailAddress> TMimeMessage::Addresses(std::string_view name) const {
  return ParseAddressList(Headers_.RawValue(name));
}

std::string TMimeMessage::MsgId() const {
  const std::string value = Headers_.Value("Message-ID");
  std::string_view id = Trim(value);
  if (id.size() >= 2 && id.front() == '<' && id.back() == '>') id = id.substr(1, id.size() - 2);
  return std::string(id);
}

TDateTime TMimeMessage::Date() const {
  return gmime_detail::DecodeDate(Headers_.Value("Date"));
}

TMessagePriority TMimeMessage::Priority() const {
  // X-Priority: 1 (Highest) .. 5 (Lowest); the words of the other two
  // headers give high, normal or low.
  if (const std::string value(Trim(Headers_.Value("X-Priority")));
      !value.empty() && value[0] >= '1' && value[0] <= '5')
    return static_cast<TMessagePriority>(value[0] - '1');
  for (const char* name : {"X-MSMail-Priority", "Importance"}) {
    const int priority = PriorityWord(Headers_.Value(name), mpHigh, mpNormal, mpLow);
    if (priority >= 0) return static_cast<TMessagePriority>(priority);
  }
  return mpNormal;
}

std::string TMimeMessage::CharSet() const {
  return Parameter(Headers_.Value("Content-Type"), "charset");
}

std::u16string TMimeMessage::DecodeText(std::string_view raw) const {
  return DecodeHeaderText(raw, CharsetNumber());
}

std::u16string TMimeMessage::DecodeName(const TMailAddress& address) const {
  return DecodePhrase(address.Name, CharsetNumber());
}

std::size_t TMimeMessage::Count(TMimePartKind kind) const {
  std::size_t count = 0;
  for (const TMimePart& part : Parts_)
    if (part.Kind == kind) ++count;
  return count;
}

void TMimeMessage::SetCharSet(std::string_view charset) {
  std::string type = "text/plain";
  if (!charset.empty()) type.append("; charset=").append(charset);
  Headers_.Set("Content-Type", type);
  Composed_ = true;
}

void TMimeMessage::SetBodyLines(std::vector<std::string> lines) {
  Body_ = std::move(lines);
  // Text parts of a read message give way to the new body.
  std::erase_if(Parts_, [](const TMimePart& part) { return part.Kind == TMimePartKind::Text; });
  Composed_ = true;
}

void TMimeMessage::AddAttachment(std::string fileName, std::string data) {
  TMimePart part;
  part.Kind = TMimePartKind::Attachment;
  part.ContentType = "application/octet-stream";
  part.FileName = SafeFileName(fileName);
  part.Data = std::move(data);
  Parts_.push_back(std::move(part));
  Composed_ = true;
}

void TMimeMessage::DeleteAttachment(std::size_t index) {
  std::size_t seen = 0;
  for (auto it = Parts_.begin(); it != Parts_.end(); ++it) {
    if (it->Kind != TMimePartKind::Attachment) continue;
    if (seen++ == index) {
      Parts_.erase(it);
      Composed_ = true;
      return;
    }
  }
  throw EListError(static_cast<std::int64_t>(index));
}

}  // namespace quenby
