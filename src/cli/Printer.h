#pragma once
// The one way the quenby tool writes: tables of typed fields and raw
// message bytes to standard output, diagnostics to standard error. Tables
// are tab-separated text; the typed fields let a JSON form be added
// without touching the verbs.

#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace quenby::cli {

struct TField {
  // Line: text whose tabs and line ends become spaces, nothing escaped.
  enum class TKind { Text, Line, Integer, Flags, FileTime };
  TKind Kind;
  std::string Text;  // UTF-8
  std::int64_t Number = 0;
  std::uint64_t Time = 0;  // FILETIME; 0 = unknown

  static TField OfText(std::string text) { return {TKind::Text, std::move(text)}; }
  static TField OfLine(std::string text) { return {TKind::Line, std::move(text)}; }
  static TField OfInteger(std::int64_t n) { return {TKind::Integer, {}, n}; }
  static TField OfFlags(std::uint32_t flags) { return {TKind::Flags, {}, flags}; }
  static TField OfFileTime(std::uint64_t t) { return {TKind::FileTime, {}, 0, t}; }
};

class TPrinter {
 public:
  TPrinter(std::ostream& out, std::ostream& err) : Out_(out), Err_(err) {}

  // Rows as JSON objects, one a line, keyed by the table's column names.
  void SetJson(bool json) { Json_ = json; }
  // Starts a table; the header line is printed when header is true (never
  // in JSON).
  void Table(const std::vector<std::string>& columns, bool header);
  void Row(const std::vector<TField>& fields);
  void Bytes(std::string_view data);  // verbatim, e.g. a message's text
  void Usage(std::string_view text, bool toError);
  void Error(std::string_view message);
  void Warning(std::string_view message);

  // "2021-11-05T12:34:56Z"; empty for 0 or a time out of range.
  static std::string FormatFileTime(std::uint64_t fileTime);

 private:
  void JsonRow(const std::vector<TField>& fields);

  std::ostream& Out_;
  std::ostream& Err_;
  bool Json_ = false;
  std::vector<std::string> Columns_;
};

}  // namespace quenby::cli
