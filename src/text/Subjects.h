#pragma once
// Subject texts as message lists sort and compare them: list numbers
// ("[12]") and reply prefixes ("re:") are set aside.

#include <cstdint>
#include <string>
#include <string_view>

namespace quenby {

// Removes the first bracketed positive number. number is that number; when
// none was removed, the value of the last non-empty bracket content looked
// at (-1 when it was not a decimal integer), or 0 when there was none.
void ExtractSubjectNumber(std::u16string_view subject, std::int64_t& number, std::u16string& rest);

// On a lower-cased subject: the list number, then every "re:" anywhere
// (counted in replies), then leading blanks.
void StripSubject(std::u16string_view subject, std::int32_t& replies, std::int64_t& number,
                  std::u16string& rest);

// The order of message lists by subject: the user's collation of the
// lower-cased texts; subjects that differ only by prefixes and numbers
// order by number, then by reply count. Negative, zero or positive.
int CompareSubjects(std::u16string_view a, std::u16string_view b);

// CompareSubjects with its work done once per subject: the collation keys
// of the lower-cased subject and of its stripped rest. Comparing two keys
// gives the sign CompareSubjects gives for their subjects, at the cost of
// two byte comparisons.
struct TSubjectKey {
  // The two collation keys in one buffer, one memory access when sorting;
  // bytes compare as unsigned.
  std::string Keys;
  std::uint32_t WholeLength = 0;
  std::string_view Whole() const { return std::string_view(Keys).substr(0, WholeLength); }
  std::string_view Rest() const { return std::string_view(Keys).substr(WholeLength); }
  std::int64_t Number = 0;
  std::int32_t Replies = 0;
  bool Empty = true;
};
TSubjectKey MakeSubjectKey(std::u16string_view subject);
int CompareSubjectKeys(const TSubjectKey& a, const TSubjectKey& b);

// Whether two subjects name the same conversation.
bool SameSubjects(std::u16string_view a, std::u16string_view b);

// Lower case by the Unicode rules (not the locale's).
std::u16string LowerWide(std::u16string_view text);

// "Digest number ..." at the start, ignoring case.
bool IsDigestSubject(std::string_view subject);

}  // namespace quenby
