#include "text/MesgUtils.h"

#include <cstdlib>

#include "model/Stream.h"
#include "text/MimeMessage.h"
#include "text/ReplaceFile.h"

namespace quenby {

namespace {

const std::vector<std::string>* TextSource(const TMimeMessage& message, const TMimePart** part) {
  *part = nullptr;
  for (const TMimePart& candidate : message.Parts()) {
    if (candidate.Kind != TMimePartKind::Text) continue;
    *part = &candidate;
    return &candidate.Lines;
  }
  return &message.BodyLines();
}

// Four numbers, as a file version has them: "0.1" becomes "0.1.0.0".
std::string FourPartVersion(std::string version) {
  int parts = 1;
  for (const char c : version)
    if (c == '.') ++parts;
  for (; parts < 4; ++parts) version += ".0";
  return version;
}

}  // namespace

const std::string& MailerId() {
  static const std::string id = "Quenby Mailer (v " + FourPartVersion(QUENBY_VERSION) + ")";
  return id;
}

bool MesgHasAttachments(const TMimeMessage* message) {
  return message && message->AttachmentCount() > 0;
}

bool IsUnsentMesg(const TMimeMessage* message) {
  return message && message->Headers().Has("Unsent");
}

void GetMesgText(const TMimeMessage* message, std::string& text, std::string& charset) {
  text.clear();
  charset.clear();
  if (!message) return;
  const TMimePart* part = nullptr;
  const std::vector<std::string>* lines = TextSource(*message, &part);
  if (part) charset = part->Charset;
  if (charset.empty()) charset = message->CharSet();
  for (std::size_t i = 0; i < lines->size(); ++i) {
    if (i > 0) text += "\r\n";
    text += (*lines)[i];
  }
  std::size_t begin = 0;
  while (begin < text.size() && static_cast<unsigned char>(text[begin]) <= ' ') ++begin;
  std::size_t end = text.size();
  while (end > begin && static_cast<unsigned char>(text[end - 1]) <= ' ') --end;
  text = text.substr(begin, end - begin);
}

const std::vector<std::string>* GetMesgTextLines(const TMimeMessage* message) {
  if (!message) return nullptr;
  const TMimePart* part = nullptr;
  return TextSource(*message, &part);
}

void SaveMesgToStream(const TMimeMessage* message, TStream* stream) {
  if (message && stream) message->SaveToStream(*stream);
}

void SaveMesgToFile(const TMimeMessage* message, const std::string& path) {
  if (!message || path.empty()) return;
  ReplaceFile(path, message->Render());
}

void SetXMailer(TMimeMessage* message) {
  if (message) message->Headers().Set("X-Mailer", MailerId());
}

void SetUnsentMark(TMimeMessage* message) {
  if (message) message->Headers().Set("Unsent", "1");
}

}  // namespace quenby
