#include "text/HeaderLines.h"

#include <algorithm>

namespace quenby {

namespace {

char LowerAscii(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
}

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

// A line of the block without its line end; next is set past the line end.
std::string_view NextLine(std::string_view bytes, std::size_t from, std::size_t& next) {
  const std::size_t lf = bytes.find('\n', from);
  const std::size_t end = lf == std::string_view::npos ? bytes.size() : lf;
  next = lf == std::string_view::npos ? bytes.size() : lf + 1;
  std::string_view line = bytes.substr(from, end - from);
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  return line;
}

// Obsolete syntax allows blanks before the colon; anything else below 33
// (or DEL) in the name means the line is body text, not a header.
bool SplitHeader(std::string_view line, std::string_view& name, std::string_view& value) {
  const std::size_t colon = line.find(':');
  if (colon == std::string_view::npos) return false;
  name = line.substr(0, colon);
  while (!name.empty() && IsBlank(name.back())) name.remove_suffix(1);
  if (name.empty()) return false;
  for (const char c : name)
    if (static_cast<unsigned char>(c) < 33 || c == 127) return false;
  value = line.substr(colon + 1);
  while (!value.empty() && IsBlank(value.front())) value.remove_prefix(1);
  return true;
}

}  // namespace

bool SameAscii(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return LowerAscii(x) == LowerAscii(y);
         });
}

std::string Unfold(std::string_view value) {
  std::string out;
  out.reserve(value.size());
  for (const char c : value)
    if (c != '\r' && c != '\n') out.push_back(c);
  return out;
}

std::size_t THeaderLines::Parse(std::string_view bytes) {
  Lines_.clear();
  std::size_t position = 0;
  // A mailbox separator ("From user date") is no header; "From : x" is one.
  if (bytes.substr(0, 5) == "From ") {
    std::size_t next = 0;
    std::string_view name;
    std::string_view value;
    if (!SplitHeader(NextLine(bytes, 0, next), name, value)) position = next;
  }
  while (position < bytes.size()) {
    std::size_t next = 0;
    const std::string_view line = NextLine(bytes, position, next);
    if (line.empty()) return next;
    if (IsBlank(line.front()) && !Lines_.empty()) {
      Lines_.back().Value.append("\r\n").append(line);
    } else {
      std::string_view name;
      std::string_view value;
      if (!SplitHeader(line, name, value)) return position;
      Lines_.push_back({std::string(name), std::string(value)});
    }
    position = next;
  }
  return bytes.size();
}

const THeaderLine* THeaderLines::Find(std::string_view name) const {
  for (const THeaderLine& line : Lines_)
    if (SameAscii(line.Name, name)) return &line;
  return nullptr;
}

std::string_view THeaderLines::RawValue(std::string_view name) const {
  const THeaderLine* line = Find(name);
  return line ? std::string_view(line->Value) : std::string_view{};
}

std::string THeaderLines::Value(std::string_view name) const {
  return Unfold(RawValue(name));
}

void THeaderLines::Set(std::string_view name, std::string_view value) {
  for (THeaderLine& line : Lines_) {
    if (!SameAscii(line.Name, name)) continue;
    line.Name = name;
    line.Value = Unfold(value);
    return;
  }
  Add(name, value);
}

void THeaderLines::Add(std::string_view name, std::string_view value) {
  Lines_.push_back({std::string(name), Unfold(value)});
}

void THeaderLines::Remove(std::string_view name) {
  std::erase_if(Lines_, [&](const THeaderLine& line) { return SameAscii(line.Name, name); });
}

void THeaderLines::Write(std::string& out) const {
  for (const THeaderLine& line : Lines_)
    out.append(line.Name).append(": ").append(line.Value).append("\r\n");
}

}  // namespace quenby
