#include "app/MesgPane.h"

#include "text/CharsetConvert.h"
#include "text/MimeMessage.h"

namespace quenby {

namespace {

QString Wide(const std::u16string& text) {
  return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

QString AddressText(const TMimeMessage& message, const std::vector<TMailAddress>& list) {
  QStringList names;
  for (const TMailAddress& address : list) {
    const QString name = Wide(message.DecodeName(address));
    const QString mail = QString::fromUtf8(address.Address);
    if (name.isEmpty())
      names << mail;
    else if (mail.isEmpty())
      names << name;
    else
      names << QStringLiteral("%1 <%2>").arg(name, mail);
  }
  return names.join(QStringLiteral(", "));
}

QString BodyText(const std::vector<std::string>& lines, std::string_view charset) {
  QStringList out;
  out.reserve(static_cast<qsizetype>(lines.size()));
  for (const std::string& line : lines) out << Wide(MesgTextToWide(line, charset));
  return out.join(QLatin1Char('\n'));
}

}  // namespace

QString PlainMesgText(const TMimeMessage& message) {
  QString text;
  auto field = [&](const char* name, const QString& value) {
    if (!value.isEmpty()) text += QStringLiteral("%1: %2\n").arg(QLatin1String(name), value);
  };
  field("From", AddressText(message, message.From()));
  field("To", AddressText(message, message.Recipients()));
  field("Cc", AddressText(message, message.CC()));
  field("Subject", Wide(message.DecodeText(message.RawSubject())));
  field("Date", Wide(message.DecodeText(message.Headers().Value("Date"))));
  text += QLatin1Char('\n');
  if (!message.BodyLines().empty()) {
    text += BodyText(message.BodyLines(), message.CharSet());
  } else {
    for (const TMimePart& part : message.Parts()) {
      if (part.Kind != TMimePartKind::Text) continue;
      // A part without its own charset is in the message's.
      text += BodyText(part.Lines, part.Charset.empty() ? message.CharSet() : part.Charset);
      break;
    }
  }
  return text;
}

TPlainMesgPane::TPlainMesgPane(QWidget* parent) : QPlainTextEdit(parent) {
  setObjectName(QStringLiteral("MesgPane"));
  setReadOnly(true);
  setLineWrapMode(QPlainTextEdit::WidgetWidth);
}

void TPlainMesgPane::LoadMesg(const TMimeMessage& message) {
  setPlainText(PlainMesgText(message));
}

}  // namespace quenby
