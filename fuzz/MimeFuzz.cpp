// The MIME layer over arbitrary bytes: both kinds of parse, the decoding of
// every header field the lists show, writing and reading back, and the
// Russian guess on the decoded subject.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/Errors.h"
#include "text/CharsetConvert.h"
#include "text/MesgUtils.h"
#include "text/MimeMessage.h"
#include "text/RusCharsets.h"

namespace {

void DecodeFields(const quenby::TMimeMessage& message) {
  (void)message.DecodeText(message.RawSubject());
  for (const auto& address : message.From()) (void)message.DecodeName(address);
  for (const auto& address : message.Recipients()) (void)message.DecodeName(address);
  (void)message.Date();
  (void)message.Priority();
  (void)message.MsgId();
  (void)quenby::AutoRecodeRusWide(message.DecodeText(message.RawSubject()));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  try {
    quenby::TMimeMessage message;
    message.Parse(bytes, true);
    DecodeFields(message);
    message.Parse(bytes, false);
    DecodeFields(message);
    std::string text, charset;
    quenby::GetMesgText(&message, text, charset);
    (void)quenby::MesgTextToWide(text, charset);
    quenby::TMimeMessage again;
    again.Parse(message.Render(), false);
  } catch (const quenby::EStreamError&) {
    // A message the reader rejects is an expected outcome.
  }
  return 0;
}
