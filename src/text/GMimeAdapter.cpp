#include "text/GMimeAdapter.h"

#include <gmime/gmime.h>

#include <memory>
#include <mutex>

#include "platform/Errors.h"

namespace quenby::gmime_detail {

namespace {

struct TUnref {
  void operator()(gpointer object) const { g_object_unref(object); }
};
template <class T>
using TRef = std::unique_ptr<T, TUnref>;

struct TFreeOptions {
  void operator()(GMimeParserOptions* options) const { g_mime_parser_options_free(options); }
  void operator()(GMimeFormatOptions* options) const { g_mime_format_options_free(options); }
};

struct TGFree {
  void operator()(gchar* text) const { g_free(text); }
};

[[noreturn]] void Fail(const std::string& path, const char* what) {
  throw EStreamError(TStreamErrorKind::Stream, path, what);
}

std::string Lower(std::string text) {
  for (char& c : text)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  return text;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && SameAscii(text.substr(0, prefix.size()), prefix);
}

std::unique_ptr<GMimeFormatOptions, TFreeOptions> CrLfFormat() {
  std::unique_ptr<GMimeFormatOptions, TFreeOptions> format(g_mime_format_options_new());
  if (format) g_mime_format_options_set_newline_format(format.get(), GMIME_NEWLINE_FORMAT_DOS);
  return format;
}

std::string StreamBytes(GMimeStream* stream) {
  GByteArray* bytes = g_mime_stream_mem_get_byte_array(GMIME_STREAM_MEM(stream));
  if (!bytes || bytes->len == 0) return {};
  return std::string(reinterpret_cast<const char*>(bytes->data), bytes->len);
}

std::string DecodedContent(GMimePart* part, const std::string& path) {
  GMimeDataWrapper* content = g_mime_part_get_content(part);
  if (!content) return {};
  TRef<GMimeStream> memory(g_mime_stream_mem_new());
  if (!memory) Fail(path, "out of memory for a MIME part");
  if (g_mime_data_wrapper_write_to_stream(content, memory.get()) < 0)
    Fail(path, "cannot decode a MIME part");
  return StreamBytes(memory.get());
}

std::string EmbeddedMessage(GMimeMessagePart* part, const std::string& path) {
  GMimeMessage* message = g_mime_message_part_get_message(part);
  if (!message) return {};
  TRef<GMimeStream> memory(g_mime_stream_mem_new());
  const auto format = CrLfFormat();
  if (!memory || !format) Fail(path, "out of memory for a MIME part");
  if (g_mime_object_write_to_stream(GMIME_OBJECT(message), format.get(), memory.get()) < 0)
    Fail(path, "cannot write an embedded message");
  return StreamBytes(memory.get());
}

std::string Text(const char* text) {
  return text ? std::string(text) : std::string();
}

// The program's own rule: a leaf is text when it is text/* with no file name
// and no attachment disposition; everything else, embedded messages
// included, is an attachment. GMime's own test looks at the disposition only.
TMimePart Leaf(GMimeObject* object, const std::string& path) {
  TMimePart part;
  GMimeContentType* type = g_mime_object_get_content_type(object);
  if (type) {
    const std::unique_ptr<gchar, TGFree> mimeType(g_mime_content_type_get_mime_type(type));
    part.ContentType = Lower(Text(mimeType.get()));
  }
  part.Charset = Text(g_mime_object_get_content_type_parameter(object, "charset"));
  std::string name;
  if (GMIME_IS_PART(object)) {
    name = Text(g_mime_part_get_filename(GMIME_PART(object)));
    part.Data = DecodedContent(GMIME_PART(object), path);
  } else {
    name = Text(g_mime_object_get_content_disposition_parameter(object, "filename"));
    if (name.empty()) name = Text(g_mime_object_get_content_type_parameter(object, "name"));
    if (GMIME_IS_MESSAGE_PART(object))
      part.Data = EmbeddedMessage(GMIME_MESSAGE_PART(object), path);
  }
  if (!name.empty()) part.FileName = SafeFileName(name);
  const std::string disposition = Lower(Text(g_mime_object_get_disposition(object)));
  const bool text = GMIME_IS_PART(object) && StartsWithNoCase(part.ContentType, "text/") &&
                    name.empty() && disposition != "attachment";
  part.Kind = text ? TMimePartKind::Text : TMimePartKind::Attachment;
  if (text) part.Lines = SplitLines(part.Data);
  return part;
}

void Flatten(GMimeObject* object, std::vector<TMimePart>& parts, const std::string& path,
             int depth) {
  // GMime bounds nesting itself; this guards the recursion here as well.
  if (depth > 64) Fail(path, "MIME parts nested too deeply");
  if (GMIME_IS_MULTIPART(object)) {
    GMimeMultipart* multipart = GMIME_MULTIPART(object);
    const int count = g_mime_multipart_get_count(multipart);
    for (int i = 0; i < count; ++i)
      if (GMimeObject* child = g_mime_multipart_get_part(multipart, i))
        Flatten(child, parts, path, depth + 1);
    return;
  }
  parts.push_back(Leaf(object, path));
}

TParsedBody ParseEntity(const THeaderLines& headers, std::string_view body,
                        const std::string& fallbackCharset, const std::string& path) {
  // GMime sees only the entity headers and the body, so the body starts
  // exactly where the program's own header split says, in both kinds of
  // parse, and GMime never decodes the other header fields.
  std::string entity;
  for (const THeaderLine& line : headers)
    if (StartsWithNoCase(line.Name, "Content-"))
      entity.append(line.Name).append(": ").append(line.Value).append("\r\n");
  entity.append("\r\n").append(body);

  TRef<GMimeStream> stream(g_mime_stream_mem_new_with_buffer(entity.data(), entity.size()));
  if (!stream) Fail(path, "out of memory for a message");
  TRef<GMimeParser> parser(g_mime_parser_new_with_stream(stream.get()));
  std::unique_ptr<GMimeParserOptions, TFreeOptions> options(g_mime_parser_options_new());
  if (!parser || !options) Fail(path, "out of memory for a message");
  const char* fallback[] = {"utf-8", fallbackCharset.c_str(), nullptr};
  g_mime_parser_options_set_fallback_charsets(options.get(), fallback);
  TRef<GMimeObject> top(g_mime_parser_construct_part(parser.get(), options.get()));
  if (!top) Fail(path, "no MIME entity in the message");

  TParsedBody parsed;
  Flatten(top.get(), parsed.Parts, path, 0);
  // A single text entity is the message's own body, not a part.
  if (!GMIME_IS_MULTIPART(top.get()) && parsed.Parts.size() == 1 &&
      parsed.Parts[0].Kind == TMimePartKind::Text) {
    parsed.Body = std::move(parsed.Parts[0].Lines);
    parsed.Parts.clear();
  }
  return parsed;
}

std::string RenderEntity(const std::string& charset, const std::vector<std::string>& lines,
                         const std::vector<TMimePart>& attachments) {
  const auto makePart = [](const char* type, const char* subtype, const std::string& data) {
    TRef<GMimePart> part(g_mime_part_new_with_type(type, subtype));
    TRef<GMimeStream> content(g_mime_stream_mem_new_with_buffer(data.data(), data.size()));
    if (!part || !content)
      throw EStreamError(TStreamErrorKind::Write, {}, "out of memory for a MIME part");
    TRef<GMimeDataWrapper> wrapper(
        g_mime_data_wrapper_new_with_stream(content.get(), GMIME_CONTENT_ENCODING_DEFAULT));
    if (!wrapper) throw EStreamError(TStreamErrorKind::Write, {}, "out of memory for a MIME part");
    g_mime_part_set_content(part.get(), wrapper.get());
    return part;
  };

  std::string text;
  for (const std::string& line : lines) text.append(line).append("\r\n");
  TRef<GMimePart> body = makePart("text", "plain", text);
  if (!charset.empty())
    g_mime_object_set_content_type_parameter(GMIME_OBJECT(body.get()), "charset", charset.c_str());
  g_mime_part_set_content_encoding(body.get(), g_mime_part_get_best_content_encoding(
                                                   body.get(), GMIME_ENCODING_CONSTRAINT_8BIT));

  TRef<GMimeObject> top(GMIME_OBJECT(body.release()));
  if (!attachments.empty()) {
    TRef<GMimeMultipart> mixed(g_mime_multipart_new_with_subtype("mixed"));
    if (!mixed) throw EStreamError(TStreamErrorKind::Write, {}, "out of memory for a message");
    // The charset on the multipart as well: it is where a reader of the
    // 8-bit header lines (this program's) finds their charset.
    if (!charset.empty())
      g_mime_object_set_content_type_parameter(GMIME_OBJECT(mixed.get()), "charset",
                                               charset.c_str());
    g_mime_multipart_add(mixed.get(), top.get());
    for (const TMimePart& attachment : attachments) {
      // Embedded messages and the like go out as plain data: base64 is not
      // allowed for message/* and multipart/* entities.
      const std::string& type = attachment.ContentType;
      const std::size_t slash = type.find('/');
      const bool keepType = slash != std::string::npos && !StartsWithNoCase(type, "message/") &&
                            !StartsWithNoCase(type, "multipart/");
      TRef<GMimePart> part = keepType ? makePart(type.substr(0, slash).c_str(),
                                                 type.substr(slash + 1).c_str(), attachment.Data)
                                      : makePart("application", "octet-stream", attachment.Data);
      g_mime_part_set_filename(part.get(), attachment.FileName.c_str());
      g_mime_part_set_content_encoding(part.get(), GMIME_CONTENT_ENCODING_BASE64);
      g_mime_multipart_add(mixed.get(), GMIME_OBJECT(part.get()));
    }
    top.reset(GMIME_OBJECT(mixed.release()));
  }

  TRef<GMimeStream> memory(g_mime_stream_mem_new());
  const auto format = CrLfFormat();
  if (!memory || !format)
    throw EStreamError(TStreamErrorKind::Write, {}, "out of memory for a message");
  if (g_mime_object_write_to_stream(top.get(), format.get(), memory.get()) < 0)
    throw EStreamError(TStreamErrorKind::Write, {}, "cannot render the message body");
  return StreamBytes(memory.get());
}

// GMime wants one g_mime_init per process before any use, from any thread.
// GLib creates its type classes on first use; a sample parse and render here
// creates them all under the once-flag, which gives every other thread a
// plain happens-before (ThreadSanitizer cannot see GLib's own locking).
void EnsureGMime() {
  static std::once_flag once;
  std::call_once(once, [] {
    g_mime_init();
    THeaderLines headers;
    const std::string sample =
        "Content-Type: multipart/mixed; boundary=b\r\n\r\n--b\r\nContent-Type: text/plain\r\n"
        "Content-Transfer-Encoding: quoted-printable\r\n\r\na=3Db\r\n--b\r\nContent-Type: "
        "message/rfc822\r\n\r\n"
        "Subject: s\r\n\r\nx\r\n--b\r\nContent-Type: image/png; name=a.png\r\n"
        "Content-Transfer-Encoding: base64\r\n\r\nAAAA\r\n--b--\r\n";
    const std::size_t body = headers.Parse(sample);
    const TParsedBody parsed =
        ParseEntity(headers, std::string_view(sample).substr(body), "utf-8", {});
    (void)RenderEntity("utf-8", {"x"}, parsed.Parts);
    GDateTime* date = g_mime_utils_header_decode_date("Sun, 05 Jan 2003 09:03:07 +0000");
    if (date) g_date_time_unref(date);
  });
}

}  // namespace

TParsedBody ParseBody(const THeaderLines& headers, std::string_view body,
                      const std::string& fallbackCharset, const std::string& path) {
  EnsureGMime();
  return ParseEntity(headers, body, fallbackCharset, path);
}

std::string RenderBody(const std::string& charset, const std::vector<std::string>& lines,
                       const std::vector<TMimePart>& attachments) {
  EnsureGMime();
  return RenderEntity(charset, lines, attachments);
}

TDateTime DecodeDate(std::string_view value) {
  if (value.empty()) return 0;
  EnsureGMime();
  const std::string text(value);
  GDateTime* date = g_mime_utils_header_decode_date(text.c_str());
  if (!date) return 0;
  const gint64 seconds = g_date_time_to_unix(date);
  g_date_time_unref(date);
  return UnixToLocalDateTime(seconds);
}

}  // namespace quenby::gmime_detail
