#include "text/MailAddress.h"

#include "text/HeaderLines.h"

namespace quenby {

namespace {

std::string_view Trim(std::string_view text) {
  const auto blank = [](char c) { return c == ' ' || c == '\t'; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return text;
}

// One mailbox, "Name <addr>" or "addr (comment)". Quotes stay in the name
// (DecodePhrase removes them); a comment keeps only its unescaped text.
TMailAddress ParseMailbox(std::string_view text) {
  std::string bare;  // outside comments and angle brackets
  std::string inAngle;
  std::string comment;  // the first comment
  bool quoted = false;
  bool angle = false;
  bool hadAngle = false;
  bool commentTaken = false;
  int depth = 0;  // comment nesting
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    std::string& sink = angle ? inAngle : bare;
    if (depth > 0) {
      if (c == '\\' && i + 1 < text.size()) {
        if (!commentTaken) comment.push_back(text[i + 1]);
        ++i;
        continue;
      }
      if (c == '(') ++depth;
      if (c == ')' && --depth == 0) {
        commentTaken = true;
        continue;
      }
      if (!commentTaken) comment.push_back(c);
    } else if (quoted) {
      sink.push_back(c);
      if (c == '\\' && i + 1 < text.size())
        sink.push_back(text[++i]);
      else if (c == '"')
        quoted = false;
    } else if (c == '(') {
      depth = 1;
    } else if (c == '<' && !hadAngle) {
      angle = hadAngle = true;
    } else if (c == '>' && angle) {
      angle = false;
    } else {
      if (c == '"') quoted = true;
      sink.push_back(c);
    }
  }
  TMailAddress mailbox;
  if (hadAngle) {
    // An obsolete route ("<@relay:user@host>") is not part of the address.
    std::string_view address = Trim(inAngle);
    if (!address.empty() && address.front() == '@' && address.find(':') != std::string_view::npos)
      address.remove_prefix(address.find(':') + 1);
    mailbox.Name = Trim(bare);
    mailbox.Address = address;
  } else {
    mailbox.Address = Trim(bare);
    mailbox.Name = Trim(comment);
  }
  return mailbox;
}

}  // namespace

std::vector<TMailAddress> ParseAddressList(std::string_view raw) {
  const std::string text = Unfold(raw);
  std::vector<TMailAddress> list;
  bool quoted = false;
  int depth = 0;
  bool angle = false;
  std::size_t start = 0;
  const auto take = [&](std::size_t end) {
    TMailAddress mailbox = ParseMailbox(std::string_view(text).substr(start, end - start));
    if (!mailbox.Address.empty() || !mailbox.Name.empty()) list.push_back(std::move(mailbox));
    start = end + 1;
  };
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\\' && (quoted || depth > 0)) {
      ++i;
    } else if (c == '"' && depth == 0) {
      quoted = !quoted;
    } else if (quoted) {
      continue;
    } else if (c == '(') {
      ++depth;
    } else if (c == ')' && depth > 0) {
      --depth;
    } else if (depth > 0) {
      continue;
    } else if (c == '<') {
      angle = true;
    } else if (c == '>') {
      angle = false;
    } else if (!angle && (c == ',' || c == ';')) {
      take(i);
    } else if (!angle && c == ':') {
      // A group's display name ends here; its members follow.
      start = i + 1;
    }
  }
  take(text.size());
  return list;
}

}  // namespace quenby
