#include "cli/Printer.h"

#include <ctime>

namespace quenby::cli {

namespace {

// A field never breaks the line structure: tabs, line ends and the
// backslash itself are escaped.
void PutEscaped(std::ostream& out, std::string_view text) {
  for (const char c : text) {
    switch (c) {
      case '\t': out << "\\t"; break;
      case '\n': out << "\\n"; break;
      case '\r': out << "\\r"; break;
      case '\\': out << "\\\\"; break;
      default: out << c;
    }
  }
}

void PutLine(std::ostream& out, std::string_view text) {
  for (const char c : text) out << (c == '\t' || c == '\n' || c == '\r' ? ' ' : c);
}

void PutJsonString(std::ostream& out, std::string_view text) {
  static constexpr char kHex[] = "0123456789abcdef";
  out << '"';
  for (const char c : text) {
    const auto u = static_cast<unsigned char>(c);
    switch (c) {
      case '"': out << "\\\""; break;
      case '\\': out << "\\\\"; break;
      case '\n': out << "\\n"; break;
      case '\r': out << "\\r"; break;
      case '\t': out << "\\t"; break;
      default:
        if (u < 0x20)
          out << "\\u00" << kHex[u >> 4] << kHex[u & 15];
        else
          out << c;
    }
  }
  out << '"';
}

}  // namespace

std::string TPrinter::FormatFileTime(std::uint64_t fileTime) {
  // 100-ns units from 1601-01-01 to Unix seconds.
  constexpr std::int64_t kUnixEpoch = 11'644'473'600;
  if (fileTime == 0) return {};
  const std::time_t seconds = static_cast<std::time_t>(fileTime / 10'000'000) - kUnixEpoch;
  std::tm utc{};
  if (!::gmtime_r(&seconds, &utc)) return {};
  char text[32];
  if (std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc) == 0) return {};
  return text;
}

void TPrinter::Table(const std::vector<std::string>& columns, bool header) {
  Columns_ = columns;
  if (!header || Json_) return;
  for (std::size_t i = 0; i < columns.size(); ++i) {
    if (i) Out_ << '\t';
    PutEscaped(Out_, columns[i]);
  }
  Out_ << '\n';
}

void TPrinter::JsonRow(const std::vector<TField>& fields) {
  Out_ << '{';
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (i) Out_ << ',';
    PutJsonString(Out_, i < Columns_.size() ? Columns_[i] : std::to_string(i));
    Out_ << ':';
    const TField& f = fields[i];
    switch (f.Kind) {
      case TField::TKind::Text:
      case TField::TKind::Line: PutJsonString(Out_, f.Text); break;
      case TField::TKind::Integer:
      case TField::TKind::Flags: Out_ << f.Number; break;
      case TField::TKind::FileTime:
        if (const std::string time = FormatFileTime(f.Time); !time.empty())
          PutJsonString(Out_, time);
        else
          Out_ << "null";
        break;
    }
  }
  Out_ << "}\n";
}

void TPrinter::Row(const std::vector<TField>& fields) {
  if (Json_) return JsonRow(fields);
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (i) Out_ << '\t';
    const TField& f = fields[i];
    switch (f.Kind) {
      case TField::TKind::Text: PutEscaped(Out_, f.Text); break;
      case TField::TKind::Line: PutLine(Out_, f.Text); break;
      case TField::TKind::Integer: Out_ << f.Number; break;
      case TField::TKind::Flags:
        Out_ << "0x" << std::hex << std::uppercase << f.Number << std::dec << std::nouppercase;
        break;
      case TField::TKind::FileTime: Out_ << FormatFileTime(f.Time); break;
    }
  }
  Out_ << '\n';
}

void TPrinter::Bytes(std::string_view data) {
  Out_.write(data.data(), std::streamsize(data.size()));
}

void TPrinter::Usage(std::string_view text, bool toError) {
  (toError ? Err_ : Out_) << text;
}

void TPrinter::Error(std::string_view message) {
  Err_ << "quenby: " << message << '\n';
}

void TPrinter::Warning(std::string_view message) {
  Err_ << "quenby: warning: " << message << '\n';
}

}  // namespace quenby::cli
