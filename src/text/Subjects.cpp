#include "text/Subjects.h"

#include <unicode/ustring.h>

#include <algorithm>
#include <limits>
#include <vector>

#include "text/Collation.h"
#include "text/HeaderLines.h"

namespace quenby {

namespace {

// Optional sign and decimal digits only; an overflowing value is not a
// number either (-1), rather than a wrapped one.
std::int64_t DecimalOrMinusOne(std::u16string_view text) {
  std::size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == u'-' || text[i] == u'+')) negative = text[i++] == u'-';
  if (i == text.size()) return -1;
  std::int64_t value = 0;
  constexpr std::int64_t kMax = std::numeric_limits<std::int32_t>::max();
  for (; i < text.size(); ++i) {
    if (text[i] < u'0' || text[i] > u'9') return -1;
    value = value * 10 + (text[i] - u'0');
    if (value > kMax + (negative ? 1 : 0)) return -1;
  }
  return negative ? -value : value;
}

std::u16string TrimLeft(std::u16string text) {
  std::size_t begin = 0;
  while (begin < text.size() && text[begin] <= u' ') ++begin;
  return text.substr(begin);
}

template <class T>
int ThreeWay(T a, T b) {
  return a < b ? -1 : a > b ? 1 : 0;
}

}  // namespace

void ExtractSubjectNumber(std::u16string_view subject, std::int64_t& number, std::u16string& rest) {
  rest = subject;
  number = 0;
  // nextClose[i]: the first "]" at or after i, so that a subject full of "["
  // costs linear time.
  std::vector<std::size_t> nextClose(rest.size() + 2, std::u16string::npos);
  for (std::size_t i = rest.size(); i-- > 0;) nextClose[i] = rest[i] == u']' ? i : nextClose[i + 1];
  for (std::size_t open = rest.find(u'['); open != std::u16string::npos;
       open = rest.find(u'[', open + 1)) {
    // The "]" is looked for from two places on, so "[]" never counts as a pair.
    const std::size_t close = nextClose[std::min(open + 2, rest.size())];
    if (close == std::u16string::npos) break;  // no later "[" can find one either
    const std::u16string_view inner = std::u16string_view(rest).substr(open + 1, close - open - 1);
    if (inner.empty()) continue;
    number = DecimalOrMinusOne(inner);
    if (number > 0) {
      rest.erase(open, close - open + 1);
      return;
    }
  }
}

void StripSubject(std::u16string_view subject, std::int32_t& replies, std::int64_t& number,
                  std::u16string& rest) {
  ExtractSubjectNumber(subject, number, rest);
  // Deleting the first "re:" until none is left, in one pass: "re:" cannot
  // overlap itself, so removing each one as soon as the kept text ends in it
  // gives the same text and count (a deletion may join a new "re:", as in
  // "rre:e:", and that one goes too).
  std::u16string kept;
  kept.reserve(rest.size());
  replies = 0;
  for (const char16_t c : rest) {
    kept.push_back(c);
    if (kept.size() >= 3 && kept.compare(kept.size() - 3, 3, u"re:") == 0) {
      kept.resize(kept.size() - 3);
      ++replies;
    }
  }
  rest = TrimLeft(std::move(kept));
}

std::u16string LowerWide(std::u16string_view text) {
  if (text.empty()) return {};
  std::u16string out(text.size(), u'\0');
  for (;;) {
    UErrorCode status = U_ZERO_ERROR;
    const int32_t length = u_strToLower(out.data(), static_cast<int32_t>(out.size()), text.data(),
                                        static_cast<int32_t>(text.size()), "", &status);
    if (status == U_BUFFER_OVERFLOW_ERROR) {
      out.resize(static_cast<std::size_t>(length));
      continue;
    }
    if (U_FAILURE(status)) return std::u16string(text);
    out.resize(static_cast<std::size_t>(length));
    return out;
  }
}

int CompareSubjects(std::u16string_view a, std::u16string_view b) {
  const std::u16string lowerA = LowerWide(a);
  const std::u16string lowerB = LowerWide(b);
  const int whole = CollateWide(lowerA, lowerB);
  if (whole == 0 || lowerA.empty() || lowerB.empty()) return whole;
  std::int32_t repliesA = 0, repliesB = 0;
  std::int64_t numberA = 0, numberB = 0;
  std::u16string restA, restB;
  StripSubject(lowerA, repliesA, numberA, restA);
  StripSubject(lowerB, repliesB, numberB, restB);
  if (const int rest = CollateWide(restA, restB); rest != 0) return rest;
  // Three-way: a difference of two 32-bit numbers would overflow.
  if (numberA != numberB) return ThreeWay(numberA, numberB);
  return ThreeWay(repliesA, repliesB);
}

TSubjectKey MakeSubjectKey(std::u16string_view subject) {
  TSubjectKey key;
  const std::u16string lower = LowerWide(subject);
  key.Empty = lower.empty();
  key.Keys = CollationKey(lower);
  key.WholeLength = static_cast<std::uint32_t>(key.Keys.size());
  if (key.Empty) return key;
  std::u16string rest;
  StripSubject(lower, key.Replies, key.Number, rest);
  key.Keys += CollationKey(rest);
  return key;
}

// CompareSubjects step by step, with the two collations read off the keys.
int CompareSubjectKeys(const TSubjectKey& a, const TSubjectKey& b) {
  // Equal keys are equal subjects; keys of different lengths are told
  // apart without reading them, and the whole key's order matters only
  // against an empty subject.
  if (a.Whole() == b.Whole()) return 0;
  if (a.Empty || b.Empty) return ThreeWay(a.Whole().compare(b.Whole()), 0);
  if (const int rest = ThreeWay(a.Rest().compare(b.Rest()), 0); rest != 0) return rest;
  if (a.Number != b.Number) return ThreeWay(a.Number, b.Number);
  return ThreeWay(a.Replies, b.Replies);
}

bool SameSubjects(std::u16string_view a, std::u16string_view b) {
  const std::u16string lowerA = LowerWide(a);
  const std::u16string lowerB = LowerWide(b);
  if (lowerA == lowerB) return true;
  if (lowerA.empty() || lowerB.empty()) return false;
  std::int32_t replies = 0;
  std::int64_t number = 0;
  std::u16string restA, restB;
  StripSubject(lowerA, replies, number, restA);
  StripSubject(lowerB, replies, number, restB);
  return restA == restB;
}

bool IsDigestSubject(std::string_view subject) {
  constexpr std::string_view kMark = "Digest number";
  return subject.size() >= kMark.size() && SameAscii(subject.substr(0, kMark.size()), kMark);
}

}  // namespace quenby
