#pragma once
// Address lists of From, To, CC and the like (RFC 5322 3.4), split without
// decoding: names stay raw bytes for DecodePhrase with the message charset.

#include <string>
#include <string_view>
#include <vector>

namespace quenby {

struct TMailAddress {
  std::string Name;     // raw display name (quotes and encoded words kept)
  std::string Address;  // the bare address (local@domain), as written
};

// Splits at top-level commas; groups ("team: a, b;") give their members.
// "addr (Name)" takes the comment as the name when there is no other.
std::vector<TMailAddress> ParseAddressList(std::string_view raw);

}  // namespace quenby
