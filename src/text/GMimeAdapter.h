#pragma once
// Private to quenby_text: the only code that calls GMime. Every GMime call's
// NULL or failure is checked here and turned into EStreamError.

#include <string>
#include <string_view>
#include <vector>

#include "text/HeaderLines.h"
#include "text/MesgDates.h"
#include "text/MimeMessage.h"

namespace quenby::gmime_detail {

struct TParsedBody {
  std::vector<std::string> Body;  // a single text entity's lines
  std::vector<TMimePart> Parts;
};

// The MIME structure of a body under the message's Content-* header lines.
// fallbackCharset reads 8-bit file names that name no charset.
TParsedBody ParseBody(const THeaderLines& headers, std::string_view body,
                      const std::string& fallbackCharset, const std::string& path);

// The top entity of a composed message: a text/plain part in charset, or a
// multipart/mixed of it and the attachments; its own Content-* headers
// first, CR LF line ends.
std::string RenderBody(const std::string& charset, const std::vector<std::string>& lines,
                       const std::vector<TMimePart>& attachments);

// An RFC 5322 date (with the obsolete forms GMime accepts) as local time;
// 0 when it cannot be read.
TDateTime DecodeDate(std::string_view value);

}  // namespace quenby::gmime_detail
