#pragma once
// A setup or call that the memory manager's own code should never make: a
// programming error, raised before any lock is taken.

#include <stdexcept>

namespace quenby {

class EMemoryAssertion : public std::logic_error {
 public:
  using std::logic_error::logic_error;
};

}  // namespace quenby
