#pragma once
// The header block of a message as raw name/value lines, in file order.
// Values keep their bytes as written (8-bit included) and their folding,
// with every fold as CR LF; names are looked up ignoring ASCII case.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace quenby {

struct THeaderLine {
  std::string Name;
  std::string Value;  // raw: leading blanks after the colon removed, folds kept
};

class THeaderLines {
 public:
  // Splits a header block, stopping at the first empty line or at the first
  // line that is neither a continuation nor "name:" (that line starts the
  // body). A leading mailbox "From " line is skipped. Returns the offset at
  // which the body starts (bytes.size() when there is no body).
  std::size_t Parse(std::string_view bytes);

  void Clear() { Lines_.clear(); }
  bool Empty() const { return Lines_.empty(); }
  std::size_t Count() const { return Lines_.size(); }
  const THeaderLine& operator[](std::size_t i) const { return Lines_[i]; }
  auto begin() const { return Lines_.begin(); }
  auto end() const { return Lines_.end(); }

  // The first line of that name; null when there is none.
  const THeaderLine* Find(std::string_view name) const;
  bool Has(std::string_view name) const { return Find(name) != nullptr; }
  // The first value, raw (folded); empty when absent.
  std::string_view RawValue(std::string_view name) const;
  // The first value unfolded (line breaks removed, RFC 5322 unfolding).
  std::string Value(std::string_view name) const;

  // Replaces the first line of that name, dropping its old folding, or
  // appends one; any further lines of that name stay.
  void Set(std::string_view name, std::string_view value);
  void Add(std::string_view name, std::string_view value);
  // Removes every line of that name.
  void Remove(std::string_view name);

  // "Name: value" CR LF for each line, bytes as they are.
  void Write(std::string& out) const;

 private:
  std::vector<THeaderLine> Lines_;
};

bool SameAscii(std::string_view a, std::string_view b);
std::string Unfold(std::string_view value);

}  // namespace quenby
