#pragma once
// Functions on a parsed message that the rest of the program shares. Each
// accepts a missing message (null) and then does nothing or returns the
// empty result.

#include <string>
#include <vector>

#include "text/MesgDates.h"
#include "text/Subjects.h"

namespace quenby {

class TMimeMessage;
class TStream;

// "Quenby Mailer (v a.b.c.d)", from the build's version.
const std::string& MailerId();

bool MesgHasAttachments(const TMimeMessage* message);
// The message carries an "Unsent" header (written into every message the
// program saves from its editor); its value is not looked at.
bool IsUnsentMesg(const TMimeMessage* message);

// The first text part's text and charset (the message's charset when the
// part names none), or the message's own body; joined with CR LF and
// trimmed of blanks and control characters.
void GetMesgText(const TMimeMessage* message, std::string& text, std::string& charset);
// The lines of the first text part, or the message's own body lines when it
// has no text part; null for a missing message. Owned by the message.
const std::vector<std::string>* GetMesgTextLines(const TMimeMessage* message);

void SaveMesgToStream(const TMimeMessage* message, TStream* stream);
// Replaces the file through a temporary file, so a failure keeps the old
// one whole; raises EStreamError.
void SaveMesgToFile(const TMimeMessage* message, const std::string& path);

// Sets "X-Mailer" to MailerId(), replacing an earlier line of that name.
void SetXMailer(TMimeMessage* message);
// Puts "Unsent: 1" into the header lines.
void SetUnsentMark(TMimeMessage* message);

}  // namespace quenby
