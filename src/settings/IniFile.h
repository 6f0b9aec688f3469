#pragma once
// The program's INI file: "[section]" headers and "key=value" lines, held
// in memory and written whole. Sections and keys match ignoring case and
// keep their order and first spelling; values are UTF-8 bytes kept as they
// are, except for the quoting below that makes every value round-trip.
//
// Reading a value trims blanks (space, tab) around it; when it then begins
// and ends with '"', that pair is dropped and "\\", "\n", "\r" inside are
// unescaped (any other backslash stays as it is). Writing quotes and
// escapes exactly the values that need it: those with a line break, an edge
// blank, or enclosing quotes. Other values are written verbatim, so
// "C:\path" stays readable as it is. Comment lines (";") are kept.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "settings/SafeFileWriter.h"

namespace quenby {

class TIniFile {
 public:
  // Loads the file; a missing file is an empty one. Raises EStreamError
  // (IniFile) when it exists but cannot be read.
  explicit TIniFile(std::string fileName);

  const std::string& FileName() const { return FileName_; }
  void SetText(std::string_view text);  // replaces the whole content
  std::string Text() const;

  bool SectionExists(std::string_view section) const;
  bool ValueExists(std::string_view section, std::string_view key) const;
  std::optional<std::string> Read(std::string_view section, std::string_view key) const;
  std::string ReadString(std::string_view section, std::string_view key,
                         std::string_view defaultValue = {}) const;
  // Decimal; the default when missing or unparsable.
  std::int64_t ReadInteger(std::string_view section, std::string_view key,
                           std::int64_t defaultValue) const;
  std::vector<std::string> ReadSections() const;                         // in file order
  std::vector<std::string> ReadSection(std::string_view section) const;  // its key names

  // Raise EStreamError (IniFile) for a name the file cannot hold: a line
  // break, an edge blank, or for keys "=", a leading ";" or "[".
  void WriteString(std::string_view section, std::string_view key, std::string_view value);
  void WriteInteger(std::string_view section, std::string_view key, std::int64_t value);
  void DeleteKey(std::string_view section, std::string_view key);
  void EraseSection(std::string_view section);

  bool Modified() const { return Modified_; }
  // Writes the whole file safely (".~" backup, temporary file, rename);
  // raises EStreamError (IniFile) and keeps the old file on failure.
  void UpdateFile();
  void SetWriteFunction(TWriteFunction write) { Write_ = std::move(write); }

  static std::string EncodeValue(std::string_view value);
  static std::string DecodeValue(std::string_view stored);

 private:
  struct TEntry {
    std::string Key;    // empty for a kept comment or unparsed line
    std::string Fold;   // the key's caseless identity
    std::string Value;  // decoded value, or the raw line of a comment
    bool Comment = false;
  };
  struct TSection {
    std::string Name;
    std::vector<TEntry> Entries;
  };

  const TSection* FindSection(std::string_view section) const;
  TSection& FindOrAddSection(std::string_view section);
  static const TEntry* FindEntry(const TSection& section, std::string_view fold);
  static TEntry* FindEntry(TSection& section, std::string_view fold);
  void CheckName(std::string_view name, bool key) const;
  void RebuildIndex();

  std::string FileName_;
  std::vector<std::string> Preamble_;  // lines before the first header
  std::vector<TSection> Sections_;
  std::unordered_map<std::string, std::size_t> Index_;  // folded name -> section
  bool Modified_ = false;
  TWriteFunction Write_;
};

}  // namespace quenby
