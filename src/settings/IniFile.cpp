#include "settings/IniFile.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <utility>

#include "settings/WideText.h"

namespace quenby {

namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && (IsBlank(s.back()) || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

bool Enclosed(std::string_view s) {
  return s.size() >= 2 && s.front() == '"' && s.back() == '"';
}

}  // namespace

TIniFile::TIniFile(std::string fileName) : FileName_(std::move(fileName)) {
  std::error_code ec;
  const auto status = std::filesystem::status(FileName_, ec);
  if (status.type() == std::filesystem::file_type::not_found) return;
  if (status.type() != std::filesystem::file_type::regular)
    throw EStreamError(TStreamErrorKind::IniFile, FileName_, ec ? ec.message() : "not a file");
  std::ifstream in(FileName_, std::ios::binary);
  if (!in) throw EStreamError(TStreamErrorKind::IniFile, FileName_, std::strerror(errno));
  std::ostringstream bytes;
  bytes << in.rdbuf();
  if (in.bad()) throw EStreamError(TStreamErrorKind::IniFile, FileName_, "read failed");
  SetText(bytes.str());
  Modified_ = false;
}

void TIniFile::SetText(std::string_view text) {
  Preamble_.clear();
  Sections_.clear();
  Index_.clear();
  Modified_ = true;
  while (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
  TSection* current = nullptr;
  while (!text.empty()) {
    const std::size_t end = std::min(text.find('\n'), text.size());
    const std::string_view raw = text.substr(0, end);
    text.remove_prefix(std::min(end + 1, text.size()));
    const std::string_view line = Trim(raw);
    if (line.empty()) continue;
    if (line.front() == '[') {
      std::string_view name = line.substr(1);
      if (const std::size_t close = name.rfind(']'); close != std::string_view::npos)
        name = name.substr(0, close);
      current = &FindOrAddSection(Trim(name));
      continue;
    }
    std::string_view kept = raw;
    while (kept.ends_with('\r')) kept.remove_suffix(1);
    if (!current) {
      Preamble_.emplace_back(kept);
      continue;
    }
    const std::size_t eq = line.find('=');
    if (line.front() == ';' || eq == std::string_view::npos) {
      current->Entries.push_back({{}, {}, std::string(kept), true});
      continue;
    }
    const std::string_view key = Trim(line.substr(0, eq));
    std::string fold = FoldKey(key);
    if (FindEntry(*current, fold)) continue;  // the first of two equal keys wins
    current->Entries.push_back(
        {std::string(key), std::move(fold), DecodeValue(Trim(line.substr(eq + 1))), false});
  }
}

std::string TIniFile::Text() const {
  std::string text;
  for (const std::string& line : Preamble_) text += line + "\n";
  for (const TSection& section : Sections_) {
    if (!text.empty()) text += "\n";
    text += "[" + section.Name + "]\n";
    for (const TEntry& entry : section.Entries)
      text +=
          entry.Comment ? entry.Value + "\n" : entry.Key + "=" + EncodeValue(entry.Value) + "\n";
  }
  return text;
}

std::string TIniFile::EncodeValue(std::string_view value) {
  const bool quote = value.find_first_of("\r\n") != std::string_view::npos ||
                     (!value.empty() && (IsBlank(value.front()) || IsBlank(value.back()))) ||
                     Enclosed(value);
  if (!quote) return std::string(value);
  std::string out = "\"";
  for (const char c : value) {
    if (c == '\\')
      out += "\\\\";
    else if (c == '\n')
      out += "\\n";
    else if (c == '\r')
      out += "\\r";
    else
      out += c;
  }
  return out + "\"";
}

std::string TIniFile::DecodeValue(std::string_view stored) {
  if (!Enclosed(stored)) return std::string(stored);
  const std::string_view inner = stored.substr(1, stored.size() - 2);
  std::string out;
  out.reserve(inner.size());
  for (std::size_t i = 0; i < inner.size(); ++i) {
    const char next = i + 1 < inner.size() ? inner[i + 1] : '\0';
    if (inner[i] == '\\' && (next == '\\' || next == 'n' || next == 'r')) {
      out += next == 'n' ? '\n' : next == 'r' ? '\r' : '\\';
      ++i;
    } else {
      out += inner[i];
    }
  }
  return out;
}

const TIniFile::TSection* TIniFile::FindSection(std::string_view section) const {
  const auto it = Index_.find(FoldKey(section));
  return it == Index_.end() ? nullptr : &Sections_[it->second];
}

TIniFile::TSection& TIniFile::FindOrAddSection(std::string_view section) {
  const auto [it, added] = Index_.try_emplace(FoldKey(section), Sections_.size());
  if (added) Sections_.push_back({std::string(section), {}});
  return Sections_[it->second];
}

const TIniFile::TEntry* TIniFile::FindEntry(const TSection& section, std::string_view fold) {
  for (const TEntry& entry : section.Entries)
    if (!entry.Comment && entry.Fold == fold) return &entry;
  return nullptr;
}

TIniFile::TEntry* TIniFile::FindEntry(TSection& section, std::string_view fold) {
  return const_cast<TEntry*>(FindEntry(std::as_const(section), fold));
}

bool TIniFile::SectionExists(std::string_view section) const {
  return FindSection(section) != nullptr;
}

bool TIniFile::ValueExists(std::string_view section, std::string_view key) const {
  return Read(section, key).has_value();
}

std::optional<std::string> TIniFile::Read(std::string_view section, std::string_view key) const {
  const TSection* s = FindSection(section);
  if (!s) return std::nullopt;
  const TEntry* entry = FindEntry(*s, FoldKey(key));
  if (!entry) return std::nullopt;
  return entry->Value;
}

std::string TIniFile::ReadString(std::string_view section, std::string_view key,
                                 std::string_view defaultValue) const {
  return Read(section, key).value_or(std::string(defaultValue));
}

std::int64_t TIniFile::ReadInteger(std::string_view section, std::string_view key,
                                   std::int64_t defaultValue) const {
  std::int64_t value;
  const std::optional<std::string> text = Read(section, key);
  return text && ParseInt64(*text, value) ? value : defaultValue;
}

std::vector<std::string> TIniFile::ReadSections() const {
  std::vector<std::string> names;
  for (const TSection& section : Sections_) names.push_back(section.Name);
  return names;
}

std::vector<std::string> TIniFile::ReadSection(std::string_view section) const {
  std::vector<std::string> keys;
  if (const TSection* s = FindSection(section))
    for (const TEntry& entry : s->Entries)
      if (!entry.Comment) keys.push_back(entry.Key);
  return keys;
}

void TIniFile::CheckName(std::string_view name, bool key) const {
  const bool bad = name.find_first_of("\r\n") != std::string_view::npos ||
                   (!name.empty() && (IsBlank(name.front()) || IsBlank(name.back()))) ||
                   (key && (name.find('=') != std::string_view::npos || name.starts_with(';') ||
                            name.starts_with('[')));
  if (bad)
    throw EStreamError(TStreamErrorKind::IniFile, FileName_,
                       std::string(key ? "invalid key name \"" : "invalid section name \"") +
                           std::string(name) + "\"");
}

void TIniFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
  CheckName(section, false);
  CheckName(key, true);
  TSection& s = FindOrAddSection(section);
  Modified_ = true;
  std::string fold = FoldKey(key);
  if (TEntry* entry = FindEntry(s, fold)) {
    entry->Value = value;
    return;
  }
  s.Entries.push_back({std::string(key), std::move(fold), std::string(value), false});
}

void TIniFile::WriteInteger(std::string_view section, std::string_view key, std::int64_t value) {
  WriteString(section, key, std::to_string(value));
}

void TIniFile::DeleteKey(std::string_view section, std::string_view key) {
  const auto it = Index_.find(FoldKey(section));
  if (it == Index_.end()) return;
  const std::string fold = FoldKey(key);
  Modified_ |= std::erase_if(Sections_[it->second].Entries,
                             [&](const TEntry& e) { return !e.Comment && e.Fold == fold; }) > 0;
}

void TIniFile::EraseSection(std::string_view section) {
  const auto it = Index_.find(FoldKey(section));
  if (it == Index_.end()) return;
  Sections_.erase(Sections_.begin() + static_cast<std::ptrdiff_t>(it->second));
  RebuildIndex();
  Modified_ = true;
}

void TIniFile::RebuildIndex() {
  Index_.clear();
  for (std::size_t i = 0; i < Sections_.size(); ++i) Index_.emplace(FoldKey(Sections_[i].Name), i);
}

void TIniFile::UpdateFile() {
  TSafeWriteOptions options;
  options.ErrorKind = TStreamErrorKind::IniFile;
  options.Write = Write_;
  SaveFileWhole(FileName_, Text(), options);
  Modified_ = false;
}

}  // namespace quenby
